#include "CacheCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <map>

#include "LockingMark.h"
#include "crc/Crc32.h"

namespace {

// The file's CRC-32 and size, read without following a link.
bool HasContent(const std::filesystem::path& path, const TBundleFile& expected)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::array<char, 65536> chunk;
    std::uint32_t crc = CRC32Start;
    std::uint64_t size = 0;
    ssize_t n = 0;
    while ((n = ::read(fd, chunk.data(), chunk.size())) > 0 || (n < 0 && errno == EINTR)) {
        if (n < 0)
            continue;
        crc = UpdateCRC(crc, chunk.data(), n);
        size += static_cast<std::uint64_t>(n);
    }
    ::close(fd);
    return n == 0 && size == expected.Size && ~crc == expected.CRC32;
}

// The launcher's mark, the one file a folder may hold besides the bundle's:
// empty, and directly inside it.
bool IsLockingMark(const std::filesystem::directory_entry& item, const std::filesystem::path& relative)
{
    std::error_code error;
    return relative == LockingMarkName && std::filesystem::is_regular_file(item.symlink_status()) &&
           item.file_size(error) == 0 && !error;
}

} // namespace

bool IsPrivateFolder(const struct stat& status)
{
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 07777) == 0700;
}

bool IsTrustedCache(const std::filesystem::path& folder, const std::vector<TBundleFile>& files)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !IsPrivateFolder(status))
        return false;
    std::map<std::filesystem::path, const TBundleFile*> expected;
    for (const TBundleFile& file : files)
        expected.emplace(file.Path, &file);
    std::size_t found = 0;
    std::error_code error;
    for (auto item = std::filesystem::recursive_directory_iterator(folder, error);
         !error && item != std::filesystem::recursive_directory_iterator(); item.increment(error)) {
        const std::filesystem::file_status status = item->symlink_status();
        if (std::filesystem::is_directory(status))
            continue;
        const std::filesystem::path relative = item->path().lexically_relative(folder);
        const auto file = expected.find(relative);
        if (file == expected.end() && IsLockingMark(*item, relative))
            continue;
        if (!std::filesystem::is_regular_file(status) || file == expected.end() ||
            !HasContent(item->path(), *file->second))
            return false;
        ++found;
    }
    return !error && found == files.size();
}
