#include "records/ZipRecords.h"

#include <algorithm>
#include <array>
#include <cassert>

#include <sys/stat.h>

#include "Exceptions.h"
#include "LittleEndian.h"
#include "records/DosDateTime.h"
#include "records/ZipSignatures.h"

namespace {

constexpr std::uint64_t Max32 = 0xFFFFFFFF;
constexpr std::size_t Max16 = 0xFFFF;
constexpr std::uint64_t Zip64LocatorSize = 20;
// The smallest directory of 65536 entries: a count of 0 with one at least
// this large may have wrapped.
constexpr std::uint64_t WrappedCountSize = 0x10000 * CentralHeaderSize;

// 0xFFFFFFFF itself is the zip64 marker: a reader takes it to mean that the
// true value lies in a zip64 record, which this engine does not write.
std::uint32_t Fits32(std::uint64_t value, const char* what)
{
    if (value >= Max32)
        throw EWriteError(std::string(what) + " of 4294967295 or more cannot be stored in a zip archive");
    return static_cast<std::uint32_t>(value);
}

std::uint16_t Fits16(std::size_t length, const char* what)
{
    if (length > Max16)
        throw EWriteError(std::string(what) + " is longer than 65535 bytes and cannot be stored in a zip archive");
    return static_cast<std::uint16_t>(length);
}

// Whether the first count bytes of buffer (at most four) agree with signature.
bool StartsLikeSignature(const std::uint8_t* buffer, std::int64_t count, std::uint32_t signature)
{
    for (std::int64_t i = 0; i < std::min<std::int64_t>(count, 4); ++i)
        if (buffer[i] != static_cast<std::uint8_t>(signature >> (8 * i)))
            return false;
    return true;
}

void WriteRecord(TStream& stream, const std::string& record)
{
    stream.WriteBuffer(record.data(), static_cast<std::int64_t>(record.size()));
}

} // namespace

// ---- TZipHeaderInfo -------------------------------------------------------

TZipHeaderInfo::TZipHeaderInfo() { Clear(); }

void TZipHeaderInfo::Clear()
{
    VersionMadeBy = 20;
    VersionNeeded = 20;
    Flags = 0;
    CompressionMethod = 8;
    ModDateTime = 0;
    CRC32 = 0xFFFFFFFF;
    CompressedSize = 0;
    UncompressedSize = 0;
    CentralExtraLength = 0;
    LocalExtraLength = 0;
    DiskNumberStart = 0;
    InternalAttributes = 1;
    ExternalAttributes = 32;
    LocalHeaderOffset = 0;
    CentralHeaderOffset = 0;
    ChosenForRun = false;
    Selected = false;
    OEMConvert = false;
    Overlapping = false;
    LocalHeaderDamaged = false;
    filename_.clear();
    directory_.clear();
    readName_.reset();
    NameChanged();
    SetCommentState(0, std::nullopt);
}

void TZipHeaderInfo::Assign(const TZipHeaderInfo& source)
{
    if (&source == this)
        return;
    VersionMadeBy = source.VersionMadeBy;
    VersionNeeded = source.VersionNeeded;
    Flags = source.Flags;
    CompressionMethod = source.CompressionMethod;
    ModDateTime = source.ModDateTime;
    CRC32 = source.CRC32;
    CompressedSize = source.CompressedSize;
    UncompressedSize = source.UncompressedSize;
    CentralExtraLength = source.CentralExtraLength;
    LocalExtraLength = source.LocalExtraLength;
    DiskNumberStart = source.DiskNumberStart;
    InternalAttributes = source.InternalAttributes;
    ExternalAttributes = source.ExternalAttributes;
    LocalHeaderOffset = source.LocalHeaderOffset;
    CentralHeaderOffset = source.CentralHeaderOffset;
    filename_ = source.filename_;
    directory_ = source.directory_;
    readName_ = source.readName_;
    safePath_ = source.safePath_;
    unsafeReason_ = source.unsafeReason_;
    // The comment goes with its length, or the copy would claim bytes it lacks.
    SetCommentState(source.commentLength_, source.fileComment_);
    ChosenForRun = source.ChosenForRun;
    Selected = source.Selected;
    Overlapping = source.Overlapping;
    LocalHeaderDamaged = source.LocalHeaderDamaged;
}

