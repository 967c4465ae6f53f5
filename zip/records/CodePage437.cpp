#include "records/CodePage437.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

// Unicode code points of CP437 bytes 0x80-0xFF (IBM's table, as in the
// Unicode consortium's CP437 mapping).
constexpr std::array<char32_t, 128> UpperHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 0x88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, // 0x98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // 0xD8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, // 0xE8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, // 0xF8
};

// All 256 bytes to code points: the lower half is ASCII.
constexpr std::array<char32_t, 256> MakeToUnicode()
{
    std::array<char32_t, 256> table{};
    for (std::size_t b = 0; b < 128; ++b)
        table[b] = static_cast<char32_t>(b);
    for (std::size_t b = 0; b < 128; ++b)
        table[128 + b] = UpperHalf[b];
    return table;
}

constexpr std::array<char32_t, 256> ToUnicode = MakeToUnicode();

// The upper half inverted and sorted by code point, for binary search.
using ReverseEntry = std::pair<char32_t, std::uint8_t>;

const std::array<ReverseEntry, 128>& FromUnicode()
{
    static const std::array<ReverseEntry, 128> table = [] {
        std::array<ReverseEntry, 128> t{};
        for (std::size_t b = 0; b < 128; ++b)
            t[b] = {UpperHalf[b], static_cast<std::uint8_t>(128 + b)};
        std::sort(t.begin(), t.end());
        return t;
    }();
    return table;
}

std::optional<std::uint8_t> Cp437ByteOf(char32_t c)
{
    if (c < 0x80)
        return static_cast<std::uint8_t>(c);
    const auto& table = FromUnicode();
    const auto it = std::lower_bound(table.begin(), table.end(), ReverseEntry{c, 0});
    if (it != table.end() && it->first == c)
        return it->second;
    return std::nullopt;
}

} // namespace

std::string Cp437ToUtf8(std::string_view oem)
{
    std::string out;
    out.reserve(oem.size());
    for (const char ch : oem)
        AppendUtf8(out, ToUnicode[static_cast<std::uint8_t>(ch)]);
    return out;
}

std::string Utf8ToCp437(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto c = NextUtf8Char(text, pos);
        const auto b = c ? Cp437ByteOf(*c) : std::nullopt;
        out.push_back(b ? static_cast<char>(*b) : Cp437ReplacementChar);
    }
    return out;
}

std::optional<std::string> Utf8ToCp437Exact(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto c = NextUtf8Char(text, pos);
        const auto b = c ? Cp437ByteOf(*c) : std::nullopt;
        if (!b)
            return std::nullopt;
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char ch) { return static_cast<std::uint8_t>(ch) < 0x80; });
}

void OemFilter(std::string& text)
{
    text = Cp437ToUtf8(Utf8ToCp437(text));
}
