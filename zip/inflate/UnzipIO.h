// The input and output plumbing that every decompressor of one entry uses:
// compressed bytes come from a source in blocks (of up to 32 KB, unless the
// source lends them in place from memory) and are handed out byte by byte,
// as bits, or as the block itself to a fast bit reader;
// decompressed bytes gather in a 32 KB output buffer and go to a sink one
// block at a time, or are written straight into memory the sink lends. The
// extraction run plugs in a source that reads the archive (decrypting,
// changing disks) and a sink that checks the size, writes, updates the CRC
// and reports progress; tests and benchmarks plug in memory. Only the block
// calls are virtual, never a byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

// The most a source delivers and a sink receives at once.
constexpr std::size_t UnzipBlockSize = 32768;

class TUnzipSource {
public:
    virtual ~TUnzipSource() = default;
    // Reads up to count of the entry's next compressed bytes into buffer and
    // returns how many came; 0 when none are left.
    virtual std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t count) = 0;
    // The entry's next compressed bytes as one block: up to count of them
    // read into buffer, or, from a source that holds them in memory, any
    // number in place, which spares the copy. Empty when none are left.
    virtual std::span<const std::uint8_t> ReadCompressedBlock(std::uint8_t* buffer, std::size_t count)
    {
        return {buffer, ReadCompressed(buffer, count)};
    }
};

class TUnzipSink {
public:
    virtual ~TUnzipSink() = default;
    // Takes the next 1 to UnzipBlockSize decompressed bytes.
    virtual void WriteDecompressed(const std::uint8_t* data, std::size_t count) = 0;
    // Memory where the sink's next bytes go, lent to a decompressor that
    // writes them there itself and then hands them over, from the start,
    // with WriteDecompressed at those very addresses, which copies nothing.
    // Bytes written there but not handed over are the sink's to overwrite.
    // Empty when the sink lends none.
    virtual std::span<std::uint8_t> LendMemory() { return {}; }
};

// One entry's input and output buffers over a source and a sink, which stay
// the caller's. Exceptions of the source and the sink pass through unchanged.
class TUnzipIO {
public:
    TUnzipIO(TUnzipSource& source, TUnzipSink& sink);

    // The next compressed byte: 8 when one was delivered, 0 at the end of the
    // compressed data (value is then left as it was).
    int ReadInputByte(std::uint16_t& value);

    // The unread bytes of the current input block, for readers that take
    // many at once; they move InputNext themselves and call RefillInput when
    // the block is used up, which reads the next one (false at the end).
    const std::uint8_t* InputNext() const { return inputNext_; }
    const std::uint8_t* InputEnd() const { return inputEnd_; }
    void SetInputNext(const std::uint8_t* next) { inputNext_ = next; }
    bool RefillInput();

    // The shared bit buffer of unshrink and unreduce, least significant bit
    // first. FillBitBuffer tops it up to at least 25 bits while input lasts;
    // EndOfInput tells that the last top-up got no byte. ReadBits takes n
    // (1 to 16) bits; bits missing past the end read as 0.
    void FillBitBuffer();
    std::uint16_t ReadBits(unsigned n);
    bool EndOfInput() const { return endOfInput_; }

    // Output: one byte, or many; the sink gets every full 32 KB block, and
    // FlushOutput hands it what is left.
    void PutOutputByte(std::uint8_t value)
    {
        output_[outputCount_++] = value;
        if (outputCount_ == UnzipBlockSize)
            FlushOutput();
    }
    void WriteOutput(const std::uint8_t* data, std::size_t count);
    void FlushOutput();

    // The sink's lent memory, while no output waits in the buffer; and
    // handing over count bytes written there from data on, in blocks.
    std::span<std::uint8_t> LendOutput() const;
    void HandOverLentOutput(const std::uint8_t* data, std::size_t count);

    // Method 0: the compressed bytes are the entry's bytes. They go from the
    // source straight into the output buffer, one block at a time.
    void UnStore();

private:
    TUnzipSource& source_;
    TUnzipSink& sink_;
    std::unique_ptr<std::uint8_t[]> input_;
    const std::uint8_t* inputNext_;
    const std::uint8_t* inputEnd_;
    std::unique_ptr<std::uint8_t[]> output_;
    std::size_t outputCount_ = 0;
    std::uint32_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    bool endOfInput_ = false;
};

// A source over bytes in memory, which stay the caller's.
class TMemoryUnzipSource : public TUnzipSource {
public:
    explicit TMemoryUnzipSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t count) override;
    // All the bytes left, in place.
    std::span<const std::uint8_t> ReadCompressedBlock(std::uint8_t* buffer, std::size_t count) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// A sink that appends to a vector, the caller's; passing limit raises
// EWriteError and keeps only the blocks that fitted.
class TMemoryUnzipSink : public TUnzipSink {
public:
    explicit TMemoryUnzipSink(std::vector<std::uint8_t>& bytes,
                              std::size_t limit = std::numeric_limits<std::size_t>::max())
        : bytes_(bytes), limit_(limit)
    {
    }
    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override;

private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t limit_;
};
