// INI values that a line cannot carry as they are. Scrambled text can hold a
// zero byte, a line break, or blanks and quotes at its ends, and so can a
// Linux file name or a title; the profile-file rules cut or drop all of
// these, and a line break written raw would start a line of its own, which
// a reader takes for a key or a section of the file. Such a value still goes
// under its own key as far as a line takes it, for older readers, and in
// full, in hexadecimal, under a companion key (its name followed by "Hex")
// that our readers prefer. Project files and album settings files both carry
// their values so: picture sources, captions, titles and the password.
#pragma once

#include <optional>
#include <string>

#include "files/IniFiles.h"

namespace pictoalbum {

// The companion key of ident.
std::string CompanionKey(const std::string& ident);
// value up to its first zero byte or line break: what a line carries.
std::string LineOf(const std::string& value);
std::string HexOf(const std::string& bytes);
// The bytes of a hexadecimal text; none when it is not one.
std::optional<std::string> BytesOfHex(const std::string& hex);

// value under ident, as far as a line carries it, and under the companion
// key when that is not all of it; a companion left from an earlier value
// goes when this one needs none.
void WriteCarriedValue(TIniFile& ini, const std::string& section, const std::string& ident, const std::string& value);
// The same as lines of a text: "ident=" and the line's part, then the
// companion's line when needed, each ended by CRLF.
std::string CarriedValueLines(const std::string& ident, const std::string& value);

// The companion key's bytes when it holds well-formed hexadecimal, read
// whole however long, and the key's own value is still what they put there;
// else the key's own value (defaultValue when missing).
std::string ReadCarriedValue(const TIniFile& ini, const std::string& section, const std::string& ident,
                             const std::string& defaultValue);

} // namespace pictoalbum
