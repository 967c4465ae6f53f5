// Adding one entry to the archive being built: a file, a caller's stream or
// a folder.
//
// The entry's header is filled and its stored name decided first; a
// duplicate of a name already placed, or an OnStartZip Skip, refuses it
// before anything is written. Then the local header goes out provisionally
// (CRC and compressed size not yet known), followed by the optional 12-byte
// encryption header and the data, stored or deflated. Finally the output
// goes back and the local header is written again, complete; it has the same
// length, as the name is unchanged. The archive never needs a data
// descriptor.
//
// Every data byte passes through two routines: ReadSourceData (input,
// progress, CRC-32) and WriteArchiveData (encryption, output, message
// pumping). The sizes stored are those of the bytes actually read, so a file
// that grows or shrinks while it is read still gives a consistent entry.
// With a password the input is read twice (the encryption header needs the
// CRC before the data); when the second pass differs from the first the
// entry cannot be valid and the build fails with EReadError.
#include "ZipWriter.h"

#include <sys/stat.h>

#include <ctime>
#include <vector>

#include "Exceptions.h"
#include "Format.h"
#include "files/FileNameParts.h"
#include "files/ZipLib.h"

namespace {

constexpr std::size_t CopyBufferSize = 0x8000;
// 0xFFFFFFFF would read as the zip64 marker.
constexpr std::int64_t MaxEntrySize = 0xFFFFFFFE;

} // namespace

// The compressor's view of the entry's data flow.
class TZipWriter::TEntryDataIO : public TDeflateIO {
public:
    explicit TEntryDataIO(TZipWriter& writer) : writer_(writer) {}

    std::size_t ReadSourceData(std::span<std::uint8_t> buffer) override
    {
        return writer_.ReadSourceData(buffer.data(), buffer.size());
    }
    void WriteArchiveData(std::span<std::uint8_t> data) override { writer_.WriteArchiveData(data.data(), data.size()); }

private:
    TZipWriter& writer_;
};

bool TZipWriter::AddOneEntry(const std::string& Name, const TStreamEntry* stream)
{
    entryBytesRead_ = 0;
    sourceSize_ = 0;
    struct TSourceRelease {
        TZipWriter& writer;
        ~TSourceRelease()
        {
            writer.ownedSource_.reset();
            writer.source_ = nullptr;
            writer.entryPassword_.clear();
        }
    } release{*this};

    if (stream && stream->Stored)
        return AddStoredEntry(Name, *stream->Stored);
    const bool folder = !Name.empty() && Name.back() == '/';
    if (folder) {
        FillFolderEntry(Name);
    } else if (stream) {
        source_ = stream->Stream;
        source_->Seek(0, soFromBeginning);
        sourceSize_ = source_->Size();
        newEntry_->ModDateTime = TimeToDosDateTime(std::time(nullptr));
    } else if (!OpenSourceFile(Name)) {
        return false;
    }
    if (sourceSize_ > MaxEntrySize)
        throw EWriteError(Name + " is 4294967295 bytes or larger and cannot be stored in a zip archive");
    newEntry_->UncompressedSize = static_cast<std::uint64_t>(sourceSize_);

    // Names are stored as they are: a name outside code page 437 is stored
    // as UTF-8 (flag bit 11), so no OEM filtering is needed or wanted.
    newEntry_->SetFilename(folder ? std::string() : ExtractFileName(Name));
    newEntry_->LocalHeaderOffset = static_cast<std::uint64_t>(output_->Position());
    newEntry_->InternalAttributes = InternalAttributesUnknown;
    newEntry_->DiskNumberStart = static_cast<std::uint16_t>(currentDisk_);
    if (storePaths_)
        newEntry_->SetDirectory(StoredPathOf(Name));
    newEntry_->SetHostForName();
    // A folder entry without a stored path would have an empty name, which
    // no reader can use.
    if (newEntry_->FullName().empty())
        return false;
    int index = 0;
    if (newNames_->Find(newEntry_.get(), index))
        return Refused(Name, true);
    bool skip = false;
    if (OnStartZip)
        OnStartZip(*this, Name, newEntry_, skip);
    if (skip || !newEntry_)
        return Refused(Name, false);

    if (VolumeMode())
        PrepareVolumeEntry(!folder);
    // On volumes the local header waits for the data (PlaceEntryOnVolumes).
    if (!volumeTemp_)
        newEntry_->SaveLocalToStream(*output_);
    if (folder) {
        if (OnEndZip)
            OnEndZip(*this, Name, 0, 0, 0);
        return true;
    }
    WriteEntryData(Name, stream ? stream->Password : Password);
    if (OnEndZip)
        OnEndZip(*this, Name, static_cast<std::int64_t>(newEntry_->UncompressedSize),
                 static_cast<std::int64_t>(newEntry_->CompressedSize), output_->Position());
    return true;
}

