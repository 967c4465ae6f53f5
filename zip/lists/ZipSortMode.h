// The orders of the archive directory's views and the comparison that the
// sorted entry list uses to place each entry.
#pragma once

#include <cstdint>

class TZipHeaderInfo;

enum TZipSortMode : std::uint8_t {
    ByName,
    ByFileName,
    ByDirectoryName,
    ByDate,
    ByCompressedSize,
    ByUnCompressedSize,
    ByRate,
    ByNone,
};

// Negative, zero or positive as a goes before, with or after b in mode:
// ByName, ByFileName and ByDirectoryName ascending with "a" to "z" folded to
// upper case; ByDate newest first; the two sizes largest first; ByRate the
// least compressed first; ByNone physical order (disk, then offset).
//
// ByDate and the size modes never answer 0 (equal keys answer -1, so a later
// insertion lands after the equal entries already there): this is not a
// strict weak order, so it is only for the list's one-at-a-time insertion and
// must never be handed to std::sort or a std::set.
int CompareEntries(const TZipHeaderInfo& a, const TZipHeaderInfo& b, TZipSortMode mode);
