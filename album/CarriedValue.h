// INI values that a line cannot carry as they are. Scrambled text can hold a
// zero byte, a line break, or blanks and quotes at its ends, all of which
// the profile-file rules cut or drop. Such a value still goes under its own
// key as far as a line takes it, for older readers, and in full, in
// hexadecimal, under a companion key (its name followed by "Hex") that our
// readers prefer. Project files and album settings files both carry their
// scrambled values so.
#pragma once

#include <optional>
#include <string>

#include "IniFiles.h"

namespace pictoalbum {

// The companion key of ident.
std::string CompanionKey(const std::string& ident);
// value up to its first zero byte or line break: what a line carries.
std::string LineOf(const std::string& value);
std::string HexOf(const std::string& bytes);
// The bytes of a hexadecimal text; none when it is not one.
std::optional<std::string> BytesOfHex(const std::string& hex);

// The companion key's bytes when it holds well-formed hexadecimal, else the
// key's own value (defaultValue when missing).
std::string ReadCarriedValue(const TIniFile& ini, const std::string& section, const std::string& ident,
                             const std::string& defaultValue);

} // namespace pictoalbum
