#include "directory/ReadAheadStream.h"

#include <algorithm>
#include <cstring>

TReadAheadStream::TReadAheadStream(TStream& inner)
    : inner_(inner), size_(inner.Size()), position_(inner.Position()), chunkStart_(position_)
{
}

std::int64_t TReadAheadStream::Read(void* buffer, std::int64_t count)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int64_t total = 0;
    while (total < count) {
        const std::int64_t chunkEnd = chunkStart_ + static_cast<std::int64_t>(chunk_.size());
        if ((position_ < chunkStart_ || position_ >= chunkEnd) && !FillChunk())
            break;
        const std::int64_t offset = position_ - chunkStart_;
        const std::int64_t n = std::min(count - total, static_cast<std::int64_t>(chunk_.size()) - offset);
        std::memcpy(out + total, chunk_.data() + offset, static_cast<std::size_t>(n));
        position_ += n;
        total += n;
    }
    return total;
}

std::int64_t TReadAheadStream::Seek(std::int64_t offset, int origin)
{
    position_ = SeekTarget(offset, origin, position_, size_);
    return position_;
}

bool TReadAheadStream::FillChunk()
{
    chunk_.clear();
    chunkStart_ = position_;
    if (position_ >= size_)
        return false;
    chunk_.resize(static_cast<std::size_t>(std::min(ChunkSize, size_ - position_)));
    inner_.Seek(position_, soFromBeginning);
    const std::int64_t got =
        std::max<std::int64_t>(inner_.Read(chunk_.data(), static_cast<std::int64_t>(chunk_.size())), 0);
    chunk_.resize(static_cast<std::size_t>(got));
    return got > 0;
}
