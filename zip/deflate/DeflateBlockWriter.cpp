#include "deflate/DeflateBlockWriter.h"

#include <algorithm>
#include <array>

TDeflateBlockWriter::TDeflateBlockWriter()
    : tables_(ct_init()),
      literalBuffer_(new std::uint8_t[DeflateLiteralBufferSize]),
      distanceBuffer_(new std::uint16_t[DeflateDistanceBufferSize]),
      flagBuffer_(new std::uint8_t[DeflateFlagBufferSize])
{
    literalDesc_ = {&literalTree_, tables_.StaticLiteralTree.data(), DeflateLengthExtraBits.data(),
                    DeflateLiterals + 1, DeflateLiteralCodes, DeflateMaxBits, -1};
    distanceDesc_ = {&distanceTree_, tables_.StaticDistanceTree.data(), DeflateDistanceExtraBits.data(),
                     0, DeflateDistanceCodes, DeflateMaxBits, -1};
    bitLengthDesc_ = {&bitLengthTree_, nullptr, DeflateBitLengthExtraBits.data(),
                      0, DeflateBitLengthCodes, DeflateMaxBitLengthBits, -1};
}

void TDeflateBlockWriter::ResetTrees(TDeflateIO& io, int packLevel)
{
    bits_.InitBitOutput(io);
    packLevel_ = packLevel;
    internalAttribute_ = 2;
    storedWhole_ = false;
    lastBlockStored_ = false;
    compressedLength_ = 0;
    InitBlock();
}

void TDeflateBlockWriter::InitBlock()
{
    std::fill_n(literalTree_.Freq.begin(), DeflateLiteralCodes, 0);
    std::fill_n(distanceTree_.Freq.begin(), DeflateDistanceCodes, 0);
    std::fill_n(bitLengthTree_.Freq.begin(), DeflateBitLengthCodes, 0);
    literalTree_.Freq[DeflateEndOfBlock] = 1;
    huffman_.OptimalBits = 0;
    huffman_.StaticBits = 0;
    literalCount_ = 0;
    distanceCount_ = 0;
    flagCount_ = 0;
    pendingFlags_ = 0;
    flagBit_ = 1;
}

// Estimates the block's size from its symbol count and distance codes alone:
// worth ending when it already halves the input with few matches.
bool TDeflateBlockWriter::CompressesWell(std::int64_t blockBytes) const
{
    std::int64_t outLength = static_cast<std::int64_t>(literalCount_) * 8;
    for (unsigned code = 0; code < DeflateDistanceCodes; ++code)
        outLength += static_cast<std::int64_t>(distanceTree_.Freq[code]) * (5 + DeflateDistanceExtraBits[code]);
    outLength >>= 3;
    const auto inLength = static_cast<std::int32_t>(blockBytes);
    return distanceCount_ < literalCount_ / 2 && outLength < inLength / 2;
}

// Text when bytes 7-127 outnumber the others more than four to one.
void TDeflateBlockWriter::SetFileType(std::span<const std::uint32_t, 256> byteCounts)
{
    unsigned binary = 0;
    unsigned text = 0;
    for (unsigned n = 0; n < 7; ++n)
        binary += byteCounts[n];
    for (unsigned n = 7; n < 128; ++n)
        text += byteCounts[n];
    for (unsigned n = 128; n < DeflateLiterals; ++n)
        binary += byteCounts[n];
    internalAttribute_ = binary > (text >> 2) ? 0 : 1;
}

// Walks the code lengths of tree[0..maxCode] as runs and emits the header
// symbols that code them: a length itself, 16 (repeat the previous length
// 3-6 times, 2 extra bits), 17 (3-10 zeros, 3 bits) or 18 (11-138 zeros,
// 7 bits). emit(symbol, extraValue, extraBits) is called for each.
template <typename Emit>
void TDeflateBlockWriter::ForEachCodeLength(const TDeflateTree& tree, int maxCode, Emit emit)
{
    int prevLength = -1;
    int nextLength = tree.Codes[0].Len;
    unsigned count = 0;
    unsigned maxCount = 7;
    unsigned minCount = 4;
    if (nextLength == 0) {
        maxCount = 138;
        minCount = 3;
    }
    for (int n = 0; n <= maxCode; ++n) {
        const int length = nextLength;
        nextLength = tree.Codes[n + 1].Len;  // the guard after maxCode ends the last run
        if (++count < maxCount && length == nextLength)
            continue;
        if (count < minCount) {
            for (; count != 0; --count)
                emit(static_cast<unsigned>(length), 0u, 0u);
        } else if (length != 0) {
            if (length != prevLength) {
                emit(static_cast<unsigned>(length), 0u, 0u);
                --count;
            }
            assert(count >= 3 && count <= 6 && " 3_6? - send_tree");
            emit(DeflateRepeat3To6, count - 3, 2u);
        } else if (count <= 10) {
            emit(DeflateRepeatZeros3To10, count - 3, 3u);
        } else {
            emit(DeflateRepeatZeros11To138, count - 11, 7u);
        }
        count = 0;
        prevLength = length;
        if (nextLength == 0) {
            maxCount = 138;
            minCount = 3;
        } else if (length == nextLength) {
            maxCount = 6;
            minCount = 3;
        } else {
            maxCount = 7;
            minCount = 4;
        }
    }
}

