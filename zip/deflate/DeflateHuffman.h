// Huffman code construction for deflate blocks, with the code lengths limited
// to the format's maximum (15 bits, 7 for the code-length alphabet).
//
// BuildTree makes an ordinary Huffman tree with a binary heap of the symbols
// that occur, smallest frequency first (ties go to the shallower subtree, which
// keeps trees flat). GenBitLengths then reads each leaf's depth; a leaf deeper
// than the limit is cut to the limit, and the counts per length are repaired by
// moving pairs of leaves down from the deepest level below the limit until the
// lengths again describe a complete code (Kraft sum 1). The lengths are handed
// back to the symbols in frequency order, so the rarest get the longest codes.
// gencodes finally turns the lengths into canonical codes (RFC 1951, 3.2.2),
// bit-reversed because deflate sends codes from their most significant bit
// while the bit writer fills bytes from their least significant bit.
//
// While building, the builder also adds up what the block will cost in bits
// with these codes (OptimalBits) and with the fixed codes (StaticBits); the
// block writer uses both to choose the block type.
#pragma once

#include <array>
#include <cstdint>

#include "deflate/DeflateConstants.h"

// A symbol's code, bit-reversed, and its length in bits (0: not used).
struct TDeflateCode {
    std::uint16_t Code = 0;
    std::uint16_t Len = 0;
};

// One dynamic tree: the leaves are the symbols, the nodes above them the inner
// nodes made while building. A block has at most 32,768 symbols of a kind, so
// even the root's frequency fits 16 bits. Codes has one slot past the last symbol for the
// run-length guard of the header coder.
struct TDeflateTree {
    std::array<std::uint16_t, DeflateHeapSize> Freq{};
    std::array<std::uint16_t, DeflateHeapSize> Dad{};
    std::array<TDeflateCode, DeflateHeapSize> Codes{};
};

// What BuildTree needs to know about a tree, and the largest symbol that
// occurred in it (set by BuildTree).
struct TDeflateTreeDesc {
    TDeflateTree* Tree = nullptr;
    const TDeflateCode* StaticTree = nullptr;  // fixed codes of the alphabet, if any
    const std::uint8_t* ExtraBits = nullptr;   // extra bits of the symbols from ExtraBase on
    unsigned ExtraBase = 0;
    unsigned Elements = 0;
    unsigned MaxLength = 0;
    int MaxCode = -1;
};

// Number of codes of each length 0-15.
using TDeflateLengthCounts = std::array<std::uint16_t, DeflateMaxBits + 1>;

class TDeflateHuffman {
public:
    // Builds the codes of desc's tree from its frequencies; adds the block's
    // cost to OptimalBits and StaticBits and sets desc.MaxCode.
    void BuildTree(TDeflateTreeDesc& desc);

    // Bits the block costs with the built codes and with the fixed codes.
    std::int64_t OptimalBits = 0;
    std::int64_t StaticBits = 0;

private:
    bool HeapSmaller(const TDeflateTree& tree, unsigned n, unsigned m) const;
    void HeapDown(const TDeflateTree& tree, unsigned k);
    unsigned HeapRemove(const TDeflateTree& tree);
    void GenBitLengths(TDeflateTreeDesc& desc);

    std::array<unsigned, DeflateHeapSize> heap_{};  // heap_[1..heapLength_]; sorted nodes from heapTop_ on
    unsigned heapLength_ = 0;
    unsigned heapTop_ = 0;
    std::array<std::uint8_t, DeflateHeapSize> depth_{};
    TDeflateLengthCounts blCount_{};
};

// Assigns the canonical codes for the lengths of codes[0..maxCode], given the
// number of codes of each length.
void gencodes(TDeflateCode* codes, int maxCode, const TDeflateLengthCounts& blCount);

// The low length bits of code in reverse order.
unsigned ReverseBits(unsigned code, unsigned length);