// The stored header's data fields and its bytes (local extra field, data,
// data descriptor) behind a new local header: as CopyExistingEntry keeps an
// old entry, only under the new name and without its comment.
bool TZipWriter::AddStoredEntry(const std::string& Name, const TStoredEntry& stored)
{
    newEntry_->Assign(*stored.Header);
    newEntry_->SetFileComment("");
    newEntry_->CentralExtraLength = 0;
    newEntry_->SetFilename(ExtractFileName(Name));
    newEntry_->SetDirectory(StoredPathOf(Name));
    newEntry_->SetHostForName();
    newEntry_->DiskNumberStart = static_cast<std::uint16_t>(currentDisk_);
    sourceSize_ = static_cast<std::int64_t>(stored.Bytes.size());
    int index = 0;
    if (newNames_->Find(newEntry_.get(), index))
        return Refused(Name, true);
    if (VolumeMode()) {
        PrepareVolumeEntry(false);
        newEntry_->SaveLocalToStream(*output_);
        TReadOnlyMemoryStream bytes(stored.Bytes);
        CopyToVolumes(bytes, stored.Bytes.size());
    } else {
        newEntry_->SaveLocalToStream(*output_);
        output_->WriteBuffer(stored.Bytes.data(), static_cast<std::int64_t>(stored.Bytes.size()));
    }
    if (OnEndZip)
        OnEndZip(*this, Name, static_cast<std::int64_t>(newEntry_->UncompressedSize),
                 static_cast<std::int64_t>(newEntry_->CompressedSize), output_->Position());
    return true;
}

void TZipWriter::FillFolderEntry(const std::string& Name)
{
    TZipHeaderInfo& entry = *newEntry_;
    entry.UncompressedSize = entry.CompressedSize = 0;
    entry.CompressionMethod = 0;
    entry.InternalAttributes = 0;
    entry.CRC32 = 0;
    const std::string path = Name.substr(0, Name.size() - 1);
    TSearchRec record;
    if (!streamMode_ && !path.empty() && ReadSearchRec(ExtractFilePath(path), ExtractFileName(path), record) &&
        IsDirectory(record)) {
        entry.ModDateTime = record.Time;
        entry.ExternalAttributes = static_cast<std::uint32_t>(record.Attr);
    } else {
        entry.ModDateTime = TimeToDosDateTime(std::time(nullptr));
    }
}

bool TZipWriter::OpenSourceFile(const std::string& Name)
{
    TSearchRec record;
    if (!ReadSearchRec(ExtractFilePath(Name), ExtractFileName(Name), record) || IsDirectory(record))
        return false;
    newEntry_->ExternalAttributes = static_cast<std::uint32_t>(record.Attr);
    for (;;) {
        try {
            ownedSource_ = std::make_unique<TLFNFileStream>(Name, sourceShareMode_, false, StreamBufferSize);
            break;
        } catch (const EFOpenError&) {
            entryFailure_ = "the file cannot be opened";
            bool retry = false;
            if (OnSkippingFile)
                OnSkippingFile(*this, srSourceUnavailable, Name, -1, retry);
            if (!retry)
                return false;
        }
    }
    source_ = ownedSource_.get();
    struct stat info {};
    if (::fstat(GetFileStreamHandle(*ownedSource_), &info) == 0) {
        newEntry_->ModDateTime = TimeToDosDateTime(info.st_mtime);
        sourceSize_ = info.st_size;
    } else {
        newEntry_->ModDateTime = record.Time;
        sourceSize_ = record.Size;
    }
    return true;
}

bool TZipWriter::Refused(const std::string& Name, bool duplicate)
{
    if (duplicate && OnSkippingFile) {
        entryFailure_ = "an entry of the same name is already in the archive";
        bool retry = false;
        OnSkippingFile(*this, srNoOverwrite, Name, -1, retry);
    }
    totalBytes_ -= sourceSize_;
    return false;
}

