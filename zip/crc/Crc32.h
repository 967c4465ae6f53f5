// CRC-32 of the zip format: reflected polynomial 0xEDB88320, running value
// started at 0xFFFFFFFF and complemented at the end (the same CRC as zlib's
// crc32() and ISO 3309 / ITU-T V.42).
//
// The plain form feeds one bit at a time: crc ^= byte, then eight times
// "shift right by one, and xor the polynomial in when the bit shifted out was
// 1". Because that is linear, the effect of eight such steps on the low byte
// of crc can be tabulated once: table[i] is what the eight steps do to i.
// One byte then costs one lookup:
//     crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8)
// That byte-wise table step is `CRC32Step`; the cipher's key update uses it.
//
// The byte-wise form is one long chain of dependent lookups. Slicing-by-8
// breaks it: CRC32Tables[k][i] is the effect of byte i followed by k zero
// bytes, so the eight bytes of a block (the running crc xored into its first
// four) each go through their own table, all eight lookups independent, and
// are xored together. The result equals eight byte steps; the CPU overlaps
// the lookups, which makes it several times faster. A block's bytes are read
// little-endian byte by byte, so the code is the same on every host; the
// last bytes of a buffer, fewer than a block, take the byte step.
//
// The tables are computed at compile time from the polynomial.
//
// Where the processor multiplies carry-less, UpdateCRC folds instead
// (crc/Crc32Folding.h), several times faster again; slicing stays for the
// other processors and the last bytes of a buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The running value every CRC starts from; the final CRC is its complement.
constexpr std::uint32_t CRC32Start = 0xFFFFFFFF;

using TCRC32Table = std::array<std::uint32_t, 256>;

constexpr std::array<TCRC32Table, 8> MakeCRC32Tables()
{
    std::array<TCRC32Table, 8> tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        tables[0][i] = crc;
    }
    for (std::size_t k = 1; k < tables.size(); ++k)
        for (std::size_t i = 0; i < 256; ++i)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    return tables;
}

// CRC32Tables[0] is the standard 256-entry CRC-32 table.
inline constexpr std::array<TCRC32Table, 8> CRC32Tables = MakeCRC32Tables();

// One table step of the running value over one byte.
constexpr std::uint32_t CRC32Step(std::uint8_t byte, std::uint32_t crc)
{
    return CRC32Tables[0][(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

// The running value crc carried over count bytes of buffer; a count of 0 or
// less returns crc unchanged. Splitting a buffer into pieces and updating
// piece by piece gives the same value as one update over the whole.
// The fastest method this processor has, chosen once.
std::uint32_t UpdateCRC(std::uint32_t crc, const void* buffer, std::int64_t count);

// The same by slicing-by-8 alone, on any processor.
std::uint32_t UpdateCRCBySlicing(std::uint32_t crc, const void* buffer, std::int64_t count);
