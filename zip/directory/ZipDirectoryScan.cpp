// The recovery scan: rebuilds the directory of a damaged archive from its
// local headers, which follow each other from the first entry to the central
// directory, and from what survives of the central directory.
//
// The archive may lie behind other bytes, such as the program of a
// self-extractor, which may itself hold bytes that look like a local header.
// Every signature found starts a run of headers that follow each other, and
// every run whose entries' data end where another record begins (the next
// local header, the central directory, the end record or the end of the
// file) is the archive's: a damaged local header breaks the archive into
// several runs and costs only its own entry. A look-alike header in a
// program links to nothing, and so do data that would end past the end of
// the archive (a look-alike's size, or a damaged one). The data of a linked
// run's entries start no run of their own: an archive stored in an archive
// is an entry's bytes. When the end record survived, the runs end where it
// puts the central directory.
//
// The central headers that can still be read then complete the entries
// found, and name those the runs lost: such an entry is listed from its
// central header, damaged when no local header lies where it says, so that
// extraction tries it or names it. A local header inside the archive whose
// data have no end is listed as damaged too, but for the last one of an
// archive cut short, whose data extraction tries. Offsets of an archive that
// counts them from its own start are moved by what most central headers
// bear out.
#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>

#include "LittleEndian.h"
#include "ZipMessages.h"
#include "ZipReader.h"
#include "directory/LocalHeaderScan.h"
#include "records/ZipSignatures.h"

namespace {

// Runs that link to nothing, or that stop at a header whose data have no
// end, tried before the scan gives up: enough for any program in front of an
// archive and for many damaged headers, and a bound on the work that crafted
// bytes can cause (each may search the rest of the file for a descriptor).
constexpr int MaxBrokenRuns = 64;

bool SignatureAt(TStream& stream, std::int64_t position, std::initializer_list<std::uint32_t> signatures)
{
    std::array<std::uint8_t, 4> bytes{};
    stream.Seek(position, soFromBeginning);
    if (stream.Read(bytes.data(), 4) != 4)
        return false;
    const std::uint32_t signature = GetU32(bytes.data());
    return std::find(signatures.begin(), signatures.end(), signature) != signatures.end();
}

// Whether a record begins at position, or the stream ends there.
bool RecordOrEndAt(TStream& stream, std::int64_t position)
{
    return position == stream.Size() ||
           SignatureAt(stream, position, {LocalSignature(), CentralSignature(), EndSignature()});
}

// Whether a central header whose name ends at nameEnd and whose extra field
// and comment end at next is whole: followed by another central header or
// the end record, or reaching the end of what the directory may fill (a cut
// directory). A header whose lengths are damaged is not.
bool CentralHeaderWhole(TStream& stream, std::int64_t nameEnd, std::int64_t next, std::int64_t limit)
{
    return nameEnd <= limit && (next >= limit || SignatureAt(stream, next, {CentralSignature(), EndSignature()}));
}

// The difference between where the scan found local headers and where the
// central headers that name them say they lie, as most of them bear it out;
// none when no central header names an entry found. Only names found once
// vote, so the count stays linear.
std::optional<std::int64_t> OffsetShift(const TSortedZip& found,
                                        const std::vector<std::unique_ptr<TZipHeaderInfo>>& headers)
{
    std::unordered_map<std::string, std::optional<std::uint64_t>> offsets;
    for (int i = 0; i < found.Count(); ++i) {
        const TZipHeaderInfo& entry = *found.Entry(i);
        if (entry.LocalHeaderDamaged)
            continue;
        const auto [place, added] = offsets.try_emplace(entry.FullName(), entry.LocalHeaderOffset);
        if (!added)
            place->second.reset();
    }
    std::map<std::int64_t, int> votes;
    for (const auto& header : headers) {
        const auto place = offsets.find(header->FullName());
        if (place != offsets.end() && place->second)
            ++votes[static_cast<std::int64_t>(*place->second) - static_cast<std::int64_t>(header->LocalHeaderOffset)];
    }
    const auto most = std::max_element(votes.begin(), votes.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most == votes.end())
        return std::nullopt;
    return most->first;
}

} // namespace

bool TZipReader::LocalHeaderNamedAt(TStream& stream, std::int64_t position, const std::string& name) const
{
    std::unique_ptr<TZipHeaderInfo> local = NewHeaderInfo();
    stream.Seek(position, soFromBeginning);
    return local->ReadLocalFromStream(stream) && local->FullName() == name;
}

struct TZipReader::TLocalRun {
    std::vector<std::unique_ptr<TZipHeaderInfo>> Entries;
    // Where the run stopped: at the first byte that is no further entry.
    std::int64_t End = 0;
    // Why the entry the run stopped at cannot be read, when that stopped it.
    std::optional<std::string> Unreadable;
    // How many of its entries' data end where another record begins.
    int Links = 0;
    // The header the run stopped at because its data have no end in the
    // archive, read as far as its name.
    std::unique_ptr<TZipHeaderInfo> Unbounded;
};

