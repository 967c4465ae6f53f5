// The constants of the deflate format (RFC 1951, section 3.2) as the
// decompressor needs them: block types, code counts, the length and distance
// base values with their extra bits, and the order of the code-length code
// lengths in a dynamic block header.
#pragma once

#include <array>
#include <cstdint>

// Distances reach at most this far back.
constexpr unsigned InflateWindowSize = 32768;

// Block types, the two bits after the last-block bit.
constexpr unsigned StoredBlock = 0;
constexpr unsigned FixedBlock = 1;
constexpr unsigned DynamicBlock = 2;

// Literal/length symbols: 256 literals, the end of block, then length codes.
constexpr unsigned LiteralCount = 256;
constexpr unsigned EndOfBlockSymbol = 256;
constexpr unsigned FirstLengthSymbol = 257;
// The fixed code has 288 literal/length and 30 distance codes; 286, 287 and
// the distance codes 30 and 31 never occur in valid data.
constexpr unsigned FixedLiteralCodes = 288;
constexpr unsigned FixedDistanceCodes = 30;
// A dynamic header declares at most this many codes.
constexpr unsigned MaxLiteralCodes = 286;
constexpr unsigned MaxDistanceCodes = 30;
constexpr unsigned CodeLengthCodes = 19;

constexpr unsigned MaxCodeLength = 15;
constexpr unsigned MaxCodeLengthCodeLength = 7;

// Matches are 3 to 258 bytes long.
constexpr unsigned MaxMatchLength = 258;

// Length symbols 257..285: base length and extra bits.
constexpr std::array<std::uint16_t, 29> LengthBase = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> LengthExtraBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// Distance symbols 0..29: base distance and extra bits.
constexpr std::array<std::uint16_t, 30> DistanceBase = {
    1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> DistanceExtraBits = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Code-length symbols 16, 17 and 18 repeat: extra bits and the base count.
constexpr unsigned RepeatPreviousSymbol = 16; // 2 bits + 3 copies of the previous length
constexpr unsigned RepeatZeroSymbol = 17;     // 3 bits + 3 zeros
constexpr unsigned RepeatZeroLongSymbol = 18; // 7 bits + 11 zeros

// The order in which a dynamic header gives the code-length code lengths.
constexpr std::array<std::uint8_t, CodeLengthCodes> CodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
