#include "deflate/DeflateHuffman.h"

#include <algorithm>
#include <cassert>

unsigned ReverseBits(unsigned code, unsigned length)
{
    unsigned result = 0;
    for (unsigned i = 0; i < length; ++i) {
        result = (result << 1) | (code & 1);
        code >>= 1;
    }
    return result;
}

void gencodes(TDeflateCode* codes, int maxCode, const TDeflateLengthCounts& blCount)
{
    std::array<unsigned, DeflateMaxBits + 1> nextCode{};
    unsigned code = 0;
    for (unsigned bits = 1; bits <= DeflateMaxBits; ++bits) {
        code = (code + blCount[bits - 1]) << 1;
        nextCode[bits] = code;
    }
    assert(code + blCount[DeflateMaxBits] - 1 == (1u << DeflateMaxBits) - 1 &&
           "inconsistent bit counts-gencodes");
    for (int n = 0; n <= maxCode; ++n) {
        const unsigned length = codes[n].Len;
        if (length != 0)
            codes[n].Code = static_cast<std::uint16_t>(ReverseBits(nextCode[length]++, length));
    }
}

bool TDeflateHuffman::HeapSmaller(const TDeflateTree& tree, unsigned n, unsigned m) const
{
    return tree.Freq[n] < tree.Freq[m] || (tree.Freq[n] == tree.Freq[m] && depth_[n] <= depth_[m]);
}

// Sifts heap_[k] down until neither child is smaller.
void TDeflateHuffman::HeapDown(const TDeflateTree& tree, unsigned k)
{
    const unsigned v = heap_[k];
    unsigned j = k << 1;
    while (j <= heapLength_) {
        if (j < heapLength_ && HeapSmaller(tree, heap_[j + 1], heap_[j]))
            ++j;
        if (HeapSmaller(tree, v, heap_[j]))
            break;
        heap_[k] = heap_[j];
        k = j;
        j <<= 1;
    }
    heap_[k] = v;
}

unsigned TDeflateHuffman::HeapRemove(const TDeflateTree& tree)
{
    const unsigned top = heap_[1];
    heap_[1] = heap_[heapLength_--];
    HeapDown(tree, 1);
    return top;
}

void TDeflateHuffman::BuildTree(TDeflateTreeDesc& desc)
{
    TDeflateTree& tree = *desc.Tree;
    const unsigned elements = desc.Elements;
    int maxCode = -1;

    heapLength_ = 0;
    heapTop_ = DeflateHeapSize;
    for (unsigned n = 0; n < elements; ++n) {
        if (tree.Freq[n] != 0) {
            heap_[++heapLength_] = n;
            maxCode = static_cast<int>(n);
            depth_[n] = 0;
        } else {
            tree.Codes[n].Len = 0;
        }
    }

    // A code needs two symbols at least, even when a block uses one or none;
    // the forced symbols cost nothing in the block, so their bits come off.
    while (heapLength_ < 2) {
        const unsigned node = maxCode < 2 ? static_cast<unsigned>(++maxCode) : 0;
        heap_[++heapLength_] = node;
        tree.Freq[node] = 1;
        depth_[node] = 0;
        OptimalBits--;
        if (desc.StaticTree != nullptr)
            StaticBits -= desc.StaticTree[node].Len;
    }
    desc.MaxCode = maxCode;

    for (unsigned n = heapLength_ / 2; n >= 1; --n)
        HeapDown(tree, n);

    // Join the two smallest until one tree is left; the removed nodes go to
    // the top of heap_, in order, for GenBitLengths.
    unsigned node = elements;
    do {
        const unsigned n = HeapRemove(tree);
        const unsigned m = heap_[1];
        heap_[--heapTop_] = n;
        heap_[--heapTop_] = m;
        tree.Freq[node] = static_cast<std::uint16_t>(tree.Freq[n] + tree.Freq[m]);
        depth_[node] = static_cast<std::uint8_t>(std::max(depth_[n], depth_[m]) + 1);
        tree.Dad[n] = tree.Dad[m] = static_cast<std::uint16_t>(node);
        heap_[1] = node++;
        HeapDown(tree, 1);
    } while (heapLength_ >= 2);
    heap_[--heapTop_] = heap_[1];

    GenBitLengths(desc);
    gencodes(tree.Codes.data(), maxCode, blCount_);
}

void TDeflateHuffman::GenBitLengths(TDeflateTreeDesc& desc)
{
    TDeflateTree& tree = *desc.Tree;
    const unsigned maxLength = desc.MaxLength;
    const unsigned maxCode = static_cast<unsigned>(desc.MaxCode);

    blCount_.fill(0);
    // Parents come before their children from heapTop_ on, so each node's
    // depth follows from its parent's; the root has depth 0.
    tree.Codes[heap_[heapTop_]].Len = 0;
    int overflow = 0;
    for (unsigned h = heapTop_ + 1; h < DeflateHeapSize; ++h) {
        const unsigned n = heap_[h];
        unsigned bits = tree.Codes[tree.Dad[n]].Len + 1u;
        if (bits > maxLength) {
            bits = maxLength;
            ++overflow;
        }
        tree.Codes[n].Len = static_cast<std::uint16_t>(bits);
        if (n > maxCode)
            continue;  // an inner node
        blCount_[bits]++;
        const unsigned extraBits = n >= desc.ExtraBase ? desc.ExtraBits[n - desc.ExtraBase] : 0;
        const std::int64_t freq = tree.Freq[n];
        OptimalBits += freq * (bits + extraBits);
        if (desc.StaticTree != nullptr)
            StaticBits += freq * (desc.StaticTree[n].Len + extraBits);
    }
    if (overflow == 0)
        return;

    // Each step moves a leaf from below the limit down one level, where it
    // takes an overflowing leaf as its sibling, and so makes room for two.
    do {
        unsigned bits = maxLength - 1;
        while (blCount_[bits] == 0)
            --bits;
        blCount_[bits]--;
        blCount_[bits + 1] += 2;
        blCount_[maxLength]--;
        overflow -= 2;
    } while (overflow > 0);

    // Hand the repaired lengths back, longest to the least frequent leaves.
    unsigned h = DeflateHeapSize;
    for (unsigned bits = maxLength; bits != 0; --bits) {
        unsigned count = blCount_[bits];
        while (count != 0) {
            const unsigned m = heap_[--h];
            if (m > maxCode)
                continue;
            if (tree.Codes[m].Len != bits) {
                OptimalBits += (static_cast<std::int64_t>(bits) - tree.Codes[m].Len) * tree.Freq[m];
                tree.Codes[m].Len = static_cast<std::uint16_t>(bits);
            }
            --count;
        }
    }
}
