// Reading an entry as stored: no decompression, no decryption, so a program
// can keep an entry it cannot (or may not) open and write it back as it was.
#include "ZipReader.h"

#include "ScopeExit.h"
#include "records/StoredEntrySpan.h"

TStoredEntry TZipReader::ReadStoredEntry(int index)
{
    OpenZip();
    const TScopeExit close([this] { CloseZip(); });
    const TZipHeaderInfo& entry = EntryAt(index);
    if (endRecord_.ThisDisk > 0)
        return ReadStoredVolumeEntry(entry);
    const TStoredEntrySpan span = LocateStoredEntry(*archiveStream_, entry);
    TStoredEntry stored{NewHeaderInfo(), std::vector<std::uint8_t>(span.Length)};
    stored.Header->Assign(entry);
    stored.Header->LocalExtraLength = span.LocalExtraLength;
    archiveStream_->Seek(static_cast<std::int64_t>(span.Start), soFromBeginning);
    archiveStream_->ReadBuffer(stored.Bytes.data(), static_cast<std::int64_t>(stored.Bytes.size()));
    return stored;
}
