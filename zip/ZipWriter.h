// The archive writer component: everything the reader has, plus the
// settings, events and operations that create and update archives.
//
// Every write is one build (write/BuildArchive.cpp): the names in FilesList
// (or the caller's streams) are expanded (write/FileListExpansion.cpp) and
// added one entry at a time (write/AddEntry.cpp) behind the old archive's
// entries, which are copied unchanged or replaced in place. An existing
// archive is never patched: the
// new one is written to a temporary file in the archive's own folder, forced
// to disk and renamed over the old one, so a failure at any point leaves the
// old archive byte for byte as it was and no temporary file behind.
//
// Failures are exceptions: ENotEnoughRoom "Not enough room to write archive"
// when the output cannot take the bytes (at a write, a flush or the close),
// EUserCanceled "User canceled Zip operation" (OnStartZipInfo's StopNow) or
// "User Aborted Operation" (Cancel while messages are pumped), EBadZipFile
// for an old entry that cannot be copied, EWriteError for a size, position,
// name or entry count the zip format cannot hold (this engine writes no
// zip64), EReadError for a password-protected file that changed while it was
// read, and the stream errors of the sources and of the old archive.
//
// With MultiZipInfo().MultiMode other than mmNone a build writes the listed
// names anew onto volumes (volumes/): numbered block files beside ZipName,
// or one file on each disk of a span, with the ".zfc" side file when
// SaveZipInfoOnFirstDisk asks for it. A one-block set ends as ZipName itself;
// of several blocks ZipName names the last. A failed volume build removes
// every volume it created and nothing else. Volume failures: ENotEnoughRoom
// for a volume without room or a record larger than a fresh volume,
// EUserCanceled "User canceled Zip operation" when OnGetNextDisk gives no
// name or, on a span, is not assigned.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LFNFileStream.h"
#include "ZipReader.h"
#include "ZipWriterTypes.h"
#include "crc/Crc32.h"
#include "crypt/ZipCrypt.h"
#include "deflate/Deflate.h"
#include "files/ArchiveOutput.h"
#include "files/SearchRec.h"
#include "lists/SortedZip.h"
#include "records/ZipRecords.h"
#include "volumes/CreatedFiles.h"

class TZipWriter : public TZipReader {
public:
    TZipWriter();

    // ---- Settings ----------------------------------------------------------

    // 0 stores, 1 to 9 are deflate levels.
    int PackLevel = 6;
    // Wildcard names walk their subfolders too.
    bool Recurse = false;
    // A name of FilesList that names a file or folder is that one, whatever
    // characters it holds; one that holds "*", "?", "<", ">" or "|" and
    // names nothing is a wildcard pattern. Off, every name is taken as it is
    // (one that names nothing goes to OnNoSuchFile).
    bool ExpandWildcards = true;
    // Deletes each source file after a successful build.
    bool Dispose = false;

    // The stored directory of an entry: none, the path (StorePaths), the path
    // below RootDir (RelativePaths), or the path with its leading "/"
    // (StoreVolumes). The setters keep them consistent: StoreVolumes and
    // RelativePaths turn StorePaths on (RelativePaths also Recurse), and
    // StorePaths off turns both off.
    bool StorePaths() const { return storePaths_; }
    void SetStorePaths(bool value);
    bool RelativePaths() const { return relativePaths_; }
    void SetRelativePaths(bool value);
    bool StoreVolumes() const { return storeVolumes_; }
    void SetStoreVolumes(bool value);

    TZipAction ZipAction = zaUpdate;

    TMultiZipInfo& MultiZipInfo() { return multiZipInfo_; }
    const TMultiZipInfo& MultiZipInfo() const { return multiZipInfo_; }
    void SetMultiZipInfo(const TMultiZipInfo& value) { multiZipInfo_.Assign(value); }

    // Linux names have one form only: names are stored as they are.
    bool Store83Names = false;
    // The folder for the temporary files of volume writing.
    std::string TempPath;
    // Linux files have no archive attribute: every file counts as having it,
    // so these two change nothing.
    bool SkipIfArchiveBitNotSet = false;
    bool ResetArchiveBitOnZip = false;

    // Wildcard patterns, any letter case: a pattern holding "/" is matched
    // against the whole path, any other against the name alone.
    // ExcludeList: files never zipped; NoCompressList: files stored as they are.
    std::vector<std::string>& ExcludeList() { return excludeList_; }
    void SetExcludeList(const std::vector<std::string>& list) { excludeList_ = list; }
    std::vector<std::string>& NoCompressList() { return noCompressList_; }
    void SetNoCompressList(const std::vector<std::string>& list) { noCompressList_ = list; }

    // An entry for each folder met while recursing.
    bool AddDirEntriesOnRecurse = false;

    // The writer keeps both in MultiZipInfo and mirrors them into the
    // reader's copies.
    TMultiMode GetMultiMode() const override { return multiZipInfo_.MultiMode; }
    void SetMultiMode(TMultiMode value) override;
    bool GetCheckDiskLabels() const override { return multiZipInfo_.CheckDiskLabels; }
    void SetCheckDiskLabels(bool value) override;