void TZipHeaderInfo::SetFromCentralRecord(std::span<const std::uint8_t, CentralHeaderSize> header,
                                          std::string_view storedName)
{
    const std::uint8_t* h = header.data();
    VersionMadeBy = GetU16(h + 4);
    VersionNeeded = GetU16(h + 6);
    Flags = GetU16(h + 8);
    CompressionMethod = GetU16(h + 10);
    ModDateTime = SanitizeDosDateTime(GetU32(h + 12));
    CRC32 = GetU32(h + 16);
    CompressedSize = GetU32(h + 20);
    UncompressedSize = GetU32(h + 24);
    // Name length at 28: the name passed in is what was stored.
    CentralExtraLength = GetU16(h + 30);
    SetCommentState(GetU16(h + 32), std::nullopt);
    DiskNumberStart = GetU16(h + 34);
    InternalAttributes = GetU16(h + 36);
    ExternalAttributes = GetU32(h + 38);
    LocalHeaderOffset = GetU32(h + 42);
    CentralHeaderOffset = 0;
    SetStoredName(storedName, HostSystem());
    ChosenForRun = false;
    Selected = false;
    Overlapping = false;
    LocalHeaderDamaged = false;
}

void TZipHeaderInfo::SetFromLocalRecord(std::span<const std::uint8_t, LocalHeaderSize> header,
                                        std::string_view storedName)
{
    const std::uint8_t* h = header.data();
    VersionMadeBy = 0;
    VersionNeeded = GetU16(h + 4);
    Flags = GetU16(h + 6);
    CompressionMethod = GetU16(h + 8);
    ModDateTime = SanitizeDosDateTime(GetU32(h + 10));
    CRC32 = GetU32(h + 14);
    CompressedSize = GetU32(h + 18);
    UncompressedSize = GetU32(h + 22);
    // Name length at 26: the name passed in is what was stored.
    LocalExtraLength = GetU16(h + 28);
    SetCommentState(0, std::nullopt);
    DiskNumberStart = 0;
    InternalAttributes = 0;
    ExternalAttributes = 0;
    LocalHeaderOffset = 0;
    CentralHeaderOffset = 0;
    SetStoredName(storedName, std::nullopt);
    ChosenForRun = false;
    Selected = false;
    Overlapping = false;
    LocalHeaderDamaged = false;
}

bool TZipHeaderInfo::ReadName(TStream& stream, std::uint16_t length, std::string& name)
{
    name.assign(length, '\0');
    return length == 0 || stream.Read(name.data(), length) == length;
}

bool TZipHeaderInfo::ReadCentralFromStream(TStream*& stream, const TNextDiskCallback& nextDisk)
{
    const std::int64_t position = stream->Position();
    std::int64_t restart = position;
    std::array<std::uint8_t, CentralHeaderSize> header{};
    std::int64_t got = stream->Read(header.data(), CentralHeaderSize);
    const auto wanted = static_cast<std::int64_t>(CentralHeaderSize);
    if (nextDisk && got < wanted && StartsLikeSignature(header.data(), got, CentralSignature())) {
        nextDisk(*this, stream);
        restart = stream->Position();
        got += stream->Read(header.data() + got, wanted - got);
    }
    std::string name;
    if (got != wanted || GetU32(header.data()) != CentralSignature() ||
        !ReadName(*stream, GetU16(header.data() + 28), name)) {
        stream->Seek(restart, soFromBeginning);
        return false;
    }
    SetFromCentralRecord(header, name);
    CentralHeaderOffset = static_cast<std::uint64_t>(position);
    return true;
}

bool TZipHeaderInfo::ReadCentralFromStream(TStream& stream)
{
    TStream* current = &stream;
    return ReadCentralFromStream(current, nullptr);
}

bool TZipHeaderInfo::ReadLocalFromStream(TStream& stream)
{
    const std::int64_t position = stream.Position();
    std::array<std::uint8_t, LocalHeaderSize> header{};
    std::string name;
    if (stream.Read(header.data(), LocalHeaderSize) != static_cast<std::int64_t>(LocalHeaderSize) ||
        GetU32(header.data()) != LocalSignature() || !ReadName(stream, GetU16(header.data() + 26), name)) {
        stream.Seek(position, soFromBeginning);
        return false;
    }
    SetFromLocalRecord(header, name);
    LocalHeaderOffset = static_cast<std::uint64_t>(position);
    return true;
}

