#include "files/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "Exceptions.h"
#include "Format.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "files/ZipLib.h"
#include "records/EntryNames.h"

namespace {

std::string FolderOf(const std::string& fileName)
{
    const std::size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string CreateFailure(const std::string& fileName, int error)
{
    return Format("Cannot create file \"%s\". %s", {fileName, std::strerror(error)});
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

TOutputFile::TOutputFile(std::string target, bool flushOnClose, std::int32_t bufferSize)
    : target_(std::move(target))
{
    if (LFNDirectoryExists(target_))
        throw EFCreateError(CreateFailure(target_, EISDIR));
    temporary_ = GetTempZipFileName(FolderOf(target_));
    try {
        stream_ = std::make_unique<TLFNFileStream>(temporary_, fmOpenWrite, flushOnClose, bufferSize);
    } catch (...) {
        ::unlink(temporary_.c_str());
        throw;
    }
}

TOutputFile::~TOutputFile()
{
    if (temporary_.empty())
        return;
    stream_.reset();
    ::unlink(temporary_.c_str());
}

void TOutputFile::Commit(std::optional<std::time_t> modTime, mode_t mode)
{
    try {
        stream_->Close();
    } catch (const EWriteError&) {
        throw ECantWriteUCF(LoadStr(IDS_CANTWRITEUCF));
    }
    const int fd = GetFileStreamHandle(*stream_);
    if (modTime) {
        const timespec times[2] = {{*modTime, 0}, {*modTime, 0}};
        ::futimens(fd, times);
    }
    ::fchmod(fd, mode);
    stream_.reset();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        throw EFCreateError(CreateFailure(target_, errno));
    temporary_.clear();
}

mode_t DefaultFileMode() { return 0666 & ~CurrentUmask(); }

mode_t ProgramFileMode() { return 0777 & ~CurrentUmask(); }

mode_t ExtractedFileMode(std::uint8_t host, std::uint32_t externalAttributes, bool retainAttributes)
{
    const mode_t standard = DefaultFileMode();
    if (!retainAttributes)
        return standard;
    if (host == HostUnix) {
        const mode_t unixMode = externalAttributes >> 16;
        const mode_t type = unixMode & S_IFMT;
        // Archives from some tools carry no Unix mode at all.
        if ((unixMode & 0777) == 0 || (type != 0 && type != S_IFREG))
            return standard;
        return unixMode & 0777;
    }
    constexpr std::uint32_t DosReadOnly = 0x01;
    return (externalAttributes & DosReadOnly) != 0 ? standard & ~mode_t{0222} : standard;
}

bool IsReadOnlyFile(const std::string& name)
{
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}
