// Reading the archive directory into the reader component.
//
// The end record (found by TEndCentral::LoadFromStream) points to the central
// directory, which is read header by header into the directory list. When
// there is no usable end record, IncompleteZipMode decides: a volume of a set
// (EIncompleteZip), no archive (ENotAZipFile), or a damaged archive, which the
// recovery scan rebuilds from its local headers. A central header that cannot
// be read, or that names a local header already listed, also starts the scan.
// The scan also reads what survives of the central directory
// (directory/ZipDirectoryScan.cpp).
//
// An archive appended to another file (a self-extracting program made by
// concatenation) may count its offsets from its own start instead of the
// file's. Its central directory then lies right before the end record rather
// than where the record says; every offset is moved by the difference, so
// that in memory each offset is a position in the file. The local headers
// must bear that out: when they lie where the central headers say, only the
// record's offset was wrong, and when they lie at neither place, the
// directory is rebuilt from them.
//
// Entries that overlap one another, as in a zip bomb, are listed but marked
// damaged, so extraction refuses them; a local header that the central
// directory names more than once is listed once, under its own name. Both
// are told in a message box. An encrypted entry too short for its
// encryption header is listed as damaged too: it spoils only itself.
//
// Whatever the bytes, a read ends in a directory or in an exception: a file
// that is not an archive never reads as an empty one (only an empty file is
// an archive without entries). Zip64 archives are refused with their own
// message, as this engine cannot read their sizes and offsets.
#include "ZipReader.h"

#include <algorithm>
#include <array>

#include "Format.h"
#include "LittleEndian.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipUI.h"
#include "directory/EntryOverlap.h"
#include "directory/LocalHeaderScan.h"
#include "records/ZipSignatures.h"
#include "volumes/VolumeNames.h"
#include "volumes/VolumeStream.h"

namespace {

const char* const Zip64NotSupported = "Zip64 archives are not supported";
const char* const TooManyEntries = "Archives of more than 65535 entries are not supported";
// The most entries an archive without zip64 holds.
constexpr int MaxEntries = 0xFFFF;
const char* const DuplicateLocalHeader =
    "The central directory names the local header of %s more than once; each entry is listed once";
const char* const OverlappingEntries =
    "%d entries of this archive overlap one another and will not be extracted (possible zip bomb)";

// What the directory read found wrong but could read past, told as the
// engine tells every such thing: in a message box, which the headless
// default writes to standard error.
void Notice(const std::string& text)
{
    ZipUI().MessageBox(text, LoadStr(IDS_ZIPERROR), TMsgButtons::Ok);
}

bool SignatureAt(TStream& stream, std::uint64_t position, std::uint32_t signature)
{
    std::array<std::uint8_t, 4> bytes{};
    stream.Seek(static_cast<std::int64_t>(position), soFromBeginning);
    return stream.Read(bytes.data(), 4) == 4 && GetU32(bytes.data()) == signature;
}

bool CentralHeaderAt(TStream& stream, std::uint64_t position)
{
    return SignatureAt(stream, position, CentralSignature());
}

// Whether the end record begins at the stream's position, which stays.
bool EndRecordNext(TStream& stream)
{
    const std::int64_t position = stream.Position();
    std::array<std::uint8_t, 4> bytes{};
    const bool found = stream.Read(bytes.data(), 4) == 4 && GetU32(bytes.data()) == EndSignature();
    stream.Seek(position, soFromBeginning);
    return found;
}

// Whether every entry's local header lies less bytes before its offset.
// How many entries have their local header `less` bytes before the offset
// their central header gives.
int LocalHeadersLyingBefore(TStream& stream, const TSortedZip& entries, std::uint64_t less)
{
    int count = 0;
    for (int i = 0; i < entries.Count(); ++i) {
        const std::uint64_t offset = entries.Entry(i)->LocalHeaderOffset;
        count += offset >= less && SignatureAt(stream, offset - less, LocalSignature());
    }
    return count;
}

} // namespace

// The last central header read with an extra field, for the retry of a
// header that states an extra length without the extra bytes (the ".zfc"
// side file writes its headers so).
struct TZipReader::TCentralReadState {
    std::uint16_t LastExtra = 0;
    TZipHeaderInfo* PreviousEntry = nullptr;
};

// ---- Opening and closing ----------------------------------------------------

