// The file an archive build writes: a buffered file stream that turns every
// failure to take bytes into ENotEnoughRoom "Not enough room to write
// archive", whether it shows at a write, at the write-out before a seek, or
// at the final write-out and flush to disk (a full disk often shows only
// there). The value checks of the zip records (EWriteError for a size that
// does not fit its field) pass unchanged, as they are no lack of room.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "LFNFileStream.h"
#include "Stream.h"
#include "files/FileHandle.h"

class TArchiveOutput : public TStream {
public:
    // Creates (or empties) the file; the file's own creation errors pass.
    TArchiveOutput(const std::string& fileName, std::int32_t bufferSize, bool flushToDisk);
    // Writes into file, opened elsewhere for reading and writing (a file
    // without a name); shownName names it in messages.
    TArchiveOutput(TFileHandle file, const std::string& shownName, std::int32_t bufferSize, bool flushToDisk);

    std::int64_t Read(void* buffer, std::int64_t count) override;
    // All count bytes, or ENotEnoughRoom.
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // Writes out what is pending and, when asked at creation, forces the
    // file to disk; ENotEnoughRoom when either fails.
    void Close();

    // The operating-system handle of the file.
    int Handle() const { return GetFileStreamHandle(*file_); }

private:
    std::unique_ptr<TLFNFileStream> file_;
};
