// The archive build: the one routine behind every write of the engine.
//
// A name that no file holds yet is written straight to its name (a direct
// build; on failure the unfinished file is deleted). Listed names of which
// none is left to add write nothing. An existing archive is
// never patched: the new archive goes into a temporary file beside it, in the
// same folder and so on the same file system. Each old entry is carried over
// in its old place, copied raw (no recompression) or replaced by the listed
// file that matches it, behind whatever preceded the first entry (a
// self-extractor's program); the remaining listed names follow, then the central
// directory and the end record. The temporary file is forced to disk, given
// the old archive's permissions and renamed over it in one step. Any failure
// before that rename deletes the temporary file and leaves the old archive as
// it was; the rename itself replaces it whole or not at all.
//
// The temporary file has no name until it is complete (files/UnnamedFile.h),
// so an update that is killed leaves nothing behind; where the file system
// has no unnamed files, it is a named one from the start.
#include "ZipWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "Exceptions.h"
#include "Format.h"
#include "LittleEndian.h"
#include "ScopeExit.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "files/FileNameParts.h"
#include "files/OutputFile.h"
#include "files/UnnamedFile.h"
#include "files/ZipLib.h"
#include "records/StoredEntrySpan.h"
#include "records/ZipSignatures.h"

namespace {

constexpr int MaxEntries = 0xFFFF;

std::optional<TFileStamp> StampOfFile(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const std::optional<TFileStamp> stamp = FileStampOf(fd);
    ::close(fd);
    return stamp;
}

} // namespace

int TZipWriter::BuildArchive()
{
    addedCount_ = 0;
    cancelRequested_ = false;
    if (TrimBlanks(GetZipName()).empty())
        return 0;
    const TZipSortMode savedSortMode = SortMode;
    const bool savedKeepZipOpen = KeepZipOpen;
    TScopeExit restore([&] {
        newEntry_.reset();
        newNames_.reset();
        newEntries_.reset();
        centralExtras_.clear();
        newEndRecord_.Clear();
        disposeList_.clear();
        KeepZipOpen = savedKeepZipOpen;
        Sort(savedSortMode);
        CloseZip();
        FilesList().clear();
    });
    currentDisk_ = 0;
    KeepZipOpen = true;
    Sort(ByNone);
    if (!streamMode_ && !FilesList().empty()) {
        ExpandFilesList();
        // Names that leave nothing to add change nothing: no new archive is
        // made and an existing one stays as it is, unless its comments
        // changed.
        if (FilesList().empty() && !endRecord_.CommentChanged)
            return 0;
    }
    // Volumes are always written anew.
    tempFileBuild_ = !VolumeMode() && LFNFileExists(GetZipName());
    try {
        WriteArchive();
    } catch (...) {
        if (VolumeMode())
            AbandonVolumes();
        else
            AbandonOutput();
        throw;
    }
    // A self-extractor leaves its archive as it was: the reader keeps that
    // archive's directory.
    if (!stub_)
        AdoptNewDirectory();
    if (Dispose)
        DisposeSourceFiles();
    SetNumDisks(endRecord_.ThisDisk + 1);
    SaveZipInfoOnFirstVolume();
    if (OnTotalPercentDone)
        OnTotalPercentDone(*this, 100);
    return addedCount_;
}

void TZipWriter::WriteArchive()
{
    deflater_.AllocDeflateBuffers();
    if (tempFileBuild_)
        OpenZip();
    OpenOutput();
    if (tempFileBuild_ && !stub_)
        CopyPreamble();
    // One allocation for the lists, however many entries they get.
    const int capacity = std::min(GetCount() + static_cast<int>(FilesList().size()), MaxEntries + 1);
    newNames_->SetCapacity(capacity);
    newEntries_->SetCapacity(capacity);
    if (tempFileBuild_)
        UpdateExistingEntries();
    StartZipInfo();
    if (VolumeMode())
        StartVolumes();
    AddListedNames();
    WriteCentralDirectory();
    output_->Close();
    if (tempFileBuild_ && outputFileName_.empty())
        outputFileName_ = NameUnnamedFile(output_->Handle(), ExtractFilePath(GetZipName()));
    output_.reset();
    if (VolumeMode())
        FinishVolumes();
    if (tempFileBuild_)
        ReplaceArchiveWithTemp();
    outputFileName_.clear();
    deflater_.FreeDeflateBuffers();
}

