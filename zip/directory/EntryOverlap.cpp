#include "directory/EntryOverlap.h"

#include <cstdint>

namespace {

std::uint64_t EndOfStoredBytes(const TZipHeaderInfo& entry)
{
    return entry.LocalHeaderOffset + LocalHeaderSize + entry.FilenameLength() + entry.CompressedSize;
}

} // namespace

int MarkOverlappingEntries(const TSortedZip& directory)
{
    int marked = 0;
    const auto mark = [&marked](TZipHeaderInfo& entry) {
        if (!entry.Overlapping)
            ++marked;
        entry.Overlapping = true;
    };
    // The entry of this volume, among those before, whose bytes reach
    // furthest: any later entry that begins before its end overlaps it.
    TZipHeaderInfo* furthest = nullptr;
    for (int i = 0; i < directory.Count(); ++i) {
        TZipHeaderInfo& entry = *directory.Entry(i);
        // Its sizes are not to be trusted, and it is refused anyway.
        if (entry.LocalHeaderDamaged)
            continue;
        if (furthest && furthest->DiskNumberStart != entry.DiskNumberStart)
            furthest = nullptr;
        if (furthest && entry.LocalHeaderOffset < EndOfStoredBytes(*furthest)) {
            mark(*furthest);
            mark(entry);
        }
        if (!furthest || EndOfStoredBytes(entry) > EndOfStoredBytes(*furthest))
            furthest = &entry;
    }
    return marked;
}
