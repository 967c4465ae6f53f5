// The reader component's extraction: which entries a run takes and, for each,
// the password check, the overwrite rules, the output, the decompressor, the
// date, mode and CRC check. The plumbing between archive, decompressor and
// output is in ExtractIO.h, the output file in files/OutputFile.h, and the
// walk into the destination's folders, which follows no symbolic link, in
// files/DestinationFolders.h.
#include "ZipReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <vector>

#include "Exceptions.h"
#include "LittleEndian.h"
#include "ScopeExit.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipUI.h"
#include "extract/DecodeAhead.h"
#include "extract/EntryDecompressor.h"
#include "extract/ExtractIO.h"
#include "files/DestinationFolders.h"
#include "files/FileNameParts.h"
#include "files/OutputFile.h"
#include "files/WildMatch.h"
#include "files/ZipLib.h"
#include "records/ZipSignatures.h"
#include "volumes/VolumeStream.h"

struct TZipReader::TExtractRun {
    explicit TExtractRun(TStream& stream) : archive(stream) {}

    TStream& archive;
    int filesToExtract = 0;
    int extractedCount = 0;
    // Handed to every OnSkippingFile as its Retry; extraction does not act on it.
    bool skipRetry = false;
    // Where the current entry's data (its encryption header first) begin.
    std::uint64_t dataStart = 0;
    // Where an encrypted entry's compressed data begin: behind its header,
    // on the volume where the header ended.
    int afterHeaderDisk = 0;
    std::int64_t afterHeader = 0;
    // The archive ended inside the current entry's data.
    bool dataCutShort = false;
    TZipCrypt cipher;
    TEntryDecompressor decompressor;
    // The destination's folders, opened at the first file.
    std::optional<TDestinationFolders> destination;
    // The folder of an output name that a handler moved out of the
    // destination.
    std::optional<TDestinationFolders> elsewhere;
    // The current entry's bytes, decoded ahead; none: the run decodes them.
    std::optional<TDecodedEntry> decoded;
    // Last: its helpers stop before anything else of the run goes.
    std::optional<TDecodeAhead> ahead;
};

// Where an output file goes: its folder, open, and its name there.
struct TZipReader::TOutputPlace {
    int Folder = -1;
    std::string Name;
};

namespace {

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && LowerCase(text.substr(0, prefix.size())) == LowerCase(prefix);
}

// A drive letter and colon, which names made on MS-DOS hosts may begin with.
bool HasDrivePrefix(const std::string& name)
{
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

// A name whose parts are all empty or ".": "", "/", "./".
bool NamesNoSubfolder(std::string_view name)
{
    return name.find_first_not_of("/.") == std::string_view::npos && name.find("..") == std::string_view::npos;
}

std::string FolderPartOf(const std::string& fileName)
{
    const std::size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash);
}

// A caller's stream as it was before an entry began: its size, its position
// and the bytes an entry of size bytes may overwrite there.
class TStreamState {
public:
    TStreamState(TStream& stream, std::uint64_t size)
        : stream_(stream), position_(stream.Position()), size_(stream.Size())
    {
        if (position_ >= size_)
            return;
        overwritten_.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(size_ - position_), size)));
        stream_.ReadBuffer(overwritten_.data(), static_cast<std::int64_t>(overwritten_.size()));
        stream_.SetPosition(position_);
    }

    void Restore()
    {
        stream_.SetPosition(position_);
        stream_.WriteBuffer(overwritten_.data(), static_cast<std::int64_t>(overwritten_.size()));
        if (stream_.Size() > size_)
            stream_.SetSize(size_);
        stream_.SetPosition(position_);
    }

private:
    TStream& stream_;
    std::int64_t position_;
    std::int64_t size_;
    std::vector<std::uint8_t> overwritten_;
};

} // namespace

// ---- The run ---------------------------------------------------------------

