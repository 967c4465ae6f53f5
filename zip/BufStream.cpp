#include "BufStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "Exceptions.h"
#include "Format.h"

namespace {

constexpr const char* InvalidBufferSizeText = "Invalid stream buffer size (%d)";
constexpr const char* WriteOutErrorText = "Cannot write out the buffered data";
constexpr const char* ForceWriteOutErrorText = "Cannot force file \"%s\" to disk. %s";

} // namespace

TS_BufferStream::TS_BufferStream(TStream& inner, std::int32_t bufferSize) : inner_(inner)
{
    // A buffer of no bytes would never fill and never drain.
    if (bufferSize < 1)
        throw EStreamError(Format(InvalidBufferSizeText, {IntToStr(bufferSize)}));
    buffer_.resize(static_cast<std::size_t>(bufferSize));
    end_ = buffer_.data() + buffer_.size();
}

TS_BufferStream::~TS_BufferStream()
{
    try {
        FlushBuffer();
        ForceWriteOutOrRaise();
    } catch (...) {
        // Best effort only: callers that must know call Close first.
    }
}

std::int64_t TS_BufferStream::Read(void* buffer, std::int64_t count)
{
    WriteOutPendingOrRaise();
    if (state_ != TBufferState::Reading)
        current_ = end_;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int64_t total = 0;
    while (count > 0) {
        if (current_ == end_ && !FillBuffer())
            break;
        const std::int64_t n = std::min(count, static_cast<std::int64_t>(end_ - current_));
        std::memcpy(out + total, current_, static_cast<std::size_t>(n));
        current_ += n;
        total += n;
        count -= n;
    }
    return total;
}

std::int64_t TS_BufferStream::Write(const void* buffer, std::int64_t count)
{
    if (state_ == TBufferState::Reading)
        inner_.SetPosition(LogicalPosition());
    if (state_ != TBufferState::Writing)
        StartWriteBuffer();
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::int64_t earlierPending = PendingCount();
    std::int64_t total = 0;
    while (count > 0) {
        const std::int64_t n = std::min(count, static_cast<std::int64_t>(end_ - current_));
        std::memcpy(current_, in + total, static_cast<std::size_t>(n));
        current_ += n;
        total += n;
        count -= n;
        if (current_ == end_) {
            const std::int64_t full = PendingCount();
            const std::int64_t taken = WriteOut();
            if (taken < full) {
                // The lost bytes are the buffer's tail; those of this call
                // were never written, so they are not counted.
                total -= std::min(full - taken, full - earlierPending);
                break;
            }
            earlierPending = 0;
        }
    }
    if (current_ != buffer_.data())
        state_ = TBufferState::Writing;
    written_ = true;
    return total;
}

std::int64_t TS_BufferStream::Seek(std::int64_t offset, int origin)
{
    const std::int64_t position = LogicalPosition();
    const std::int64_t target = TargetOf(offset, origin, position);
    if (target == position || MoveInsideBuffer(target, position))
        return target;
    if (!FlushBuffer())
        throw Exception(SeekErrorText);
    inner_.Seek(target, soFromBeginning);
    current_ = nullptr;
    state_ = TBufferState::Idle;
    return target;
}

void TS_BufferStream::Close()
{
    WriteOutPendingOrRaise();
    ForceWriteOutOrRaise();
}

bool TS_BufferStream::FillBuffer()
{
    WriteOutPendingOrRaise();
    // Reading on from the last refill, the inner position is known without
    // asking the inner stream (a system call for a file).
    const bool readingOn = state_ == TBufferState::Reading;
    const auto size = static_cast<std::int64_t>(buffer_.size());
    const std::int64_t got = std::clamp<std::int64_t>(inner_.Read(buffer_.data(), size), 0, size);
    current_ = buffer_.data();
    end_ = current_ + got;
    state_ = got > 0 ? TBufferState::Reading : TBufferState::Idle;
    if (got > 0)
        readEnd_ = readingOn ? readEnd_ + got : inner_.Position();
    putBack_ = false;
    DoFillBuffer();
    return got > 0;
}

