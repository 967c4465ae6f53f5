// A new file being unpacked: created exclusively (never through a link) with
// the given mode. It keeps the system's error of a
// write that stopped short, so that a full disk can be told from damage.
#pragma once

#include <filesystem>

#include "Stream.h"

class TUnpackedFile : public TStream {
public:
    TUnpackedFile(const std::filesystem::path& path, mode_t mode);
    ~TUnpackedFile() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;
    void SetSize(std::int64_t newSize) override;

    // The errno of the write that stopped short; 0 while all went well.
    int WriteError() const { return writeError_; }

private:
    int fd_ = -1;
    int writeError_ = 0;
};
