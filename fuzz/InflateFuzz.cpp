// Inflates arbitrary bytes with a bounded output. Whatever the input, the
// decoder must stay inside its tables and window and stop; and whenever zlib
// takes the same bytes as one complete raw deflate stream, our output must be
// exactly zlib's. One inflater serves every run, as one serves every entry of
// an extraction, so no run may see bytes an earlier one left behind. Each
// input is inflated twice: into a growing buffer, and into memory a sink
// lends, as much of it as the input's first and last bytes choose.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// Lends the first lent bytes of its buffer; what comes after them is copied
// in behind, up to the output limit.
class TLendingSink : public TUnzipSink {
public:
    TLendingSink(std::vector<std::uint8_t>& buffer, std::size_t lent) : buffer_(buffer), lent_(lent) {}
    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override
    {
        if (count > buffer_.size() - size)
            throw EWriteError("Decompressed data pass the output limit");
        if (data != buffer_.data() + size)
            std::memcpy(buffer_.data() + size, data, count);
        size += count;
    }
    std::span<std::uint8_t> LendMemory() override
    {
        return std::span(buffer_).first(std::max(lent_, size)).subspan(size);
    }
    std::size_t size = 0;

private:
    std::vector<std::uint8_t>& buffer_;
    std::size_t lent_;
};

// Inflates input into sink; false when the output passed the limit.
bool InflateInto(std::span<const std::uint8_t> input, TUnzipSink& sink, TInflateStatus& status)
{
    static TInflater inflater;
    TMemoryUnzipSource source(input);
    TUnzipIO io(source, sink);
    try {
        status = inflater.Inflate(io);
    } catch (const EWriteError&) {
        return false;
    }
    return true;
}

bool SameAs(const std::vector<std::uint8_t>& zlib, std::size_t zlibSize, const std::uint8_t* ours, std::size_t size)
{
    return size == zlibSize && std::equal(ours, ours + size, zlib.begin());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::vector<std::uint8_t> ours;
    static std::vector<std::uint8_t> lent(OutputLimit);
    static std::vector<std::uint8_t> zlib(OutputLimit);
    const std::span<const std::uint8_t> input(data, size);

    ours.clear();
    TMemoryUnzipSink sink(ours, OutputLimit);
    TInflateStatus status = TInflateStatus::Ok;
    const bool withinLimit = InflateInto(input, sink, status);

    const std::size_t lentSize = size == 0 ? 0 : (std::size_t{data[0]} << 10) + data[size - 1];
    TLendingSink lendingSink(lent, lentSize);
    TInflateStatus lentStatus = TInflateStatus::Ok;
    const bool lentWithinLimit = InflateInto(input, lendingSink, lentStatus);

    std::size_t zlibSize = 0;
    if (ZlibInflate(input, zlib, zlibSize) &&
        (!withinLimit || status != TInflateStatus::Ok || !SameAs(zlib, zlibSize, ours.data(), ours.size()) ||
         !lentWithinLimit || lentStatus != TInflateStatus::Ok ||
         !SameAs(zlib, zlibSize, lent.data(), lendingSink.size)))
        std::abort();
    return 0;
}
