// Unreduces arbitrary bytes with any factor. Whatever the input, the
// decoder must stay inside its window and follower sets, stop, and never
// write past the entry's size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "LegacyFuzzInput.h"
#include "legacy/Unreduce.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TLegacyFuzzInput input;
    if (!TLegacyFuzzInput::Parse(data, size, input))
        return 0;
    std::vector<std::uint8_t> output;
    TMemoryUnzipSource source(input.compressed);
    TMemoryUnzipSink sink(output);
    TUnzipIO io(source, sink);
    const unsigned factor = (input.options & 3) + 1;
    if (Unreduce(io, factor, input.uncompressedSize) == TLegacyStatus::Ok && output.size() != input.uncompressedSize)
        std::abort();
    if (output.size() > input.uncompressedSize)
        std::abort();
    return 0;
}
