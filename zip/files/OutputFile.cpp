#include "files/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Exceptions.h"
#include "Format.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "files/TemporaryName.h"
#include "files/UnnamedFile.h"
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

// Nobody else may read a named file while it is being written. An unnamed
// one nobody else can open: it gets the usual mode at once, which most
// files keep.
constexpr mode_t TemporaryMode = 0600;
constexpr mode_t UnnamedMode = 0666;

// Hidden, so that one left by a killed run does not mix with the files, and
// short, so that the longest name the system takes fits beside it.
std::string HiddenTemporaryName() { return "." + RandomTemporaryName(); }

// renameat that refuses to replace anything. File systems that cannot
// refuse in the rename itself (NFS) get a link and the temporary's removal.
int RenameWithoutReplacing(int folder, const std::string& from, const std::string& to)
{
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0)
        return -1;
    ::unlinkat(folder, from.c_str(), 0);
    return 0;
}

} // namespace

bool TOutputFile::NameTaken(int folder, const std::string& name, const std::string& shownName)
{
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        throw EFCreateError(CreateFailure(shownName, errno));
    return false;
}

std::unique_ptr<TOutputFile> TOutputFile::Create(int folder, const std::string& name, const std::string& shownName,
                                                 bool replacing, bool flushOnClose)
{
    if (replacing && IsFolder(folder, name))
        throw EFCreateError(CreateFailure(shownName, EISDIR));
    if (std::optional<TFileHandle> unnamed = OpenUnnamedFileAt(folder, UnnamedMode))
        return std::unique_ptr<TOutputFile>(
            new TOutputFile(folder, name, std::move(*unnamed), shownName, replacing, flushOnClose));
    for (;;) {
        const std::string temporary = HiddenTemporaryName();
        auto listed = std::make_unique<TNamedTemporary>(folder, temporary);
        TFileHandle file(::openat(folder, temporary.c_str(), NewFileFlags, TemporaryMode));
        if (file.IsOpen()) {
            std::unique_ptr<TOutputFile> output(
                new TOutputFile(folder, name, std::move(file), shownName, replacing, flushOnClose));
            output->temporary_ = temporary;
            output->listed_ = std::move(listed);
            return output;
        }
        if (errno != EEXIST)
            throw EFCreateError(CreateFailure(shownName, errno));
    }
}

TOutputFile::TOutputFile(int folder, std::string name, TFileHandle file, std::string shownName, bool replacing,
                         bool flushOnClose)
    : folder_(folder), name_(std::move(name)), file_(std::move(file)), shownName_(std::move(shownName)),
      replacing_(replacing), flushOnClose_(flushOnClose)
{
}

TOutputFile::~TOutputFile()
{
    file_.Reset();
    if (!committed_ && !temporary_.empty())
        ::unlinkat(folder_, temporary_.c_str(), 0);
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
    // The mode the file was created with, changed only when it is to have
    // another.
    const mode_t created = (temporary_.empty() ? UnnamedMode : TemporaryMode) & ~CurrentUmask();
    if (mode != created)
        ::fchmod(file_.Get(), mode);
    if (temporary_.empty())
        PlaceUnnamed();
    else
        PlaceNamed();
    committed_ = true;
    file_.Reset();
}

void TOutputFile::PlaceUnnamed()
{
    if (!replacing_) {
        if (!LinkUnnamedFile(file_.Get(), folder_, name_))
            throw EFCreateError(CreateFailure(shownName_, errno));
        return;
    }
    // A link cannot replace: the file is named beside the target first.
    for (;;) {
        const std::string temporary = HiddenTemporaryName();
        const TNamedTemporary listed(folder_, temporary);
        if (LinkUnnamedFile(file_.Get(), folder_, temporary)) {
            if (::renameat(folder_, temporary.c_str(), folder_, name_.c_str()) == 0)
                return;
            const int error = errno;
            ::unlinkat(folder_, temporary.c_str(), 0);
            throw EFCreateError(CreateFailure(shownName_, error));
        }
        if (errno != EEXIST)
            throw EFCreateError(CreateFailure(shownName_, errno));
    }
}

void TOutputFile::PlaceNamed()
{
    const int placed = replacing_ ? ::renameat(folder_, temporary_.c_str(), folder_, name_.c_str())
                                  : RenameWithoutReplacing(folder_, temporary_, name_);
    if (placed != 0)
        throw EFCreateError(CreateFailure(shownName_, errno));
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
