// The archive reader component: the archive's name, its loaded directory, the
// settings of extraction, the password and the events through which a program
// takes part in extraction. Both programs use one; the writer derives from it.
//
// The directory is read on demand (ReadZip, OpenZip) from the file ZipName
// names, or from a caller's stream (ReadCentralDirectory). The reader owns
// the directory's entries, its end record and the archive stream, which is
// open only during an operation unless KeepZipOpen is set.
//
// Failures are exceptions: EListError "Index %d is out of range" for a bad
// entry index; for the directory ENotAZipFile, EIncompleteZip or EBadZipFile
// (never an empty directory for a file that is no archive); EUserCanceled for
// a cancelled dialog or operation; the stream's exceptions for a file that
// cannot be opened or read.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "LFNFileStream.h"
#include "ZipReaderTypes.h"
#include "files/FileStamp.h"
#include "lists/SortedZip.h"
#include "records/ZipRecords.h"

// An entry as its archive stores it: its header (LocalExtraLength as in its
// local header) and the bytes after the local header's name: the extra
// field, the data as stored and any data descriptor.
struct TStoredEntry {
    std::unique_ptr<TZipHeaderInfo> Header;
    std::vector<std::uint8_t> Bytes;
};

class TDestinationFolders;
class TOutputFile;
struct TDecodedEntry;

class TZipReader {
    // The writer builds on the reader's state: the open archive, the loaded
    // directory and its end record, the cancel flag.
    friend class TZipWriter;

public:
    // Attempts of ReadZip at an archive without end record while an
    // OnInCompleteZip handler keeps asking for another try.
    static constexpr int MaxIncompleteZipAttempts = 10;

    TZipReader();
    TZipReader(const TZipReader&) = delete;
    TZipReader& operator=(const TZipReader&) = delete;
    virtual ~TZipReader() = default;

    // Copies the settings of extraction and the events, but OnDecrypt,
    // OEMConvert, FlushFilesOnClose and Password. ZipName, DestDir and
    // RootDir are taken as plain values: no dialog; another name drops the
    // loaded directory.
    void Assign(const TZipReader& source);

    // ---- Settings ----------------------------------------------------------

    // The component's version: always 223; writing changes nothing.
    int ThisVersion() const { return thisVersion_; }
    void SetThisVersion(int);

    const std::string& GetZipName() const { return zipName_; }
    // A different name drops the loaded directory. A name ending in "?"
    // asks for the archive with the file-open dialog, starting in the
    // folder before the "?"; cancelling raises EUserCanceled and keeps all.
    virtual void SetZipName(const std::string& value);

    // The extraction folder, kept without a trailing "/". "?" asks for it
    // with the folder picker; cancelling raises EUserCanceled.
    const std::string& GetDestDir() const { return destDir_; }
    void SetDestDir(const std::string& value);

    // Empty, or ending in "/".
    const std::string& RootDir() const { return rootDir_; }
    void SetRootDir(const std::string& value);

    std::vector<std::string>& FilesList() { return filesList_; }
    const std::vector<std::string>& FilesList() const { return filesList_; }
    void SetFilesList(const std::vector<std::string>& list) { filesList_ = list; }

    virtual TMultiMode GetMultiMode() const { return multiMode_; }
    virtual void SetMultiMode(TMultiMode value) { multiMode_ = value; }
    virtual bool GetCheckDiskLabels() const { return checkDiskLabels_; }
    virtual void SetCheckDiskLabels(bool value) { checkDiskLabels_ = value; }

    // Number of volumes of the archive: 1 for a single file.
    int NumDisks() const { return numDisks_; }
    void SetNumDisks(int n) { numDisks_ = n; }
    // The 0-based volume whose stream is open.
    int CurrentDisk() const { return currentDisk_; }
    // Entries whose Selected flag is set.
    int SelectedCount() const { return selectedCount_; }
    // The directory was rebuilt from the local headers.
    bool Rebuilt() const { return rebuilt_; }
    const TEndCentral& EndRecord() const { return endRecord_; }
    // The entry being extracted.
    TZipHeaderInfo& CurrentEntry() { return *currentEntry_; }

