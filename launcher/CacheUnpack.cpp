#include "CacheUnpack.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <system_error>

#include "LockingMark.h"
#include "ScopeExit.h"
#include "UnpackedFile.h"

namespace {

bool IsDiskFull(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

// Makes the folders between folder and the file's own, each mode 0700.
void MakeParents(const std::filesystem::path& folder, const std::filesystem::path& relative)
{
    std::filesystem::path path = folder;
    for (const auto& part : relative.parent_path()) {
        path /= part;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::system_error(errno, std::generic_category(), "cannot make \"" + path.string() + "\"");
    }
}

void UnpackFile(TBundleArchive& archive, const TBundleFile& file, const std::filesystem::path& folder)
{
    MakeParents(folder, file.Path);
    const std::filesystem::path target = folder / file.Path;
    TUnpackedFile output(target, 0700);
    try {
        archive.Extract(file, output);
    } catch (const std::exception&) {
        // The engine's own failure hides why the file took no more bytes.
        if (output.WriteError() != 0)
            throw std::system_error(output.WriteError(), std::generic_category(),
                                    "cannot write \"" + target.string() + "\"");
        throw;
    }
}

} // namespace

void UnpackBundle(TBundleArchive& archive, const std::filesystem::path& folder)
{
    // A file-size limit must fail the write, as a full disk does, instead of
    // killing the program before it can clean up.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const TScopeExit restore([previous] { std::signal(SIGXFSZ, previous); });
    try {
        // Marked first: what a killed run leaves is a launcher's too.
        MarkAsLocking(folder);
        for (const TBundleFile& file : archive.Files())
            UnpackFile(archive, file, folder);
    } catch (const std::system_error& e) {
        if (IsDiskFull(e.code().value()))
            throw std::runtime_error("the disk is full: there is no room to unpack the viewer into \"" +
                                     folder.parent_path().string() + "\" (" + e.what() + ")");
        throw;
    }
}
