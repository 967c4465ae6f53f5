#include "records/StoredEntrySpan.h"

#include <array>

#include "Format.h"
#include "LittleEndian.h"
#include "ZipExceptions.h"
#include "records/ZipSignatures.h"

namespace {

constexpr std::uint64_t SignedDescriptorSize = 16;
constexpr std::uint64_t UnsignedDescriptorSize = 12;

std::uint64_t DescriptorSize(TStream& archive, std::uint64_t dataEnd)
{
    std::array<std::uint8_t, 4> signature{};
    archive.Seek(static_cast<std::int64_t>(dataEnd), soFromBeginning);
    const bool isSigned = archive.Read(signature.data(), 4) == 4 && GetU32(signature.data()) == DataDescriptorSignature;
    return isSigned ? SignedDescriptorSize : UnsignedDescriptorSize;
}

} // namespace

void RaiseEntryOutsideArchive(const TZipHeaderInfo& entry)
{
    throw EBadZipFile(Format("Entry %s points outside the archive and cannot be copied", {entry.FullName()}));
}

TStoredEntrySpan LocateStoredEntry(TStream& archive, const TZipHeaderInfo& entry)
{
    const std::uint64_t archiveSize = static_cast<std::uint64_t>(archive.Size());
    const std::uint64_t offset = entry.LocalHeaderOffset;
    std::array<std::uint8_t, LocalHeaderSize> header{};
    if (offset + LocalHeaderSize > archiveSize)
        RaiseEntryOutsideArchive(entry);
    archive.Seek(static_cast<std::int64_t>(offset), soFromBeginning);
    archive.ReadBuffer(header.data(), LocalHeaderSize);
    if (GetU32(header.data()) != LocalSignature())
        RaiseEntryOutsideArchive(entry);

    TStoredEntrySpan span;
    span.Start = offset + LocalHeaderSize + GetU16(header.data() + 26); // after the name
    span.LocalExtraLength = GetU16(header.data() + 28);
    const std::uint64_t dataEnd = span.Start + span.LocalExtraLength + entry.CompressedSize;
    if (dataEnd > archiveSize)
        RaiseEntryOutsideArchive(entry);
    std::uint64_t end = dataEnd;
    if (entry.HasDataDescriptor()) {
        end += DescriptorSize(archive, dataEnd);
        if (end > archiveSize)
            RaiseEntryOutsideArchive(entry);
    }
    span.Length = end - span.Start;
    return span;
}
