// The zip records in memory: one archive entry (`TZipHeaderInfo`, the fields
// of its local and central headers) and the end-of-central-directory record
// (`TEndCentral`), with their reads and writes on a stream. The layouts are
// those of the PKWARE application note (4.3.7 local header, 4.3.12 central
// header, 4.3.16 end record), little-endian, written field by field.
//
// Reads never raise: a missing or wrong signature or a short read returns
// false and puts the stream back where it was; the directory reader decides
// what to raise. Writes raise EWriteError when the stream refuses bytes or
// when a value does not fit its field (a name or comment over 65535 bytes, a
// size or position of 0xFFFFFFFF or more, the zip64 marker: this engine
// writes no zip64 records).
// Records that need zip64 are recognised (IsZip64) but not interpreted.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "Object.h"
#include "Stream.h"
#include "crypt/ZipCrypt.h"
#include "records/EntryNames.h"

constexpr std::size_t LocalHeaderSize = 30;
constexpr std::size_t CentralHeaderSize = 46;
constexpr std::size_t EndRecordSize = 22;
constexpr std::size_t MaxEndRecordSize = EndRecordSize + 0xFFFF;
// An entry's internal file attributes (application note 4.4.14): bit 0
// marks an apparent text file. A new entry holds this value until its data is
// written and the compressor has judged it text or binary.
constexpr std::uint16_t InternalAttributesUnknown = 2;
// Traditional encryption puts a 12-byte header (EncryptionHeaderSize,
// crypt/ZipCrypt.h) before an entry's data.

class TZipHeaderInfo;

// Makes the next volume current and puts its stream into stream; used when a
// central header continues on the next volume.
using TNextDiskCallback = std::function<void(TZipHeaderInfo& entry, TStream*& stream)>;

// One archive entry. Owns its name parts and its comment. Copied only by
// Assign, which leaves the OEM-convert flag of the destination as it is. An
// object-list item, so the archive directory can hold it.
class TZipHeaderInfo : public TObject {
public:
    TZipHeaderInfo();
    TZipHeaderInfo(const TZipHeaderInfo&) = delete;
    TZipHeaderInfo& operator=(const TZipHeaderInfo&) = delete;
    ~TZipHeaderInfo() override = default;

    std::string ClassName() const override { return "TZipHeaderInfo"; }

    void Clear();
    void Assign(const TZipHeaderInfo& source);

    void SetFromCentralRecord(std::span<const std::uint8_t, CentralHeaderSize> header, std::string_view storedName);
    // An empty storedName leaves both name parts empty.
    void SetFromLocalRecord(std::span<const std::uint8_t, LocalHeaderSize> header, std::string_view storedName);

    // Reads one central header and its name at the stream's position and
    // leaves the stream just after the name. With nextDisk, a header cut off
    // at the end of a volume is completed from the next one.
    bool ReadCentralFromStream(TStream*& stream, const TNextDiskCallback& nextDisk);
    bool ReadCentralFromStream(TStream& stream);
    // Reads one local header and its name; leaves the stream after the name.
    bool ReadLocalFromStream(TStream& stream);

    // Writes the central header, its name, the given extra bytes and the
    // comment. The extra length field is CentralExtraLength whatever extra
    // holds (the ".zfc" side file keeps the lengths without the bytes).
    void SaveCentralToStream(TStream& stream, std::string_view extra = {});
    // Records the stream's position as LocalHeaderOffset, then writes the
    // local header and the name (no extra bytes).
    void SaveLocalToStream(TStream& stream);

    const std::string& Filename() const { return filename_; }
    const std::string& Directory() const { return directory_; }
    std::string FullName() const { return directory_ + filename_; }
    // A folder entry: its name ends in "/". An entry with an empty name is
    // none; it holds a file that has no name.
    bool IsFolder() const { return filename_.empty() && !directory_.empty(); }
    void SetFilename(std::string_view text);
    // Appends "/" to a non-empty text that lacks one.
    void SetDirectory(std::string_view text);
    // The name as it is written: the bytes read from the archive while the
    // name is unchanged, else the encoding of the in-memory name.
    TStoredName StoredName() const;
    // A new or changed name: makes the entry one made on the host the name
    // needs (HostOfNewName), giving an entry made on Unix the Unix mode that
    // its DOS attributes stand for when it has none. A name as read stays
    // with the host it was read with.
    void SetHostForName();
    std::size_t FilenameLength() const { return StoredName().bytes.size(); }

    // The relative path extraction may use, computed when the name is set.
    const std::string& SafePath() const { return safePath_; }
    bool NameIsSafe() const { return unsafeReason_.empty(); }
    const std::string& UnsafeReason() const { return unsafeReason_; }

    // The comment's length in the archive; the text is held only once read
    // (or set), and then its length is this.
    std::size_t CommentLength() const { return commentLength_; }
    bool HasComment() const { return commentLength_ != 0; }
    const std::optional<std::string>& FileComment() const { return fileComment_; }
    // Exact bytes (NULs included); an empty text leaves no comment.
    void SetFileComment(std::string_view text);

