// The walk keeps one TSearchData per folder from the base folder down to the
// folder being listed. Levels above the last folder pattern only lead the way
// down through matching subfolders; the levels from there on give the files
// (and, with recurse, the subfolders) to the caller.
//
// The stack has no depth limit of its own: a tree is walked as deep as the
// system can name its folders, and a folder or file it cannot (a path longer
// than the system takes, a folder that may not be read) is reported by
// name. Links to folders are never followed, so only a folder mounted
// inside itself could lead the walk round in a loop; such a folder is
// reported and not entered again.
#include "files/DirSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>

#include "files/WildMatch.h"
#include "files/ZipLib.h"

namespace {

struct TDirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The regular files and folders of folder and the entries left out (with
// the reason), each sorted by name, and the folder's identity. The error of
// opening the folder, or 0.
int ListFolder(const std::string& folder, std::vector<TSearchRec>& entries, std::vector<TLeftOut>& leftOut,
    TFolderId& id)
{
    const std::unique_ptr<DIR, TDirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return errno;
    struct stat info {};
    if (::fstat(::dirfd(dir.get()), &info) == 0)
        id = {info.st_dev, info.st_ino};
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        TSearchRec record;
        if (ReadSearchRec(folder, name, record)) {
            entries.push_back(std::move(record));
            continue;
        }
        // An entry removed since the folder was read was never there.
        std::string reason = RefusalOf(folder, name);
        if (!reason.empty())
            leftOut.push_back({folder + name, name, std::move(reason)});
    }
    std::sort(entries.begin(), entries.end(), [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
    std::sort(leftOut.begin(), leftOut.end(), [](const TLeftOut& a, const TLeftOut& b) { return a.Name < b.Name; });
    return 0;
}

// A name without an extension is matched with a "." added, so that "*.*"
// takes it and "*." takes only such names.
std::string NameForMatching(const std::string& name)
{
    return name.find('.') == std::string::npos ? name + "." : name;
}

// The base folder of a start path that ends in "/": its components up to the
// first that holds a wildcard character and names no folder. A folder named
// "Best <2024>" is that folder, not a pattern.
std::size_t BaseFolderLength(const std::string& startPath)
{
    std::size_t length = 0;
    for (std::size_t end; (end = startPath.find('/', length)) != std::string::npos; length = end + 1)
        if (WildcardPos(startPath.substr(length, end - length)) && !LFNDirectoryExists(startPath.substr(0, end)))
            break;
    return length;
}

} // namespace

TSearchData::TSearchData(std::string folder, std::string mask) : folder_(std::move(folder)), mask_(std::move(mask))
{
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
    listError_ = ListFolder(folder_, entries_, leftOut_, id_);
    status_ = listError_ != 0 ? listError_ : entries_.empty() ? ENOENT : 0;
    nothingFound_ = status_ != 0;
}

void TSearchData::FindNext()
{
    if (status_ == 0 && ++index_ >= entries_.size())
        status_ = ENOENT;
}

TDirSearch::TDirSearch(std::string startPath, bool recurse, std::string fileMask, TLeftOutEvent onLeftOut)
    : fileMask_(std::move(fileMask)), recurse_(recurse), onLeftOut_(std::move(onLeftOut))
{
    if (!startPath.empty() && startPath.back() != '/')
        startPath += '/';
    const std::size_t baseLength = BaseFolderLength(startPath);
    for (std::size_t from = baseLength; from < startPath.size();) {
        const std::size_t end = startPath.find('/', from);
        if (end > from)
            folderPatterns_.push_back(startPath.substr(from, end - from));
        from = end + 1;
    }
    PushLevel(startPath.substr(0, baseLength));
}

const std::string& TDirSearch::MaskOfLevel(int depth) const
{
    return depth < FolderPatternCount() ? folderPatterns_[static_cast<std::size_t>(depth)] : fileMask_;
}

void TDirSearch::NextFile(TSearchRec& record, std::string& path)
{
    path.clear();
    while (!levels_.empty()) {
        if (Level().Status() != 0)
            LeaveLevel();
        else if (AtFolderPatternLevel())
            EnterMatchingFolder();
        else if (NextEntryOfFileLevel(record, path))
            return;
    }
}

void TDirSearch::PushLevel(const std::string& folder)
{
    const int depth = static_cast<int>(levels_.size());
    levels_.push_back(std::make_unique<TSearchData>(folder, MaskOfLevel(depth)));
    const TSearchData& level = Level();
    // A folder that has gone since its parent was listed was never there.
    if (level.ListError() != 0 && level.ListError() != ENOENT)
        Report(level.Folder(), std::strerror(level.ListError()));
    if (!AtFolderPatternLevel())
        for (const TLeftOut& entry : level.LeftOut())
            if (recurse_ || IsWildcardMatch(fileMask_, NameForMatching(entry.Name)))
                Report(entry.Path, entry.Reason);
}

bool TDirSearch::Enter(const TSearchRec& folder)
{
    const std::string path = Level().Folder() + folder.Name;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && InsideItself({info.st_dev, info.st_ino})) {
        Report(path + "/", std::strerror(ELOOP));
        return false;
    }
    PushLevel(path);
    return true;
}

bool TDirSearch::InsideItself(const TFolderId& folder) const
{
    return std::any_of(levels_.begin(), levels_.end(),
        [&](const std::unique_ptr<TSearchData>& level) { return level->Id() == folder; });
}

void TDirSearch::Report(const std::string& path, const std::string& reason) const
{
    if (onLeftOut_)
        onLeftOut_(path, reason);
}

void TDirSearch::LeaveLevel()
{
    levels_.pop_back();
    if (!levels_.empty())
        Level().FindNext();
}

void TDirSearch::EnterMatchingFolder()
{
    TSearchData& level = Level();
    const std::string& pattern = folderPatterns_[static_cast<std::size_t>(Depth())];
    for (; level.Status() == 0; level.FindNext()) {
        const TSearchRec& entry = level.SearchRec();
        if (IsRealDirectory(entry) && IsWildcardMatch(pattern, entry.Name) && Enter(entry))
            return;
    }
}

bool TDirSearch::NextEntryOfFileLevel(TSearchRec& record, std::string& path)
{
    TSearchData& level = Level();
    const TSearchRec& entry = level.SearchRec();
    if (IsDirectory(entry)) {
        if (recurse_ && IsRealDirectory(entry) && Enter(entry)) {
            record = entry;
            path = level.Folder() + entry.Name + "/";
            return true;
        }
        level.FindNext();
        return false;
    }
    const bool matches = IsWildcardMatch(fileMask_, NameForMatching(entry.Name));
    if (matches) {
        record = entry;
        path = level.Folder() + entry.Name;
    }
    level.FindNext();
    return matches;
}
