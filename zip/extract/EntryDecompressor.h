// The decompressors of the compression methods extraction supports, chosen
// by an entry's method: 0 (stored), 1 (shrunk), 2 to 5 (reduced), 6
// (imploded) and 8 (deflated).
#pragma once

#include <cstdint>

#include "inflate/Inflate.h"
#include "inflate/UnzipIO.h"
#include "records/ZipRecords.h"

enum class TDecompressResult {
    Complete,
    DataError, // the compressed data are invalid
};

class TEntryDecompressor {
public:
    static bool Supports(std::uint16_t method);

    // Decompresses one entry of a supported method from io's source to its
    // sink, all output flushed. Deflate data that end before the entry does
    // raise EFatalUnzipError "Premature end of file reached"; shrunk,
    // reduced or imploded data that do are a data error. The entry's
    // CompressedSize is that of its compressed data alone, without an
    // encryption header.
    TDecompressResult Decompress(const TZipHeaderInfo& entry, TUnzipIO& io);

private:
    TInflater inflater_;
};