void TDeflateBlockWriter::ScanTree(TDeflateTree& tree, int maxCode)
{
    tree.Codes[maxCode + 1].Len = 0xFFFF;  // guard
    ForEachCodeLength(tree, maxCode, [this](unsigned symbol, unsigned, unsigned) { bitLengthTree_.Freq[symbol]++; });
}

void TDeflateBlockWriter::send_tree(TDeflateTree& tree, int maxCode)
{
    ForEachCodeLength(tree, maxCode, [this](unsigned symbol, unsigned extraValue, unsigned extraBits) {
        bits_.SendCode(bitLengthTree_.Codes[symbol]);
        if (extraBits != 0)
            bits_.send_bits(extraValue, extraBits);
    });
}

// Builds the code for the code lengths of both trees and returns the index,
// in the header's order, of the last code length to send (at least 3).
int TDeflateBlockWriter::BuildBitLengthTree()
{
    ScanTree(literalTree_, literalDesc_.MaxCode);
    ScanTree(distanceTree_, distanceDesc_.MaxCode);
    huffman_.BuildTree(bitLengthDesc_);
    int maxIndex = DeflateBitLengthCodes - 1;
    for (; maxIndex >= 3; --maxIndex) {
        if (bitLengthTree_.Codes[DeflateBitLengthOrder[maxIndex]].Len != 0)
            break;
    }
    huffman_.OptimalBits += 3 * (maxIndex + 1) + 5 + 5 + 4;
    return maxIndex;
}

void TDeflateBlockWriter::send_all_trees(int literalCodes, int distanceCodes, int bitLengthCodes)
{
    assert(literalCodes >= 257 && distanceCodes >= 1 && bitLengthCodes >= 4 && "not enough codes-send_all_trees");
    assert(literalCodes <= static_cast<int>(DeflateLiteralCodes) && distanceCodes <= static_cast<int>(DeflateDistanceCodes) &&
           bitLengthCodes <= static_cast<int>(DeflateBitLengthCodes) && "too many codes-send_all_trees");
    bits_.send_bits(literalCodes - 257, 5);
    bits_.send_bits(distanceCodes - 1, 5);
    bits_.send_bits(bitLengthCodes - 4, 4);
    for (int rank = 0; rank < bitLengthCodes; ++rank)
        bits_.send_bits(bitLengthTree_.Codes[DeflateBitLengthOrder[rank]].Len, 3);
    send_tree(literalTree_, literalCodes - 1);
    send_tree(distanceTree_, distanceCodes - 1);
}

void TDeflateBlockWriter::compress_block(const TDeflateCode* literalCodes, const TDeflateCode* distanceCodes)
{
    unsigned flags = 0;
    unsigned distanceIndex = 0;
    unsigned flagIndex = 0;
    for (unsigned i = 0; i < literalCount_; ++i) {
        if ((i & 7) == 0)
            flags = flagBuffer_[flagIndex++];
        const unsigned value = literalBuffer_[i];
        if ((flags & 1) == 0) {
            bits_.SendCode(literalCodes[value]);
        } else {
            unsigned code = tables_.LengthCode[value];
            bits_.SendCode(literalCodes[DeflateLiterals + 1 + code]);
            if (DeflateLengthExtraBits[code] != 0)
                bits_.send_bits(value - tables_.BaseLength[code], DeflateLengthExtraBits[code]);
            const unsigned distance = distanceBuffer_[distanceIndex++];
            code = tables_.DistanceCode(distance);
            assert(code < DeflateDistanceCodes && "bad d_code-compress_block");
            bits_.SendCode(distanceCodes[code]);
            if (DeflateDistanceExtraBits[code] != 0)
                bits_.send_bits(distance - tables_.BaseDistance[code], DeflateDistanceExtraBits[code]);
        }
        flags >>= 1;
    }
    bits_.SendCode(literalCodes[DeflateEndOfBlock]);
}

