#include "CarriedValue.h"

namespace pictoalbum {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string CompanionKey(const std::string& ident)
{
    return ident + "Hex";
}

std::string LineOf(const std::string& value)
{
    return value.substr(0, value.find_first_of(std::string("\0\r\n", 3)));
}

std::string HexOf(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

std::optional<std::string> BytesOfHex(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

void WriteCarriedValue(TIniFile& ini, const std::string& section, const std::string& ident, const std::string& value)
{
    ini.WriteString(section, ident, LineOf(value));
    if (SurvivesIniValue(value))
        ini.DeleteKey(section, CompanionKey(ident));
    else
        ini.WriteString(section, CompanionKey(ident), HexOf(value));
}

std::string CarriedValueLines(const std::string& ident, const std::string& value)
{
    std::string lines = ident + "=" + LineOf(value) + "\r\n";
    if (!SurvivesIniValue(value))
        lines += CompanionKey(ident) + "=" + HexOf(value) + "\r\n";
    return lines;
}

std::string ReadCarriedValue(const TIniFile& ini, const std::string& section, const std::string& ident,
                             const std::string& defaultValue)
{
    const std::string plain = ini.ReadString(section, ident, defaultValue);
    if (!ini.ValueExists(section, CompanionKey(ident)))
        return plain;
    const std::optional<std::string> bytes = BytesOfHex(ini.ReadWholeString(section, CompanionKey(ident), ""));
    // A program that knows no companion (the Windows programs, older
    // versions) may have written the plain key since and left the companion
    // behind: then the plain key is the newer value.
    // (The scrambled password goes in quotes, which keep its blanks.)
    if (!bytes || (IniValueAsRead(LineOf(*bytes)) != plain && IniValueAsRead("\"" + *bytes + "\"") != plain))
        return plain;
    return *bytes;
}

} // namespace pictoalbum
