#include "files/TextCodec.h"

#include <array>
#include <cstdint>
#include <optional>

namespace {

// Windows-1252 bytes 0x80..0x9F; the undefined five map to the C1 control
// of the same number, so every byte comes back unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToWindows1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

std::string FileTextToUtf8(const std::string& bytes)
{
    return IsValidUtf8(bytes) ? bytes : Windows1252ToUtf8(bytes);
}

QString BytesToQString(const std::string& bytes)
{
    const std::string utf8 = FileTextToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string QStringToBytes(const QString& text) { return text.toStdString(); }

std::string Windows1252ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char32_t(b));
    }
    return out;
}

std::string Utf8ToWindows1252(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> c = NextUtf8Char(utf8, pos);
        out.push_back(c ? ToWindows1252(*c) : '?');
    }
    return out;
}
