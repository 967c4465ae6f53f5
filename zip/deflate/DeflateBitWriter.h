// Bit output of the compressor. Deflate packs its fields from the least
// significant bit of each byte up, so bits are gathered in a 64-bit buffer
// above the ones already held and written out as whole bytes with one 8-byte
// store when 48 or more are pending: one branch per field, one store per six
// bytes. Bytes collect in an output buffer that goes to TDeflateIO when full
// or when the entry ends. Owns that buffer; the caller owns the sink.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>

#include "deflate/DeflateHuffman.h"
#include "deflate/DeflateIO.h"

class TDeflateBitWriter {
public:
    TDeflateBitWriter();

    // Empties the bit buffer and the output buffer and sends output to io.
    void InitBitOutput(TDeflateIO& io);

    // Sends the low length (1-15) bits of value.
    void send_bits(unsigned value, unsigned length)
    {
        assert(length >= 1 && length <= 15 && "invalid length in send_bits");
        assert(value < (1u << length));
        bitBuffer_ |= static_cast<std::uint64_t>(value) << bitCount_;
        bitCount_ += length;
        if (bitCount_ >= 48)
            FlushBits();
    }
    void SendCode(const TDeflateCode& code) { send_bits(code.Code, code.Len); }

    // Pads the pending bits to a whole byte.
    void BitWindup();
    // Byte-aligns, then writes length bytes of data unchanged, after the
    // stored-block header (length and its complement) when header is set.
    void CopyStoredBlock(const std::uint8_t* data, unsigned length, bool header);
    // Hands the buffered bytes to the sink.
    void FlushOutBuffer();

    // Bytes handed to the sink so far.
    std::int64_t BytesWritten() const { return bytesWritten_; }

private:
    void FlushBits()
    {
        std::uint64_t bits = bitBuffer_;
        std::uint8_t* out = buffer_.get() + fill_;
        for (int i = 0; i < 8; ++i, bits >>= 8)  // one little-endian 8-byte store
            out[i] = static_cast<std::uint8_t>(bits);
        const unsigned bytes = bitCount_ >> 3;
        fill_ += bytes;
        bitBuffer_ >>= bytes * 8;
        bitCount_ &= 7;
        if (fill_ >= OutputBufferSize)
            FlushOutBuffer();
    }
    void PutShort(unsigned value);

    // Output buffer: OutputBufferSize bytes plus room for the 8-byte store.
    static constexpr unsigned OutputBufferSize = 65536;
    std::unique_ptr<std::uint8_t[]> buffer_;  // uninitialised; only what was filled goes out
    unsigned fill_ = 0;
    std::uint64_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;  // below 48 between calls
    std::int64_t bytesWritten_ = 0;
    TDeflateIO* io_ = nullptr;
};
