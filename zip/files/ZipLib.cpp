#include "files/ZipLib.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "Exceptions.h"
#include "Format.h"
#include "Stream.h"
#include "ZipUI.h"

std::int64_t MinInt64(std::int64_t a, std::int64_t b) { return b < a ? b : a; }

std::int64_t MaxInt64(std::int64_t a, std::int64_t b) { return a < b ? b : a; }

std::int64_t CalcPercent(std::int32_t total, std::int32_t part) { return CalcPercent64(total, part); }

std::int64_t CalcPercent64(std::int64_t total, std::int64_t part)
{
    if (total <= 0)
        return 0;
    if (part >= total)
        return 100;
    // part x 100 needs more than 64 bits for large parts.
    const __int128 scaled = static_cast<__int128>(part) * 100;
    __int128 quotient = scaled / total;
    __int128 remainder = scaled % total;
    if (remainder < 0) {
        quotient -= 1;
        remainder += total;
    }
    if (2 * remainder > total || (2 * remainder == total && quotient % 2 != 0))
        ++quotient;
    return quotient < INT64_MIN ? INT64_MIN : static_cast<std::int64_t>(quotient);
}

std::string& BackslashToSlash(std::string& text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string& SlashToBackslash(std::string& text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string RightChars(const std::string& text, std::int64_t count)
{
    if (count <= 0)
        return {};
    const auto size = static_cast<std::int64_t>(text.size());
    return count >= size ? text : text.substr(static_cast<std::size_t>(size - count));
}

std::string LeftChars(const std::string& text, std::int64_t count)
{
    if (count <= 0)
        return {};
    return text.substr(0, static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(text.size()))));
}

bool WildcardPos(const std::string& text) { return text.find_first_of(WildcardChars) != std::string::npos; }

void LFNForceDirectories(const std::string& folder)
{
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);
}

bool LFNFileExists(const std::string& fileName)
{
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool LFNDirectoryExists(const std::string& folder)
{
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void LFNGetDir(int, std::string& folder)
{
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    folder = error ? "." : current.string();
}

bool RenameReplacing(const std::string& source, const std::string& destination)
{
    return ::rename(source.c_str(), destination.c_str()) == 0;
}

void MoveFileOrCopy(const std::string& source, const std::string& destination)
{
    if (RenameReplacing(source, destination))
        return;
    try {
        CopyFileReplacing(source, destination);
    } catch (const EStreamError&) {
        ZipUI().MessageBox("Could not copy from " + source + " -> " + destination, "Error", TMsgButtons::Ok);
        throw;
    }
}

namespace {

// The folder part of a file name, with its final "/"; empty for a bare name.
std::string FolderOf(const std::string& fileName)
{
    const std::size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// A file that is removed again unless it is kept.
class TTempFile {
public:
    explicit TTempFile(std::string name) : name_(std::move(name)) {}
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile()
    {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    const std::string& Name() const { return name_; }
    void Keep() { name_.clear(); }

private:
    std::string name_;
};

std::string WriteFailure(const std::string& fileName, int error)
{
    return Format("Cannot write file \"%s\". %s", {fileName, std::strerror(error)});
}

// Copies the rest of in to out; returns the bytes copied.
std::int64_t CopyStream(TFileStream& in, TFileStream& out)
{
    std::vector<char> chunk(64 * 1024);
    std::int64_t copied = 0;
    for (;;) {
        const std::int64_t n = in.Read(chunk.data(), static_cast<std::int64_t>(chunk.size()));
        if (n <= 0)
            return copied;
        errno = 0;
        if (out.Write(chunk.data(), n) != n)
            throw EWriteError(WriteFailure(out.FileName(), errno != 0 ? errno : EIO));
        copied += n;
    }
}

} // namespace

void CopyFileReplacing(const std::string& source, const std::string& destination)
{
    TFileStream in(source, fmOpenRead);
    struct stat info {};
    if (::fstat(in.Handle(), &info) != 0 || !S_ISREG(info.st_mode))
        throw EFOpenError(Format("Cannot open file \"%s\". %s", {source, "Not a regular file"}));

    TTempFile copy(GetTempZipFileName(FolderOf(destination)));
    {
        TFileStream out(copy.Name(), fmOpenWrite);
        const std::int64_t copied = CopyStream(in, out);
        if (copied != info.st_size)
            throw EReadError(Format("Cannot read file \"%s\": %d of %d bytes read",
                {source, IntToStr(copied), IntToStr(info.st_size)}));
        if (::fchmod(out.Handle(), info.st_mode & 0777) != 0 || !out.FlushToDisk())
            throw EWriteError(WriteFailure(copy.Name(), errno));
    }
    if (::rename(copy.Name().c_str(), destination.c_str()) != 0)
        throw EWriteError(Format("Cannot replace file \"%s\". %s", {destination, std::strerror(errno)}));
    copy.Keep();
}

std::string GetTempZipFileName(const std::string& folder)
{
    std::string name = folder;
    if (!name.empty() && name.back() != '/')
        name += '/';
    name += "KPZXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {name, std::strerror(errno)}));
    ::close(fd);
    return name;
}

void ConvertPathForm(const std::string& path, int, std::string& result) { result = path; }