int TZipReader::UnZipFiles(TStream& archive)
{
    cancelRequested_ = false;
    const bool savedKeepZipOpen = KeepZipOpen;
    KeepZipOpen = true;
    // A volume set's entries are read on across its volumes.
    TVolumeStream volumes(*this, archive);
    TExtractRun run(volumes);
    std::optional<TZipSortMode> savedSortMode;
    const auto endRun = [&] {
        // Nothing decodes on behind a finished or failed run.
        run.ahead.reset();
        filesList_.clear();
        if (savedSortMode)
            Sort(*savedSortMode);
        KeepZipOpen = savedKeepZipOpen;
        if (OnUnZipComplete)
            OnUnZipComplete(*this, run.extractedCount);
    };
    try {
        if (!targetStream_ && !destDir_.empty() && !LFNDirectoryExists(destDir_))
            LFNForceDirectories(destDir_);
        // The volumes of a spanned archive are read in their physical order.
        if (endRecord_.ThisDisk > 0 && SortMode != ByNone) {
            savedSortMode = SortMode;
            Sort(ByNone);
        }
        totalBytes_ = bytesDone_ = 0;
        ChooseEntries(run);
        bool stopNow = false;
        if (OnStartUnZipInfo)
            OnStartUnZipInfo(*this, run.filesToExtract, totalBytes_, stopNow);
        if (run.filesToExtract > 0 && !stopNow)
            StartDecodingAhead(run, archive);
        if (run.filesToExtract > 0 && !stopNow)
            for (int i = 0; i < GetCount(); ++i)
                if (DoAll || EntryAt(i).ChosenForRun)
                    while (UnZipOneFile(run, i) == TEntryOutcome::Retry) {
                    }
    } catch (...) {
        endRun();
        throw;
    }
    endRun();
    return run.extractedCount;
}

// FilesList as the run reads it, lines in the case the matcher ignores: a
// line that names an entry is that entry's name, whatever characters it
// holds, as the writer takes a line that names a file; only a line that
// names no entry is a pattern.
struct TZipReader::TListedNames {
    std::unordered_set<std::string> Names;
    std::vector<std::string> Patterns;

    bool Chooses(const std::string& fullName) const
    {
        const std::string name = AsciiLowerCase(fullName);
        const auto matches = [&](const std::string& pattern) { return IsWildcardMatch(pattern, name); };
        return Names.contains(name) || std::any_of(Patterns.begin(), Patterns.end(), matches);
    }
};

TZipReader::TListedNames TZipReader::ListedNames() const
{
    std::unordered_set<std::string> entryNames;
    for (int i = 0; i < GetCount(); ++i)
        entryNames.insert(AsciiLowerCase(EntryAt(i).FullName()));
    TListedNames listed;
    for (const std::string& line : filesList_) {
        std::string lowered = AsciiLowerCase(line);
        if (entryNames.contains(lowered))
            listed.Names.insert(std::move(lowered));
        else
            listed.Patterns.push_back(std::move(lowered));
    }
    return listed;
}

void TZipReader::ChooseEntries(TExtractRun& run)
{
    const TListedNames listed = ListedNames();
    for (int i = 0; i < GetCount(); ++i) {
        TZipHeaderInfo& entry = EntryAt(i);
        entry.ChosenForRun = EntryChosen(entry, listed);
        if (entry.ChosenForRun) {
            ++run.filesToExtract;
            totalBytes_ += static_cast<std::int64_t>(entry.UncompressedSize);
        }
    }
}

void TZipReader::StartDecodingAhead(TExtractRun& run, TStream& archive)
{
    // The helpers read a single-file archive through a descriptor of their
    // own; an entry extracted into a caller's stream is a single one.
    const int threads =
        std::min(DecodingHelpers, static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u)) - 1);
    if (targetStream_ || endRecord_.ThisDisk > 0 || &archive != archiveStream_.get() || threads <= 0)
        return;
    std::vector<TEntryToDecode> entries;
    for (int i = 0; i < GetCount(); ++i) {
        const TZipHeaderInfo& entry = EntryAt(i);
        if ((DoAll || entry.ChosenForRun) && !entry.IsFolder() && !entry.Encrypted() && !entry.Damaged() &&
            TDecodeAhead::Worthwhile(entry.CompressionMethod, entry.CompressedSize, entry.UncompressedSize))
            entries.push_back({i, entry.LocalHeaderOffset, entry.CompressedSize, entry.UncompressedSize, entry.CRC32,
                               entry.CompressionMethod, LocalSignature()});
    }
    if (!entries.empty())
        run.ahead.emplace(GetFileStreamHandle(*archiveStream_), std::move(entries), threads);
}

