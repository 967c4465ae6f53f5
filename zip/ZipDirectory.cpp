// Reading the archive directory into the reader component.
//
// The end record (found by TEndCentral::LoadFromStream) points to the central
// directory, which is read header by header into the directory list. When
// there is no usable end record, IncompleteZipMode decides: a volume of a set
// (EIncompleteZip), no archive (ENotAZipFile), or a damaged archive, which the
// recovery scan rebuilds from its local headers. A central header that cannot
// be read, or that names a local header already listed, also starts the scan.
// After a scan the central headers that follow the last local entry, when
// there are any, only complete the entries the scan found.
//
// Whatever the bytes, a read ends in a directory or in an exception: a file
// that is not an archive never reads as an empty one (only an empty file is
// an archive without entries). Zip64 archives are refused with their own
// message, as this engine cannot read their sizes and offsets.
#include "ZipReader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "LocalHeaderScan.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipUI.h"

namespace {

const char* const Zip64NotSupported = "Zip64 archives are not supported";

// The recovery scan of a self-extracting program starts behind its stub.
constexpr std::int64_t SelfExtractorStubSize = 14000;

bool HasExeExtension(const std::string& fileName)
{
    std::string extension = std::filesystem::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".EXE";
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
    const std::optional<TFileStamp> stamp = FileStampOf(GetFileStreamHandle(*archiveStream_));
    if (entryList_ && stamp && stamp == directoryStamp_)
        return;
    ReadCentralDirectory(*archiveStream_);
    directoryStamp_ = stamp;
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

void TZipReader::CheckReadable(const TZipHeaderInfo& entry)
{
    if (entry.IsZip64())
        RaiseBadZip(Zip64NotSupported);
    if (entry.Damaged())
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
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
    bool found = endRecord_.LoadFromStream(stream);
    if (found && endRecord_.IsZip64())
        RaiseBadZip(Zip64NotSupported);
    found = found && EndRecordPlausible(stream);
    // A multi-volume archive may keep its end record and central headers in
    // a ".zfc" side file beside its last volume; reading that plugs in here,
    // with the volumes.
    if (found)
        PositionAtCentralDirectory(stream);
    else
        HandleMissingEndRecord(stream);
    if (!entryList_)
        NewEntryList();
    ReadCentralHeaders(stream);
    // The archive comment is read on demand (GetZipComment). A multi-volume
    // archive will read it here, while its last volume is at hand.
    numDisks_ = endRecord_.ThisDisk + 1;
    currentDisk_ = endRecord_.ThisDisk;
    Sort(SortMode);
}

// An end record found in random bytes, or one whose central directory cannot
// lie before it, is taken for no end record at all.
bool TZipReader::EndRecordPlausible(TStream& stream) const
{
    const TEndCentral& end = endRecord_;
    if (end.ThisDisk > 999 || end.CentralDirDisk > 999 || end.ThisDisk < end.CentralDirDisk)
        return false;
    if (stream.Size() == 0)
        return true;
    if (end.TotalEntries == 0 && end.CentralSize != 0)
        return false;
    const std::uint64_t recordPosition = end.CommentPosition - EndRecordSize;
    return end.ThisDisk != end.CentralDirDisk || end.CentralOffset + end.CentralSize <= recordPosition;
}

void TZipReader::PositionAtCentralDirectory(TStream& stream)
{
    currentDisk_ = endRecord_.ThisDisk;
    // Without drive letters there is no removable drive to span: a volume
    // set on Linux is always a set of files.
    SetMultiMode(endRecord_.ThisDisk == 0 ? mmNone : mmBlocks);
    if (endRecord_.TotalEntries == 0)
        return;
    // Loading the volume that holds the central directory plugs in here,
    // with the volumes; until then that directory is out of reach.
    if (GetMultiMode() != mmNone && endRecord_.CentralDirDisk != currentDisk_)
        throw EIncompleteZip(LoadStr(IDS_INCOMPLETEZIP));
    stream.Seek(static_cast<std::int64_t>(endRecord_.CentralOffset), soFromBeginning);
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
    if (!ScanLocalHeaders(stream))
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
}

void TZipReader::ReadCentralHeaders(TStream& stream)
{
    TCentralReadState state;
    for (int i = 0; i < endRecord_.TotalEntries;) {
        std::unique_ptr<TZipHeaderInfo> entry = NewHeaderInfo();
        if (!ReadCentralHeader(stream, *entry, state)) {
            // After a scan the directory simply ends here.
            if (rebuilt_)
                return;
            RecoverByScan(stream);
            i = 0;
            continue;
        }
        CheckReadable(*entry);
        // Past the extra field and the comment, to the next header.
        stream.Seek(entry->CentralExtraLength + static_cast<std::int64_t>(entry->CommentLength()), soFromCurrent);
        if (rebuilt_) {
            CompleteScannedEntry(*entry);
        } else if (entryList_->IndexOf(entry.get()) >= 0) {
            RecoverByScan(stream);
            i = 0;
            continue;
        } else {
            if (entry->CentralExtraLength > 0)
                state = TCentralReadState{entry->CentralExtraLength, entry.get()};
            entryList_->Add(std::move(entry));
        }
        ++i;
    }
}

bool TZipReader::ReadCentralHeader(TStream& stream, TZipHeaderInfo& entry, TCentralReadState& state)
{
    // The next-volume callback of multi-volume archives plugs in here.
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

// A central header read after a scan completes the entry found at its local
// header; one that names no entry found is passed over.
void TZipReader::CompleteScannedEntry(const TZipHeaderInfo& read)
{
    const int index = entryList_->IndexOf(&read);
    if (index < 0)
        return;
    TZipHeaderInfo& listed = *entryList_->Entry(index);
    const std::uint64_t offset = listed.LocalHeaderOffset;
    listed.Assign(read);
    listed.LocalHeaderOffset = offset;
}

// ---- The recovery scan ----------------------------------------------------

void TZipReader::RecoverByScan(TStream& stream)
{
    // A volume set cannot be scanned from one of its files.
    if (GetMultiMode() != mmNone || !ScanLocalHeaders(stream))
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
}

std::int64_t TZipReader::ScanStart() const { return HasExeExtension(zipName_) ? SelfExtractorStubSize : 0; }

// Lists the entries whose local headers follow each other from the first one
// found. Runs at most once per directory read. True when it found any.
bool TZipReader::ScanLocalHeaders(TStream& stream)
{
    if (rebuilt_)
        return false;
    rebuilt_ = true;
    DropDirectory();
    stream.Seek(ScanStart(), soFromBeginning);
    if (!FindLocalHeader(stream, [this] { PumpMessages(); }))
        return false;
    NewEntryList();
    for (;;) {
        std::unique_ptr<TZipHeaderInfo> entry = NewHeaderInfo();
        if (!entry->ReadLocalFromStream(stream))
            break;
        if (entry->IsZip64())
            RaiseBadZip(Zip64NotSupported);
        if (!SkipEntryData(stream, *entry))
            break;
        CheckReadable(*entry);
        entryList_->Add(std::move(entry));
    }
    if (entryList_->Count() == 0)
        return false;
    endRecord_.ThisDisk = 0;
    endRecord_.CentralDirDisk = 0;
    currentDisk_ = 0;
    endRecord_.CentralOffset = static_cast<std::uint64_t>(stream.Position());
    // The count bounds the central headers read after the scan; more entries
    // than the end record can count need zip64, which is refused anyway.
    endRecord_.TotalEntries = static_cast<std::uint16_t>(std::min(entryList_->Count(), 0xFFFF));
    numDisks_ = 1;
    return true;
}

// Moves the stream from the end of a local header's name to the next local
// header. An entry with a data descriptor has its sizes there: they are taken
// from it. False when the entry's data has no end.
bool TZipReader::SkipEntryData(TStream& stream, TZipHeaderInfo& entry)
{
    const std::int64_t dataStart = stream.Position() + entry.LocalExtraLength;
    if (!entry.HasDataDescriptor()) {
        stream.Seek(dataStart + static_cast<std::int64_t>(entry.CompressedSize), soFromBeginning);
        return true;
    }
    const std::optional<TDataDescriptor> descriptor =
        FindDataDescriptor(stream, dataStart, [this] { PumpMessages(); });
    if (!descriptor)
        return false;
    entry.CRC32 = descriptor->CRC32;
    entry.CompressedSize = descriptor->CompressedSize;
    entry.UncompressedSize = descriptor->UncompressedSize;
    stream.Seek(descriptor->End, soFromBeginning);
    return true;
}
