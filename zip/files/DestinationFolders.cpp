#include "files/DestinationFolders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "Exceptions.h"
#include "Format.h"

namespace {

// O_PATH: a folder the user may enter and write to but not list is still a
// destination.
constexpr int FolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::vector<std::string> PartsOf(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string WhyNotAFolder(int parent, const std::string& name, std::string_view path, int error)
{
    struct stat info {};
    if (::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
        return Format("\"%s\" is a symbolic link, which extraction does not follow", {std::string(path)});
    if (error == ENOTDIR || error == EEXIST)
        return Format("\"%s\" is not a folder", {std::string(path)});
    return Format("Cannot make folder \"%s\". %s", {std::string(path), std::strerror(error)});
}

} // namespace

TDestinationFolders::TDestinationFolders(const std::string& root)
    : root_(::open(root.empty() ? "." : root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC))
{
    if (!root_.IsOpen())
        throw EFOpenError(Format("Cannot open folder \"%s\". %s", {root, std::strerror(errno)}));
}

int TDestinationFolders::Folder(std::string_view relative)
{
    const std::vector<std::string> parts = PartsOf(relative);
    std::size_t kept = 0;
    while (kept < chain_.size() && kept < parts.size() && chain_[kept].Name == parts[kept])
        ++kept;
    chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(kept), chain_.end());
    std::size_t pathLength = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        pathLength += parts[i].size() + (i > 0 ? 1 : 0);
        if (i < kept)
            continue;
        const int parent = chain_.empty() ? root_.Get() : chain_.back().Handle.Get();
        const int folder = OpenLevel(parent, parts[i], relative.substr(0, pathLength));
        chain_.push_back({parts[i], TFileHandle(folder)});
    }
    return chain_.empty() ? root_.Get() : chain_.back().Handle.Get();
}

int TDestinationFolders::OpenLevel(int parent, const std::string& name, std::string_view path)
{
    int folder = ::openat(parent, name.c_str(), FolderFlags);
    if (folder < 0 && errno == ENOENT) {
        if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST)
            throw EFCreateError(WhyNotAFolder(parent, name, path, errno));
        folder = ::openat(parent, name.c_str(), FolderFlags);
    }
    if (folder < 0)
        throw EFCreateError(WhyNotAFolder(parent, name, path, errno));
    return folder;
}
