// A bit writer for hand-made deflate streams (RFC 1951): values go least
// significant bit first, prefix codes most significant bit first, as the
// format packs them. With the canonical codes of a set of code lengths and
// the fixed codes, tests write any block, valid or not, bit by bit.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class TBitWriter {
public:
    // The low n bits of value, least significant first.
    void Put(std::uint32_t value, unsigned n)
    {
        for (unsigned i = 0; i < n; ++i)
            PutBit((value >> i) & 1);
    }

    // A prefix code of the given length, most significant bit first.
    void PutCode(std::uint32_t code, unsigned length)
    {
        for (unsigned i = length; i-- > 0;)
            PutBit((code >> i) & 1);
    }

    void AlignToByte()
    {
        while (bitCount_ % 8 != 0)
            PutBit(0);
    }

    void PutByte(std::uint8_t byte) { Put(byte, 8); }

    // The bytes written so far, the last one padded with zero bits.
    std::vector<std::uint8_t> Bytes() const { return bytes_; }

private:
    void PutBit(unsigned bit)
    {
        if (bitCount_ % 8 == 0)
            bytes_.push_back(0);
        bytes_.back() |= static_cast<std::uint8_t>(bit << (bitCount_ % 8));
        ++bitCount_;
    }

    std::vector<std::uint8_t> bytes_;
    std::size_t bitCount_ = 0;
};

// The canonical code of each symbol for the given lengths (0 = unused).
inline std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths)
{
    std::array<std::uint32_t, 17> count{};
    for (const auto length : lengths)
        if (length != 0)
            ++count[length];
    std::array<std::uint32_t, 17> next{};
    std::uint32_t code = 0;
    for (unsigned length = 1; length <= 16; ++length) {
        code = (code + count[length - 1]) << 1;
        next[length] = code;
    }
    std::vector<std::uint32_t> codes(lengths.size());
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
        if (lengths[symbol] != 0)
            codes[symbol] = next[lengths[symbol]]++;
    return codes;
}

// Fixed-code literal/length symbols 0..287 and distance symbols 0..31.
inline void PutFixedLiteral(TBitWriter& writer, unsigned symbol)
{
    if (symbol < 144)
        writer.PutCode(0x30 + symbol, 8);
    else if (symbol < 256)
        writer.PutCode(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        writer.PutCode(symbol - 256, 7);
    else
        writer.PutCode(0xC0 + symbol - 280, 8);
}

inline void PutFixedDistance(TBitWriter& writer, unsigned symbol)
{
    writer.PutCode(symbol, 5);
}