    bool Encrypted() const { return (Flags & 0x0001) != 0; }
    bool HasDataDescriptor() const { return (Flags & 0x0008) != 0; }
    std::uint8_t HostSystem() const { return static_cast<std::uint8_t>(VersionMadeBy >> 8); }
    // The header holds zip64 sentinels: its real sizes or offset live in a
    // zip64 extra field that this engine does not read.
    bool IsZip64() const;
    // Why the entry's data cannot be extracted: an encrypted entry too short
    // for its own encryption header, or one the directory read found
    // Overlapping or LocalHeaderDamaged. Empty when it can; extraction skips a damaged entry and
    // the rest of the archive stays readable.
    std::string DamageReason() const;
    bool Damaged() const { return !DamageReason().empty(); }

    std::uint64_t LocalSize() const { return LocalHeaderSize + FilenameLength() + LocalExtraLength; }
    std::uint64_t CentralSize() const
    {
        return CentralHeaderSize + FilenameLength() + CentralExtraLength + CommentLength();
    }

    std::uint16_t VersionMadeBy;
    std::uint16_t VersionNeeded;
    std::uint16_t Flags;
    std::uint16_t CompressionMethod;
    std::uint32_t ModDateTime;
    std::uint32_t CRC32;
    std::uint64_t CompressedSize;
    std::uint64_t UncompressedSize;
    std::uint16_t CentralExtraLength;
    std::uint16_t LocalExtraLength;
    std::uint16_t DiskNumberStart;
    std::uint16_t InternalAttributes;
    std::uint32_t ExternalAttributes;
    std::uint64_t LocalHeaderOffset;
    // Where this entry's central header was read; 0 when it was not.
    std::uint64_t CentralHeaderOffset;
    bool ChosenForRun;
    bool Selected;
    bool OEMConvert;
    // The entry's stored bytes overlap another entry's local header or data,
    // as in a zip bomb that makes many entries of one piece of data.
    bool Overlapping;
    // The recovery scan found no sound local header for the entry: none
    // where its central header says, or one whose data have no end.
    bool LocalHeaderDamaged;

private:
    void SetStoredName(std::string_view storedName, std::optional<std::uint8_t> host);
    void NameChanged();
    void SetCommentState(std::size_t length, std::optional<std::string> text);
    std::string StoredRecordName(std::uint16_t& flags) const;
    bool ReadName(TStream& stream, std::uint16_t length, std::string& name);

    std::string filename_;
    std::string directory_;
    // The bytes the name had in the archive, kept until the name changes.
    std::optional<TStoredName> readName_;
    std::string safePath_;
    std::string unsafeReason_;
    std::size_t commentLength_ = 0;
    std::optional<std::string> fileComment_;
};

// The end-of-central-directory record with the archive comment.
class TEndCentral {
public:
    TEndCentral();
    TEndCentral(const TEndCentral&) = delete;
    TEndCentral& operator=(const TEndCentral&) = delete;
    virtual ~TEndCentral() = default;

    void Clear();
    void Assign(const TEndCentral& source);

    void SaveToStream(TStream& stream) const;
    // Finds the end record in the last 65557 bytes of the stream, passing
    // over signatures whose fields cannot be those of a real record
    // (CanBeTrue). An empty stream is an archive without entries. The
    // comment is not read here.
    bool LoadFromStream(TStream& stream);
    // Whether the fields agree with one another, and a single file's
    // central directory lies in the stream before the record.
    bool CanBeTrue(TStream& stream) const;
    // The central directory lies before the record, in the stream that
    // holds both, or at least begins there with a central header (a size
    // alone too large).
    bool DirectoryBeforeRecord(TStream& stream) const;

    std::size_t ZipCommentLength() const { return commentLength_; }
    bool HasComment() const { return commentLength_ != 0; }
    const std::optional<std::string>& ZipComment() const { return zipComment_; }
    // Exact bytes (NULs included); an empty text leaves no comment.
    void SetComment(std::string_view text);
    std::uint64_t EndCentralSize() const { return EndRecordSize + commentLength_; }

    // The record needs zip64: the zip64 locator lies before it, or the
    // central directory's size or offset is the zip64 sentinel. A count of
    // 0xFFFF alone is a real count of 65535 entries.
    bool IsZip64() const;
    bool HasZip64Locator() const { return zip64Locator_; }

    std::uint32_t Signature;
    std::uint16_t ThisDisk;
    std::uint16_t CentralDirDisk;
    std::uint16_t EntriesThisDisk;
    std::uint16_t TotalEntries;
    std::uint64_t CentralSize;
    std::uint64_t CentralOffset;
    // Position of the first comment byte, set when the record is found.
    std::uint64_t CommentPosition;
    bool CommentChanged;

private:
    void TakeRecord(const std::uint8_t* record, std::uint64_t recordPosition);

    std::size_t commentLength_ = 0;
    std::optional<std::string> zipComment_;
    bool zip64Locator_ = false;
};
