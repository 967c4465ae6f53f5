// Inflates arbitrary bytes with a bounded output. Whatever the input, the
// decoder must stay inside its tables and window and stop; and whenever zlib
// takes the same bytes as one complete raw deflate stream, our output must be
// exactly zlib's. One inflater serves every run, as one serves every entry of
// an extraction, so no run may see bytes an earlier one left behind.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "Exceptions.h"
#include "inflate/Inflate.h"

namespace {

constexpr std::size_t OutputLimit = 1 << 20;

// zlib's output and its size, or false when zlib does not take the
// input as one complete stream within the limit.
bool ZlibInflate(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out, std::size_t& size)
{
    static z_stream z = [] {
        z_stream stream{};
        if (inflateInit2(&stream, -15) != Z_OK)
            std::abort();
        return stream;
    }();
    inflateReset(&z);
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const bool complete = inflate(&z, Z_FINISH) == Z_STREAM_END;
    size = z.total_out;
    return complete;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TInflater inflater;
    static std::vector<std::uint8_t> ours;
    static std::vector<std::uint8_t> zlib(OutputLimit);
    const std::span<const std::uint8_t> input(data, size);

    ours.clear();
    TMemoryUnzipSource source(input);
    TMemoryUnzipSink sink(ours, OutputLimit);
    TUnzipIO io(source, sink);
    TInflateStatus status = TInflateStatus::Ok;
    bool overLimit = false;
    try {
        status = inflater.Inflate(io);
    } catch (const EWriteError&) {
        overLimit = true;
    }

    std::size_t zlibSize = 0;
    if (ZlibInflate(input, zlib, zlibSize) &&
        (overLimit || status != TInflateStatus::Ok || ours.size() != zlibSize ||
         !std::equal(ours.begin(), ours.end(), zlib.begin())))
        std::abort();
    return 0;
}