void TZipReader::RecoverByScan(TStream& stream)
{
    // A volume set cannot be scanned from one of its files.
    if (GetMultiMode() != mmNone)
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
    if (!ScanLocalHeaders(stream, static_cast<std::int64_t>(CentralDirectoryBeforeEndRecord())))
        RaiseBadZip(LoadStr(IDS_INVALIDZIP));
}

// Lists the entries of every linked run, then completes them from the
// central headers that survive. Runs at most once per directory read. True
// when it found any entry.
bool TZipReader::ScanLocalHeaders(TStream& stream, std::optional<std::int64_t> centralStart)
{
    if (rebuilt_)
        return false;
    rebuilt_ = true;
    DropDirectory();
    TLocalRun found = FindLocalRuns(stream, centralStart);
    if (found.Unreadable)
        RaiseBadZip(*found.Unreadable);
    if (found.Entries.empty())
        return false;
    NewEntryList();
    for (std::unique_ptr<TZipHeaderInfo>& entry : found.Entries)
        entryList_->Add(std::move(entry));
    const std::int64_t centralEnd =
        centralStart ? static_cast<std::int64_t>(endRecord_.CommentPosition - EndRecordSize) : stream.Size();
    stream.Seek(centralStart.value_or(found.End), soFromBeginning);
    AddCentralHeadersAfterScan(stream, centralEnd);
    endRecord_.ThisDisk = 0;
    endRecord_.CentralDirDisk = 0;
    currentDisk_ = 0;
    endRecord_.CentralOffset = static_cast<std::uint64_t>(found.End);
    // More entries than the end record can count need zip64, which is
    // refused anyway.
    endRecord_.TotalEntries = static_cast<std::uint16_t>(std::min(entryList_->Count(), 0xFFFF));
    archiveBase_ = 0;
    numDisks_ = 1;
    return true;
}

// The entries of every linked run before the central directory (limit), in
// their order, and the local headers among them whose data have no end.
TZipReader::TLocalRun TZipReader::FindLocalRuns(TStream& stream, std::optional<std::int64_t> centralStart)
{
    const std::int64_t limit = std::min(centralStart.value_or(std::numeric_limits<std::int64_t>::max()), stream.Size());
    TLocalRun found;
    std::vector<std::unique_ptr<TZipHeaderInfo>> unbounded;
    // A header met inside an earlier run starts only what remained of it.
    std::set<std::int64_t> visited;
    std::int64_t from = 0;
    for (int broken = 0; broken < MaxBrokenRuns;) {
        stream.Seek(from, soFromBeginning);
        if (!FindLocalHeader(stream, [this] { PumpMessages(); }))
            break;
        const std::int64_t start = stream.Position();
        if (start >= limit)
            break;
        from = start + 1;
        if (visited.contains(start))
            continue;
        TLocalRun run = ReadLocalRun(stream, limit, visited);
        if (run.Unreadable) {
            found.Unreadable = std::move(run.Unreadable);
            return found;
        }
        if (run.Unbounded) {
            ++broken;
            unbounded.push_back(std::move(run.Unbounded));
        }
        if (run.Links == 0) {
            broken += run.Entries.empty() ? 0 : 1;
            continue;
        }
        from = std::max(from, run.End);
        found.End = run.End;
        std::move(run.Entries.begin(), run.Entries.end(), std::back_inserter(found.Entries));
    }
    // Only a header among the archive's entries is taken for one of them; one
    // before them may be a program's look-alike. The last entry of an
    // archive cut short is whole but for its data: extraction tells how far
    // they go. Any other such header is damaged.
    for (std::unique_ptr<TZipHeaderInfo>& header : unbounded) {
        if (found.Entries.empty() || header->LocalHeaderOffset < found.Entries.front()->LocalHeaderOffset)
            continue;
        const bool cutShort = !centralStart && !header->HasDataDescriptor() &&
                              static_cast<std::int64_t>(header->LocalHeaderOffset) >= found.End;
        header->LocalHeaderDamaged = !cutShort;
        found.Entries.push_back(std::move(header));
    }
    return found;
}