void TZipWriter::WriteEntryData(const std::string& Name, const std::string& password)
{
    TZipHeaderInfo& entry = *newEntry_;
    entryPassword_ = password;
    std::uint32_t firstCRC = 0;
    std::uint64_t firstCount = 0;
    if (!password.empty()) {
        PrecomputeCRC(firstCRC, firstCount);
        entry.CRC32 = firstCRC;
        WriteEncryptionHeader(password, firstCRC);
    }
    runningCRC_ = CRC32Start;
    entryBytesRead_ = 0;
    if (PackLevel == 0 || IsNoCompress(entry.Filename())) {
        StoreEntryData();
        entry.CompressedSize = entryBytesRead_;
        entry.CompressionMethod = 0;
        entry.InternalAttributes = 0;
    } else {
        TEntryDataIO io(*this);
        const TDeflateResult result = deflater_.DeflateEntry(io, PackLevel);
        entry.CompressedSize = static_cast<std::uint64_t>(result.CompressedSize);
        entry.CompressionMethod = static_cast<std::uint16_t>(result.Method);
        entry.InternalAttributes = static_cast<std::uint16_t>(result.InternalAttribute);
        // Kept also when the data fell back to storing: they tell the level.
        entry.Flags |= static_cast<std::uint16_t>(result.GeneralPurposeFlags);
    }
    const std::uint32_t crc = runningCRC_ ^ 0xFFFFFFFF;
    if (!password.empty() && (crc != firstCRC || entryBytesRead_ != firstCount))
        throw EReadError(Format("File %s changed while it was zipped", {Name}));
    entry.CRC32 = crc;
    entry.UncompressedSize = entryBytesRead_;
    if (!password.empty()) {
        entry.Flags |= 0x0001;
        entry.CompressedSize += EncryptionHeaderSize;
    }
    if (volumeTemp_) {
        PlaceEntryOnVolumes();
        return;
    }
    const std::int64_t end = output_->Position();
    output_->Seek(static_cast<std::int64_t>(entry.LocalHeaderOffset), soFromBeginning);
    entry.SaveLocalToStream(*output_);
    output_->Seek(end, soFromBeginning);
}

void TZipWriter::StoreEntryData()
{
    std::vector<std::uint8_t> buffer(CopyBufferSize);
    for (std::size_t n; (n = ReadSourceData(buffer.data(), buffer.size())) > 0;)
        WriteArchiveData(buffer.data(), n);
}

void TZipWriter::PrecomputeCRC(std::uint32_t& crc, std::uint64_t& count)
{
    std::vector<std::uint8_t> buffer(CopyBufferSize);
    crc = CRC32Start;
    count = 0;
    for (std::int64_t n; (n = source_->Read(buffer.data(), static_cast<std::int64_t>(buffer.size()))) > 0;) {
        crc = UpdateCRC(crc, buffer.data(), n);
        count += static_cast<std::uint64_t>(n);
    }
    crc ^= 0xFFFFFFFF;
    source_->Seek(0, soFromBeginning);
}

void TZipWriter::WriteEncryptionHeader(const std::string& password, std::uint32_t crc)
{
    const TEncryptionHeader header = crypt_.MakeEncryptionHeader(password, crc);
    EntryOutput().WriteBuffer(header.data(), static_cast<std::int64_t>(header.size()));
}

std::size_t TZipWriter::ReadSourceData(std::uint8_t* buffer, std::size_t count)
{
    const std::int64_t n = source_->Read(buffer, static_cast<std::int64_t>(count));
    if (n <= 0)
        return 0;
    entryBytesRead_ += static_cast<std::uint64_t>(n);
    // On volumes the copy from the temporary file is the entry's second half.
    if (OnFilePercentDone) {
        const std::int64_t percent = CalcPercent64(sourceSize_, static_cast<std::int64_t>(entryBytesRead_));
        OnFilePercentDone(*this, static_cast<int>(VolumeMode() ? percent / 2 : percent));
    }
    doneBytes_ += n;
    if (OnTotalPercentDone)
        OnTotalPercentDone(*this, static_cast<int>(CalcPercent64(totalBytes_, doneBytes_)));
    runningCRC_ = UpdateCRC(runningCRC_, buffer, n);
    return static_cast<std::size_t>(n);
}

void TZipWriter::WriteArchiveData(std::uint8_t* buffer, std::size_t count)
{
    if (!entryPassword_.empty()) {
        if (OnEncrypt)
            OnEncrypt(*this, buffer, static_cast<int>(count), entryPassword_);
        else
            crypt_.EncryptBuffer(buffer, static_cast<std::int64_t>(count));
    }
    EntryOutput().WriteBuffer(buffer, static_cast<std::int64_t>(count));
    PumpMessages();
}