std::string TZipHeaderInfo::StoredRecordName(std::uint16_t& flags) const
{
    TStoredName stored = StoredName();
    Fits16(stored.bytes.size(), "The entry name");
    flags = static_cast<std::uint16_t>((Flags & ~Utf8NameFlag) | (stored.utf8 ? Utf8NameFlag : 0));
    return std::move(stored.bytes);
}

void TZipHeaderInfo::SaveCentralToStream(TStream& stream, std::string_view extra)
{
    // Callers load a comment before they write its entry.
    assert(commentLength_ == 0 || fileComment_);
    Fits32(static_cast<std::uint64_t>(stream.Position()), "A central header position");
    std::uint16_t flags = 0;
    const std::string name = StoredRecordName(flags);
    const std::string comment = fileComment_.value_or("");
    std::string record;
    record.reserve(CentralHeaderSize + name.size() + extra.size() + comment.size());
    AppendU32(record, CentralSignature());
    AppendU16(record, VersionMadeBy);
    AppendU16(record, VersionNeeded);
    AppendU16(record, flags);
    AppendU16(record, CompressionMethod);
    AppendU32(record, ModDateTime);
    AppendU32(record, CRC32);
    AppendU32(record, Fits32(CompressedSize, "A compressed size"));
    AppendU32(record, Fits32(UncompressedSize, "An uncompressed size"));
    AppendU16(record, static_cast<std::uint16_t>(name.size()));
    AppendU16(record, CentralExtraLength);
    AppendU16(record, Fits16(comment.size(), "The entry comment"));
    AppendU16(record, DiskNumberStart);
    AppendU16(record, InternalAttributes);
    AppendU32(record, ExternalAttributes);
    AppendU32(record, Fits32(LocalHeaderOffset, "A local header position"));
    record += name;
    record += extra;
    record += comment;
    WriteRecord(stream, record);
    Flags = flags;
}

void TZipHeaderInfo::SaveLocalToStream(TStream& stream)
{
    const std::uint32_t position =
        Fits32(static_cast<std::uint64_t>(stream.Position()), "A local header position");
    std::uint16_t flags = 0;
    const std::string name = StoredRecordName(flags);
    std::string record;
    record.reserve(LocalHeaderSize + name.size());
    AppendU32(record, LocalSignature());
    AppendU16(record, VersionNeeded);
    AppendU16(record, flags);
    AppendU16(record, CompressionMethod);
    AppendU32(record, ModDateTime);
    AppendU32(record, CRC32);
    AppendU32(record, Fits32(CompressedSize, "A compressed size"));
    AppendU32(record, Fits32(UncompressedSize, "An uncompressed size"));
    AppendU16(record, static_cast<std::uint16_t>(name.size()));
    AppendU16(record, LocalExtraLength);
    record += name;
    WriteRecord(stream, record);
    LocalHeaderOffset = position;
    Flags = flags;
}

void TZipHeaderInfo::SetFilename(std::string_view text)
{
    if (text == filename_)
        return;
    filename_ = text;
    readName_.reset();
    NameChanged();
}

void TZipHeaderInfo::SetDirectory(std::string_view text)
{
    std::string directory(text);
    if (!directory.empty() && directory.back() != '/')
        directory += '/';
    if (directory == directory_)
        return;
    directory_ = std::move(directory);
    readName_.reset();
    NameChanged();
}

TStoredName TZipHeaderInfo::StoredName() const
{
    if (readName_)
        return *readName_;
    return EncodeStoredName(FullName(), OEMConvert && HostSystem() == HostMsDos);
}

void TZipHeaderInfo::SetHostForName()
{
    if (readName_ || HostOfNewName(FullName()) != HostUnix || HostSystem() == HostUnix)
        return;
    VersionMadeBy = static_cast<std::uint16_t>((HostUnix << 8) | (VersionMadeBy & 0xFF));
    if ((ExternalAttributes >> 16) != 0)
        return;
    constexpr std::uint32_t DosReadOnly = 0x01;
    constexpr std::uint32_t DosDirectory = 0x10;
    std::uint32_t mode = (ExternalAttributes & DosDirectory) != 0 ? S_IFDIR | 0755 : S_IFREG | 0644;
    if ((ExternalAttributes & DosReadOnly) != 0)
        mode &= ~std::uint32_t{0222};
    ExternalAttributes |= mode << 16;
}