void TZipReader::ReadZip()
{
    cancelRequested_ = false;
    for (int attempt = 1;; ++attempt) {
        try {
            TBusyCursor busy;
            OpenZip();
            CloseZip();
            return;
        } catch (const EIncompleteZip&) {
            // The handler may bring the missing volume: the file is opened
            // afresh for the next attempt.
            archiveStream_.reset();
            if (!OnInCompleteZip || attempt == MaxIncompleteZipAttempts)
                throw;
        } catch (...) {
            ClearZip();
            throw;
        }
    }
}

void TZipReader::OpenZip()
{
    if (!archiveStream_)
        archiveStream_ = std::make_unique<TLFNFileStream>(zipName_, fmOpenRead | fmShareDenyWrite,
                                                          FlushFilesOnClose, StreamBufferSize);
    std::optional<TFileStamp> stamp = FileStampOf(GetFileStreamHandle(*archiveStream_));
    if (entryList_ && stamp && stamp == directoryStamp_)
        return;
    if (entryList_) {
        // Changed in place while held open: what the stream buffered is of
        // the old bytes.
        archiveStream_ = std::make_unique<TLFNFileStream>(zipName_, fmOpenRead | fmShareDenyWrite,
                                                          FlushFilesOnClose, StreamBufferSize);
        stamp = FileStampOf(GetFileStreamHandle(*archiveStream_));
    }
    ReadCentralDirectory(*archiveStream_);
    // The read may have moved to another volume of a set: the open one counts.
    directoryStamp_ = archiveStream_ ? FileStampOf(GetFileStreamHandle(*archiveStream_)) : stamp;
}

void TZipReader::CloseZip()
{
    if (!KeepZipOpen)
        archiveStream_.reset();
}

void TZipReader::ClearZip()
{
    archiveStream_.reset();
    DropDirectory();
    endRecord_.Clear();
    rebuilt_ = false;
    archiveBase_ = 0;
    numDisks_ = 1;
    SetMultiMode(mmNone);
    zipName_.clear();
}

std::unique_ptr<TZipHeaderInfo> TZipReader::NewHeaderInfo() const
{
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->OEMConvert = OEMConvert;
    return entry;
}

void TZipReader::DropDirectory()
{
    sortedView_.reset();
    entryList_.reset();
    directoryStamp_.reset();
    selectedCount_ = 0;
}

void TZipReader::NewEntryList()
{
    entryList_ = std::make_unique<TSortedZip>(dupError);
    entryList_->SortMode = ByNone;
}

void TZipReader::Sort(TZipSortMode mode)
{
    sortedView_.reset();
    if (mode != ByNone && entryList_) {
        sortedView_ = std::make_unique<TSortedZip>(dupAccept, false);
        sortedView_->SortMode = mode;
        sortedView_->SetCapacity(entryList_->Count());
        for (int i = 0; i < entryList_->Count(); ++i)
            sortedView_->Add(entryList_->Entry(i));
    }
    SortMode = mode;
}

void TZipReader::RaiseBadZip(const std::string& message)
{
    ClearZip();
    throw EBadZipFile(message);
}

std::optional<std::string> TZipReader::UnreadableReason(const TZipHeaderInfo& entry)
{
    if (entry.IsZip64())
        return Zip64NotSupported;
    return std::nullopt;
}

void TZipReader::CheckReadable(const TZipHeaderInfo& entry)
{
    if (const std::optional<std::string> reason = UnreadableReason(entry))
        RaiseBadZip(*reason);
}

void TZipReader::PumpMessages()
{
    if (!DoProcessMessages)
        return;
    ZipUI().ProcessMessages();
    if (cancelRequested_) {
        cancelRequested_ = false;
        throw EUserCanceled(LoadStr(IDS_CANCELOPERATION));
    }
}

// ---- The central directory ------------------------------------------------

