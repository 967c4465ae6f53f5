// A test oracle that reads a raw deflate stream back into what the compressor
// chose: the blocks with their type, and in each the literals and matches.
// Slow and plain (one bit at a time, canonical decoding by counts); zlib
// checks that the data is right, this shows how it was coded.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

struct TDeflateToken {
    std::uint64_t Position = 0;  // offset of the token's first byte in the data
    unsigned Length = 0;         // 0 for a literal
    unsigned Distance = 0;
};

struct TDeflateBlockInfo {
    unsigned Type = 0;           // 0 stored, 1 fixed, 2 dynamic
    std::uint64_t Bytes = 0;     // data bytes the block covers
    std::vector<TDeflateToken> Tokens;  // not for stored blocks
};

class TDeflateTokenReader {
public:
    explicit TDeflateTokenReader(const std::vector<std::uint8_t>& stream) : stream_(stream) {}

    std::vector<TDeflateBlockInfo> ReadBlocks()
    {
        std::vector<TDeflateBlockInfo> blocks;
        bool last = false;
        while (!last) {
            last = Bits(1) != 0;
            TDeflateBlockInfo block;
            block.Type = Bits(2);
            const std::uint64_t start = position_;
            if (block.Type == 0)
                ReadStored();
            else if (block.Type == 1)
                ReadCoded(FixedLiteralLengths(), FixedDistanceLengths(), block);
            else if (block.Type == 2)
                ReadDynamic(block);
            else
                throw std::runtime_error("bad block type");
            block.Bytes = position_ - start;
            blocks.push_back(std::move(block));
        }
        return blocks;
    }

private:
    struct TCode {
        std::array<unsigned, 16> Count{};
        std::vector<unsigned> Symbols;
    };

    unsigned Bits(unsigned n)
    {
        unsigned v = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (bitPos_ / 8 >= stream_.size())
                throw std::runtime_error("stream ends early");
            v |= ((stream_[bitPos_ / 8] >> (bitPos_ % 8)) & 1u) << i;
            ++bitPos_;
        }
        return v;
    }

    static TCode MakeCode(const std::vector<unsigned>& lengths)
    {
        TCode code;
        for (unsigned len : lengths)
            code.Count[len]++;
        code.Count[0] = 0;
        for (unsigned len = 1; len < 16; ++len)
            for (unsigned s = 0; s < lengths.size(); ++s)
                if (lengths[s] == len)
                    code.Symbols.push_back(s);
        return code;
    }

    unsigned Decode(const TCode& code)
    {
        int value = 0, first = 0, index = 0;
        for (unsigned len = 1; len < 16; ++len) {
            value |= static_cast<int>(Bits(1));
            const int count = static_cast<int>(code.Count[len]);
            if (value - count < first)
                return code.Symbols[static_cast<std::size_t>(index + (value - first))];
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        throw std::runtime_error("bad code");
    }

    void ReadStored()
    {
        bitPos_ = (bitPos_ + 7) & ~std::uint64_t{7};
        const unsigned len = Bits(16);
        if ((Bits(16) ^ 0xFFFF) != len)
            throw std::runtime_error("bad stored length");
        bitPos_ += 8ull * len;
        position_ += len;
    }

    static std::vector<unsigned> FixedLiteralLengths()
    {
        std::vector<unsigned> l(288);
        for (unsigned s = 0; s < 288; ++s)
            l[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        return l;
    }
    static std::vector<unsigned> FixedDistanceLengths() { return std::vector<unsigned>(30, 5); }

    void ReadDynamic(TDeflateBlockInfo& block)
    {
        static constexpr std::array<unsigned, 19> order = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        const unsigned nlen = Bits(5) + 257, ndist = Bits(5) + 1, ncode = Bits(4) + 4;
        std::vector<unsigned> codeLengths(19);
        for (unsigned i = 0; i < ncode; ++i)
            codeLengths[order[i]] = Bits(3);
        const TCode lencode = MakeCode(codeLengths);
        std::vector<unsigned> lengths;
        while (lengths.size() < nlen + ndist) {
            const unsigned sym = Decode(lencode);
            if (sym < 16) {
                lengths.push_back(sym);
            } else {
                unsigned repeat = 0, value = 0;
                if (sym == 16) {
                    value = lengths.at(lengths.size() - 1);
                    repeat = 3 + Bits(2);
                } else if (sym == 17) {
                    repeat = 3 + Bits(3);
                } else {
                    repeat = 11 + Bits(7);
                }
                lengths.insert(lengths.end(), repeat, value);
            }
        }
        ReadCoded(std::vector<unsigned>(lengths.begin(), lengths.begin() + nlen),
                  std::vector<unsigned>(lengths.begin() + nlen, lengths.end()), block);
    }

    void ReadCoded(const std::vector<unsigned>& literalLengths, const std::vector<unsigned>& distanceLengths,
                   TDeflateBlockInfo& block)
    {
        static constexpr std::array<unsigned, 29> lbase = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                                                           35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr std::array<unsigned, 29> lext = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static constexpr std::array<unsigned, 30> dbase = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                                                           193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097,
                                                           6145, 8193, 12289, 16385, 24577};
        static constexpr std::array<unsigned, 30> dext = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                                          6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        const TCode lit = MakeCode(literalLengths), dist = MakeCode(distanceLengths);
        for (;;) {
            const unsigned sym = Decode(lit);
            if (sym == 256)
                return;
            TDeflateToken token;
            token.Position = position_;
            if (sym < 256) {
                position_ += 1;
            } else {
                token.Length = lbase.at(sym - 257) + Bits(lext.at(sym - 257));
                const unsigned d = Decode(dist);
                token.Distance = dbase.at(d) + Bits(dext.at(d));
                position_ += token.Length;
            }
            block.Tokens.push_back(token);
        }
    }

    const std::vector<std::uint8_t>& stream_;
    std::uint64_t bitPos_ = 0;
    std::uint64_t position_ = 0;
};
