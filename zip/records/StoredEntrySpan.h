// Where an entry's stored bytes lie in its archive. After the local header
// and its name come the entry's local extra field, its data (compressed, and
// encrypted behind its encryption header when it is) and, for an entry
// written by a streaming tool, a data descriptor with or without its
// signature. These bytes behind a new local header put the entry into
// another archive unchanged: its password check byte depends on flag bit 3
// and so on the descriptor travelling with it.
#pragma once

#include <cstdint>

#include "Stream.h"
#include "records/ZipRecords.h"

struct TStoredEntrySpan {
    // The first byte after the local header's name.
    std::uint64_t Start = 0;
    // Extra field, data and descriptor.
    std::uint64_t Length = 0;
    std::uint16_t LocalExtraLength = 0;
};

// Raises EBadZipFile "Entry %s points outside the archive and cannot be
// copied".
[[noreturn]] void RaiseEntryOutsideArchive(const TZipHeaderInfo& entry);

// Reads the entry's local header in archive. Raises as above when the header
// is not there or the bytes do not lie within the archive.
TStoredEntrySpan LocateStoredEntry(TStream& archive, const TZipHeaderInfo& entry);
