// The text fields of a TWAIN identity (TW_STR32): 34 bytes that hold a text
// and its terminating zero. The application and every source manager fill
// and read them through these routines, so a text longer than its field is
// cut to the same bytes everywhere and never written past the field.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "TwainTypes.h"

// The most bytes a field keeps before its terminating zero.
constexpr std::size_t IdentityTextLength = TW_STR32_SIZE - 1;

// The part of text a field keeps: up to its first zero byte, at most
// IdentityTextLength bytes.
inline std::string_view IdentityFieldText(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), IdentityTextLength));
}

// Fills the whole field: the kept text, then zeros.
inline void CopyIdentityText(TW_STR32& field, std::string_view text)
{
    const std::string_view kept = IdentityFieldText(text);
    std::memset(field, 0, TW_STR32_SIZE);
    std::memcpy(field, kept.data(), kept.size());
}

// The field's text up to its first zero byte; a field another party left
// without one is read to its end and no further.
inline std::string ReadIdentityText(const TW_STR32& field) { return std::string(field, strnlen(field, TW_STR32_SIZE)); }
