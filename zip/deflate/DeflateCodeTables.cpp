#include "deflate/DeflateCodeTables.h"

#include <cassert>

namespace {

void BuildLengthCodes(TDeflateCodeTables& t)
{
    unsigned length = 0;
    for (unsigned code = 0; code < DeflateLengthCodes - 1; ++code) {
        t.BaseLength[code] = length;
        for (unsigned n = 0; n < (1u << DeflateLengthExtraBits[code]); ++n)
            t.LengthCode[length++] = static_cast<std::uint8_t>(code);
    }
    assert(length == 256 && "ct_init: length <> 256");
    // Length 258 fits code 284 with 5 extra bits too; its own code 285 is shorter.
    t.LengthCode[255] = DeflateLengthCodes - 1;
}

void BuildDistanceCodes(TDeflateCodeTables& t)
{
    unsigned dist = 0;
    for (unsigned code = 0; code < 16; ++code) {
        t.BaseDistance[code] = dist;
        for (unsigned n = 0; n < (1u << DeflateDistanceExtraBits[code]); ++n)
            t.DistanceCodeMap[dist++] = static_cast<std::uint8_t>(code);
    }
    assert(dist == 256 && "ct_init: dist <> 256");
    dist >>= 7;  // from here on in units of 128
    for (unsigned code = 16; code < DeflateDistanceCodes; ++code) {
        t.BaseDistance[code] = dist << 7;
        for (unsigned n = 0; n < (1u << (DeflateDistanceExtraBits[code] - 7)); ++n)
            t.DistanceCodeMap[256 + dist++] = static_cast<std::uint8_t>(code);
    }
    assert(dist == 256 && "ct_init: 256+dist <> 512");
}

void BuildStaticTrees(TDeflateCodeTables& t)
{
    TDeflateLengthCounts blCount{};
    for (unsigned n = 0; n < DeflateStaticLiteralCodes; ++n) {
        const unsigned length = n <= 143 ? 8 : n <= 255 ? 9 : n <= 279 ? 7 : 8;
        t.StaticLiteralTree[n].Len = static_cast<std::uint16_t>(length);
        blCount[length]++;
    }
    gencodes(t.StaticLiteralTree.data(), DeflateStaticLiteralCodes - 1, blCount);
    for (unsigned n = 0; n < DeflateDistanceCodes; ++n) {
        t.StaticDistanceTree[n].Len = 5;
        t.StaticDistanceTree[n].Code = static_cast<std::uint16_t>(ReverseBits(n, 5));
    }
}

TDeflateCodeTables BuildCodeTables()
{
    TDeflateCodeTables t;
    BuildLengthCodes(t);
    BuildDistanceCodes(t);
    BuildStaticTrees(t);
    return t;
}

}  // namespace

const TDeflateCodeTables& ct_init()
{
    static const TDeflateCodeTables tables = BuildCodeTables();
    return tables;
}
