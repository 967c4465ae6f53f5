// Block output of the compressor: the matcher tallies literals and matches
// here, and each block is then coded in whichever of the three deflate forms
// is shortest (RFC 1951, 3.2.3):
//   stored  - the bytes as they are, behind a length header;
//   fixed   - the format's fixed Huffman codes;
//   dynamic - codes built for the block, sent in its header as code lengths,
//             themselves run-length coded and Huffman coded.
// The first block of an entry also guesses whether the entry is text, and an
// entry that fits one block and would not shrink is written unchanged with no
// block header at all (the archive then records it as stored, method 0).
//
// A block ends after 32,767 symbols or 32,768 matches, and at levels 3 and up
// also at every 4,096 symbols once it compresses to less than half with few
// matches: a short block then lets the codes adapt to what follows.
//
// Owns the tally buffers, the three dynamic trees and the bit output.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <span>

#include "deflate/DeflateBitWriter.h"
#include "deflate/DeflateCodeTables.h"
#include "deflate/DeflateHuffman.h"
#include "deflate/DeflateIO.h"

class TDeflateBlockWriter {
public:
    TDeflateBlockWriter();

    // Starts an entry: output to io, empty trees and an empty first block.
    void ResetTrees(TDeflateIO& io, int packLevel);

    // Records a literal (distance 0, value the byte) or a match (distance,
    // value the length - 3). blockBytes is how much input the pending block
    // covers so far. Returns true when the block should end here.
    bool ct_tally(unsigned distance, unsigned value, std::int64_t blockBytes)
    {
        literalBuffer_[literalCount_++] = static_cast<std::uint8_t>(value);
        if (distance == 0) {
            literalTree_.Freq[value]++;
        } else {
            --distance;
            assert(distance < DeflateMaxDistance && value <= DeflateMaxMatch - DeflateMinMatch &&
                   tables_.DistanceCode(distance) < DeflateDistanceCodes && "ct_tally: bad match");
            literalTree_.Freq[DeflateLiterals + 1 + tables_.LengthCode[value]]++;
            distanceTree_.Freq[tables_.DistanceCode(distance)]++;
            distanceBuffer_[distanceCount_++] = static_cast<std::uint16_t>(distance);
            pendingFlags_ |= flagBit_;
        }
        flagBit_ <<= 1;
        if ((literalCount_ & 7) == 0) {
            flagBuffer_[flagCount_++] = static_cast<std::uint8_t>(pendingFlags_);
            pendingFlags_ = 0;
            flagBit_ = 1;
        }
        if (packLevel_ > 2 && (literalCount_ & 0xFFF) == 0 && CompressesWell(blockBytes))
            return true;
        return literalCount_ == DeflateLiteralBufferSize - 1 || distanceCount_ == DeflateDistanceBufferSize;
    }

    // Codes the pending block. data points at its storedLength input bytes in
    // the window, or is null when they have slid out of it (then it is coded
    // with Huffman codes whatever the cost). Returns the entry's compressed
    // size so far in bytes; after the last block, the final size.
    std::int64_t FlushBlock(const std::uint8_t* data, std::int64_t storedLength, bool last);

    // Writes length bytes of data as a stored block, or unchanged as the whole
    // entry when they are all of it; nothing may be tallied. byteCounts stand
    // in for the literals in the text or binary guess when this is the first
    // block. Returns the entry's compressed size so far in bytes.
    std::int64_t FlushStoredBlock(const std::uint8_t* data, std::int64_t length, bool last,
                                  std::span<const std::uint32_t, 256> byteCounts);

    // Whether the last block written was stored: its data would not shrink.
    bool LastBlockStored() const { return lastBlockStored_; }

    // The outcome for the entry: its internal attribute (0 binary, 1 text)
    // and whether it was written unchanged.
    unsigned InternalAttribute() const { return internalAttribute_; }
    bool StoredWhole() const { return storedWhole_; }
    std::int64_t BytesWritten() const { return bits_.BytesWritten(); }

private:
    bool CompressesWell(std::int64_t blockBytes) const;
    void InitBlock();
    void SetFileType(std::span<const std::uint32_t, 256> byteCounts);
    std::int64_t EndEntry();
    template <typename Emit>
    void ForEachCodeLength(const TDeflateTree& tree, int maxCode, Emit emit);
    void ScanTree(TDeflateTree& tree, int maxCode);
    void send_tree(TDeflateTree& tree, int maxCode);
    int BuildBitLengthTree();
    void send_all_trees(int literalCodes, int distanceCodes, int bitLengthCodes);
    void compress_block(const TDeflateCode* literalCodes, const TDeflateCode* distanceCodes);

    const TDeflateCodeTables& tables_;
    int packLevel_ = 0;
    unsigned internalAttribute_ = 2;  // 2: not yet known
    bool storedWhole_ = false;
    bool lastBlockStored_ = false;
    std::int64_t compressedLength_ = 0;  // bits written for the entry

    // Tally of the pending block.
    // Filled before they are read, so left uninitialised.
    std::unique_ptr<std::uint8_t[]> literalBuffer_;
    std::unique_ptr<std::uint16_t[]> distanceBuffer_;
    std::unique_ptr<std::uint8_t[]> flagBuffer_;  // bit set: the symbol is a match
    unsigned literalCount_ = 0;
    unsigned distanceCount_ = 0;
    unsigned flagCount_ = 0;
    unsigned pendingFlags_ = 0;
    unsigned flagBit_ = 1;

    TDeflateTree literalTree_;
    TDeflateTree distanceTree_;
    TDeflateTree bitLengthTree_;
    TDeflateTreeDesc literalDesc_;
    TDeflateTreeDesc distanceDesc_;
    TDeflateTreeDesc bitLengthDesc_;
    TDeflateHuffman huffman_;
    TDeflateBitWriter bits_;
};