bool TZipReader::EntryChosen(TZipHeaderInfo& entry, const TListedNames& listed)
{
    if (entry.IsFolder() && !RecreateDirs)
        return false;
    if (selectedOnly_) {
        if (!entry.Selected)
            return DoAll;
        entry.Selected = false;
        --selectedCount_;
        return true;
    }
    if (DoAll)
        return true;
    return listed.Chooses(entry.FullName());
}

// ---- One entry -------------------------------------------------------------

TZipReader::TEntryOutcome TZipReader::UnZipOneFile(TExtractRun& run, int index)
{
    TZipHeaderInfo& entry = *currentEntry_;
    entry.Assign(EntryAt(index));
    if (entry.IsFolder()) {
        UnZipDirectoryEntry(run, index);
        return TEntryOutcome::Done;
    }
    if (entry.Damaged()) {
        SkipEntry(run, srCannotCreateOutput, entry.FullName(), index, entry.DamageReason());
        return TEntryOutcome::Done;
    }
    std::string outputName;
    if (!targetStream_) {
        const TSafePath path = OutputPathOf(entry);
        if (!path.unsafeReason.empty()) {
            SkipEntry(run, srCannotCreateOutput, entry.FullName(), index, "refused name: " + path.unsafeReason);
            return TEntryOutcome::Done;
        }
        outputName = path.path;
    }
    bool skip = false;
    if (OnStartUnZip)
        OnStartUnZip(*this, index, outputName, skip);
    if (skip)
        return TEntryOutcome::Done;
    // Before anything is created, so an existing file stays as it is.
    if (!SupportsMethod(entry.CompressionMethod)) {
        ZipUI().MessageBox(LoadStr(IDS_UNKNOWNMETH), LoadStr(IDS_ZIPERROR), TMsgButtons::Ok);
        SkipEntry(run, srCannotCreateOutput, entry.FullName(), index,
                  "unsupported compression method " + std::to_string(entry.CompressionMethod));
        return TEntryOutcome::Done;
    }
    TOutputPlace place;
    if (!targetStream_) {
        try {
            place = OutputPlaceOf(run, outputName);
        } catch (const EStreamError& error) {
            SkipEntry(run, srCannotCreateOutput, outputName, index, error.what());
            return TEntryOutcome::Done;
        }
    }
    run.decoded = DecodedAhead(run, index);
    const std::optional<std::uint64_t> dataStart =
        run.decoded ? run.decoded->DataStart : LocateEntryData(run.archive, entry);
    if (!dataStart) {
        SkipEntry(run, srCannotCreateOutput, entry.FullName(), index,
                  "no local header at offset " + std::to_string(entry.LocalHeaderOffset));
        return TEntryOutcome::Done;
    }
    run.dataStart = *dataStart;
    if (entry.Encrypted()) {
        if (!CheckPassword(run, index))
            return TEntryOutcome::Done;
        entry.CompressedSize -= EncryptionHeaderSize;
    }
    return targetStream_ ? UnZipToTarget(run, index, outputName) : UnZipToFile(run, index, outputName, place);
}

void TZipReader::UnZipDirectoryEntry(TExtractRun& run, int index)
{
    // A folder entry that names no folder below DestDir (RootDir itself,
    // "/") is DestDir, which the run has made.
    if (!targetStream_ && RecreateDirs && !NamesNoSubfolder(OutputNameOf(*currentEntry_))) {
        const TSafePath folder = OutputPathOf(*currentEntry_);
        if (!folder.unsafeReason.empty()) {
            SkipEntry(run, srCannotCreateOutput, currentEntry_->FullName(), index,
                      "refused name: " + folder.unsafeReason);
            return;
        }
        try {
            DestinationOf(run).Folder(std::string_view(folder.path).substr(OutputFolder().size()));
        } catch (const EStreamError& error) {
            SkipEntry(run, srCannotCreateOutput, folder.path, index, error.what());
            return;
        }
    }
    ++run.extractedCount;
}

