#include "SourceManagerLibrary.h"

#include <cstdlib>
#include <filesystem>

#include <dlfcn.h>

namespace {

// The file name of the source manager that the build puts beside the programs.
constexpr const char* OwnSourceManagerFile = "libpictotwaindsm.so";

} // namespace

std::unique_ptr<SourceManagerLibrary> SourceManagerLibrary::Load(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    auto entry = reinterpret_cast<DSMENTRYPROC>(dlsym(handle, DSM_ENTRY_NAME));
    return std::unique_ptr<SourceManagerLibrary>(new SourceManagerLibrary(handle, entry));
}

SourceManagerLibrary::~SourceManagerLibrary() { dlclose(handle_); }

std::string SourceManagerLibrary::DefaultPath()
{
    if (const char* chosen = std::getenv("PICTORIA_TWAIN_DSM"); chosen && *chosen)
        return chosen;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return (program.parent_path() / OwnSourceManagerFile).string();
}
