#include "inflate/UnzipIO.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "Exceptions.h"

TUnzipIO::TUnzipIO(TUnzipSource& source, TUnzipSink& sink)
    // The buffers are only read where written: no need to clear them.
    : source_(source), sink_(sink), input_(std::make_unique_for_overwrite<std::uint8_t[]>(UnzipBlockSize)),
      inputNext_(input_.get()), inputEnd_(input_.get()),
      output_(std::make_unique_for_overwrite<std::uint8_t[]>(UnzipBlockSize))
{
}

bool TUnzipIO::RefillInput()
{
    assert(inputNext_ == inputEnd_);
    const std::span<const std::uint8_t> block = source_.ReadCompressedBlock(input_.get(), UnzipBlockSize);
    inputNext_ = block.data();
    inputEnd_ = block.data() + block.size();
    return !block.empty();
}

int TUnzipIO::ReadInputByte(std::uint16_t& value)
{
    if (inputNext_ == inputEnd_ && !RefillInput())
        return 0;
    value = *inputNext_++;
    return 8;
}

void TUnzipIO::FillBitBuffer()
{
    endOfInput_ = true;
    std::uint16_t byte = 0;
    while (bitCount_ < 25 && ReadInputByte(byte) != 0) {
        bitBuffer_ |= std::uint32_t{byte} << bitCount_;
        bitCount_ += 8;
        endOfInput_ = false;
    }
}

std::uint16_t TUnzipIO::ReadBits(unsigned n)
{
    assert(n >= 1 && n <= 16);
    if (bitCount_ < n)
        FillBitBuffer();
    const auto value = static_cast<std::uint16_t>(bitBuffer_ & ((1u << n) - 1));
    bitBuffer_ >>= n;
    // Past the end fewer bits may be left than taken; the count stays at 0
    // instead of wrapping round to a huge value.
    bitCount_ -= std::min(bitCount_, n);
    return value;
}

void TUnzipIO::WriteOutput(const std::uint8_t* data, std::size_t count)
{
    while (count > 0) {
        if (outputCount_ == 0 && count >= UnzipBlockSize) {
            // A whole block needs no copy into the output buffer.
            sink_.WriteDecompressed(data, UnzipBlockSize);
            data += UnzipBlockSize;
            count -= UnzipBlockSize;
            continue;
        }
        const std::size_t k = std::min(count, UnzipBlockSize - outputCount_);
        std::memcpy(output_.get() + outputCount_, data, k);
        outputCount_ += k;
        data += k;
        count -= k;
        if (outputCount_ == UnzipBlockSize)
            FlushOutput();
    }
}

void TUnzipIO::FlushOutput()
{
    if (outputCount_ == 0)
        return;
    sink_.WriteDecompressed(output_.get(), outputCount_);
    outputCount_ = 0;
}

std::span<std::uint8_t> TUnzipIO::LendOutput() const
{
    return outputCount_ == 0 ? sink_.LendMemory() : std::span<std::uint8_t>();
}

void TUnzipIO::HandOverLentOutput(const std::uint8_t* data, std::size_t count)
{
    assert(outputCount_ == 0);
    while (count > 0) {
        const std::size_t k = std::min(count, UnzipBlockSize);
        sink_.WriteDecompressed(data, k);
        data += k;
        count -= k;
    }
}

void TUnzipIO::UnStore()
{
    assert(outputCount_ == 0);
    while ((outputCount_ = source_.ReadCompressed(output_.get(), UnzipBlockSize)) != 0)
        FlushOutput();
}

std::size_t TMemoryUnzipSource::ReadCompressed(std::uint8_t* buffer, std::size_t count)
{
    const std::size_t k = std::min(count, bytes_.size());
    if (k == 0)
        return 0;
    std::memcpy(buffer, bytes_.data(), k);
    bytes_ = bytes_.subspan(k);
    return k;
}

std::span<const std::uint8_t> TMemoryUnzipSource::ReadCompressedBlock(std::uint8_t*, std::size_t)
{
    const std::span<const std::uint8_t> block = bytes_;
    bytes_ = {};
    return block;
}

void TMemoryUnzipSink::WriteDecompressed(const std::uint8_t* data, std::size_t count)
{
    if (count > limit_ - bytes_.size())
        throw EWriteError("Decompressed data pass the output limit");
    bytes_.insert(bytes_.end(), data, data + count);
}