TDestinationFolders& TZipReader::DestinationOf(TExtractRun& run) const
{
    if (!run.destination)
        run.destination.emplace(destDir_);
    return *run.destination;
}

TZipReader::TOutputPlace TZipReader::OutputPlaceOf(TExtractRun& run, const std::string& outputName) const
{
    const std::string prefix = OutputFolder();
    const std::size_t slash = outputName.rfind('/');
    const std::string name = slash == std::string::npos ? outputName : outputName.substr(slash + 1);
    if (outputName.starts_with(prefix)) {
        const std::string_view inside = std::string_view(outputName).substr(prefix.size());
        if (SafeExtractionPath(inside).path == inside) {
            const std::size_t folderEnd = inside.rfind('/');
            return {DestinationOf(run).Folder(inside.substr(0, folderEnd == std::string_view::npos ? 0 : folderEnd)),
                    name};
        }
    }
    // A handler of OnStartUnZip or OnPromptForOverwrite chose a place of
    // the program's own, which is taken as it is named.
    const std::string folder = FolderPartOf(outputName);
    if (!folder.empty() && !LFNDirectoryExists(folder))
        LFNForceDirectories(folder);
    run.elsewhere.emplace(folder);
    return {run.elsewhere->Folder(""), name};
}

std::string TZipReader::OutputFolder() const
{
    // An empty DestDir is the current folder.
    if (destDir_.empty())
        return "";
    return destDir_.back() == '/' ? destDir_ : destDir_ + "/";
}

std::string TZipReader::OutputNameOf(const TZipHeaderInfo& entry) const
{
    std::string name = entry.Filename();
    if (RecreateDirs) {
        std::string folder = entry.Directory();
        if (!rootDir_.empty() && StartsWithIgnoringCase(folder, rootDir_))
            folder.erase(0, rootDir_.size());
        if (HasDrivePrefix(folder))
            folder.erase(0, 2);
        name = folder + name;
    }
    return name;
}

TSafePath TZipReader::OutputPathOf(const TZipHeaderInfo& entry) const
{
    // Leading "/" parts go; a ".." part or a NUL would leave the folder.
    TSafePath safe = SafeExtractionPath(OutputNameOf(entry));
    if (safe.unsafeReason.empty())
        safe.path.insert(0, OutputFolder());
    return safe;
}

std::optional<std::uint64_t> TZipReader::LocateEntryData(TStream& archive, const TZipHeaderInfo& entry)
{
    std::array<std::uint8_t, LocalHeaderSize> header{};
    LoadVolumeOf(entry);
    archive.Seek(static_cast<std::int64_t>(entry.LocalHeaderOffset), soFromBeginning);
    if (archive.Read(header.data(), LocalHeaderSize) != LocalHeaderSize || GetU32(header.data()) != LocalSignature())
        return std::nullopt;
    // The local header's own name and extra lengths: its extra field may
    // differ from the central one.
    const std::uint16_t nameLength = GetU16(header.data() + 26);  // file name length
    const std::uint16_t extraLength = GetU16(header.data() + 28); // extra field length
    archive.Seek(nameLength + extraLength, soFromCurrent);
    return entry.LocalHeaderOffset + LocalHeaderSize + nameLength + extraLength;
}

std::optional<TDecodedEntry> TZipReader::DecodedAhead(TExtractRun& run, int index) const
{
    if (!run.ahead)
        return std::nullopt;
    std::optional<TDecodedEntry> decoded = run.ahead->Take(index);
    // A handler may have changed the entry since its bytes were decoded.
    const TZipHeaderInfo& entry = *currentEntry_;
    if (decoded && (entry.Encrypted() || entry.CompressionMethod != decoded->Entry.Method ||
                    entry.LocalHeaderOffset != decoded->Entry.LocalHeaderOffset ||
                    entry.CompressedSize != decoded->Entry.CompressedSize ||
                    entry.UncompressedSize != decoded->Entry.UncompressedSize || entry.CRC32 != decoded->Entry.CRC32))
        decoded.reset();
    return decoded;
}

