#include "PasswordForms.h"

#include "files/TextCodec.h"

namespace pictoalbum {

std::vector<std::string> PasswordForms(const std::string& typed)
{
    std::vector<std::string> forms{typed};
    const std::string windows = Utf8ToWindows1252(typed);
    if (windows != typed && Windows1252ToUtf8(windows) == typed)
        forms.push_back(windows);
    return forms;
}

TPasswordForms::TPasswordForms(const std::string& typed) : typed_(typed), forms_(PasswordForms(typed)) {}

bool TPasswordForms::Advance(const TAsk& ask)
{
    if (current_ + 1 < forms_.size()) {
        ++current_;
        return true;
    }
    std::optional<std::string> typed;
    do {
        typed = ask();
        if (!typed)
            return false;
    } while (*typed == typed_);
    *this = TPasswordForms(*typed);
    return true;
}

} // namespace pictoalbum