// The entries whose local headers follow each other from the stream's
// position, up to limit.
TZipReader::TLocalRun TZipReader::ReadLocalRun(TStream& stream, std::int64_t limit, std::set<std::int64_t>& visited)
{
    TLocalRun run;
    // Whether the run ended where the last entry's data end.
    bool atDataEnd = false;
    while (stream.Position() < limit) {
        const std::int64_t position = stream.Position();
        // An earlier run went on from here.
        if (visited.contains(position)) {
            ++run.Links;
            atDataEnd = false;
            break;
        }
        std::unique_ptr<TZipHeaderInfo> entry = NewHeaderInfo();
        atDataEnd = !run.Entries.empty();
        if (!entry->ReadLocalFromStream(stream))
            break;
        atDataEnd = false;
        if (!run.Entries.empty())
            ++run.Links;
        visited.insert(position);
        if ((run.Unreadable = UnreadableReason(*entry)))
            break;
        if (!SkipEntryData(stream, *entry, limit)) {
            stream.Seek(position, soFromBeginning);
            run.Unbounded = std::move(entry);
            break;
        }
        run.Entries.push_back(std::move(entry));
        atDataEnd = true;
    }
    run.End = stream.Position();
    // Data that end where the central directory begins (limit) link up, also
    // when its first header is damaged.
    if (atDataEnd && (run.End == limit || RecordOrEndAt(stream, run.End)))
        ++run.Links;
    stream.Seek(run.End, soFromBeginning);
    return run;
}

// Moves the stream from the end of a local header's name to the next local
// header. An entry with a data descriptor has its sizes there: they are taken
// from it. False when the entry's data have no end at or before limit.
bool TZipReader::SkipEntryData(TStream& stream, TZipHeaderInfo& entry, std::int64_t limit)
{
    const std::int64_t dataStart = stream.Position() + entry.LocalExtraLength;
    if (!entry.HasDataDescriptor()) {
        const std::int64_t dataEnd = dataStart + static_cast<std::int64_t>(entry.CompressedSize);
        if (dataEnd > limit)
            return false;
        stream.Seek(dataEnd, soFromBeginning);
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

// The central headers readable between the stream's position and limit; a
// damaged one is passed over to the next central signature.
std::vector<std::unique_ptr<TZipHeaderInfo>> TZipReader::ReadSurvivingCentralHeaders(TStream& stream,
                                                                                     std::int64_t limit)
{
    std::vector<std::unique_ptr<TZipHeaderInfo>> headers;
    std::int64_t position = stream.Position();
    while (position < limit) {
        std::unique_ptr<TZipHeaderInfo> header = NewHeaderInfo();
        stream.Seek(position, soFromBeginning);
        if (header->ReadCentralFromStream(stream)) {
            const std::int64_t nameEnd = stream.Position();
            const std::int64_t next =
                nameEnd + header->CentralExtraLength + static_cast<std::int64_t>(header->CommentLength());
            if (CentralHeaderWhole(stream, nameEnd, next, limit)) {
                CheckReadable(*header);
                headers.push_back(std::move(header));
                position = next;
                continue;
            }
        }
        stream.Seek(position + 1, soFromBeginning);
        if (!FindCentralHeader(stream, [this] { PumpMessages(); }))
            break;
        position = stream.Position();
    }
    return headers;
}

// Completes the entries found from the central headers that survive, and
// lists those the scan did not find.
void TZipReader::AddCentralHeadersAfterScan(TStream& stream, std::int64_t limit)
{
    std::vector<std::unique_ptr<TZipHeaderInfo>> headers = ReadSurvivingCentralHeaders(stream, limit);
    // When no header names an entry found, one is taken only where a local
    // header of its own name bears it out.
    const std::optional<std::int64_t> shift = OffsetShift(*entryList_, headers);
    for (std::unique_ptr<TZipHeaderInfo>& header : headers) {
        const std::int64_t position = static_cast<std::int64_t>(header->LocalHeaderOffset) + shift.value_or(0);
        // A header of another disk names nothing in this file.
        if (position < 0 || header->DiskNumberStart != 0)
            continue;
        header->LocalHeaderOffset = static_cast<std::uint64_t>(position);
        const int listed = entryList_->IndexOf(header.get());
        if (listed >= 0) {
            if (shift || entryList_->Entry(listed)->FullName() == header->FullName())
                CompleteScannedEntry(*entryList_->Entry(listed), *header);
            continue;
        }
        if (!shift && !LocalHeaderNamedAt(stream, position, header->FullName()))
            continue;
        header->LocalHeaderDamaged = !SignatureAt(stream, position, {LocalSignature()});
        entryList_->Add(std::move(header));
    }
}

// A central header completes the entry found at its local header when it
// names that entry, or when the entry's own header is damaged; one that
// names another entry (a central header pointing at another entry's local
// header) is passed over, so no entry takes another's name.
void TZipReader::CompleteScannedEntry(TZipHeaderInfo& listed, const TZipHeaderInfo& read)
{
    if (!listed.LocalHeaderDamaged && listed.FullName() != read.FullName())
        return;
    const std::uint64_t offset = listed.LocalHeaderOffset;
    listed.Assign(read);
    listed.LocalHeaderOffset = offset;
    // The local header is there: its entry's data are where the central
    // header says.
    listed.LocalHeaderDamaged = false;
}
