// The walk keeps one TSearchData per folder from the base folder down to the
// folder being listed. Levels above the last folder pattern only lead the way
// down through matching subfolders; the levels from there on give the files
// (and, with recurse, the subfolders) to the caller.
#include "files/DirSearch.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>

#include "files/WildMatch.h"
#include "files/ZipLib.h"

namespace {

struct TDirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The regular files and folders of folder, sorted by name; 0, or the error
// of the listing, or ENOENT when it has no such entry.
int ListFolder(const std::string& folder, std::vector<TSearchRec>& entries)
{
    const std::unique_ptr<DIR, TDirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return errno;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        TSearchRec record;
        if (name != "." && name != ".." && ReadSearchRec(folder, name, record))
            entries.push_back(std::move(record));
    }
    std::sort(entries.begin(), entries.end(), [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
    return entries.empty() ? ENOENT : 0;
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
    status_ = ListFolder(folder_, entries_);
    nothingFound_ = status_ != 0;
}

void TSearchData::FindNext()
{
    if (status_ == 0 && ++index_ >= entries_.size())
        status_ = ENOENT;
}

TDirSearch::TDirSearch(std::string startPath, bool recurse, std::string fileMask)
    : fileMask_(std::move(fileMask)), recurse_(recurse)
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
    levels_.push_back(std::make_unique<TSearchData>(startPath.substr(0, baseLength), MaskOfLevel(0)));
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

void TDirSearch::Enter(const TSearchRec& folder)
{
    const int depth = Depth() + 1;
    levels_.push_back(std::make_unique<TSearchData>(Level().Folder() + folder.Name, MaskOfLevel(depth)));
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
        if (IsRealDirectory(entry) && IsWildcardMatch(pattern, entry.Name) && Depth() < MaxDepth) {
            Enter(entry);
            return;
        }
    }
}

bool TDirSearch::NextEntryOfFileLevel(TSearchRec& record, std::string& path)
{
    TSearchData& level = Level();
    const TSearchRec& entry = level.SearchRec();
    if (IsDirectory(entry)) {
        if (recurse_ && IsRealDirectory(entry) && Depth() < MaxDepth) {
            record = entry;
            path = level.Folder() + entry.Name + "/";
            Enter(entry);
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
