// The two routines through which the compressor meets the rest of the engine:
// it pulls the entry's plain data in and pushes compressed bytes out. It knows
// nothing of files, volumes or encryption; the archive writer implements this
// to count, checksum and encrypt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class TDeflateIO {
public:
    virtual ~TDeflateIO() = default;

    // Places up to buffer.size() bytes of input in buffer and returns how many;
    // 0 means the end of the input. A short count is allowed: the compressor
    // asks again until its request is full or 0 comes back, so the stream it
    // makes never depends on how the input happens to be chunked.
    virtual std::size_t ReadSourceData(std::span<std::uint8_t> buffer) = 0;

    // Takes the next compressed bytes. The buffer is the compressor's output
    // buffer, never its window: the callee may change it in place (encrypt)
    // and the compressor reuses it only after the call returns.
    virtual void WriteArchiveData(std::span<std::uint8_t> data) = 0;
};