    // Order of the per-entry accessors' index; a new value takes effect at
    // the next directory read or Sort.
    TZipSortMode SortMode = ByNone;
    bool RecreateDirs = false;
    TUZOverwriteMode OverwriteMode = Prompt;
    bool DoAll = false;
    // Used for every encrypted entry read or written next.
    std::string Password;
    TIncompleteZipMode IncompleteZipMode = izAssumeMulti;
    bool KeepZipOpen = false;
    // Long operations pump the GUI's message queue and poll Cancel.
    bool DoProcessMessages = true;
    bool RetainAttributes = true;
    bool ReplaceReadOnly = false;
    bool FlushFilesOnClose = false;
    // Copied into every entry made.
    bool OEMConvert = true;
    std::int32_t StreamBufferSize = 8192;
    // The helper threads that may decode a run's entries ahead of it, at
    // most one fewer than the machine's processors; 0: the run decodes
    // every entry itself.
    int DecodingHelpers = 3;

    // ---- Events ------------------------------------------------------------

    TStartUnzipInfo OnStartUnZipInfo;
    TStartUnZipEvent OnStartUnZip;
    TEndUnZipEvent OnEndUnZip;
    TPromptForOverwrite OnPromptForOverwrite;
    // Fired when the check byte refuses the password, and when data that it
    // let through fail their check: CheckBytePassed() tells which.
    TBadPassword OnBadPassword;
    // Fired when an entry's data fail their CRC, size or decoding, also an
    // encrypted entry's once its password passed the check byte.
    TBadCRC OnBadCRC;
    // No usable end record: the handler may change the mode, or make the
    // missing volume available and keep izAssumeMulti to have ReadZip retry.
    TIncompleteZip OnInCompleteZip;
    TUnZipComplete OnUnZipComplete;
    TGetNextBuffer OnGetNextBuffer;
    TDecryptEvent OnDecrypt;
    TFilePercentDone OnFilePercentDone;
    TTotalPercentDone OnTotalPercentDone;
    TSkippingFile OnSkippingFile;
    // Asked for the name of a volume of a set; an empty name cancels.
    // DefaultGetNextDisk unless a program assigns another.
    TGetNextDisk OnGetNextDisk;

    // ---- Per-entry accessors: index 0 .. GetCount() - 1 in SortMode order ----

    const TZipHeaderInfo& GetEntry(int index) const { return EntryAt(index); }
    std::string GetFilename(int index) const;
    // The entry's date-time; the current time when it names no real moment.
    std::time_t GetDateTime(int index) const;
    bool GetEncrypted(int index) const;
    // Read from the archive on first use.
    std::string GetFileComment(int index);
    // Marks the comments changed (for the writer) unless text is the comment
    // already there.
    void SetFileComment(int index, std::string_view text);
    std::string GetZipComment();
    void SetZipComment(std::string_view text);
    void SetSelected(int index, bool value);

    // ---- The directory -----------------------------------------------------

    // Loads the directory of ZipName unless it is loaded and the file is
    // unchanged. Leaves the stream closed unless KeepZipOpen. Any failure
    // but EIncompleteZip clears the component (ClearZip) before it passes.
    void ReadZip();
    // Opens the archive stream if needed; reads the directory when none is
    // loaded or the file changed since.
    void OpenZip();
    // Closes the archive stream unless KeepZipOpen.
    void CloseZip();
    // Closes the stream, drops the directory and forgets ZipName.
    void ClearZip();
    std::unique_ptr<TZipHeaderInfo> NewHeaderInfo() const;
    // Loads the directory from stream: the central directory that the end
    // record points to or, for a damaged archive, a scan of its local headers.
    void ReadCentralDirectory(TStream& stream);
    // Rebuilds the accessors' view in mode and sets SortMode.
    void Sort(TZipSortMode mode);
    // Entries loaded; 0 when no directory is.
    int GetCount() const { return entryList_ ? entryList_->Count() : 0; }

    // Asks the running operation to stop: its next poll (after it pumps the
    // message queue) raises EUserCanceled "User Aborted Operation".
    void Cancel() { cancelRequested_ = true; }