void TZipWriter::OpenOutput()
{
    if (VolumeMode()) {
        CreateVolume(FirstVolumeName());
    } else if (tempFileBuild_) {
        output_ = OpenTemporaryOutput();
    } else {
        output_ = std::make_unique<TArchiveOutput>(GetZipName(), StreamBufferSize, FlushFilesOnClose);
        outputFileName_ = GetZipName();
    }
    if (stub_)
        output_->CopyFrom(*stub_, 0);
    newNames_ = std::make_unique<TSortedZip>(dupAccept, false);
    newNames_->SortMode = ByName;
    newEntries_ = std::make_unique<TSortedZip>(dupError);
    newEntries_->SortMode = ByNone;
    newEndRecord_.Clear();
    if (tempFileBuild_ || endRecord_.CommentChanged) {
        if (endRecord_.HasComment() && !endRecord_.ZipComment())
            GetZipComment();
        newEndRecord_.Assign(endRecord_);
        newEndRecord_.EntriesThisDisk = 0;
        newEndRecord_.TotalEntries = 0;
        newEndRecord_.CommentChanged = false;
    }
}

std::unique_ptr<TArchiveOutput> TZipWriter::OpenTemporaryOutput()
{
    // The temporary file is forced to disk before it replaces the archive,
    // so a failing disk shows here and not after the old archive is gone.
    const std::string folder = ExtractFilePath(GetZipName());
    if (std::optional<TFileHandle> unnamed = OpenUnnamedFile(folder))
        return std::make_unique<TArchiveOutput>(std::move(*unnamed), GetZipName(), StreamBufferSize, true);
    outputFileName_ = GetTempZipFileName(folder);
    return std::make_unique<TArchiveOutput>(outputFileName_, StreamBufferSize, true);
}

// ---- The update pass -------------------------------------------------------

// What precedes the first entry, such as the program of a self-extracting
// archive, stays in front of it.
void TZipWriter::CopyPreamble()
{
    if (entryList_->Count() == 0)
        return;
    std::uint64_t first = entryList_->Entry(0)->LocalHeaderOffset;
    for (int i = 1; i < entryList_->Count(); ++i)
        first = std::min(first, entryList_->Entry(i)->LocalHeaderOffset);
    if (first == 0)
        return;
    archiveStream_->Seek(0, soFromBeginning);
    output_->CopyFrom(*archiveStream_, static_cast<std::int64_t>(first));
}

void TZipWriter::UpdateExistingEntries()
{
    for (int i = 0; i < entryList_->Count(); ++i)
        UpdateOldEntry(i);
}

void TZipWriter::UpdateOldEntry(int index)
{
    if (entryList_->Entry(index)->HasComment())
        GetFileComment(index);
    std::unique_ptr<TZipHeaderInfo> entry = NewHeaderInfo();
    entry->Assign(*entryList_->Entry(index));
    std::string centralExtra = ReadCentralExtra(*entry);
    std::vector<std::string>& files = FilesList();
    for (std::size_t j = 0; j < files.size(); ++j) {
        if (!MatchesEntry(files[j], *entry))
            continue;
        const bool notOlder = TimeToDosDateTime(GetDateTime(index)) >= GetFileDateTime(files[j]);
        if (!streamMode_ && ZipAction != zaReplace && notOlder) {
            if (Dispose)
                disposeList_.push_back(files[j]);
            RemoveListed(static_cast<int>(j));
            if (OnUpdate)
                OnUpdate(*this, uaKeep, index);
            break;
        }
        if (OnUpdate)
            OnUpdate(*this, uaReplace, index);
        const bool added = AddListed(static_cast<int>(j));
        RemoveListed(static_cast<int>(j));
        if (added)
            return;
        // The replacement was refused (skipped, or its source could not be
        // opened): the old entry stays rather than being lost.
        break;
    }
    CheckRoomForEntry();
    CopyExistingEntry(*entry);
    RegisterKeptEntry(std::move(entry), std::move(centralExtra));
}

