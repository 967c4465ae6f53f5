// Unshrink: the decompressor of compression method 1 (shrink) of the PKWARE
// zip format.
#pragma once

#include "inflate/UnzipIO.h"
#include "legacy/LegacyStatus.h"

// Decompresses one shrunk entry from io's source to its sink, all output
// flushed. The stream ends only with its compressed data, so a cut stream
// gives short output (Ok) that the entry's CRC-32 then refuses. Exceptions
// of the source and the sink pass through.
TLegacyStatus Unshrink(TUnzipIO& io);
