// UTF-8 encoding and strict decoding (no overlong forms, no surrogates,
// nothing above U+10FFFF), shared by the code-page conversions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

void AppendUtf8(std::string& out, char32_t c);

// Decodes the character at text[pos] and moves pos past it. An invalid
// sequence gives none and moves pos on by one byte.
std::optional<char32_t> NextUtf8Char(std::string_view text, std::size_t& pos);

bool IsValidUtf8(std::string_view text);
