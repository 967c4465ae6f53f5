// Key-word scrambling: keeps the album password and the captions of
// protected pictures from being read as plain text in album projects and
// album files. It is an obfuscation, not encryption: anyone with the key
// word reads the text back.
//
// Every byte is xored with the key word's high byte, and the key word then
// moves on by the scrambled byte, so one changed byte changes everything
// after it. Albums and projects already written depend on every detail,
// down to which characters of a password count: nothing here may change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pictoalbum {

// The key word that scrambles the album password itself in a project file.
inline constexpr std::uint16_t PasswordKeyWord = 13711;

// text scrambled with keyWord: as long as text, any byte values.
std::string Encrypt(std::string_view text, std::uint16_t keyWord);
// Undoes Encrypt with the same key word.
std::string Decrypt(std::string_view text, std::uint16_t keyWord);
// The key word of a password. Its last character takes no part, so all
// one-character passwords share one key word; the empty password gives 0.
std::uint16_t GetWordPass(std::string_view password);

} // namespace pictoalbum
