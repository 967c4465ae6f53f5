#include "SavingFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Exceptions.h"
#include "Format.h"

namespace pictomake {

namespace {

std::string FolderOf(const std::string& fileName)
{
    const std::size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

} // namespace

TSavingFolder::TSavingFolder(const std::string& albumFile) : folder_(FolderOf(albumFile) + ".pictoria-saving-XXXXXX")
{
    if (!::mkdtemp(folder_.data()))
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {albumFile, std::strerror(errno)}));
}

TSavingFolder::~TSavingFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

} // namespace pictomake
