#include "files/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Exceptions.h"
#include "Format.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "files/TemporaryName.h"
#include "records/EntryNames.h"

namespace {

constexpr int NewFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

std::string CreateFailure(const std::string& fileName, int error)
{
    return Format("Cannot create file \"%s\". %s", {fileName, std::strerror(error)});
}

// Reading the umask means setting it, so it is read once: the programs never
// change theirs.
mode_t CurrentUmask()
{
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return mask;
}

bool IsFolder(int folder, const std::string& name)
{
    struct stat info {};
    return ::fstatat(folder, name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::unique_ptr<TOutputFile> TOutputFile::CreateNew(int folder, const std::string& name, const std::string& shownName,
                                                    bool flushOnClose)
{
    TFileHandle file(::openat(folder, name.c_str(), NewFileFlags, 0666));
    if (!file.IsOpen() && errno == EEXIST)
        return nullptr;
    if (!file.IsOpen())
        throw EFCreateError(CreateFailure(shownName, errno));
    return std::unique_ptr<TOutputFile>(
        new TOutputFile(folder, name, name, std::move(file), DefaultFileMode(), shownName, flushOnClose));
}

std::unique_ptr<TOutputFile> TOutputFile::CreateReplacing(int folder, const std::string& name,
                                                          const std::string& shownName, bool flushOnClose)
{
    if (IsFolder(folder, name))
        throw EFCreateError(CreateFailure(shownName, EISDIR));
    for (;;) {
        const std::string temporary = RandomTemporaryName();
        TFileHandle file(::openat(folder, temporary.c_str(), NewFileFlags, 0600));
        if (file.IsOpen())
            return std::unique_ptr<TOutputFile>(new TOutputFile(folder, name, temporary, std::move(file),
                                                                0600 & ~CurrentUmask(), shownName, flushOnClose));
        if (errno != EEXIST)
            throw EFCreateError(CreateFailure(shownName, errno));
    }
}

TOutputFile::TOutputFile(int folder, std::string name, std::string writtenName, TFileHandle file, mode_t mode,
                         std::string shownName, bool flushOnClose)
    : folder_(folder), name_(std::move(name)), writtenName_(std::move(writtenName)), file_(std::move(file)),
      mode_(mode), shownName_(std::move(shownName)), flushOnClose_(flushOnClose)
{
}

TOutputFile::~TOutputFile()
{
    if (committed_)
        return;
    file_.Reset();
    ::unlinkat(folder_, writtenName_.c_str(), 0);
}

std::int64_t TOutputFile::Read(void*, std::int64_t) { return 0; }

std::int64_t TOutputFile::Write(const void* buffer, std::int64_t count)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(file_.Get(), bytes + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing without an error is a full disk.
            writeFailure_ = Format("\"%s\": %s", {shownName_, std::strerror(n < 0 ? errno : ENOSPC)});
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TOutputFile::Seek(std::int64_t offset, int origin)
{
    const off_t reached = ::lseek(file_.Get(), offset, origin);
    if (reached < 0)
        throw EStreamError(Format("Cannot seek in file \"%s\". %s", {shownName_, std::strerror(errno)}));
    return reached;
}

void TOutputFile::Commit(std::optional<std::time_t> modTime, mode_t mode)
{
    if (flushOnClose_ && ::fsync(file_.Get()) != 0) {
        writeFailure_ = Format("\"%s\": %s", {shownName_, std::strerror(errno)});
        throw ECantWriteUCF(LoadStr(IDS_CANTWRITEUCF));
    }
    if (modTime) {
        const timespec times[2] = {{*modTime, 0}, {*modTime, 0}};
        ::futimens(file_.Get(), times);
    }
    if (mode != mode_)
        ::fchmod(file_.Get(), mode);
    file_.Reset();
    if (writtenName_ != name_ && ::renameat(folder_, writtenName_.c_str(), folder_, name_.c_str()) != 0)
        throw EFCreateError(CreateFailure(shownName_, errno));
    committed_ = true;
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
