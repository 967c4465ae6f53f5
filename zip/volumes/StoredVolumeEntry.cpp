// An entry of a volume set as stored: its local header on the entry's first
// volume, then its extra field, data and any data descriptor read on across
// the following volumes.
#include "ZipReader.h"

#include <algorithm>
#include <array>

#include "LittleEndian.h"
#include "records/StoredEntrySpan.h"
#include "records/ZipSignatures.h"
#include "volumes/VolumeStream.h"

namespace {

// A descriptor's CRC and sizes, after its optional signature.
constexpr std::size_t DescriptorFieldsSize = 12;
constexpr std::uint64_t ReadChunkSize = 1 << 20;

} // namespace

TStoredEntry TZipReader::ReadStoredVolumeEntry(const TZipHeaderInfo& entry)
{
    LoadVolumeOf(entry);
    TVolumeStream volumes(*this, *archiveStream_);
    std::array<std::uint8_t, LocalHeaderSize> header{};
    volumes.Seek(static_cast<std::int64_t>(entry.LocalHeaderOffset), soFromBeginning);
    if (volumes.Read(header.data(), LocalHeaderSize) != LocalHeaderSize || GetU32(header.data()) != LocalSignature())
        RaiseEntryOutsideArchive(entry);
    TStoredEntry stored{NewHeaderInfo(), {}};
    stored.Header->Assign(entry);
    stored.Header->LocalExtraLength = GetU16(header.data() + 28); // extra field length
    volumes.Seek(GetU16(header.data() + 26), soFromCurrent);      // past the name
    // Read in chunks: a size the directory claims past the set's end fails
    // where the bytes run out instead of being allocated first.
    const auto readOn = [&](std::uint64_t count) {
        while (count > 0) {
            const std::uint64_t part = std::min<std::uint64_t>(count, ReadChunkSize);
            const std::size_t start = stored.Bytes.size();
            stored.Bytes.resize(start + part);
            if (volumes.Read(stored.Bytes.data() + start, static_cast<std::int64_t>(part)) !=
                static_cast<std::int64_t>(part))
                RaiseEntryOutsideArchive(entry);
            count -= part;
        }
    };
    readOn(stored.Header->LocalExtraLength + entry.CompressedSize);
    if (entry.HasDataDescriptor()) {
        readOn(4);
        const bool isSigned = GetU32(stored.Bytes.data() + stored.Bytes.size() - 4) == DataDescriptorSignature;
        readOn(isSigned ? DescriptorFieldsSize : DescriptorFieldsSize - 4);
    }
    return stored;
}
