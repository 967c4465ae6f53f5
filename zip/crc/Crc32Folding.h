// CRC-32 by carry-less multiplication folding, for x86-64 processors with
// the PCLMULQDQ instruction.
//
// The CRC of a message M is M(x) * x^32 mod P(x) over GF(2). Because that is
// linear and only the remainder counts, any part of the message may be
// replaced by a shorter polynomial congruent to it modulo P. Folding does that
// 128 bytes at a time: eight 128-bit accumulators hold the message's next 128
// bytes; moving on by 128 bytes multiplies each by x^1024, and
//     A * x^1024 = (H * x^64 + L) * x^1024 = H * x^1088 + L * x^1024
//               ~ H * (x^1088 mod P) + L * (x^1024 mod P)
// which is two 64 x 32-bit carry-less products, again under 128 bits, that
// are xored into the accumulator's next 16 bytes. The processor multiplies
// 64 x 64 bits in one instruction, so the stream costs two multiplies per 16
// bytes; eight accumulators keep enough of them in flight to hide their
// latency.
//
// At the end the accumulators fold onto the last one, each by its distance.
// What is left is a 16-byte message whose CRC, from a zero running value,
// equals the CRC of everything folded: the table method finishes it, and
// takes the few bytes after the last whole 128.
//
// Bits are reflected as the zip CRC reflects them (bit 0 of the first byte is
// the highest power), so a multiply by x is a right shift, and the product of
// two reflected 64-bit values comes out shifted by one place; the constants
// allow for that. They are computed from the polynomial at compile time.
#pragma once

#include <cstdint>

// Whether this processor multiplies carry-less (x86-64 PCLMULQDQ).
bool CRCFoldingAvailable();

// The running value crc carried over count bytes of buffer, as UpdateCRC.
// Only to be called when CRCFoldingAvailable() is true.
std::uint32_t UpdateCRCByFolding(std::uint32_t crc, const void* buffer, std::int64_t count);
