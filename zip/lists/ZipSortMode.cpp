#include "lists/ZipSortMode.h"

#include <algorithm>
#include <string_view>

#include "files/ZipLib.h"
#include "records/DosDateTime.h"
#include "records/ZipRecords.h"

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

// A key that orders DOS date-times chronologically: the value itself, whose
// fields lie from year down to seconds, or 0 when it names no real moment.
std::uint32_t DateKey(std::uint32_t dosDateTime)
{
    return IsRealDosDateTime(dosDateTime) ? dosDateTime : 0;
}

// The percentage that compressed is of uncompressed, at most 100, 0 for an
// empty entry. Sizes are 32-bit in the archive, so 64 bits cannot overflow.
std::int64_t Rate(const TZipHeaderInfo& entry)
{
    return CalcPercent64(static_cast<std::int64_t>(entry.UncompressedSize),
                         static_cast<std::int64_t>(entry.CompressedSize));
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
