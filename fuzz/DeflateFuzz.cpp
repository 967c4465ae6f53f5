// Compresses arbitrary input at an arbitrary level, read in arbitrary pieces,
// and checks that zlib's raw inflate gives the input back, and that a reused
// compressor gives the same bytes as a fresh one.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "deflate/Deflate.h"

namespace {

class TFuzzIO : public TDeflateIO {
public:
    TFuzzIO(std::span<const std::uint8_t> input, unsigned pieceSize) : input_(input), pieceSize_(pieceSize) {}

    std::size_t ReadSourceData(std::span<std::uint8_t> buffer) override
    {
        const std::size_t n = std::min({buffer.size(), input_.size(), std::size_t{pieceSize_}});
        std::copy_n(input_.begin(), n, buffer.begin());
        input_ = input_.subspan(n);
        return n;
    }
    void WriteArchiveData(std::span<std::uint8_t> data) override
    {
        Output.insert(Output.end(), data.begin(), data.end());
        std::fill(data.begin(), data.end(), 0xEE);  // a writer may change the buffer
    }

    std::vector<std::uint8_t> Output;

private:
    std::span<const std::uint8_t> input_;
    unsigned pieceSize_;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int level = static_cast<std::int8_t>(data[0]);  // also outside 0-9
    const unsigned pieceSize = 1u + data[1] * 257u;
    const std::span<const std::uint8_t> input(data + 2, size - 2);

    static TDeflater reused;
    TFuzzIO io(input, pieceSize);
    const TDeflateResult result = reused.DeflateEntry(io, level);
    Check(result.CompressedSize == static_cast<std::int64_t>(io.Output.size()));
    Check(io.Output == DeflateBuffer(input, level).Data);

    if (result.Method == 0) {
        Check(std::equal(input.begin(), input.end(), io.Output.begin(), io.Output.end()));
        return 0;
    }
    Check(result.Method == 8);
    std::vector<std::uint8_t> out(input.size() + 1);
    z_stream z{};
    Check(inflateInit2(&z, -15) == Z_OK);
    z.next_in = io.Output.data();
    z.avail_in = static_cast<uInt>(io.Output.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    Check(inflate(&z, Z_FINISH) == Z_STREAM_END);
    Check(z.avail_in == 0 && z.total_out == input.size());
    inflateEnd(&z);
    Check(std::equal(input.begin(), input.end(), out.begin()));
    return 0;
}
