// The byte forms in which a typed password may have locked an album's
// entries. Text is typed here as UTF-8, and albums saved here are locked
// with those bytes; albums made on Windows were locked with the password's
// Windows-1252 bytes, and their protected captions scrambled with the key
// word of those bytes. A reader tries each form against an entry's check
// byte, in order, and unscrambles the entry's caption with the form that
// opened it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pictoalbum {

// The typed text itself, then its Windows-1252 bytes when they differ and
// the code page holds every character of it.
std::vector<std::string> PasswordForms(const std::string& typed);

// The forms of one typed password, tried in turn, and a new text asked for
// once all of them failed: what a reader's bad-password handler walks.
class TPasswordForms {
public:
    // A newly typed text; none when the user refuses.
    using TAsk = std::function<std::optional<std::string>()>;

    explicit TPasswordForms(const std::string& typed);

    // The form to try now.
    const std::string& Current() const { return forms_[current_]; }

    // After Current failed: the typed text's next form or, once every form
    // failed, the first of the text ask gives, asked again while it gives
    // the text that failed. False when ask refuses; nothing changes then.
    bool Advance(const TAsk& ask);

private:
    std::string typed_;
    std::vector<std::string> forms_;
    std::size_t current_ = 0;
};

} // namespace pictoalbum