void TZipHeaderInfo::SetStoredName(std::string_view storedName, std::optional<std::uint8_t> host)
{
    TNameParts parts = SplitEntryName(DecodeStoredName(storedName, Flags, host, OEMConvert));
    directory_ = std::move(parts.directory);
    filename_ = std::move(parts.filename);
    readName_ = TStoredName{std::string(storedName), (Flags & Utf8NameFlag) != 0};
    NameChanged();
}

void TZipHeaderInfo::NameChanged()
{
    TSafePath safe = SafeExtractionPath(FullName());
    safePath_ = std::move(safe.path);
    unsafeReason_ = std::move(safe.unsafeReason);
}

void TZipHeaderInfo::SetCommentState(std::size_t length, std::optional<std::string> text)
{
    commentLength_ = length;
    fileComment_ = std::move(text);
}

void TZipHeaderInfo::SetFileComment(std::string_view text)
{
    if (text.empty())
        SetCommentState(0, std::nullopt);
    else
        SetCommentState(text.size(), std::string(text));
}

bool TZipHeaderInfo::IsZip64() const
{
    return CompressedSize == Max32 || UncompressedSize == Max32 || LocalHeaderOffset == Max32 ||
           DiskNumberStart == Max16;
}

std::string TZipHeaderInfo::DamageReason() const
{
    if (Encrypted() && CompressedSize < EncryptionHeaderSize)
        return "the entry is shorter than its encryption header";
    if (Overlapping)
        return "the entry overlaps another entry of the archive (possible zip bomb)";
    if (LocalHeaderDamaged)
        return "the entry's local header is damaged";
    return "";
}

// ---- TEndCentral ----------------------------------------------------------

TEndCentral::TEndCentral() { Clear(); }

void TEndCentral::Clear()
{
    Signature = EndSignature();
    ThisDisk = 0;
    CentralDirDisk = 0;
    EntriesThisDisk = 0;
    TotalEntries = 0;
    CentralSize = 0;
    CentralOffset = 0;
    commentLength_ = 0;
    zipComment_.reset();
    CommentPosition = 0;
    CommentChanged = false;
    zip64Locator_ = false;
}

void TEndCentral::Assign(const TEndCentral& source)
{
    if (&source == this)
        return;
    Signature = source.Signature;
    ThisDisk = source.ThisDisk;
    CentralDirDisk = source.CentralDirDisk;
    EntriesThisDisk = source.EntriesThisDisk;
    TotalEntries = source.TotalEntries;
    CentralSize = source.CentralSize;
    CentralOffset = source.CentralOffset;
    commentLength_ = source.commentLength_;
    zipComment_ = source.zipComment_;
    CommentPosition = source.CommentPosition;
    zip64Locator_ = source.zip64Locator_;
}

void TEndCentral::SaveToStream(TStream& stream) const
{
    // Callers load the archive comment before they write the record.
    assert(commentLength_ == 0 || zipComment_);
    Fits32(static_cast<std::uint64_t>(stream.Position()), "The end record position");
    const std::string comment = zipComment_.value_or("");
    std::string record;
    record.reserve(EndRecordSize + comment.size());
    AppendU32(record, Signature);
    AppendU16(record, ThisDisk);
    AppendU16(record, CentralDirDisk);
    AppendU16(record, EntriesThisDisk);
    AppendU16(record, TotalEntries);
    AppendU32(record, Fits32(CentralSize, "A central directory size"));
    AppendU32(record, Fits32(CentralOffset, "A central directory position"));
    AppendU16(record, Fits16(comment.size(), "The archive comment"));
    record += comment;
    WriteRecord(stream, record);
}

namespace {

// A record is trusted first when its comment ends exactly at the end of the
// file and its central directory lies before it: a comment that merely holds
// the signature bytes fails one test or the other.
bool FitsAsLastRecord(const TEndCentral& record, std::uint64_t size)
{
    if (record.CommentPosition + record.ZipCommentLength() != size)
        return false;
    return record.ThisDisk != record.CentralDirDisk ||
           record.CentralOffset + record.CentralSize <= record.CommentPosition - EndRecordSize;
}

bool Zip64LocatorBefore(TStream& stream, std::uint64_t recordPosition)
{
    if (recordPosition < Zip64LocatorSize)
        return false;
    std::array<std::uint8_t, 4> signature{};
    stream.Seek(static_cast<std::int64_t>(recordPosition - Zip64LocatorSize), soFromBeginning);
    return stream.Read(signature.data(), 4) == 4 && GetU32(signature.data()) == Zip64EndLocatorSignature;
}

bool CentralHeaderAt(TStream& stream, std::uint64_t position)
{
    std::array<std::uint8_t, 4> signature{};
    stream.Seek(static_cast<std::int64_t>(position), soFromBeginning);
    return stream.Read(signature.data(), 4) == 4 && GetU32(signature.data()) == CentralSignature();
}

} // namespace