void TZipReader::ReadCentralDirectory(TStream& stream)
{
    // A fresh read: what an earlier read (or scan) of the archive left goes.
    DropDirectory();
    rebuilt_ = false;
    archiveBase_ = 0;
    bool found = endRecord_.LoadFromStream(stream);
    if (found && endRecord_.IsZip64())
        RaiseBadZip(Zip64NotSupported);
    found = found && EndRecordPlausible(stream);
    if (found)
        FitCentralSize();
    // The first volume of a set may have the directory in a ".zfc" side file.
    const std::unique_ptr<TStream> sideFile = found ? nullptr : OpenZipConfigFile();
    TVolumeStream volumes(*this, stream);
    TStream& in = sideFile ? *sideFile : static_cast<TStream&>(volumes);
    if (found || sideFile)
        PositionAtCentralDirectory(in, sideFile != nullptr);
    else
        HandleMissingEndRecord(stream);
    if (!entryList_)
        NewEntryList();
    ReadCentralHeaders(in);
    if (archiveBase_ > 0 && !rebuilt_)
        CheckArchiveBase(stream, in);
    if (const int overlapping = MarkOverlappingEntries(*entryList_))
        Notice(Format(OverlappingEntries, {IntToStr(overlapping)}));
    // The archive comment of a single file is read on demand (GetZipComment).
    numDisks_ = endRecord_.ThisDisk + 1;
    if (endRecord_.ThisDisk == 0)
        currentDisk_ = 0;
    Sort(SortMode);
}

// An end record whose fields cannot be true was passed over by the search
// (TEndCentral::CanBeTrue); what is left is a disk number of zip64's mark,
// and, on the last volume of a set, a directory that cannot lie on it
// before the record. One whose central size alone is too large, its central
// headers where its offset says, is read (FitCentralSize).
bool TZipReader::EndRecordPlausible(TStream& stream) const
{
    const TEndCentral& end = endRecord_;
    if (end.ThisDisk > MaxDiskNumber)
        return false;
    return end.ThisDisk == 0 || end.ThisDisk != end.CentralDirDisk || end.DirectoryBeforeRecord(stream);
}

// A central directory that the end record says reaches past the record ends
// at the record.
void TZipReader::FitCentralSize()
{
    TEndCentral& end = endRecord_;
    const std::uint64_t recordPosition = end.CommentPosition - EndRecordSize;
    if (end.ThisDisk == end.CentralDirDisk && end.CentralOffset + end.CentralSize > recordPosition)
        end.CentralSize = recordPosition - end.CentralOffset;
}

void TZipReader::PositionAtCentralDirectory(TStream& stream, bool sideFile)
{
    // The side file lies beside the first volume.
    currentDisk_ = sideFile ? 0 : endRecord_.ThisDisk;
    SetMultiMode(endRecord_.ThisDisk == 0 ? mmNone : VolumeSetMode());
    if (endRecord_.ThisDisk > 0)
        ReadVolumeSetComment(stream);
    if (endRecord_.TotalEntries == 0 && endRecord_.CentralSize == 0)
        return;
    if (sideFile) {
        stream.Seek(0, soFromBeginning);
        return;
    }
    if (GetMultiMode() != mmNone && endRecord_.CentralDirDisk != currentDisk_)
        SwapDisk(endRecord_.CentralDirDisk + 1);
    if (GetMultiMode() == mmNone) {
        archiveBase_ = ArchiveBaseOf(stream);
        endRecord_.CentralOffset += archiveBase_;
    }
    stream.Seek(static_cast<std::int64_t>(endRecord_.CentralOffset), soFromBeginning);
}

// The length of what precedes an archive that counts its offsets from its
// own start: 0 unless the central directory is missing where the end record
// says and found right before the end record instead.
std::uint64_t TZipReader::ArchiveBaseOf(TStream& stream) const
{
    const std::uint64_t stated = endRecord_.CentralOffset;
    const std::uint64_t actual = CentralDirectoryBeforeEndRecord();
    if (actual <= stated || CentralHeaderAt(stream, stated) || !CentralHeaderAt(stream, actual))
        return 0;
    return actual - stated;
}

// The central directory lies before the end record, not where the record
// says: either a program in front of the archive makes the difference (each
// local header lies that much further on than its central header says), or
// the record's offset alone is wrong (each lies where its central header
// says). The local headers tell which; when none bears out either, the
// directory is rebuilt from them.
void TZipReader::CheckArchiveBase(TStream& archive, TStream& stream)
{
    // The reading most local headers bear out wins: an entry whose own local
    // header is damaged then fails alone when it is extracted.
    const std::int64_t position = stream.Position();
    const int shifted = LocalHeadersLyingBefore(archive, *entryList_, 0);
    const int asStated = LocalHeadersLyingBefore(archive, *entryList_, archiveBase_);
    if (entryList_->Count() > 0 && shifted == 0 && asStated == 0) {
        RecoverByScan(stream);
        return;
    }
    if (asStated > shifted) {
        for (int i = 0; i < entryList_->Count(); ++i)
            entryList_->Entry(i)->LocalHeaderOffset -= archiveBase_;
        archiveBase_ = 0;
    }
    stream.Seek(position, soFromBeginning);
}