    // Copies the reader's half (TZipReader::Assign), then the writer's
    // settings and its events but OnPrepareNextDisk, OnRecursingFile and
    // OnEncrypt; the coupled settings as they are. From a plain reader, the
    // reader's half alone.
    using TZipReader::Assign;
    void Assign(const TZipWriter& source);
    // After MultiZipInfo's fields were set directly: brings the reader's
    // copies of the mode and of the check-labels flag up to date.
    void Loaded();

    // ---- Events ------------------------------------------------------------

    TZipComplete OnZipComplete;
    TStartZipInfo OnStartZipInfo;
    TStartZipEvent OnStartZip;
    TDisposeEvent OnDisposeFile;
    TEndZipFileEvent OnEndZip;
    // Kept for programs that assign it; no operation fires it.
    TDeleteEvent OnDeleteEntry;
    TNoSuchFileEvent OnNoSuchFile;
    // (The reader's OnSkippingFile also tells of each file the writer leaves
    // out, EntryFailure saying why: a source that cannot be opened, a folder
    // or file the walk cannot read with the system's reason, one that is no
    // regular file or folder, walked or named (a FIFO, a link to a folder or
    // to nothing), a name already stored.)
    TUpdateEvent OnUpdate;
    TPrepareNextDisk OnPrepareNextDisk;
    TOnRecursingFile OnRecursingFile;
    // In place of the built-in cipher for the entry data (not for the
    // 12-byte encryption header).
    TEncryptEvent OnEncrypt;

    // ---- Operations --------------------------------------------------------

    // Zips FilesList into ZipName; fires OnZipComplete with the number of
    // files added and returns it. FilesList is empty afterwards, also when
    // an exception passes (and OnZipComplete is not fired then).
    int ZipListedFiles();
    // The whole content of Stream as the entry Name, in one build; 0 and
    // nothing done for a blank Name or a null Stream. The stream stays the
    // caller's.
    int AddStreamEntry(TStream* Stream, const std::string& Name);
    // Several caller's streams in one build: the archive lists the same
    // entries with the same data as one AddStreamEntry call per stream, in
    // order, with each entry's own password, but is written once. Entries
    // with a blank name or a null stream are left out. Names are distinct
    // within one call: a repeated name is refused as a duplicate
    // (OnSkippingFile) where single calls would replace the entry. An entry
    // with Stored is copied as stored (see TStreamEntry).
    int AddStreamEntries(const std::vector<TStreamEntry>& entries);

    // Writes the archive ZipName names, as it is, behind a copy of the stub
    // program into ZipName with the extension ".EXE" (replacing an older
    // one only once the new one is complete), with every offset counted from
    // the start of that file, and makes it executable. The archive and the
    // loaded directory stay as they were; FilesList is emptied. Nothing is
    // done for a blank ZipName. EFOpenError when ZipName names no file or
    // the stub cannot be opened, EWriteError for a multi-volume archive,
    // EFCreateError when the program would be the archive itself; the
    // archive's and the build's exceptions pass. The flag has no effect.
    void MakeSelfExtractor(const std::string& stubFileName, bool = true);

    // Whether FileName matches a pattern of ExcludeList / NoCompressList.
    bool IsExcluded(const std::string& FileName) const;
    bool IsNoCompress(const std::string& FileName) const;

private:
    class TEntryDataIO;

    // ---- The build (write/BuildArchive.cpp) ----
    int BuildArchive();
    void WriteArchive();
    void OpenOutput();
    // The unnamed temporary file of an update, or a named one (then in
    // outputFileName_) where the file system has no unnamed files.
    std::unique_ptr<TArchiveOutput> OpenTemporaryOutput();
    void CopyPreamble();
    void UpdateExistingEntries();
    void UpdateOldEntry(int index);
    bool MatchesEntry(const std::string& Name, const TZipHeaderInfo& entry) const;
    std::string StoredPathOf(const std::string& Name) const;
    void StartZipInfo();
    void AddListedNames();
    bool AddListed(int index);
    void RegisterNewEntry(int index);
    void RegisterKeptEntry(std::unique_ptr<TZipHeaderInfo> entry, std::string centralExtra);
    void CheckRoomForEntry() const;
    void RemoveListed(int index);
    std::string ReadCentralExtra(TZipHeaderInfo& entry);
    void CopyExistingEntry(TZipHeaderInfo& entry);
    void WriteCentralDirectory();
    void ReplaceArchiveWithTemp();
    void AdoptNewDirectory();
    void AbandonOutput();
    void DisposeSourceFiles();

