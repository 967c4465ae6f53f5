#include "legacy/HistoryWindow.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

// New bytes gather in blocks of this size before they go to the output.
constexpr std::size_t RoomSize = 2 * UnzipBlockSize;

} // namespace

THistoryWindow::THistoryWindow(TUnzipIO& io, std::size_t historySize, std::uint64_t entrySize)
    : io_(io), historySize_(historySize), buffer_(historySize + RoomSize), out_(buffer_.data() + historySize),
      end_(buffer_.data() + buffer_.size()), left_(entrySize)
{
}

void THistoryWindow::CopyMatch(std::size_t distance, std::size_t length)
{
    assert(distance >= 1 && distance <= historySize_);
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, left_));
    left_ -= length;
    while (length > 0) {
        const std::size_t k = std::min(length, static_cast<std::size_t>(end_ - out_));
        const std::uint8_t* from = out_ - distance;
        if (distance >= k) {
            std::memcpy(out_, from, k);
        } else {
            for (std::size_t i = 0; i < k; ++i)
                out_[i] = from[i];
        }
        out_ += k;
        length -= k;
        if (out_ == end_)
            Flush();
    }
}

void THistoryWindow::Flush()
{
    std::uint8_t* const room = buffer_.data() + historySize_;
    io_.WriteOutput(room, static_cast<std::size_t>(out_ - room));
    std::memmove(buffer_.data(), out_ - historySize_, historySize_);
    out_ = room;
}

void THistoryWindow::FlushAll()
{
    Flush();
    io_.FlushOutput();
}
