// Explodes arbitrary bytes with either dictionary and with or without a
// literal tree. Whatever the input, the decoder must stay inside its tables
// and window, stop, and never write past the entry's size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "LegacyFuzzInput.h"
#include "legacy/Explode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TLegacyFuzzInput input;
    if (!TLegacyFuzzInput::Parse(data, size, input))
        return 0;
    TImplodeOptions options;
    options.eightKDictionary = (input.options & 2) != 0;
    options.literalTree = (input.options & 4) != 0;
    options.compressedSize = input.compressed.size();
    options.uncompressedSize = input.uncompressedSize;
    std::vector<std::uint8_t> output;
    TMemoryUnzipSource source(input.compressed);
    TMemoryUnzipSink sink(output);
    TUnzipIO io(source, sink);
    if (Explode(io, options) == TLegacyStatus::Ok && output.size() != input.uncompressedSize)
        std::abort();
    if (output.size() > input.uncompressedSize)
        std::abort();
    return 0;
}