bool TZipReader::CheckPassword(TExtractRun& run, int index)
{
    for (;;) {
        try {
            if (ReadDecryptHeader(run))
                return true;
        } catch (const EFatalUnzipError& error) {
            SkipEntry(run, srCannotCreateOutput, currentEntry_->FullName(), index, error.what());
            return false;
        }
        entryFailure_ = Password.empty() ? "no password given" : "wrong password";
        if (AnotherPassword(index, false))
            continue;
        SkipEntry(run, srBadPassword, currentEntry_->FullName(), index, entryFailure_);
        return false;
    }
}

bool TZipReader::ReadDecryptHeader(TExtractRun& run)
{
    const TZipHeaderInfo& entry = *currentEntry_;
    TEncryptionHeader header{};
    // A header read again after a new password starts on the entry's first
    // volume, though the last read may have ended on the next one.
    LoadVolumeOf(entry);
    run.archive.Seek(static_cast<std::int64_t>(run.dataStart), soFromBeginning);
    if (run.archive.Read(header.data(), EncryptionHeaderSize) != EncryptionHeaderSize)
        throw EFatalUnzipError(LoadStr(IDS_PREMATUREEOF));
    run.afterHeaderDisk = currentDisk_;
    run.afterHeader = run.archive.Position();
    return run.cipher.CheckDecryptHeader(Password, header) ==
           ExpectedCheckByte(entry.Flags, entry.ModDateTime, entry.CRC32);
}

void TZipReader::SeekBehindEncryptionHeader(TExtractRun& run)
{
    if (endRecord_.ThisDisk > 0 && currentDisk_ != run.afterHeaderDisk)
        SwapDisk(run.afterHeaderDisk + 1);
    run.archive.Seek(run.afterHeader, soFromBeginning);
}

bool TZipReader::OverwriteAllowed(int index, std::string& outputName)
{
    if (OverwriteMode == Always || !LFNFileExists(outputName))
        return true;
    const TZipHeaderInfo& entry = *currentEntry_;
    switch (OverwriteMode) {
    case Prompt: {
        bool overWriteIt = false;
        if (OnPromptForOverwrite)
            OnPromptForOverwrite(*this, overWriteIt, index, outputName);
        else
            overWriteIt = ZipUI().MessageBox(LoadStr(IDS_REPLACEFILE) + entry.Filename() + "?",
                                             LoadStr(IDS_FILEXISTALERT), TMsgButtons::YesNo) == TMsgResult::Yes;
        return overWriteIt;
    }
    case ifNewer: return SanitizeDosDateTime(entry.ModDateTime) > GetFileDateTime(outputName);
    case ifOlder: return SanitizeDosDateTime(entry.ModDateTime) < GetFileDateTime(outputName);
    case Never:
    case Always: break;
    }
    return false;
}

void TZipReader::SkipEntry(TExtractRun& run, TSkipReason reason, const std::string& name, int index,
                           std::string failure)
{
    entryFailure_ = std::move(failure);
    if (OnSkippingFile)
        OnSkippingFile(*this, reason, name, index, run.skipRetry);
    totalBytes_ -= static_cast<std::int64_t>(currentEntry_->UncompressedSize);
    --run.filesToExtract;
}

TZipReader::TEntryOutcome TZipReader::UnZipToFile(TExtractRun& run, int index, std::string& outputName,
                                                  TOutputPlace place)
{
    std::unique_ptr<TOutputFile> output;
    try {
        output = CreateOutput(run, index, outputName, place);
    } catch (const EStreamError& error) {
        SkipEntry(run, srCannotCreateOutput, outputName, index, error.what());
        return TEntryOutcome::Done;
    }
    if (!output)
        return TEntryOutcome::Done;
    std::uint32_t crc = 0;
    const TZipHeaderInfo& entry = *currentEntry_;
    try {
        if (!Decompress(run, *output, crc) || crc != entry.CRC32) {
            output.reset();
            return EntryFailed(run, index, crc);
        }
        output->Commit(DosDateTimeToTime(SanitizeDosDateTime(entry.ModDateTime)),
                       ExtractedFileMode(entry.HostSystem(), entry.ExternalAttributes, RetainAttributes));
    } catch (const ECantWriteUCF&) {
        entryFailure_ = "cannot write " + output->WriteFailure();
        throw;
    } catch (const EFCreateError& error) {
        SkipEntry(run, srCannotCreateOutput, outputName, index, error.what());
        return TEntryOutcome::Done;
    }
    return EntryDone(run, index, outputName);
}