bool TS_BufferStream::FlushBuffer()
{
    if (state_ != TBufferState::Writing)
        return true;
    const std::int64_t pending = PendingCount();
    return WriteOut() == pending;
}

void TS_BufferStream::PutBack(std::uint8_t byte)
{
    // While writing, the bytes before current are pending output, not input.
    if (state_ != TBufferState::Reading || current_ == buffer_.data())
        throw EStreamError(PutbackOverflowText);
    --current_;
    *current_ = byte;
    putBack_ = true;
}

void TS_BufferStream::DoFillBuffer()
{
    if (OnFillBuffer)
        OnFillBuffer(*this);
}

void TS_BufferStream::DoFlushBuffer()
{
    if (OnFlushBuffer)
        OnFlushBuffer(*this);
}

std::int64_t TS_BufferStream::LogicalPosition()
{
    switch (state_) {
    // The inner stream stays where the refill left it: no need to ask it.
    case TBufferState::Reading: return readEnd_ - (end_ - current_);
    case TBufferState::Writing: return inner_.Position() + PendingCount();
    case TBufferState::Idle: break;
    }
    return inner_.Position();
}

// A target among the bytes of the last refill, or just past them, is reached
// by moving within the buffer: the directory steps over extra fields and
// comments, and extraction over local names, without a refill. A byte put
// back is no byte of the inner stream, so a buffer that holds one is left.
bool TS_BufferStream::MoveInsideBuffer(std::int64_t target, std::int64_t position)
{
    if (state_ != TBufferState::Reading || putBack_)
        return false;
    if (target < position - (current_ - buffer_.data()) || target > position + (end_ - current_))
        return false;
    current_ += target - position;
    return true;
}

std::int64_t TS_BufferStream::TargetOf(std::int64_t offset, int origin, std::int64_t position)
{
    std::int64_t target = 0;
    bool overflow = false;
    switch (origin) {
    case soFromBeginning: target = offset; break;
    case soFromCurrent: overflow = __builtin_add_overflow(position, offset, &target); break;
    case soFromEnd:
        // Counts back from the end whatever the offset's sign. The end is
        // the inner stream's, or that of the bytes pending beyond it: a
        // position past the end that nothing was written at is no end.
        overflow = offset == std::numeric_limits<std::int64_t>::min();
        if (!overflow)
            target = std::max(state_ == TBufferState::Writing ? position : 0, inner_.Size()) - std::abs(offset);
        break;
    default: throw Exception(Format(InvalidSeekOriginText, {IntToStr(origin)}));
    }
    if (overflow || target < 0)
        throw Exception(SeekErrorText);
    return target;
}

void TS_BufferStream::StartWriteBuffer()
{
    current_ = buffer_.data();
    end_ = current_ + buffer_.size();
    state_ = TBufferState::Idle;
}

// Hands the pending bytes to the inner stream and empties the buffer; returns
// how many the inner stream took. The rest are gone.
std::int64_t TS_BufferStream::WriteOut()
{
    const std::int64_t pending = PendingCount();
    const std::int64_t taken = std::clamp<std::int64_t>(inner_.Write(buffer_.data(), pending), 0, pending);
    current_ = buffer_.data();
    state_ = TBufferState::Idle;
    DoFlushBuffer();
    return taken;
}

void TS_BufferStream::WriteOutPendingOrRaise()
{
    if (!FlushBuffer())
        throw EWriteError(WriteOutErrorText);
}

void TS_BufferStream::ForceWriteOutOrRaise()
{
    auto* file = dynamic_cast<TFileStream*>(&inner_);
    if (!flushOnDestroy_ || !written_ || !file)
        return;
    // A failed fsync is not worth retrying: the error may be gone by then
    // while the data is still lost.
    written_ = false;
    if (!file->FlushToDisk())
        throw EWriteError(Format(ForceWriteOutErrorText, {file->FileName(), std::strerror(errno)}));
}
