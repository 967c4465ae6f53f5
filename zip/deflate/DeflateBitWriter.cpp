#include "deflate/DeflateBitWriter.h"

#include <algorithm>

TDeflateBitWriter::TDeflateBitWriter() : buffer_(new std::uint8_t[OutputBufferSize + 8]) {}

void TDeflateBitWriter::InitBitOutput(TDeflateIO& io)
{
    io_ = &io;
    fill_ = 0;
    bitBuffer_ = 0;
    bitCount_ = 0;
    bytesWritten_ = 0;
}

void TDeflateBitWriter::BitWindup()
{
    FlushBits();
    if (bitCount_ > 0)
        buffer_[fill_++] = static_cast<std::uint8_t>(bitBuffer_);
    bitBuffer_ = 0;
    bitCount_ = 0;
    if (fill_ >= OutputBufferSize)
        FlushOutBuffer();
}

void TDeflateBitWriter::PutShort(unsigned value)
{
    if (fill_ + 2 > OutputBufferSize)
        FlushOutBuffer();
    buffer_[fill_++] = static_cast<std::uint8_t>(value);
    buffer_[fill_++] = static_cast<std::uint8_t>(value >> 8);
}

void TDeflateBitWriter::CopyStoredBlock(const std::uint8_t* data, unsigned length, bool header)
{
    BitWindup();
    if (header) {
        PutShort(length);
        PutShort(length ^ 0xFFFF);
    }
    // Copied into the output buffer rather than handed out from the window:
    // the sink may encrypt what it gets in place, and the window must keep
    // the plain data that later matches compare against.
    while (length > 0) {
        const unsigned n = std::min(length, OutputBufferSize - fill_);
        std::memcpy(buffer_.get() + fill_, data, n);
        fill_ += n;
        data += n;
        length -= n;
        if (fill_ >= OutputBufferSize)
            FlushOutBuffer();
    }
}

void TDeflateBitWriter::FlushOutBuffer()
{
    if (fill_ == 0)
        return;
    io_->WriteArchiveData(std::span<std::uint8_t>(buffer_.get(), fill_));
    bytesWritten_ += fill_;
    fill_ = 0;
}