bool TEndCentral::LoadFromStream(TStream& stream)
{
    const std::int64_t start = stream.Position();
    const auto size = static_cast<std::uint64_t>(stream.Size());
    if (size < EndRecordSize)
        return size == 0;
    const std::uint64_t n = std::min<std::uint64_t>(MaxEndRecordSize, size);
    const std::uint64_t base = size - n;
    std::string tail(n, '\0');
    stream.Seek(static_cast<std::int64_t>(base), soFromBeginning);
    if (stream.Read(tail.data(), static_cast<std::int64_t>(n)) != static_cast<std::int64_t>(n)) {
        stream.Seek(start, soFromBeginning);
        return false;
    }
    // Backwards from the end: the first record that fits as the last one,
    // else the last one found; a signature whose fields cannot be true is no record.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(tail.data());
    std::optional<std::size_t> found;
    std::optional<std::size_t> lastRecord;
    for (std::size_t i = n - EndRecordSize + 1; i-- > 0;) {
        if (bytes[i] != EndSignatureFirstByte() || GetU32(bytes + i) != EndSignature())
            continue;
        TEndCentral candidate;
        candidate.TakeRecord(bytes + i, base + i);
        candidate.zip64Locator_ = Zip64LocatorBefore(stream, base + i);
        if (!candidate.IsZip64() && !candidate.CanBeTrue(stream))
            continue;
        if (!lastRecord)
            lastRecord = i;
        if (FitsAsLastRecord(candidate, size)) {
            found = i;
            break;
        }
    }
    if (!found)
        found = lastRecord;
    if (found) {
        TakeRecord(bytes + *found, base + *found);
        zip64Locator_ = Zip64LocatorBefore(stream, base + *found);
    }
    stream.Seek(start, soFromBeginning);
    return found.has_value();
}

// Entries on the record's disk are some of all, and all of them when the
// whole directory lies there; entries have a directory, and a directory has
// entries, unless their count wrapped past 65535 (an old writer without
// zip64 that wrote more). A single file's directory lies in it, before the
// record.
bool TEndCentral::CanBeTrue(TStream& stream) const
{
    if (ThisDisk < CentralDirDisk || EntriesThisDisk > TotalEntries)
        return false;
    if (ThisDisk == CentralDirDisk && EntriesThisDisk != TotalEntries)
        return false;
    if (TotalEntries == 0 && CentralSize != 0 && CentralSize < WrappedCountSize)
        return false;
    return ThisDisk != 0 || DirectoryBeforeRecord(stream);
}

bool TEndCentral::DirectoryBeforeRecord(TStream& stream) const
{
    const std::uint64_t recordPosition = CommentPosition - EndRecordSize;
    return CentralOffset + CentralSize <= recordPosition ||
           (CentralOffset < recordPosition && CentralHeaderAt(stream, CentralOffset));
}

void TEndCentral::TakeRecord(const std::uint8_t* record, std::uint64_t recordPosition)
{
    ThisDisk = GetU16(record + 4);
    CentralDirDisk = GetU16(record + 6);
    EntriesThisDisk = GetU16(record + 8);
    TotalEntries = GetU16(record + 10);
    CentralSize = GetU32(record + 12);
    CentralOffset = GetU32(record + 16);
    commentLength_ = GetU16(record + 20);
    zipComment_.reset();
    CommentPosition = recordPosition + EndRecordSize;
}

void TEndCentral::SetComment(std::string_view text)
{
    commentLength_ = text.size();
    if (text.empty())
        zipComment_.reset();
    else
        zipComment_ = std::string(text);
}

bool TEndCentral::IsZip64() const
{
    return zip64Locator_ || CentralSize == Max32 || CentralOffset == Max32;
}
