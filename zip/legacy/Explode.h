// Explode: the decompressor of compression method 6 (implode) of the PKWARE
// zip format.
#pragma once

#include <cstdint>

#include "inflate/UnzipIO.h"
#include "legacy/LegacyStatus.h"

// What an imploded entry's header says about its coding.
struct TImplodeOptions {
    bool eightKDictionary = false; // general purpose flag bit 1
    bool literalTree = false;      // general purpose flag bit 2
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
};

// Decompresses one imploded entry from io's source to its sink, all output
// flushed. Decoding stops at the entry's uncompressed size. Exceptions of the
// source and the sink pass through.
TLegacyStatus Explode(TUnzipIO& io, const TImplodeOptions& options);
