#include "ZipSortMode.h"

#include <algorithm>
#include <string_view>

#include "ZipRecords.h"

namespace {

char FoldToUpper(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }

// Byte codes compared with only "a" to "z" folded, as the engine's names are
// compared everywhere.
int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(FoldToUpper(a[i]));
        const auto cb = static_cast<unsigned char>(FoldToUpper(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A key that orders DOS date-times chronologically: the value itself, whose
// fields lie from year down to seconds, or 0 when it names no real moment.
std::uint32_t DateKey(std::uint32_t dosDateTime)
{
    const unsigned seconds = (dosDateTime & 0x1F) * 2;
    const unsigned minute = (dosDateTime >> 5) & 0x3F;
    const unsigned hour = (dosDateTime >> 11) & 0x1F;
    const unsigned day = (dosDateTime >> 16) & 0x1F;
    const unsigned month = (dosDateTime >> 21) & 0x0F;
    const unsigned year = 1980 + (dosDateTime >> 25);
    static constexpr unsigned DaysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (seconds > 59 || minute > 59 || hour > 23 || month < 1 || month > 12 || day < 1)
        return 0;
    const unsigned lastDay = DaysIn[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= lastDay ? dosDateTime : 0;
}

// The percentage that compressed is of uncompressed, rounded half to even,
// at most 100, 0 for an empty entry.
std::int64_t Rate(const TZipHeaderInfo& entry)
{
    const std::uint64_t total = entry.UncompressedSize;
    const std::uint64_t part = entry.CompressedSize;
    if (total == 0)
        return 0;
    if (part >= total)
        return 100;
    const auto scaled = static_cast<unsigned __int128>(part) * 100;
    auto quotient = static_cast<std::int64_t>(scaled / total);
    const auto twiceRest = (scaled % total) * 2;
    if (twiceRest > total || (twiceRest == total && quotient % 2 == 1))
        ++quotient;
    return quotient;
}

int LargerFirst(std::uint64_t a, std::uint64_t b) { return b > a ? 1 : -1; }

int ByPhysicalOrder(const TZipHeaderInfo& a, const TZipHeaderInfo& b)
{
    if (a.DiskNumberStart != b.DiskNumberStart)
        return a.DiskNumberStart < b.DiskNumberStart ? -1 : 1;
    if (a.LocalHeaderOffset == b.LocalHeaderOffset)
        return 0;
    return a.LocalHeaderOffset > b.LocalHeaderOffset ? 1 : -1;
}

} // namespace

int CompareEntries(const TZipHeaderInfo& a, const TZipHeaderInfo& b, TZipSortMode mode)
{
    switch (mode) {
    case ByName:
        return CompareText(a.FullName(), b.FullName());
    case ByFileName:
        return CompareText(a.Filename(), b.Filename());
    case ByDirectoryName:
        return CompareText(a.Directory(), b.Directory());
    case ByDate:
        return DateKey(b.ModDateTime) > DateKey(a.ModDateTime) ? 1 : -1;
    case ByCompressedSize:
        return LargerFirst(a.CompressedSize, b.CompressedSize);
    case ByUnCompressedSize:
        return LargerFirst(a.UncompressedSize, b.UncompressedSize);
    case ByRate: {
        const std::int64_t difference = Rate(b) - Rate(a);
        return difference == 0 ? 0 : (difference < 0 ? -1 : 1);
    }
    case ByNone:
        return ByPhysicalOrder(a, b);
    }
    return 0;
}