    // ---- Volumes of a set (volumes/ReadVolumes.cpp) -------------------------

    // Closes the open volume and opens volume (1-based) in its place, named
    // by OnGetNextDisk, which is asked again while the name it gives names
    // no file or a disk labelled for another volume. ZipName becomes that
    // name; the loaded directory stays. EUserCanceled "User canceled loading
    // new disk." for an empty name, no handler, or a block handler that
    // names the same missing file twice.
    TStream& SwapDisk(int volume);
    TStream& LoadDisk(int volume);
    // Block sets: FName := the block file of NextDisk, from FName's base
    // name. Spans: asks the user to insert the disk; Cancel empties FName.
    static void DefaultGetNextDisk(TZipReader& Sender, int NextDisk, std::string& FName);

    // ---- Extraction (extract/ZipExtract.cpp) -------------------------------
    //
    // Entries are chosen by DoAll, FilesList (ignoring case, over folder +
    // name: a line that names an entry is that entry, whatever characters it
    // holds; one that names none is a wildcard pattern) or, in the
    // selected-only calls, by their Selected flags.
    // A file that nothing stands in the way of is written under its name; an
    // existing one is replaced only by a complete file of the size and CRC
    // stored. Folders below DestDir are entered without following symbolic
    // links. An entry that is damaged (TZipHeaderInfo::DamageReason), that
    // has no local header where the directory says, whose name would lead
    // outside DestDir, whose way passes a symbolic link, that cannot be
    // created, or whose method is not supported is skipped (reason
    // srCannotCreateOutput) and the run goes on. An entry whose data end
    // early (the archive is cut short) fails as a bad CRC does: OnBadCRC, or
    // the bad-password path for an encrypted one, and the run goes on.
    // ECantWriteUCF (the output refuses bytes) and EUserCanceled end the run;
    // what the failing entry had begun is gone. A run into files from a
    // single-file archive has up to DecodingHelpers helper threads decode
    // its plain entries ahead of it (extract/DecodeAhead.h); they end with the run,
    // and nothing of them shows in its events, messages or files.

    // Extracts the chosen entries of the directory, reading archive (the
    // open archive stream); returns the number extracted. FilesList is empty
    // afterwards.
    int UnZipFiles(TStream& archive);
    // Appends the entry at index (every entry with DoAll) to stream; returns
    // the number extracted, 0 for no stream. A failed entry leaves the
    // stream as it was before the entry: its bytes, size and position.
    int UnZipToStreamByIndex(TStream* stream, int index);
    // Reads the directory and extracts into DestDir; 0 when DestDir is "?".
    int UnZipToDestDir();
    // The same for the entries whose Selected flag is set.
    int UnZipSelectedToDestDir();
    // Whether extraction can decompress entries of this compression method:
    // 0 (stored) and 8 (deflated). Entries of any other are skipped.
    static bool SupportsMethod(std::uint16_t method);

    // Why the entry that OnSkippingFile or OnBadCRC is firing for was not
    // extracted, in a few words: "wrong password", "no password given",
    // "exists", "refused name:" and the reason, "bad CRC", "size mismatch:"
    // and the sizes (for an encrypted entry followed by ", or a wrong
    // password": a wrong password passes the check byte 1 time in 256), "Premature
    // end of file reached", "no local header at offset" and the offset, or
    // why its file or folder cannot be made. When ECantWriteUCF leaves a run, the
    // file that refused bytes and the system's reason.
    const std::string& EntryFailure() const { return entryFailure_; }
    // While OnBadPassword fires: true when the password passed the entry's
    // check byte and its data then failed (damage, or about 1 time in 256 a
    // wrong password), false when the check byte refused it.
    bool CheckBytePassed() const { return checkBytePassed_; }

    // The entry at index as the archive stores it, to be put into another
    // archive unchanged (an encrypted entry stays encrypted). Raises
    // EBadZipFile when its bytes do not lie within the archive.
    TStoredEntry ReadStoredEntry(int index);

protected:
    // UnZipToStreamByIndex over an archive stream the caller holds, with its
    // directory loaded.
    int UnZipEntryToStream(TStream& archive, TStream& target, int index);

private:
    friend class TVolumeStream;
    struct TExtractRun;
    enum class TEntryOutcome { Done, Retry };

