// Inflate speed: our engine against zlib and libdeflate on the same data in
// the same run. Each data set is compressed once by zlib at level 6 (raw
// deflate); every decoder's output is checked against the original before it
// is timed. Reported: MB/s of decompressed output (best of several batches)
// and our speed as a ratio to each peer's, the median of batches run in turn.
//
// Data sets, all found on any Debian 12 with the build's packages or made
// here reproducibly: license texts (base-files), C headers (libc6-dev), an
// executable (cmake, else this program), JPEG pictures that libjpeg encodes
// from generated photographs, and the legacy zip archives of the shared test
// data (read as plain bytes). Usage: InflateBench [testdata folder].
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>

#include "LegacyTestData.h"
#include "MadePhotograph.h"
#include "ZlibReference.h"
#include "inflate/Inflate.h"

namespace {

using TBytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

TBytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The regular files of a folder (no links), in name order, one after another.
TBytes ReadFolder(const fs::path& folder, const std::string& extension = "")
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && !entry.is_symlink() &&
            (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    TBytes bytes;
    for (const auto& file : files) {
        const TBytes part = ReadFile(file);
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

TBytes MakePictures()
{
    TBytes bytes;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const TBytes picture = MadePhotograph(1600, 1200, seed, 85);
        bytes.insert(bytes.end(), picture.begin(), picture.end());
    }
    return bytes;
}

// Our engine as the extraction run uses it: a reused inflater, the input in
// 32 KB blocks, the output in 32 KB blocks into a buffer of the caller's,
// which the sink lends, so that the inflater writes into it in place (as the
// peers write into the buffer they are given).
class TBufferSink : public TUnzipSink {
public:
    explicit TBufferSink(TBytes& buffer) : buffer_(buffer) {}
    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override
    {
        if (count > buffer_.size() - size)
            throw std::runtime_error("output too large");
        if (data != buffer_.data() + size)
            std::memcpy(buffer_.data() + size, data, count);
        size += count;
    }
    std::span<std::uint8_t> LendMemory() override { return std::span(buffer_).subspan(size); }
    std::size_t size = 0;

private:
    TBytes& buffer_;
};

class TDecoders {
public:
    TDecoders() : libdeflate_(libdeflate_alloc_decompressor(), &libdeflate_free_decompressor)
    {
        inflateInit2(&zlib_, -15);
    }
    ~TDecoders() { inflateEnd(&zlib_); }

    std::size_t Ours(const TBytes& in, TBytes& out)
    {
        TMemoryUnzipSource source(in);
        TBufferSink sink(out);
        TUnzipIO io(source, sink);
        return inflater_.Inflate(io) == TInflateStatus::Ok ? sink.size : 0;
    }

    std::size_t Zlib(const TBytes& in, TBytes& out)
    {
        inflateReset(&zlib_);
        zlib_.next_in = const_cast<Bytef*>(in.data());
        zlib_.avail_in = static_cast<uInt>(in.size());
        zlib_.next_out = out.data();
        zlib_.avail_out = static_cast<uInt>(out.size());
        return inflate(&zlib_, Z_FINISH) == Z_STREAM_END ? zlib_.total_out : 0;
    }

    std::size_t Libdeflate(const TBytes& in, TBytes& out)
    {
        std::size_t size = 0;
        return libdeflate_deflate_decompress(libdeflate_.get(), in.data(), in.size(), out.data(), out.size(),
                                             &size) == LIBDEFLATE_SUCCESS
                   ? size
                   : 0;
    }

private:
    TInflater inflater_;
    z_stream zlib_{};
    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> libdeflate_;
};

using TDecoder = std::function<std::size_t(const TBytes&, TBytes&)>;

// Whether the decoder gives back the original.
bool Verify(const TDecoder& decode, const TBytes& compressed, const TBytes& original)
{
    TBytes out(original.size() + 1);
    return decode(compressed, out) == original.size() && std::equal(original.begin(), original.end(), out.begin());
}

// Seconds per decode over a batch of at least 20 ms.
double TimeBatch(const TDecoder& decode, const TBytes& compressed, TBytes& out)
{
    const auto start = std::chrono::steady_clock::now();
    int decodes = 0;
    double seconds = 0;
    do {
        decode(compressed, out);
        ++decodes;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (seconds < 0.02);
    return seconds / decodes;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each decoder's best MB/s, and the median over rounds of our speed as a
// ratio to each peer's. The decoders take turns batch by batch, so that a
// ratio compares runs made under the same load on a shared machine.
struct TSpeeds {
    std::vector<double> best;  // MB/s per decoder
    std::vector<double> ratio; // ours / that decoder's, per decoder
};

TSpeeds MeasureSpeeds(const std::vector<TDecoder>& decoders, const TBytes& compressed, const TBytes& original)
{
    constexpr int Rounds = 25;
    TBytes out(original.size() + 1);
    std::vector<std::vector<double>> seconds(decoders.size());
    for (int round = 0; round < Rounds; ++round)
        for (std::size_t d = 0; d < decoders.size(); ++d)
            seconds[d].push_back(TimeBatch(decoders[d], compressed, out));
    TSpeeds speeds;
    for (std::size_t d = 0; d < decoders.size(); ++d) {
        speeds.best.push_back(original.size() / *std::min_element(seconds[d].begin(), seconds[d].end()) / 1e6);
        std::vector<double> ratios;
        for (int round = 0; round < Rounds; ++round)
            ratios.push_back(seconds[d][round] / seconds[0][round]);
        speeds.ratio.push_back(Median(ratios));
    }
    return speeds;
}

struct TDataSet {
    std::string name;
    TBytes bytes;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<TDataSet> sets;
    sets.push_back({"license texts", ReadFolder("/usr/share/common-licenses")});
    sets.push_back({"C headers", ReadFolder("/usr/include", ".h")});
    TBytes executable = ReadFile("/usr/bin/cmake");
    sets.push_back({"executable", executable.empty() ? ReadFile("/proc/self/exe") : executable});
    sets.push_back({"JPEG pictures", MakePictures()});
    if (const fs::path legacy = FindLegacyTestData(argc, argv); !legacy.empty())
        sets.push_back({"legacy zip archives", ReadFolder(legacy)});
    else
        std::printf("(legacy test data not found; pass its folder as the argument)\n");

    TDecoders decoders;
    const TDecoder ours = [&](const TBytes& in, TBytes& out) { return decoders.Ours(in, out); };
    const TDecoder zlib = [&](const TBytes& in, TBytes& out) { return decoders.Zlib(in, out); };
    const TDecoder libdeflate = [&](const TBytes& in, TBytes& out) { return decoders.Libdeflate(in, out); };

    std::printf("%-20s %10s %7s %10s %10s %12s %9s %12s\n", "data (zlib level 6)", "bytes", "ratio", "ours MB/s",
                "zlib MB/s", "libdeflate", "vs zlib", "vs libdeflate");
    bool allVerified = true;
    for (const TDataSet& set : sets) {
        if (set.bytes.empty())
            continue;
        const TBytes compressed = ZlibDeflate(set.bytes, 6);
        const std::vector<TDecoder> decoders = {ours, zlib, libdeflate};
        const bool verified = std::all_of(decoders.begin(), decoders.end(), [&](const TDecoder& decode) {
            return Verify(decode, compressed, set.bytes);
        });
        allVerified = allVerified && verified;
        if (!verified)
            continue;
        const TSpeeds speeds = MeasureSpeeds(decoders, compressed, set.bytes);
        std::printf("%-20s %10zu %7.3f %10.1f %10.1f %12.1f %9.2f %12.2f\n", set.name.c_str(), set.bytes.size(),
                    static_cast<double>(compressed.size()) / set.bytes.size(), speeds.best[0], speeds.best[1],
                    speeds.best[2], speeds.ratio[1], speeds.ratio[2]);
    }
    if (!allVerified) {
        std::printf("FAILED: a decoder did not give back the original data\n");
        return 1;
    }
    return 0;
}
