// CRC-32 throughput of UpdateCRC beside zlib's and libdeflate's on the same
// buffer, and the traditional cipher's, in MB/s. Each CRC is checked against
// zlib's before anything is timed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <libdeflate.h>
#include <random>
#include <vector>
#include <zlib.h>

#include "crc/Crc32.h"
#include "crypt/ZipCrypt.h"

namespace {

constexpr std::size_t BufferSize = 1 << 20;
constexpr int Rounds = 256;

// Runs work over the buffer Rounds times and prints MB/s.
void Time(const char* name, const std::function<std::uint32_t()>& work)
{
    volatile std::uint32_t sink = 0; // keeps the optimiser from dropping the work
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Rounds; ++i)
        sink = sink ^ work();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%-12s %8.0f MB/s\n", name, double(BufferSize) * Rounds / seconds.count() / 1e6);
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
    Time("UpdateCRC", ours);
    Time("zlib", zlib);
    Time("libdeflate", libdeflate);

    std::vector<std::uint8_t> encrypted(BufferSize);
    TZipCrypt crypt;
    crypt.InitKeys("password");
    Time("EncryptBuffer", [&] {
        crypt.EncryptBuffer(data.data(), encrypted.data(), std::int64_t(data.size()));
        return std::uint32_t(encrypted[0]);
    });
    return EXIT_SUCCESS;
}