std::unique_ptr<TOutputFile> TZipReader::CreateOutput(TExtractRun& run, int index, std::string& outputName,
                                                      TOutputPlace& place)
{
    if (!TOutputFile::NameTaken(place.Folder, place.Name, outputName))
        return TOutputFile::Create(place.Folder, place.Name, outputName, false, FlushFilesOnClose);
    const std::string asked = outputName;
    if (!OverwriteAllowed(index, outputName)) {
        SkipEntry(run, srNoOverwrite, outputName, index, "exists");
        return nullptr;
    }
    if (outputName != asked)
        place = OutputPlaceOf(run, outputName);
    // The new file replaces a read-only one only when asked to.
    if (IsReadOnlyFile(outputName) && !ReplaceReadOnly) {
        SkipEntry(run, srCannotCreateOutput, outputName, index, "exists and is read-only");
        return nullptr;
    }
    return TOutputFile::Create(place.Folder, place.Name, outputName, true, FlushFilesOnClose);
}

TZipReader::TEntryOutcome TZipReader::UnZipToTarget(TExtractRun& run, int index, const std::string& outputName)
{
    TStreamState before(*targetStream_, currentEntry_->UncompressedSize);
    std::uint32_t crc = 0;
    bool complete = false;
    try {
        complete = Decompress(run, *targetStream_, crc);
    } catch (...) {
        before.Restore();
        throw;
    }
    if (complete && crc == currentEntry_->CRC32)
        return EntryDone(run, index, outputName);
    before.Restore();
    return EntryFailed(run, index, crc);
}

bool TZipReader::Decompress(TExtractRun& run, TStream& output, std::uint32_t& crc)
{
    const TZipHeaderInfo& entry = *currentEntry_;
    run.dataCutShort = false;
    if (run.decoded) {
        entryFailure_ = "bad CRC";
        WriteDecoded(*std::exchange(run.decoded, std::nullopt), output);
        crc = entry.CRC32;
        return true;
    }
    TArchiveSource::TDecrypt decrypt;
    if (entry.Encrypted()) {
        if (OnDecrypt)
            decrypt = [this](std::uint8_t* buffer, std::size_t count) {
                OnDecrypt(*this, buffer, static_cast<int>(count), Password);
            };
        else
            decrypt = [&run](std::uint8_t* buffer, std::size_t count) {
                run.cipher.DecryptBuffer(buffer, static_cast<std::int64_t>(count));
            };
    }
    if (entry.Encrypted())
        SeekBehindEncryptionHeader(run);
    else
        run.archive.Seek(static_cast<std::int64_t>(run.dataStart), soFromBeginning);
    TArchiveSource source(run.archive, entry.CompressedSize, [this] { PumpMessages(); }, decrypt);
    std::uint64_t written = 0;
    TExtractSink sink(output, entry.UncompressedSize, [this, &written](std::size_t count) {
        written += count;
        ReportBlockWritten(count, written);
    });
    TUnzipIO io(source, sink);
    bool complete = false;
    entryFailure_ = "bad CRC";
    try {
        complete = run.decompressor.Decompress(entry, io) == TDecompressResult::Complete;
        // Data that end short of the size stored are damaged, even when
        // their CRC-32 is the one stored.
        if (complete && sink.BytesWritten() != entry.UncompressedSize) {
            entryFailure_ = "size mismatch: " + std::to_string(sink.BytesWritten()) + " bytes, " +
                            std::to_string(entry.UncompressedSize) + " stored";
            complete = false;
        }
    } catch (const EBiggerThanUncompressed&) {
        entryFailure_ = "size mismatch: more than the " + std::to_string(entry.UncompressedSize) + " bytes stored";
    } catch (const EFatalUnzipError& error) {
        // Data that end early spoil only their own entry.
        entryFailure_ = error.what();
        run.dataCutShort = source.CutShort();
    }
    crc = sink.CRC();
    return complete;
}

