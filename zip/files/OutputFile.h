// An extracted file being written. Its bytes go into a new file in the
// target's folder that has no name (files/UnnamedFile.h) or, where the file
// system has no unnamed files, a short hidden temporary name; it gets the
// target's name only at Commit, once it is complete and checked. So nothing
// half written ever has the target's name, an existing file stays as it was
// until then, and a name as long as the system takes still fits. An output
// dropped without Commit leaves nothing behind; so does a program that ends
// on a signal and calls RemoveNamedTemporaries (files/NamedTemporaries.h),
// and SIGKILL at most a hidden temporary, never a file under the target's
// name.
//
// The file is named relative to its folder, an open descriptor that must stay
// open while the output lives (files/DestinationFolders.h). Blocks go
// straight to the file: extraction writes blocks of up to 32 KB, which a
// buffer in front would only copy.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

#include "Stream.h"
#include "files/FileHandle.h"
#include "files/NamedTemporaries.h"

class TOutputFile : public TStream {
public:
    // Whether something (a file, a folder, a symbolic link) has name in
    // folder; EFCreateError, naming shownName, when the system cannot tell
    // (a name too long, a folder that may not be searched).
    static bool NameTaken(int folder, const std::string& name, const std::string& shownName);
    // A new file that is to have name in folder. Replacing, it takes the
    // place of what has that name at Commit (EFCreateError at once when
    // that is a folder); otherwise Commit refuses to replace what took the
    // name meanwhile. shownName names the file in messages. EFCreateError
    // when the file cannot be made.
    static std::unique_ptr<TOutputFile> Create(int folder, const std::string& name, const std::string& shownName,
                                               bool replacing, bool flushOnClose);
    ~TOutputFile() override;

    // Reading gives nothing: the output is written only.
    std::int64_t Read(void* buffer, std::int64_t count) override;
    // Fewer bytes than count when the system refuses the rest; WriteFailure
    // then says why.
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // When asked at creation forces the bytes to disk (ECantWriteUCF when
    // that fails), sets the modification and access times (none: left as
    // they are) and the mode, and gives the file the target's name
    // (EFCreateError when that fails, the target then untouched).
    void Commit(std::optional<std::time_t> modTime, mode_t mode);

    // The file's name and the system's reason of the last failed write.
    const std::string& WriteFailure() const { return writeFailure_; }

private:
    TOutputFile(int folder, std::string name, TFileHandle file, std::string shownName, bool replacing,
                bool flushOnClose);
    void PlaceUnnamed();
    void PlaceNamed();

    int folder_;
    std::string name_;
    // The hidden name the bytes go to; empty while the file has no name.
    std::string temporary_;
    std::unique_ptr<TNamedTemporary> listed_;
    TFileHandle file_;
    std::string shownName_;
    bool replacing_;
    bool flushOnClose_;
    bool committed_ = false;
    std::string writeFailure_;
};

// The mode a newly created file gets: 0666 less the process's umask.
mode_t DefaultFileMode();
// The mode a newly made program gets: 0777 less the process's umask.
mode_t ProgramFileMode();

// The mode of an extracted file. Kept attributes of a Unix-made entry (host
// 3) give its permission bits, never set-user-ID, set-group-ID or sticky;
// an entry of another type (a symbolic link, a device) is extracted as a
// plain file holding its data, with the default mode. For other hosts the
// MS-DOS read-only bit takes away the write bits.
mode_t ExtractedFileMode(std::uint8_t host, std::uint32_t externalAttributes, bool retainAttributes);

// Whether name is a file that nobody may write to (mode bits only: the
// super-user's right to write anyway does not make it writable here).
bool IsReadOnlyFile(const std::string& name);