    // ---- Volumes (volumes/WriteVolumes.cpp, CopyToVolumes.cpp,
    // VolumeDirectory.cpp, ZipConfigFile.cpp) ----
    bool VolumeMode() const { return multiZipInfo_.MultiMode != mmNone; }
    std::int64_t FreeSpaceOnArchiveDrive() const;
    std::int64_t RoomLeftOnVolume();
    std::string FirstVolumeName() const;
    // Sets the room of the first volume; ENotEnoughRoom when there is none.
    void StartVolumes();
    std::int64_t ZipConfigReserve() const;
    void CreateVolume(const std::string& name);
    // Moves to the next volume unless size bytes fit in the room left (with
    // roomBehind, and some room after them); true when it moved.
    bool MakeRoomFor(std::uint64_t size, bool roomBehind);
    void NextVolume();
    std::string AskForNextDisk();
    void WriteDiskLabel();
    void FinishVolumes();
    void AbandonVolumes();
    // Where an entry's data go: the volume temp file while one is open.
    TStream& EntryOutput();
    void PrepareVolumeEntry(bool withData);
    void PlaceEntryOnVolumes();
    void CopyToVolumes(TStream& data, std::uint64_t size);
    void ReportCopyProgress(std::uint64_t part, std::uint64_t copied, std::uint64_t size);
    void WriteVolumeDirectory();
    void SaveZipInfoOnFirstVolume();
    // Never raises: a failure shows a message and leaves no side file.
    void WriteZipConfigFile(const std::string& FileName);

    // ---- The self-extractor (write/SelfExtractor.cpp) ----
    void CheckSelfExtractorSource(const std::string& target) const;

    // ---- Adding one entry (write/AddEntry.cpp) ----
    bool AddOneEntry(const std::string& Name, const TStreamEntry* stream);
    bool AddStoredEntry(const std::string& Name, const TStoredEntry& stored);
    void FillFolderEntry(const std::string& Name);
    bool OpenSourceFile(const std::string& Name);
    bool Refused(const std::string& Name, bool duplicate);
    void WriteEntryData(const std::string& Name, const std::string& password);
    void StoreEntryData();
    void PrecomputeCRC(std::uint32_t& crc, std::uint64_t& count);
    void WriteEncryptionHeader(const std::string& password, std::uint32_t crc);
    std::size_t ReadSourceData(std::uint8_t* buffer, std::size_t count);
    void WriteArchiveData(std::uint8_t* buffer, std::size_t count);

    // ---- File list expansion (write/FileListExpansion.cpp) ----
    void ExpandFilesList();
    bool IsWildcardName(const std::string& name) const;
    bool KeepPlainName(std::size_t index);
    void ExpandWildcardName(std::string name);
    // Tells OnSkippingFile (srSourceUnavailable) why path is left out.
    void SkipSource(const std::string& path, std::string reason);
    bool KeepFoundFile(const std::string& path, const TSearchRec& record, bool recurse);
    bool FoundInArchive(const std::string& fileName) const;
    bool IsArchiveItself(const std::string& fileName) const;
    bool MatchesList(const std::vector<std::string>& list, const std::string& FileName) const;

    bool storePaths_ = false;
    bool relativePaths_ = false;
    bool storeVolumes_ = false;
    TMultiZipInfo multiZipInfo_;
    std::vector<std::string> excludeList_;
    std::vector<std::string> noCompressList_;
    // Open mode of source files: read, deny none.
    std::uint16_t sourceShareMode_ = fmOpenRead | fmShareDenyNone;

    // ---- Build state, made and released by each build ----
    TDeflater deflater_;
    std::unique_ptr<TArchiveOutput> output_;
    std::string outputFileName_;
    bool tempFileBuild_ = false;
    // The caller's streams in stream mode, one per name of FilesList.
    bool streamMode_ = false;
    std::vector<TStreamEntry> streamEntries_;
    // Every entry placed in the new archive: by name (case-insensitive, for
    // the duplicate test; referencing) and in the order written (owning).
    std::unique_ptr<TSortedZip> newNames_;
    std::unique_ptr<TSortedZip> newEntries_;
    TEndCentral newEndRecord_;
    // The central extra fields of the kept entries, copied from the old archive.
    std::map<const TZipHeaderInfo*, std::string> centralExtras_;
    std::vector<std::string> disposeList_;
    // While a self-extractor is made: the stub copied in front of the
    // entries, and the program's name.
    std::unique_ptr<TLFNFileStream> stub_;
    std::string selfExtractorTarget_;
    int addedCount_ = 0;
    std::int64_t totalBytes_ = 0;
    std::int64_t doneBytes_ = 0;

    // ---- The volumes of a volume build ----
    // The byte budget of the open volume.
    std::int64_t volumeRoom_ = 0;
    TCreatedFiles createdVolumes_;
    // An entry's data, until its local header can be written before them.
    std::unique_ptr<TLFNFileStream> volumeTemp_;
    std::string volumeTempName_;

    // ---- The entry being added ----
    std::unique_ptr<TZipHeaderInfo> newEntry_;
    TStream* source_ = nullptr;
    std::unique_ptr<TLFNFileStream> ownedSource_;
    std::int64_t sourceSize_ = 0;
    std::uint64_t entryBytesRead_ = 0;
    std::uint32_t runningCRC_ = CRC32Start;
    std::string entryPassword_;
    TZipCrypt crypt_;
};
