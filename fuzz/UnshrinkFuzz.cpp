// Unshrinks arbitrary bytes. Whatever the input, the decoder must stay
// inside its tables and stop, writing no more than the sink takes.
#include <cstdint>
#include <vector>

#include "Exceptions.h"
#include "LegacyFuzzInput.h"
#include "legacy/Unshrink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TLegacyFuzzInput input;
    if (!TLegacyFuzzInput::Parse(data, size, input))
        return 0;
    std::vector<std::uint8_t> output;
    TMemoryUnzipSource source(input.compressed);
    TMemoryUnzipSink sink(output, input.uncompressedSize);
    TUnzipIO io(source, sink);
    try {
        Unshrink(io);
    } catch (const EWriteError&) {
    }
    return 0;
}
