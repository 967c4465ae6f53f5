// The writer component's settings, their coupling rules and the operations
// through which a build starts. The build is in write/BuildArchive.cpp.
#include "ZipWriter.h"

#include "ScopeExit.h"
#include "files/FileNameParts.h"

TZipWriter::TZipWriter()
{
    SetMultiMode(multiZipInfo_.MultiMode);
    SetCheckDiskLabels(multiZipInfo_.CheckDiskLabels);
}

void TZipWriter::SetStoreVolumes(bool value)
{
    if (value == storeVolumes_)
        return;
    storeVolumes_ = value;
    if (value)
        storePaths_ = true;
}

void TZipWriter::SetStorePaths(bool value)
{
    if (value == storePaths_)
        return;
    if (!value) {
        storeVolumes_ = false;
        relativePaths_ = false;
    }
    storePaths_ = value;
}

void TZipWriter::SetRelativePaths(bool value)
{
    if (value == relativePaths_)
        return;
    if (value) {
        storePaths_ = true;
        Recurse = true;
    }
    relativePaths_ = value;
}

void TZipWriter::SetMultiMode(TMultiMode value)
{
    multiZipInfo_.MultiMode = value;
    TZipReader::SetMultiMode(value);
}

void TZipWriter::SetCheckDiskLabels(bool value)
{
    multiZipInfo_.CheckDiskLabels = value;
    TZipReader::SetCheckDiskLabels(value);
}

void TZipWriter::Assign(const TZipWriter& source)
{
    if (&source == this)
        return;
    TZipReader::Assign(source);
    PackLevel = source.PackLevel;
    Recurse = source.Recurse;
    ExpandWildcards = source.ExpandWildcards;
    Dispose = source.Dispose;
    storePaths_ = source.storePaths_;
    relativePaths_ = source.relativePaths_;
    storeVolumes_ = source.storeVolumes_;
    ZipAction = source.ZipAction;
    multiZipInfo_.Assign(source.multiZipInfo_);
    Store83Names = source.Store83Names;
    TempPath = source.TempPath;
    SkipIfArchiveBitNotSet = source.SkipIfArchiveBitNotSet;
    ResetArchiveBitOnZip = source.ResetArchiveBitOnZip;
    excludeList_ = source.excludeList_;
    noCompressList_ = source.noCompressList_;
    AddDirEntriesOnRecurse = source.AddDirEntriesOnRecurse;
    OnStartZip = source.OnStartZip;
    OnStartZipInfo = source.OnStartZipInfo;
    OnEndZip = source.OnEndZip;
    OnDisposeFile = source.OnDisposeFile;
    OnDeleteEntry = source.OnDeleteEntry;
    OnNoSuchFile = source.OnNoSuchFile;
    OnZipComplete = source.OnZipComplete;
    OnUpdate = source.OnUpdate;
}

void TZipWriter::Loaded()
{
    SetCheckDiskLabels(multiZipInfo_.CheckDiskLabels);
    SetMultiMode(multiZipInfo_.MultiMode);
}

int TZipWriter::ZipListedFiles()
{
    const int count = BuildArchive();
    if (OnZipComplete)
        OnZipComplete(*this, count);
    return count;
}

int TZipWriter::AddStreamEntry(TStream* Stream, const std::string& Name)
{
    return AddStreamEntries({TStreamEntry{Stream, Name, Password}});
}

int TZipWriter::AddStreamEntries(const std::vector<TStreamEntry>& entries)
{
    std::vector<TStreamEntry> usable;
    for (const TStreamEntry& entry : entries)
        if ((entry.Stream || entry.Stored) && !TrimBlanks(entry.Name).empty())
            usable.push_back(entry);
    if (usable.empty())
        return 0;
    cancelRequested_ = false;
    streamMode_ = true;
    streamEntries_ = usable;
    FilesList().clear();
    for (const TStreamEntry& entry : usable)
        FilesList().push_back(entry.Name);
    const TScopeExit leaveStreamMode([this] {
        streamMode_ = false;
        streamEntries_.clear();
        CloseZip();
    });
    return ZipListedFiles();
}
