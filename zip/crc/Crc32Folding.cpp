#include "crc/Crc32Folding.h"

#include <array>
#include <cassert>

#include "crc/Crc32.h"

#if defined(__x86_64__)

#include <immintrin.h>

namespace {

constexpr int LaneCount = 8;
constexpr int LaneBytes = 16;
constexpr int StrideBytes = LaneCount * LaneBytes;

// Below this the table method's start-up is cheaper than folding's.
constexpr std::int64_t MinimumFoldingCount = 2 * StrideBytes;

// x^n mod P, reflected into 32 bits (bit 31 holds x^0).
constexpr std::uint64_t PowerOfXModP(int n)
{
    std::uint32_t value = 0x80000000;
    for (int i = 0; i < n; ++i)
        value = (value & 1) ? (value >> 1) ^ 0xEDB88320 : value >> 1;
    return value;
}

// The constants that move an accumulator forward by the given number of bits:
// one for its first 8 bytes (the high-order half H), one for its last 8 (L).
// A reflected 32-bit constant multiplies as its polynomial times x^32, and
// the product gains one more factor x, hence the 33 taken off.
struct TFoldConstants {
    std::uint64_t firstHalf;
    std::uint64_t secondHalf;
};

constexpr TFoldConstants FoldConstants(int bits)
{
    return {PowerOfXModP(bits + 64 - 33), PowerOfXModP(bits - 33)};
}

constexpr TFoldConstants FoldByStride = FoldConstants(8 * StrideBytes);

// FoldByLanes[i] moves lane i onto the last lane.
constexpr std::array<TFoldConstants, LaneCount - 1> MakeFoldByLanes()
{
    std::array<TFoldConstants, LaneCount - 1> constants{};
    for (int i = 0; i < LaneCount - 1; ++i)
        constants[i] = FoldConstants(8 * LaneBytes * (LaneCount - 1 - i));
    return constants;
}
constexpr auto FoldByLanes = MakeFoldByLanes();

[[gnu::target("pclmul")]] __m128i Constants(TFoldConstants constants)
{
    return _mm_set_epi64x(static_cast<long long>(constants.secondHalf), static_cast<long long>(constants.firstHalf));
}

// accumulator * x^bits, reduced to 128 bits, for the constants of those bits.
[[gnu::target("pclmul")]] __m128i Fold(__m128i accumulator, __m128i constants)
{
    return _mm_xor_si128(_mm_clmulepi64_si128(accumulator, constants, 0x00),
                         _mm_clmulepi64_si128(accumulator, constants, 0x11));
}

[[gnu::target("pclmul")]] __m128i Load(const std::uint8_t* bytes)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// Folds the whole strides of a buffer of at least two strides; returns the
// running value over them and sets next past them.
[[gnu::target("pclmul")]] std::uint32_t FoldStrides(std::uint32_t crc, const std::uint8_t*& next,
                                                    const std::uint8_t* end)
{
    assert(end - next >= 2 * StrideBytes);
    // The running value stands for the message's first 32 bits inverted.
    __m128i lanes[LaneCount];
    for (int i = 0; i < LaneCount; ++i)
        lanes[i] = Load(next + i * LaneBytes);
    lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(static_cast<int>(crc)));
    next += StrideBytes;

    const __m128i stride = Constants(FoldByStride);
    for (; end - next >= StrideBytes; next += StrideBytes)
        for (int i = 0; i < LaneCount; ++i)
            lanes[i] = _mm_xor_si128(Fold(lanes[i], stride), Load(next + i * LaneBytes));

    __m128i folded = lanes[LaneCount - 1];
    for (int i = 0; i < LaneCount - 1; ++i)
        folded = _mm_xor_si128(folded, Fold(lanes[i], Constants(FoldByLanes[i])));
    alignas(16) std::uint8_t message[LaneBytes];
    _mm_store_si128(reinterpret_cast<__m128i*>(message), folded);
    return UpdateCRCBySlicing(0, message, LaneBytes);
}

} // namespace

bool CRCFoldingAvailable()
{
    return __builtin_cpu_supports("pclmul");
}

std::uint32_t UpdateCRCByFolding(std::uint32_t crc, const void* buffer, std::int64_t count)
{
    if (count < MinimumFoldingCount)
        return UpdateCRCBySlicing(crc, buffer, count);
    const auto* next = static_cast<const std::uint8_t*>(buffer);
    const auto* const end = next + count;
    crc = FoldStrides(crc, next, end);
    return UpdateCRCBySlicing(crc, next, end - next);
}

#else

bool CRCFoldingAvailable()
{
    return false;
}

std::uint32_t UpdateCRCByFolding(std::uint32_t crc, const void* buffer, std::int64_t count)
{
    return UpdateCRCBySlicing(crc, buffer, count);
}

#endif
