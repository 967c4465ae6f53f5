#include "ZipUI.h"

#include <cstdio>

namespace {

TZipUI headless;
TZipUI* current = &headless;

} // namespace

TMsgResult TZipUI::MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (buttons) {
    case TMsgButtons::Ok: return TMsgResult::Ok;
    case TMsgButtons::YesNo: return TMsgResult::No;
    case TMsgButtons::OkCancel:
    case TMsgButtons::YesNoCancel: return TMsgResult::Cancel;
    }
    return TMsgResult::Cancel;
}

std::optional<std::string> TZipUI::OpenFileDialog(const std::string&, const std::string&, const std::string&)
{
    return std::nullopt;
}

std::optional<std::string> TZipUI::SelectFolder(const std::string&) { return std::nullopt; }

TZipUI& ZipUI() { return *current; }

TZipUIScope::TZipUIScope(TZipUI& ui) : previous_(current) { current = &ui; }

TZipUIScope::~TZipUIScope() { current = previous_; }
