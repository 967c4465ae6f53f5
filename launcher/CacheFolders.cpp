#include "CacheFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

std::filesystem::path MakePrivateFolder(const std::filesystem::path& root, const std::string& prefix)
{
    std::string pattern = (root / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), "cannot make a folder in \"" + root.string() + "\"");
    return pattern;
}

void RemoveQuietly(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void RemoveFolder(const std::filesystem::path& folder, const std::filesystem::path& root)
{
    const std::filesystem::path stale = MakePrivateFolder(root, ".stale-");
    if (std::rename(folder.c_str(), stale.c_str()) != 0) {
        const int error = errno;
        RemoveQuietly(stale);
        throw std::system_error(error, std::generic_category(), "cannot move \"" + folder.string() + "\" aside");
    }
    RemoveQuietly(stale);
}
