// An extracted file that replaces its target only once it is complete: the
// bytes go into a new file beside the target, which is dated, given its mode
// and renamed over the target in one step by Commit. Until then the target
// stays as it was, and an output dropped without Commit leaves nothing.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

#include "LFNFileStream.h"

class TOutputFile {
public:
    // Creates the new file in the target's folder; EFCreateError when it
    // cannot, or when the target is a folder.
    TOutputFile(std::string target, bool flushOnClose, std::int32_t bufferSize);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    TStream& Stream() { return *stream_; }

    // Writes out what is buffered (ECantWriteUCF when that fails), sets the
    // modification and access times (none: left as they are) and the mode,
    // then renames the file over the target (EFCreateError when that fails,
    // the target then untouched).
    void Commit(std::optional<std::time_t> modTime, mode_t mode);

private:
    std::string target_;
    std::string temporary_;
    std::unique_ptr<TLFNFileStream> stream_;
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
