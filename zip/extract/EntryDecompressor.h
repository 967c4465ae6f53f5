// The decompressors of the compression methods extraction supports, chosen
// by an entry's method: 0 (stored) and 8 (deflated).
#pragma once

#include <cstdint>

#include "inflate/Inflate.h"
#include "inflate/UnzipIO.h"

enum class TDecompressResult {
    Complete,
    DataError, // the compressed data are invalid
};

class TEntryDecompressor {
public:
    static bool Supports(std::uint16_t method);

    // Decompresses one entry of a supported method from io's source to its
    // sink, all output flushed. Compressed data that end before the entry
    // does raise EFatalUnzipError "Premature end of file reached".
    TDecompressResult Decompress(std::uint16_t method, TUnzipIO& io);

private:
    TInflater inflater_;
};