void TZipReader::WriteDecoded(const TDecodedEntry& decoded, TStream& output)
{
    // Polled where the run's own reads of the data would poll.
    std::size_t read = 0;
    const auto pollReadsBefore = [&](std::size_t block) {
        for (; read < decoded.Reads.size() && decoded.Reads[read] <= block; ++read)
            PumpMessages();
    };
    std::uint64_t written = 0;
    for (std::size_t i = 0; i < decoded.Blocks.size(); ++i) {
        pollReadsBefore(i);
        const std::uint32_t count = decoded.Blocks[i];
        if (output.Write(decoded.Bytes.data() + written, count) != count)
            throw ECantWriteUCF(LoadStr(IDS_CANTWRITEUCF));
        written += count;
        ReportBlockWritten(count, written);
    }
    pollReadsBefore(decoded.Blocks.size());
}

void TZipReader::ReportBlockWritten(std::size_t count, std::uint64_t written)
{
    if (OnFilePercentDone)
        OnFilePercentDone(*this, static_cast<int>(CalcPercent64(
                                     static_cast<std::int64_t>(currentEntry_->UncompressedSize),
                                     static_cast<std::int64_t>(written))));
    if (OnTotalPercentDone) {
        bytesDone_ += static_cast<std::int64_t>(count);
        OnTotalPercentDone(*this, static_cast<int>(CalcPercent64(totalBytes_, bytesDone_)));
    }
}

TZipReader::TEntryOutcome TZipReader::EntryDone(TExtractRun& run, int index, const std::string& outputName)
{
    if (OnEndUnZip)
        OnEndUnZip(*this, index, outputName);
    ++run.extractedCount;
    return TEntryOutcome::Done;
}

TZipReader::TEntryOutcome TZipReader::EntryFailed(TExtractRun& run, int index, std::uint32_t crc)
{
    const TZipHeaderInfo& entry = *currentEntry_;
    // Another password cannot mend an archive that ends inside the entry.
    if (!entry.Encrypted() || run.dataCutShort) {
        if (OnBadCRC)
            OnBadCRC(*this, crc, entry.CRC32, index);
        return TEntryOutcome::Done;
    }
    // The password passed the check byte: the data are damaged, or the
    // password is one of the wrong ones in 256 that pass it.
    if (AnotherPassword(index, true))
        return TEntryOutcome::Retry;
    entryFailure_ += ", or a wrong password";
    if (OnBadCRC)
        OnBadCRC(*this, crc, entry.CRC32, index);
    return TEntryOutcome::Done;
}

bool TZipReader::AnotherPassword(int index, bool checkBytePassed)
{
    if (!OnBadPassword)
        return false;
    checkBytePassed_ = checkBytePassed;
    const TScopeExit asked([this] { checkBytePassed_ = false; });
    std::string newPassword = Password;
    OnBadPassword(*this, index, newPassword);
    if (newPassword == Password)
        return false;
    Password = newPassword;
    return true;
}

// ---- Entry points ----------------------------------------------------------

int TZipReader::UnZipEntryToStream(TStream& archive, TStream& target, int index)
{
    targetStream_ = &target;
    cancelRequested_ = false;
    filesList_.clear();
    const TScopeExit restore([this] {
        targetStream_ = nullptr;
        selectedOnly_ = false;
    });
    SetSelected(index, true);
    selectedOnly_ = true;
    return UnZipFiles(archive);
}

int TZipReader::UnZipToStreamByIndex(TStream* stream, int index)
{
    if (!stream)
        return 0;
    OpenZip();
    const TScopeExit close([this] {
        CloseZip();
        cancelRequested_ = false;
    });
    return UnZipEntryToStream(*archiveStream_, *stream, index);
}

int TZipReader::UnZipToDestDir()
{
    cancelRequested_ = false;
    if (destDir_ == "?")
        return 0;
    const TScopeExit close([this] {
        CloseZip();
        cancelRequested_ = false;
    });
    ReadZip();
    OpenZip();
    return UnZipFiles(*archiveStream_);
}

int TZipReader::UnZipSelectedToDestDir()
{
    selectedOnly_ = true;
    const TScopeExit restore([this] { selectedOnly_ = false; });
    return UnZipToDestDir();
}

bool TZipReader::SupportsMethod(std::uint16_t method)
{
    return TEntryDecompressor::Supports(method);
}
