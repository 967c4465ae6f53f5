// A read-only view of another stream that reads it in large chunks and
// moves within the chunk it holds without touching the stream beneath.
//
// The central directory is a run of small records, each followed by fields
// the reader steps over. Stepping over them on the archive's own buffered
// stream would drop and refill its buffer at every entry; here a step inside
// the chunk is a pointer move, and the stream beneath is read sequentially,
// one chunk after the other.
//
// The stream beneath must not change while the view is used: its size is
// taken once. Writing is refused (0 bytes written).
#pragma once

#include <cstdint>
#include <vector>

#include "Stream.h"

class TReadAheadStream : public TStream {
public:
    static constexpr std::int64_t ChunkSize = 256 * 1024;

    // Starts at the inner stream's position.
    explicit TReadAheadStream(TStream& inner);

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    // Raises EStreamError for an invalid origin or a target before the start.
    std::int64_t Seek(std::int64_t offset, int origin) override;

private:
    // Reads the chunk that starts at the current position; false at the end.
    bool FillChunk();

    TStream& inner_;
    std::int64_t size_;
    std::int64_t position_;
    // The bytes held begin at chunkStart_ in the inner stream.
    std::int64_t chunkStart_;
    std::vector<std::uint8_t> chunk_;
};
