// An extracted file being written. Where nothing has the target's name, the
// file is created under that name at once and exclusively (nothing else can
// be there or appear there meanwhile). Where something has, the bytes go into
// a new file beside it, which replaces the target in one step at Commit, so
// the old file stays as it was until the new one is complete. An output
// dropped without Commit leaves nothing behind, neither the new file nor a
// partial one.
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

class TOutputFile : public TStream {
public:
    // A new file name in folder; none when something of that name is there.
    // shownName names the file in messages. EFCreateError when the file
    // cannot be made.
    static std::unique_ptr<TOutputFile> CreateNew(int folder, const std::string& name, const std::string& shownName,
                                                  bool flushOnClose);
    // A new file beside name in folder, to replace it at Commit.
    // EFCreateError when name is a folder or the new file cannot be made.
    static std::unique_ptr<TOutputFile> CreateReplacing(int folder, const std::string& name,
                                                        const std::string& shownName, bool flushOnClose);
    ~TOutputFile() override;

    // Reading gives nothing: the output is written only.
    std::int64_t Read(void* buffer, std::int64_t count) override;
    // Fewer bytes than count when the system refuses the rest; WriteFailure
    // then says why.
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // When asked at creation forces the bytes to disk (ECantWriteUCF when
    // that fails), sets the modification and access times (none: left as
    // they are) and the mode, and puts the file in place of the target
    // (EFCreateError when that fails, the target then untouched).
    void Commit(std::optional<std::time_t> modTime, mode_t mode);

    // The file's name and the system's reason of the last failed write.
    const std::string& WriteFailure() const { return writeFailure_; }

private:
    TOutputFile(int folder, std::string name, std::string writtenName, TFileHandle file, mode_t mode,
                std::string shownName, bool flushOnClose);

    int folder_;
    std::string name_;
    // The name the bytes go to: name_ itself, or a new name beside it.
    std::string writtenName_;
    TFileHandle file_;
    // The mode the file was created with.
    mode_t mode_;
    std::string shownName_;
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
