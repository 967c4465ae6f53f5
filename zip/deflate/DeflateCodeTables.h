// The tables that follow from the deflate format alone: the fixed literal and
// distance codes, and the maps from a match length or distance to its code and
// the base value its extra bits count from. Built once per process.
#pragma once

#include <array>
#include <cstdint>

#include "deflate/DeflateConstants.h"
#include "deflate/DeflateHuffman.h"

struct TDeflateCodeTables {
    std::array<TDeflateCode, DeflateStaticLiteralCodes> StaticLiteralTree{};
    std::array<TDeflateCode, DeflateDistanceCodes> StaticDistanceTree{};
    std::array<unsigned, DeflateLengthCodes> BaseLength{};
    // Match length - 3 to length code 0-28.
    std::array<std::uint8_t, 256> LengthCode{};
    std::array<unsigned, DeflateDistanceCodes> BaseDistance{};
    // First half: distance - 1 below 256; second half: (distance - 1) >> 7.
    std::array<std::uint8_t, 512> DistanceCodeMap{};

    // The distance code of a match at distance - 1 = d.
    unsigned DistanceCode(unsigned d) const { return d < 256 ? DistanceCodeMap[d] : DistanceCodeMap[256 + (d >> 7)]; }
};

// Builds the tables (only ct_init's first call does the work).
const TDeflateCodeTables& ct_init();