bool TZipWriter::MatchesEntry(const std::string& Name, const TZipHeaderInfo& entry) const
{
    // The stored directory is worked out from the name as listed (RootDir
    // is compared exactly, as Linux compares file names), then both sides
    // are compared without regard to the case of A to Z, as the archive's
    // names are.
    const std::string key = AsciiLowerCase(StoredPathOf(Name) + ExtractFileName(Name));
    return key == AsciiLowerCase(entry.Directory() + entry.Filename());
}

std::string TZipWriter::StoredPathOf(const std::string& Name) const
{
    if (!storePaths_)
        return "";
    std::string dir = ExtractFileDir(Name) + "/";
    if (dir.size() > 1 && dir.ends_with("//"))
        dir.pop_back();
    const std::string& root = RootDir();
    if (!root.empty() && relativePaths_ && dir.starts_with(root))
        dir = dir == root ? std::string() : dir.substr(root.size());
    // Without the volume there is no drive part to drop here, only the
    // leading "/" that makes the path absolute.
    if (!storeVolumes_ && !dir.empty() && dir.front() == '/')
        dir.erase(0, 1);
    return dir;
}

void TZipWriter::RemoveListed(int index)
{
    FilesList().erase(FilesList().begin() + index);
    if (streamMode_)
        streamEntries_.erase(streamEntries_.begin() + index);
}

std::string TZipWriter::ReadCentralExtra(TZipHeaderInfo& entry)
{
    // An entry the recovery scan found has no central header to copy from.
    if (entry.CentralHeaderOffset == 0)
        entry.CentralExtraLength = 0;
    if (entry.CentralExtraLength == 0)
        return "";
    TStream& in = *archiveStream_;
    std::array<std::uint8_t, CentralHeaderSize> header{};
    in.Seek(static_cast<std::int64_t>(entry.CentralHeaderOffset), soFromBeginning);
    if (in.Read(header.data(), CentralHeaderSize) != static_cast<std::int64_t>(CentralHeaderSize) ||
        GetU32(header.data()) != CentralSignature() || GetU16(header.data() + 30) != entry.CentralExtraLength)
        RaiseEntryOutsideArchive(entry);
    in.Seek(GetU16(header.data() + 28), soFromCurrent);
    std::string extra(entry.CentralExtraLength, '\0');
    if (in.Read(extra.data(), entry.CentralExtraLength) != entry.CentralExtraLength)
        RaiseEntryOutsideArchive(entry);
    return extra;
}

void TZipWriter::CopyExistingEntry(TZipHeaderInfo& entry)
{
    TStream& in = *archiveStream_;
    const TStoredEntrySpan span = LocateStoredEntry(in, entry);
    entry.LocalExtraLength = span.LocalExtraLength;
    entry.SaveLocalToStream(*output_);
    if (span.Length > 0) {
        in.Seek(static_cast<std::int64_t>(span.Start), soFromBeginning);
        output_->CopyFrom(in, static_cast<std::int64_t>(span.Length));
    }
}

// ---- Adding the listed names -------------------------------------------------

void TZipWriter::StartZipInfo()
{
    if (FilesList().empty())
        return;
    if (streamMode_) {
        totalBytes_ = doneBytes_ = 0;
        for (const TStreamEntry& entry : streamEntries_)
            totalBytes_ += entry.Stored ? static_cast<std::int64_t>(entry.Stored->Bytes.size()) : entry.Stream->Size();
    }
    bool stopNow = false;
    if (OnStartZipInfo)
        OnStartZipInfo(*this, static_cast<int>(FilesList().size()), totalBytes_, newEndRecord_, stopNow);
    if (stopNow)
        throw EUserCanceled(LoadStr(IDS_CANCELZIPOPERATION));
}

void TZipWriter::AddListedNames()
{
    const std::size_t count = FilesList().size();
    for (std::size_t i = 0; i < count; ++i)
        AddListed(static_cast<int>(i));
}

bool TZipWriter::AddListed(int index)
{
    CheckRoomForEntry();
    newEntry_ = NewHeaderInfo();
    const TStreamEntry* stream = streamMode_ ? &streamEntries_[static_cast<std::size_t>(index)] : nullptr;
    if (!AddOneEntry(FilesList()[static_cast<std::size_t>(index)], stream)) {
        newEntry_.reset();
        return false;
    }
    RegisterNewEntry(index);
    return true;
}

