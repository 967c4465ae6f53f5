// Unreduce: the decompressor of compression methods 2 to 5 (reduce with
// compression factors 1 to 4) of the PKWARE zip format.
#pragma once

#include <cstdint>

#include "inflate/UnzipIO.h"
#include "legacy/LegacyStatus.h"

// Decompresses one reduced entry of uncompressedSize bytes from io's source
// to its sink, all output flushed; factor is the method minus 1. Decoding
// stops at the entry's size, even in the middle of the compressed data.
// Exceptions of the source and the sink pass through.
TLegacyStatus Unreduce(TUnzipIO& io, unsigned factor, std::uint64_t uncompressedSize);