std::uint64_t TZipReader::CentralDirectoryBeforeEndRecord() const
{
    return endRecord_.CommentPosition - EndRecordSize - endRecord_.CentralSize;
}

void TZipReader::HandleMissingEndRecord(TStream& stream)
{
    endRecord_.Clear();
    if (OnInCompleteZip)
        OnInCompleteZip(*this, IncompleteZipMode);
    if (IncompleteZipMode == izAssumeNotAZip)
        throw ENotAZipFile(LoadStr(IDS_INVALIDZIP));
    if (IncompleteZipMode == izAssumeMulti)
        throw EIncompleteZip(LoadStr(IDS_INCOMPLETEZIP));
    if (!ScanLocalHeaders(stream, std::nullopt))
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
}

// The central headers up to the end record's count, then as many more as
// its directory's size still holds: a count that old writers without zip64
// wrapped past 65535, or that is merely wrong, never lists the directory
// short. Past the count the directory may end early, at the end record.
void TZipReader::ReadCentralHeaders(TStream& stream)
{
    // The scan has read what survives of the central directory.
    if (rebuilt_)
        return;
    ReserveEntries(stream);
    TCentralReadState state;
    std::uint64_t held = 0;
    for (int i = 0; i < endRecord_.TotalEntries || HoldsMoreHeaders(held); ++i) {
        std::unique_ptr<TZipHeaderInfo> entry = NewHeaderInfo();
        if (!ReadCentralHeader(stream, *entry, state)) {
            if (i >= endRecord_.TotalEntries && EndRecordNext(stream))
                return;
            RecoverByScan(stream);
            return;
        }
        if (i == MaxEntries)
            RaiseBadZip(TooManyEntries);
        CheckReadable(*entry);
        held += entry->CentralSize();
        entry->LocalHeaderOffset += archiveBase_;
        // Past the extra field and the comment, to the next header.
        if (endRecord_.ThisDisk > 0)
            ReadEntryComment(stream, *entry);
        else
            stream.Seek(entry->CentralExtraLength + static_cast<std::int64_t>(entry->CommentLength()), soFromCurrent);
        if (const int listed = entryList_->IndexOf(entry.get()); listed >= 0) {
            // The local header is the listed entry's, not this one's.
            const std::string name = entryList_->Entry(listed)->FullName();
            RecoverByScan(stream);
            Notice(Format(DuplicateLocalHeader, {name}));
            return;
        }
        if (entry->CentralExtraLength > 0)
            state = TCentralReadState{entry->CentralExtraLength, entry.get()};
        entryList_->Add(std::move(entry));
    }
}

// Whether the directory's size holds another central header beyond the held
// bytes of those read. After a scan only the scan's count is read.
bool TZipReader::HoldsMoreHeaders(std::uint64_t held) const
{
    return !rebuilt_ && held + CentralHeaderSize <= endRecord_.CentralSize;
}

// The list grows once, to the stored count, but never beyond the number of
// the smallest central headers that the rest of the file can hold: the count
// is untrusted.
void TZipReader::ReserveEntries(TStream& stream)
{
    const std::int64_t rest = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
    const std::int64_t fit = rest / static_cast<std::int64_t>(CentralHeaderSize);
    const auto reserved = static_cast<int>(std::min<std::int64_t>(endRecord_.TotalEntries, fit));
    entryList_->SetCapacity(std::max(entryList_->Count(), reserved));
}

bool TZipReader::ReadCentralHeader(TStream& stream, TZipHeaderInfo& entry, TCentralReadState& state)
{
    // A header straddling two volumes is read on through TVolumeStream.
    bool read = entry.ReadCentralFromStream(stream);
    if (!read && state.LastExtra > 0) {
        stream.Seek(-static_cast<std::int64_t>(state.LastExtra), soFromCurrent);
        read = entry.ReadCentralFromStream(stream);
        if (read && state.PreviousEntry)
            state.PreviousEntry->CentralExtraLength = 0;
        else if (!read)
            stream.Seek(state.LastExtra, soFromCurrent);
    }
    state = TCentralReadState{};
    return read;
}