void TZipWriter::RegisterNewEntry(int index)
{
    ++addedCount_;
    TZipHeaderInfo* entry = newEntry_.get();
    newEntries_->Add(std::move(newEntry_));
    newNames_->Add(entry);
    // A stream's name names no file of the caller's to delete.
    if (Dispose && !streamMode_)
        disposeList_.push_back(FilesList()[static_cast<std::size_t>(index)]);
}

void TZipWriter::RegisterKeptEntry(std::unique_ptr<TZipHeaderInfo> entry, std::string centralExtra)
{
    TZipHeaderInfo* kept = entry.get();
    if (!centralExtra.empty())
        centralExtras_[kept] = std::move(centralExtra);
    newEntries_->Add(std::move(entry));
    newNames_->Add(kept);
}

void TZipWriter::CheckRoomForEntry() const
{
    if (newEntries_->Count() >= MaxEntries)
        throw EWriteError("More than 65535 entries cannot be stored in a zip archive");
}

// ---- Finishing -------------------------------------------------------------

void TZipWriter::WriteCentralDirectory()
{
    if (VolumeMode()) {
        WriteVolumeDirectory();
        return;
    }
    const std::int64_t start = output_->Position();
    newEndRecord_.CentralOffset = static_cast<std::uint64_t>(start);
    newEndRecord_.CentralDirDisk = 0;
    for (int i = 0; i < newEntries_->Count(); ++i) {
        TZipHeaderInfo& entry = *newEntries_->Entry(i);
        const auto extra = centralExtras_.find(&entry);
        entry.CentralHeaderOffset = static_cast<std::uint64_t>(output_->Position());
        entry.SaveCentralToStream(*output_, extra == centralExtras_.end() ? std::string_view() : extra->second);
    }
    newEndRecord_.CentralSize = static_cast<std::uint64_t>(output_->Position() - start);
    newEndRecord_.ThisDisk = 0;
    newEndRecord_.EntriesThisDisk = static_cast<std::uint16_t>(newEntries_->Count());
    newEndRecord_.TotalEntries = static_cast<std::uint16_t>(newEntries_->Count());
    newEndRecord_.SaveToStream(*output_);
}

void TZipWriter::ReplaceArchiveWithTemp()
{
    archiveStream_.reset();
    const std::string& target = stub_ ? selfExtractorTarget_ : GetZipName();
    // An archive keeps its permissions; a program is made as a new file
    // that may be run.
    struct stat old {};
    if (stub_)
        ::chmod(outputFileName_.c_str(), ProgramFileMode());
    else if (::stat(target.c_str(), &old) == 0)
        ::chmod(outputFileName_.c_str(), old.st_mode & 07777);
    if (!RenameReplacing(outputFileName_, target)) {
        MoveFileOrCopy(outputFileName_, target);
        ::unlink(outputFileName_.c_str());
    }
}

void TZipWriter::AdoptNewDirectory()
{
    archiveStream_.reset();
    endRecord_.Assign(newEndRecord_);
    sortedView_.reset();
    entryList_ = std::move(newEntries_);
    directoryStamp_ = StampOfFile(GetZipName());
    rebuilt_ = false;
    // The open volume of a set is its last, which holds the directory.
    currentDisk_ = endRecord_.ThisDisk;
    selectedCount_ = 0;
    for (int i = 0; i < entryList_->Count(); ++i)
        selectedCount_ += entryList_->Entry(i)->Selected ? 1 : 0;
}

void TZipWriter::AbandonOutput()
{
    deflater_.FreeDeflateBuffers();
    output_.reset();
    if (!outputFileName_.empty())
        ::unlink(outputFileName_.c_str());
    outputFileName_.clear();
}

void TZipWriter::DisposeSourceFiles()
{
    for (const std::string& name : disposeList_) {
        bool skip = false;
        if (OnDisposeFile)
            OnDisposeFile(*this, name, skip);
        if (!skip)
            ::unlink(name.c_str());
    }
    disposeList_.clear();
}