std::int64_t TDeflateBlockWriter::FlushBlock(const std::uint8_t* data, std::int64_t storedLength, bool last)
{
    flagBuffer_[flagCount_] = static_cast<std::uint8_t>(pendingFlags_);
    if (internalAttribute_ == 2) {
        std::array<std::uint32_t, 256> literals;
        for (unsigned n = 0; n < DeflateLiterals; ++n)
            literals[n] = literalTree_.Freq[n];
        SetFileType(literals);
    }

    huffman_.BuildTree(literalDesc_);
    huffman_.BuildTree(distanceDesc_);
    const int maxBitLengthIndex = BuildBitLengthTree();

    // Sizes with the block header's 3 bits, rounded up to bytes.
    std::int64_t optimalBytes = (huffman_.OptimalBits + 3 + 7) >> 3;
    const std::int64_t staticBytes = (huffman_.StaticBits + 3 + 7) >> 3;
    if (staticBytes <= optimalBytes)
        optimalBytes = staticBytes;
    const unsigned lastBit = last ? 1 : 0;

    if (storedLength <= optimalBytes && last && compressedLength_ == 0 && data != nullptr) {
        // The whole entry in one block that would not shrink: keep it as it is.
        bits_.CopyStoredBlock(data, static_cast<unsigned>(storedLength), false);
        compressedLength_ = storedLength << 3;
        storedWhole_ = true;
        lastBlockStored_ = true;
    } else if (storedLength + 4 <= optimalBytes && data != nullptr) {
        assert(storedLength <= 0xFFFF);
        bits_.send_bits((DeflateStoredBlock << 1) + lastBit, 3);
        compressedLength_ = (compressedLength_ + 3 + 7) & ~std::int64_t{7};
        compressedLength_ += (storedLength + 4) << 3;
        bits_.CopyStoredBlock(data, static_cast<unsigned>(storedLength), true);
        lastBlockStored_ = true;
    } else if (staticBytes == optimalBytes) {
        bits_.send_bits((DeflateStaticBlock << 1) + lastBit, 3);
        compress_block(tables_.StaticLiteralTree.data(), tables_.StaticDistanceTree.data());
        compressedLength_ += 3 + huffman_.StaticBits;
        lastBlockStored_ = false;
    } else {
        bits_.send_bits((DeflateDynamicBlock << 1) + lastBit, 3);
        send_all_trees(literalDesc_.MaxCode + 1, distanceDesc_.MaxCode + 1, maxBitLengthIndex + 1);
        compress_block(literalTree_.Codes.data(), distanceTree_.Codes.data());
        compressedLength_ += 3 + huffman_.OptimalBits;
        lastBlockStored_ = false;
    }
    InitBlock();
    return last ? EndEntry() : compressedLength_ >> 3;
}

std::int64_t TDeflateBlockWriter::FlushStoredBlock(const std::uint8_t* data, std::int64_t length, bool last,
                                                   std::span<const std::uint32_t, 256> byteCounts)
{
    assert(literalCount_ == 0 && length <= 0xFFFF);
    if (internalAttribute_ == 2)
        SetFileType(byteCounts);
    if (last && compressedLength_ == 0) {
        bits_.CopyStoredBlock(data, static_cast<unsigned>(length), false);
        compressedLength_ = length << 3;
        storedWhole_ = true;
    } else {
        bits_.send_bits((DeflateStoredBlock << 1) + (last ? 1 : 0), 3);
        compressedLength_ = (compressedLength_ + 3 + 7) & ~std::int64_t{7};
        compressedLength_ += (length + 4) << 3;
        bits_.CopyStoredBlock(data, static_cast<unsigned>(length), true);
    }
    lastBlockStored_ = true;
    return last ? EndEntry() : compressedLength_ >> 3;
}

// Pads the last block to a byte and hands everything to the sink.
std::int64_t TDeflateBlockWriter::EndEntry()
{
    bits_.BitWindup();
    bits_.FlushOutBuffer();
    compressedLength_ += 7;
    assert((compressedLength_ >> 3) == bits_.BytesWritten());
    return compressedLength_ >> 3;
}
