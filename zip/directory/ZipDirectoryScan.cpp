// The recovery scan: rebuilds the directory of a damaged archive from its
// local headers, which follow each other from the first entry to the central
// directory.
//
// The archive may lie behind other bytes, such as the program of a
// self-extractor, which may itself hold bytes that look like a local header.
// When the end record survived, it tells where the central directory begins,
// and the run of local headers taken is the first that ends exactly there.
// Otherwise (or when no run ends there) every signature found starts a run,
// and the one taken is the most consistent: the one whose entries' data most
// often end where another record begins (the next local header, the central
// directory, the end record or the end of the file). A look-alike header in
// a program links to nothing. The data of a consistent run's entries start
// no run of their own: an archive stored in an archive is an entry's bytes.
#include <algorithm>
#include <array>
#include <limits>
#include <set>

#include "LittleEndian.h"
#include "ZipMessages.h"
#include "ZipReader.h"
#include "directory/LocalHeaderScan.h"
#include "records/ZipSignatures.h"

namespace {

// Runs tried in search of one that ends at the central directory: enough for
// any program in front of an archive, and a bound on the work that crafted
// bytes can cause.
constexpr int MaxScannedRuns = 64;

} // namespace

struct TZipReader::TLocalRun {
    std::unique_ptr<TSortedZip> Entries;
    // Where the run stopped: at the first byte that is no further entry.
    std::int64_t End = 0;
    // Why the entry the run stopped at cannot be read, when that stopped it.
    std::optional<std::string> Unreadable;
    // How many of its entries' data end where another record begins.
    int Links = 0;

    // A run this engine cannot read comes first: the archive is refused
    // rather than read in part.
    bool BetterThan(const TLocalRun& other) const
    {
        if (Unreadable.has_value() != other.Unreadable.has_value())
            return Unreadable.has_value();
        return Links != other.Links ? Links > other.Links : Entries->Count() > other.Entries->Count();
    }
};

namespace {

// Whether a central header or the end record begins at position, or the
// stream ends there.
bool RecordOrEndAt(TStream& stream, std::int64_t position)
{
    if (position == stream.Size())
        return true;
    std::array<std::uint8_t, 4> bytes{};
    stream.Seek(position, soFromBeginning);
    if (stream.Read(bytes.data(), 4) != 4)
        return false;
    const std::uint32_t signature = GetU32(bytes.data());
    return signature == CentralSignature() || signature == EndSignature();
}

} // namespace

void TZipReader::RecoverByScan(TStream& stream)
{
    // A volume set cannot be scanned from one of its files.
    if (GetMultiMode() != mmNone)
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
    if (!ScanLocalHeaders(stream, static_cast<std::int64_t>(CentralDirectoryBeforeEndRecord())))
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
}

// Lists the entries of the chosen run. Runs at most once per directory read.
// True when it found any.
bool TZipReader::ScanLocalHeaders(TStream& stream, std::optional<std::int64_t> centralStart)
{
    if (rebuilt_)
        return false;
    rebuilt_ = true;
    DropDirectory();
    std::optional<TLocalRun> run = FindLocalRun(stream, centralStart);
    if (!run)
        return false;
    if (run->Unreadable)
        RaiseBadZip(*run->Unreadable);
    if (run->Entries->Count() == 0)
        return false;
    entryList_ = std::move(run->Entries);
    stream.Seek(run->End, soFromBeginning);
    endRecord_.ThisDisk = 0;
    endRecord_.CentralDirDisk = 0;
    currentDisk_ = 0;
    endRecord_.CentralOffset = static_cast<std::uint64_t>(run->End);
    // The count bounds the central headers read after the scan; more entries
    // than the end record can count need zip64, which is refused anyway.
    endRecord_.TotalEntries = static_cast<std::uint16_t>(std::min(entryList_->Count(), 0xFFFF));
    numDisks_ = 1;
    return true;
}

std::optional<TZipReader::TLocalRun> TZipReader::FindLocalRun(TStream& stream,
                                                              std::optional<std::int64_t> centralStart)
{
    std::optional<TLocalRun> best;
    // A header met inside an earlier run starts only what remained of it.
    std::set<std::int64_t> visited;
    std::int64_t from = 0;
    for (int tried = 0; tried < MaxScannedRuns;) {
        stream.Seek(from, soFromBeginning);
        if (!FindLocalHeader(stream, [this] { PumpMessages(); }))
            break;
        const std::int64_t start = stream.Position();
        if (centralStart && start >= *centralStart)
            break;
        from = start + 1;
        if (visited.contains(start))
            continue;
        ++tried;
        TLocalRun run = ReadLocalRun(stream, centralStart, visited);
        if (centralStart && run.End == *centralStart)
            return run;
        if (run.Links > 0)
            from = std::max(from, run.End);
        if (!best || run.BetterThan(*best))
            best = std::move(run);
    }
    return best;
}

// The entries whose local headers follow each other from the stream's
// position, up to limit when one is given.
TZipReader::TLocalRun TZipReader::ReadLocalRun(TStream& stream, std::optional<std::int64_t> limit,
                                               std::set<std::int64_t>& visited)
{
    TLocalRun run;
    run.Entries = std::make_unique<TSortedZip>(dupError);
    run.Entries->SortMode = ByNone;
    const std::int64_t end = limit.value_or(std::numeric_limits<std::int64_t>::max());
    // Where the data of the last entry listed end.
    std::optional<std::int64_t> lastEnd;
    while (stream.Position() < end) {
        const std::int64_t position = stream.Position();
        std::unique_ptr<TZipHeaderInfo> entry = NewHeaderInfo();
        if (!entry->ReadLocalFromStream(stream))
            break;
        if (lastEnd)
            ++run.Links;
        visited.insert(position);
        if (entry->IsZip64()) {
            run.Unreadable = UnreadableReason(*entry);
            break;
        }
        if (!SkipEntryData(stream, *entry, end))
            break;
        if ((run.Unreadable = UnreadableReason(*entry)))
            break;
        run.Entries->Add(std::move(entry));
        lastEnd = stream.Position();
    }
    run.End = stream.Position();
    if (lastEnd == run.End && RecordOrEndAt(stream, run.End))
        ++run.Links;
    stream.Seek(run.End, soFromBeginning);
    return run;
}

// Moves the stream from the end of a local header's name to the next local
// header. An entry with a data descriptor has its sizes there: they are taken
// from it. False when the entry's data has no end before limit.
bool TZipReader::SkipEntryData(TStream& stream, TZipHeaderInfo& entry, std::int64_t limit)
{
    const std::int64_t dataStart = stream.Position() + entry.LocalExtraLength;
    if (!entry.HasDataDescriptor()) {
        stream.Seek(dataStart + static_cast<std::int64_t>(entry.CompressedSize), soFromBeginning);
        return true;
    }
    const std::optional<TDataDescriptor> descriptor =
        FindDataDescriptor(stream, dataStart, limit, [this] { PumpMessages(); });
    if (!descriptor)
        return false;
    entry.CRC32 = descriptor->CRC32;
    entry.CompressedSize = descriptor->CompressedSize;
    entry.UncompressedSize = descriptor->UncompressedSize;
    stream.Seek(descriptor->End, soFromBeginning);
    return true;
}
