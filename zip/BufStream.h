// A read and write buffer in front of another stream. Every file the engine
// opens goes through one, so reads and writes reach the inner stream in
// pieces of the buffer size, however large or small the caller's are.
//
// The buffer is in one of three states, and the logical position follows
// from the inner stream's position and the buffer:
//   idle     nothing pending            logical = inner
//   reading  current..end read ahead    logical = inner - (end - current)
//   writing  start..current pending     logical = inner + (current - start)
//
// The buffered stream owns its buffer, not the inner stream. Pending bytes
// are written out when the buffer is full, before a read, at a seek that
// changes the position, at Close and (best effort, silently) at destruction.
// A write-out that falls short is reported: Write returns fewer bytes, a
// read or Close raises EWriteError, a seek raises the seek error.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "Stream.h"

// The stream's own message texts.
inline constexpr const char* SeekErrorText = "\nSeek error";
inline constexpr const char* InvalidSeekOriginText = "Invalid seek origin (%d)";
inline constexpr const char* PutbackOverflowText = "Putback overflow";

class TS_BufferStream : public TStream {
public:
    enum class TBufferState : std::uint8_t { Idle = 0, Reading = 1, Writing = 2 };

    // Raises EStreamError for a buffer size below 1.
    TS_BufferStream(TStream& inner, std::int32_t bufferSize);
    // Writes out what is pending and, when asked, forces it to disk; failures
    // are swallowed here. Call Close first to learn of them.
    ~TS_BufferStream() override;

    // Returns fewer bytes than count at the end of the inner stream. Raises
    // EWriteError when bytes pending before the read cannot be written out.
    std::int64_t Read(void* buffer, std::int64_t count) override;
    // Returns the bytes that reached the inner stream or wait in the buffer;
    // fewer than count when a write-out fell short.
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    // Origin soFromEnd counts back by |offset| from the end: the inner size,
    // or the end of the bytes pending beyond it. So Size() is the file's,
    // also after a seek past its end. While reading, a target within the bytes
    // of the last refill (or just past them) moves within the buffer; any
    // other target drops the buffer, and so does every seek that changes the
    // position after a PutBack. Raises Exception for an invalid origin or a
    // target before the start (nothing changes), and the seek error when
    // pending bytes cannot all be written out.
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // Writes out what is pending and, for a stream that flushes on destroy
    // and was written, forces it to disk. Raises EWriteError when either
    // fails. The stream stays usable.
    void Close();

    // Reads the next buffer-full from the inner stream, giving up what was
    // read ahead and writing out what is pending first (EWriteError when that
    // falls short). True when any bytes came.
    bool FillBuffer();
    // Writes out the pending bytes; true when the inner stream took them all.
    // Bytes it did not take are dropped. Does nothing unless writing.
    bool FlushBuffer();
    // Steps back one byte while reading, so the next Read returns it first.
    // Raises EStreamError "Putback overflow" when not reading or at the start
    // of the buffer.
    void PutBack(std::uint8_t byte);
    void DoFillBuffer();
    void DoFlushBuffer();

    TBufferState State() const { return state_; }

    // Fired with the stream after each refill and each write-out.
    std::function<void(TS_BufferStream& sender)> OnFillBuffer;
    std::function<void(TS_BufferStream& sender)> OnFlushBuffer;

protected:
    // Set by streams that must force their written data to disk on close.
    bool flushOnDestroy_ = false;

private:
    std::int64_t PendingCount() const { return current_ - buffer_.data(); }
    std::int64_t LogicalPosition();
    bool MoveInsideBuffer(std::int64_t target, std::int64_t position);
    std::int64_t TargetOf(std::int64_t offset, int origin, std::int64_t position);
    void StartWriteBuffer();
    std::int64_t WriteOut();
    void WriteOutPendingOrRaise();
    void ForceWriteOutOrRaise();

    TStream& inner_;
    std::vector<std::uint8_t> buffer_;
    std::uint8_t* current_ = nullptr;  // none until a read or write sets it
    std::uint8_t* end_ = nullptr;
    TBufferState state_ = TBufferState::Idle;
    bool written_ = false;
    // While reading: the inner stream's position, at the end of the refill.
    std::int64_t readEnd_ = 0;
    // A byte of the buffer was replaced by PutBack since the last refill.
    bool putBack_ = false;
};
