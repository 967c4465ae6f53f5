// Constants of raw deflate data (RFC 1951, section 3.2) and the fixed sizes of
// this compressor: a 32 KB window searched with 15-bit hash chains, and block
// buffers of 32 K symbols.
#pragma once

#include <array>
#include <cstdint>

// Match lengths and the window.
constexpr unsigned DeflateMinMatch = 3;
constexpr unsigned DeflateMaxMatch = 258;
constexpr unsigned DeflateWindowSize = 32768;
constexpr unsigned DeflateWindowMask = DeflateWindowSize - 1;
// The window buffer holds two halves; the upper one slides down when full.
constexpr unsigned DeflateWindowBufferSize = 2 * DeflateWindowSize;
// Enough input ahead for the longest match plus the next string to hash.
constexpr unsigned DeflateMinLookahead = DeflateMaxMatch + DeflateMinMatch + 1;
// Matches reach back less than a whole window so that a slide never removes
// data a match still needs.
constexpr unsigned DeflateMaxDistance = DeflateWindowSize - DeflateMinLookahead;
// A length-3 match further back than this costs more than three literals.
constexpr unsigned DeflateTooFar = 4096;

// Hashing of three bytes into 15 bits.
constexpr unsigned DeflateHashBits = 15;
constexpr unsigned DeflateHashSize = 1u << DeflateHashBits;
constexpr unsigned DeflateHashMask = DeflateHashSize - 1;
constexpr unsigned DeflateHashShift = 5;

// Block buffers: one literal byte (or length - 3) per symbol, one distance
// per match, one flag bit per symbol.
constexpr unsigned DeflateLiteralBufferSize = 32768;
constexpr unsigned DeflateDistanceBufferSize = 32768;
constexpr unsigned DeflateFlagBufferSize = DeflateLiteralBufferSize / 8;

// Alphabets.
constexpr unsigned DeflateLiterals = 256;
constexpr unsigned DeflateEndOfBlock = 256;
constexpr unsigned DeflateLengthCodes = 29;
constexpr unsigned DeflateLiteralCodes = DeflateLiterals + 1 + DeflateLengthCodes;  // 286
constexpr unsigned DeflateStaticLiteralCodes = 288;
constexpr unsigned DeflateDistanceCodes = 30;
constexpr unsigned DeflateBitLengthCodes = 19;
constexpr unsigned DeflateMaxBits = 15;
constexpr unsigned DeflateMaxBitLengthBits = 7;
// Nodes of the largest tree: every leaf plus every inner node, and one spare.
constexpr unsigned DeflateHeapSize = 2 * DeflateLiteralCodes + 1;  // 573

// Code-length symbols of a dynamic block header.
constexpr unsigned DeflateRepeat3To6 = 16;
constexpr unsigned DeflateRepeatZeros3To10 = 17;
constexpr unsigned DeflateRepeatZeros11To138 = 18;

// Block types, sent as two bits after the last-block bit.
constexpr unsigned DeflateStoredBlock = 0;
constexpr unsigned DeflateStaticBlock = 1;
constexpr unsigned DeflateDynamicBlock = 2;

inline constexpr std::array<std::uint8_t, DeflateLengthCodes> DeflateLengthExtraBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<std::uint8_t, DeflateDistanceCodes> DeflateDistanceExtraBits = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
inline constexpr std::array<std::uint8_t, DeflateBitLengthCodes> DeflateBitLengthExtraBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
// The order in which a dynamic header sends the code lengths of the
// code-length alphabet: the ones most often unused come last.
inline constexpr std::array<std::uint8_t, DeflateBitLengthCodes> DeflateBitLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
