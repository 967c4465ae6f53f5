// CRC-32 throughput of UpdateCRC beside zlib's and libdeflate's on the same
// buffer, and the traditional cipher's, in MB/s (best of several batches).
// Each CRC is checked against zlib's before anything is timed. The CRCs take
// turns batch by batch, and our speed as a ratio to each peer's is the
// median of those turns, steady on a busy machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <libdeflate.h>
#include <random>
#include <utility>
#include <vector>
#include <zlib.h>

#include "crc/Crc32.h"
#include "crypt/ZipCrypt.h"

namespace {

constexpr std::size_t BufferSize = 1 << 20;
constexpr int BatchRounds = 16; // buffers per batch
constexpr int Turns = 15;

using TWork = std::function<std::uint32_t()>;

// Seconds per buffer over one batch.
double TimeBatch(const TWork& work)
{
    volatile std::uint32_t sink = 0; // keeps the optimiser from dropping the work
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < BatchRounds; ++i)
        sink = sink ^ work();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    return seconds.count() / BatchRounds;
}

double MBPerSecond(double secondsPerBuffer)
{
    return double(BufferSize) / secondsPerBuffer / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Prints each one's best MB/s and, for all but the first, the first's speed
// as a ratio to its own.
void Compare(const std::vector<std::pair<const char*, TWork>>& works)
{
    std::vector<std::vector<double>> seconds(works.size());
    for (int turn = 0; turn < Turns; ++turn)
        for (std::size_t w = 0; w < works.size(); ++w)
            seconds[w].push_back(TimeBatch(works[w].second));
    for (std::size_t w = 0; w < works.size(); ++w) {
        std::printf("%-12s %8.0f MB/s", works[w].first,
                    MBPerSecond(*std::min_element(seconds[w].begin(), seconds[w].end())));
        if (w > 0) {
            std::vector<double> ratios;
            for (int turn = 0; turn < Turns; ++turn)
                ratios.push_back(seconds[w][turn] / seconds[0][turn]);
            std::printf("   %s / %s %.2f", works[0].first, works[w].first, Median(ratios));
        }
        std::printf("\n");
    }
}

} // namespace

int main()
{
    std::vector<std::uint8_t> data(BufferSize);
    std::mt19937 generator(7);
    for (auto& b : data)
        b = std::uint8_t(generator());

    const auto ours = [&] { return ~UpdateCRC(CRC32Start, data.data(), std::int64_t(data.size())); };
    const auto zlib = [&] { return std::uint32_t(crc32(0, data.data(), uInt(data.size()))); };
    const auto libdeflate = [&] { return std::uint32_t(libdeflate_crc32(0, data.data(), data.size())); };
    if (ours() != zlib() || libdeflate() != zlib()) {
        std::fprintf(stderr, "CRC-32 values differ\n");
        return EXIT_FAILURE;
    }
    Compare({{"UpdateCRC", ours}, {"zlib", zlib}, {"libdeflate", libdeflate}});

    std::vector<std::uint8_t> encrypted(BufferSize);
    TZipCrypt crypt;
    crypt.InitKeys("password");
    Compare({{"EncryptBuffer", [&] {
                  crypt.EncryptBuffer(data.data(), encrypted.data(), std::int64_t(data.size()));
                  return std::uint32_t(encrypted[0]);
              }}});
    return EXIT_SUCCESS;
}
