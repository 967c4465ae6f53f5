// The engine's deflate compressor: turns the data of one archive entry into a
// raw deflate stream (RFC 1951; zip compression method 8).
//
// Matches are found with hash chains over a 32 KB sliding window
// (DeflateMatchFinder.h). Levels 1-3 take each match as soon as it is found
// (greedy); levels 4-9 look one position further and take the longer match
// (lazy). The level decides how hard the search tries. Symbols are coded in
// blocks, each stored, with the fixed codes or with its own Huffman codes,
// whichever is shortest (DeflateBlockWriter.h). An entry that would not shrink
// and fits in one block is written unchanged instead, as a stored entry.
//
// Photographs and other compressed data would cost the full search and still
// come out stored. So at the start of an entry, and after each block that came
// out stored, a quick probe looks at the next 32 KB (DeflateIncompressibleProbe.h);
// when it finds too little to gain, that stretch goes out as a stored block
// with no search at all.
//
// The same input at the same level always gives the same bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "deflate/DeflateIO.h"

class TDeflateMatchFinder;
class TDeflateBlockWriter;
class TIncompressibleProbe;

// What compressing an entry gives its header.
struct TDeflateResult {
    std::int64_t CompressedSize = 0;       // bytes written
    unsigned Method = 8;                   // 8 deflated, 0 written unchanged
    unsigned InternalAttribute = 1;        // 0 binary, 1 text (a guess from the first block)
    unsigned GeneralPurposeFlags = 0;      // to be or'ed in: 4 for levels 1-2, 2 for 8-9
};

// Owns the compressor's working buffers (about 350 KB), which one archive
// build allocates once and reuses for every entry. One entry at a time.
class TDeflater {
public:
    TDeflater();
    ~TDeflater();
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    // Allocates the buffers unless they are allocated already.
    void AllocDeflateBuffers();
    // Releases them.
    void FreeDeflateBuffers();

    // Compresses all input that io yields and writes the result through io,
    // allocating the buffers if needed. packLevel is clamped to 0-9; level 0
    // searches no matches. Exceptions of io pass through unchanged.
    TDeflateResult DeflateEntry(TDeflateIO& io, int packLevel);

private:
    std::unique_ptr<TDeflateMatchFinder> matchFinder_;
    std::unique_ptr<TDeflateBlockWriter> blockWriter_;
    std::unique_ptr<TIncompressibleProbe> probe_;
};

// An entry compressed in memory: its bytes are a raw deflate stream when
// Result.Method is 8, the input itself when it is 0.
struct TDeflatedBuffer {
    std::vector<std::uint8_t> Data;
    TDeflateResult Result;
};

TDeflatedBuffer DeflateBuffer(std::span<const std::uint8_t> input, int packLevel);
