#include "crc/Crc32.h"

#include "crc/Crc32Folding.h"

namespace {

std::uint32_t LoadLittleEndian32(const std::uint8_t* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
        | std::uint32_t(bytes[3]) << 24;
}

// Eight bytes at once: byte j of the block still has 7 - j bytes to pass
// through, so it is looked up in table 7 - j.
std::uint32_t Slice8Step(std::uint32_t crc, const std::uint8_t* block)
{
    const auto& t = CRC32Tables;
    const std::uint32_t low = crc ^ LoadLittleEndian32(block);
    const std::uint32_t high = LoadLittleEndian32(block + 4);
    return t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24]
        ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
}

} // namespace

std::uint32_t UpdateCRCBySlicing(std::uint32_t crc, const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return crc;
    const auto* next = static_cast<const std::uint8_t*>(buffer);
    const auto* const end = next + count;
    for (; end - next >= 8; next += 8)
        crc = Slice8Step(crc, next);
    for (; next != end; ++next)
        crc = CRC32Step(*next, crc);
    return crc;
}

std::uint32_t UpdateCRC(std::uint32_t crc, const void* buffer, std::int64_t count)
{
    static const auto update = CRCFoldingAvailable() ? UpdateCRCByFolding : UpdateCRCBySlicing;
    return update(crc, buffer, count);
}
