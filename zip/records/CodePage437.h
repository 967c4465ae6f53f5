// Code page 437, the OEM code page of the engine: zip names made on MS-DOS
// and by Windows programs without the UTF-8 flag are CP437 bytes, while the
// engine holds names as UTF-8 (the ANSI code page here).
//
// The mapping is IBM's: bytes 0x00-0x7F are ASCII (control codes stay
// control codes, as the platform conversions and Python's "cp437" treat
// them), 0x80-0xFF are the accented letters, box drawing and symbols.
// A character with no CP437 form is replaced by "?" (0x3F), the platform
// conversion's default character; no "best fit" look-alikes are chosen, so
// a replaced character is plainly visible. Bytes that are not valid UTF-8
// count as characters without a form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Utf8.h"

constexpr char Cp437ReplacementChar = '?';

// Every CP437 byte has a Unicode form, so this never loses anything.
std::string Cp437ToUtf8(std::string_view oem);
// Characters without a CP437 form become Cp437ReplacementChar.
std::string Utf8ToCp437(std::string_view text);
// The CP437 form of text, or none when any character lacks one.
std::optional<std::string> Utf8ToCp437Exact(std::string_view text);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsAscii(std::string_view text);

// Passes text through the OEM code page and back, so that characters that an
// OEM-converted name cannot hold come back as the replacement character.
void OemFilter(std::string& text);