    // The steps of an extraction run.
    void ChooseEntries(TExtractRun& run);
    struct TListedNames;
    TListedNames ListedNames() const;
    bool EntryChosen(TZipHeaderInfo& entry, const TListedNames& listed);
    // Helpers that decode the run's plain entries ahead of it, for a run
    // into files from a single-file archive (extract/DecodeAhead.h).
    void StartDecodingAhead(TExtractRun& run, TStream& archive);
    TEntryOutcome UnZipOneFile(TExtractRun& run, int index);
    void UnZipDirectoryEntry(TExtractRun& run, int index);
    std::string OutputFolder() const;
    // The entry's name below DestDir as the options make it: without RootDir
    // and a drive, or without its folder; not yet checked.
    std::string OutputNameOf(const TZipHeaderInfo& entry) const;
    // None when the entry's name would lead outside DestDir.
    TSafePath OutputPathOf(const TZipHeaderInfo& entry) const;
    struct TOutputPlace;
    TDestinationFolders& DestinationOf(TExtractRun& run) const;
    TOutputPlace OutputPlaceOf(TExtractRun& run, const std::string& outputName) const;
    // Where the entry's data begin, after its local header; none when no
    // local header lies at its offset.
    std::optional<std::uint64_t> LocateEntryData(TStream& archive, const TZipHeaderInfo& entry);
    // The current entry's bytes as the helpers decoded them; none when they
    // did not, or not as the entry now is.
    std::optional<TDecodedEntry> DecodedAhead(TExtractRun& run, int index) const;
    bool CheckPassword(TExtractRun& run, int index);
    // Reads and decrypts the current entry's encryption header with
    // Password; true when its check byte is the expected one.
    bool ReadDecryptHeader(TExtractRun& run);
    // Back to where the header just read ended, which may be on the next volume.
    void SeekBehindEncryptionHeader(TExtractRun& run);
    bool OverwriteAllowed(int index, std::string& outputName);
    void SkipEntry(TExtractRun& run, TSkipReason reason, const std::string& name, int index, std::string failure);
    TEntryOutcome UnZipToFile(TExtractRun& run, int index, std::string& outputName, TOutputPlace place);
    // The output file, or none when the entry was skipped.
    std::unique_ptr<TOutputFile> CreateOutput(TExtractRun& run, int index, std::string& outputName,
                                              TOutputPlace& place);
    TEntryOutcome UnZipToTarget(TExtractRun& run, int index, const std::string& outputName);
    bool Decompress(TExtractRun& run, TStream& output, std::uint32_t& crc);
    // Writes decoded bytes in their blocks, as Decompress would.
    void WriteDecoded(const TDecodedEntry& decoded, TStream& output);
    void ReportBlockWritten(std::size_t count, std::uint64_t written);
    TEntryOutcome EntryDone(TExtractRun& run, int index, const std::string& outputName);
    TEntryOutcome EntryFailed(TExtractRun& run, int index, std::uint32_t crc);
    // Asks OnBadPassword for another password; true with a new one in
    // Password.
    bool AnotherPassword(int index, bool checkBytePassed);
    struct TCentralReadState;

    // ZipName := name, dropping the loaded directory.
    void UseZipName(const std::string& name);
    TSortedZip* SortedView() const { return sortedView_ ? sortedView_.get() : entryList_.get(); }
    TZipHeaderInfo& EntryAt(int index) const;
    void DropDirectory();
    void NewEntryList();
    [[noreturn]] void RaiseBadZip(const std::string& message);
    // Why this engine cannot read the entry (zip64); none when it can. A
    // damaged entry is readable: it is listed and skipped by extraction.
    static std::optional<std::string> UnreadableReason(const TZipHeaderInfo& entry);
    void CheckReadable(const TZipHeaderInfo& entry);
    void PumpMessages();
    std::string ReadCommentAt(std::uint64_t position, std::size_t length);

