// Turning the caller's FilesList into the exact list of files and folders to
// zip, before a build opens its output.
//
// Folder names (ending in "/") pass unchanged. A name that names a file or
// folder is that one, whatever it holds: on Linux "Best <2024>.pxa" and
// "Kids?.pxa" are ordinary names. Only a name with wildcard characters that
// names nothing is a pattern: such names move aside and are expanded by a
// folder walk after the plain names: "|" in front walks only its own
// folder, ">" the subfolders too, otherwise Recurse decides.
// Plain names without a folder get RootDir in front. Names are dropped when
// excluded, missing (OnNoSuchFile), without the archive attribute (when
// asked), when they are the archive itself, or, under zaFreshen, when the
// archive holds no entry of their stored name. The sizes of the files kept
// make up the run's total for the progress events.
//
// The walk follows no links to folders and yields only regular files and
// folders (files/DirSearch.h); dot-files are files like any other. What it
// cannot read (a folder it may not list, a path too long for the system)
// and what is no regular file or folder (a FIFO, a link to a folder or to
// nothing), walked or named, goes to OnSkippingFile (srSourceUnavailable)
// with the reason in EntryFailure. The archive is recognised by its device
// and inode, so no other spelling of its path gets it into itself.
#include "ZipWriter.h"

#include <sys/stat.h>

#include "files/DirSearch.h"
#include "files/FileNameParts.h"
#include "files/WildMatch.h"
#include "files/ZipLib.h"

void TZipWriter::ExpandFilesList()
{
    totalBytes_ = doneBytes_ = 0;
    if (ZipAction == zaFreshen) {
        // The lookup needs the archive's directory, which no read may have
        // loaded yet.
        if (LFNFileExists(GetZipName()))
            OpenZip();
        Sort(ByName);
    }
    std::vector<std::string> wildcards;
    std::vector<std::string>& files = FilesList();
    for (std::size_t i = 0; i < files.size();) {
        if (files[i].ends_with('/')) {
            ++i;
        } else if (IsWildcardName(files[i])) {
            wildcards.push_back(files[i]);
            files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (KeepPlainName(i)) {
            ++i;
        } else {
            files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (const std::string& name : wildcards)
        ExpandWildcardName(name);
    if (ZipAction == zaFreshen)
        Sort(ByNone);
}

bool TZipWriter::IsWildcardName(const std::string& name) const
{
    if (!ExpandWildcards || !WildcardPos(name))
        return false;
    const std::string path = ExtractFilePath(name).empty() ? RootDir() + name : name;
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0;
}

bool TZipWriter::KeepPlainName(std::size_t index)
{
    std::string& name = FilesList()[index];
    if (ExtractFilePath(name).empty())
        name = RootDir() + name;
    if (IsExcluded(name))
        return false;
    TSearchRec record;
    if (!ReadSearchRec(ExtractFilePath(name), ExtractFileName(name), record)) {
        std::string reason = RefusalOf(ExtractFilePath(name), ExtractFileName(name));
        if (!reason.empty())
            SkipSource(name, std::move(reason));
        else if (OnNoSuchFile)
            OnNoSuchFile(*this, name);
        return false;
    }
    if (SkipIfArchiveBitNotSet && (record.Attr & faArchive) == 0)
        return false;
    if (IsArchiveItself(name))
        return false;
    if (ZipAction == zaFreshen && !FoundInArchive(name))
        return false;
    totalBytes_ += record.Size;
    return true;
}

void TZipWriter::ExpandWildcardName(std::string name)
{
    bool recurse = Recurse;
    if (name.starts_with('|')) {
        recurse = false;
        name.erase(0, 1);
    } else if (name.starts_with('>')) {
        recurse = true;
        name.erase(0, 1);
    }
    std::string folder = ExtractFileDir(name);
    if (folder.empty())
        folder = RootDir();
    // An empty folder is the current one.
    if (!folder.empty() && !WildcardPos(folder) && !LFNDirectoryExists(folder))
        return;
    std::string mask = ExtractFileName(name);
    if (mask == "*.*")
        mask = "*";
    TDirSearch search(folder, recurse, mask,
                      [this](const std::string& path, const std::string& reason) { SkipSource(path, reason); });
    TSearchRec record;
    std::string path;
    for (search.NextFile(record, path); !path.empty(); search.NextFile(record, path)) {
        if (OnRecursingFile)
            OnRecursingFile(*this, path);
        if (KeepFoundFile(path, record, recurse)) {
            FilesList().push_back(path);
            totalBytes_ += record.Size;
        }
    }
}

void TZipWriter::SkipSource(const std::string& path, std::string reason)
{
    entryFailure_ = std::move(reason);
    bool retry = false;
    if (OnSkippingFile)
        OnSkippingFile(*this, srSourceUnavailable, path, -1, retry);
}

bool TZipWriter::KeepFoundFile(const std::string& path, const TSearchRec& record, bool recurse)
{
    if (path.ends_with('/'))
        return recurse && AddDirEntriesOnRecurse;
    if (IsExcluded(path))
        return false;
    PumpMessages();
    if (IsArchiveItself(path))
        return false;
    if (SkipIfArchiveBitNotSet && (record.Attr & faArchive) == 0)
        return false;
    return ZipAction != zaFreshen || FoundInArchive(path);
}

bool TZipWriter::FoundInArchive(const std::string& fileName) const
{
    if (!sortedView_)
        return false;
    std::unique_ptr<TZipHeaderInfo> probe = NewHeaderInfo();
    probe->SetFilename(ExtractFileName(fileName));
    probe->SetDirectory(StoredPathOf(fileName));
    int index = 0;
    return sortedView_->Find(probe.get(), index);
}

bool TZipWriter::IsArchiveItself(const std::string& fileName) const
{
    struct stat archive {};
    struct stat file {};
    return ::stat(GetZipName().c_str(), &archive) == 0 && ::stat(fileName.c_str(), &file) == 0 &&
           archive.st_dev == file.st_dev && archive.st_ino == file.st_ino;
}

bool TZipWriter::IsExcluded(const std::string& FileName) const { return MatchesList(excludeList_, FileName); }

bool TZipWriter::IsNoCompress(const std::string& FileName) const { return MatchesList(noCompressList_, FileName); }

bool TZipWriter::MatchesList(const std::vector<std::string>& list, const std::string& FileName) const
{
    const std::string bare = AsciiLowerCase(ExtractFileName(FileName));
    const std::string full = AsciiLowerCase(FileName);
    for (const std::string& pattern : list)
        if (IsWildcardMatch(AsciiLowerCase(pattern), pattern.find('/') != std::string::npos ? full : bare))
            return true;
    return false;
}