    // The volume steps of reading and extraction (volumes/ReadVolumes.cpp,
    // volumes/ZipConfigFile.cpp).
    bool CheckDiskLabel(int volume, const std::string& name) const;
    void LoadVolumeOf(const TZipHeaderInfo& entry);
    // ReadStoredEntry for an entry of a set (volumes/StoredVolumeEntry.cpp).
    TStoredEntry ReadStoredVolumeEntry(const TZipHeaderInfo& entry);
    TMultiMode VolumeSetMode() const;
    // The ".zfc" side file beside ZipName when it holds an end record (then
    // loaded into the end record); none otherwise.
    std::unique_ptr<TStream> OpenZipConfigFile();
    // The archive comment and the entries' comments of a set are read with
    // the directory, while their volume is at hand.
    void ReadVolumeSetComment(TStream& stream);
    void ReadEntryComment(TStream& stream, TZipHeaderInfo& entry);

    // The steps of ReadCentralDirectory.
    bool EndRecordPlausible(TStream& stream) const;
    void FitCentralSize();
    void PositionAtCentralDirectory(TStream& stream, bool sideFile);
    void HandleMissingEndRecord(TStream& stream);
    void ReadCentralHeaders(TStream& stream);
    bool HoldsMoreHeaders(std::uint64_t held) const;
    void ReserveEntries(TStream& stream);
    bool ReadCentralHeader(TStream& stream, TZipHeaderInfo& entry, TCentralReadState& state);

    // The recovery scan (directory/ZipDirectoryScan.cpp).
    struct TLocalRun;
    void RecoverByScan(TStream& stream);
    bool ScanLocalHeaders(TStream& stream, std::optional<std::int64_t> centralStart);
    TLocalRun FindLocalRuns(TStream& stream, std::optional<std::int64_t> centralStart);
    TLocalRun ReadLocalRun(TStream& stream, std::int64_t limit, std::set<std::int64_t>& visited);
    bool SkipEntryData(TStream& stream, TZipHeaderInfo& entry, std::int64_t limit);
    std::vector<std::unique_ptr<TZipHeaderInfo>> ReadSurvivingCentralHeaders(TStream& stream, std::int64_t limit);
    void AddCentralHeadersAfterScan(TStream& stream, std::int64_t limit);
    bool LocalHeaderNamedAt(TStream& stream, std::int64_t position, const std::string& name) const;
    static void CompleteScannedEntry(TZipHeaderInfo& listed, const TZipHeaderInfo& read);
    std::uint64_t ArchiveBaseOf(TStream& stream) const;
    void CheckArchiveBase(TStream& archive, TStream& stream);
    // Where the central directory begins when it lies right before the end
    // record, as it does in every single-file archive.
    std::uint64_t CentralDirectoryBeforeEndRecord() const;

    int thisVersion_ = 223;
    std::string zipName_;
    std::string destDir_;
    std::string rootDir_;
    std::vector<std::string> filesList_;
    int numDisks_ = 1;
    int selectedCount_ = 0;
    bool checkDiskLabels_ = false;
    TMultiMode multiMode_ = mmNone;
    std::unique_ptr<TZipHeaderInfo> currentEntry_;
    // The directory in physical order; owns the entries. None when no
    // directory is loaded.
    std::unique_ptr<TSortedZip> entryList_;
    // The view in SortMode, referencing entryList_'s entries; none in ByNone,
    // where the accessors index entryList_ itself.
    std::unique_ptr<TSortedZip> sortedView_;
    // The archive file as it was when its directory was read.
    std::optional<TFileStamp> directoryStamp_;
    bool rebuilt_ = false;
    // Added to the offsets of an archive that counts them from its own start
    // behind something else in the file; 0 for any other.
    std::uint64_t archiveBase_ = 0;
    int currentDisk_ = 0;
    std::unique_ptr<TLFNFileStream> archiveStream_;
    TEndCentral endRecord_;
    bool cancelRequested_ = false;
    // Extraction writes into targetStream_ instead of files (stream mode).
    TStream* targetStream_ = nullptr;
    bool selectedOnly_ = false;
    std::int64_t totalBytes_ = 0;
    std::int64_t bytesDone_ = 0;
    std::string entryFailure_;
    bool checkBytePassed_ = false;
};
