#include "records/ZipSignatures.h"

namespace {

struct Signatures {
    std::uint32_t central = DefaultCentralSignature;
    std::uint32_t local = DefaultLocalSignature;
    std::uint32_t end = DefaultEndSignature;
    std::array<std::uint8_t, 4> localBytes = {0x50, 0x4B, 0x03, 0x04};
    std::uint8_t endFirstByte = 0x50;
};

Signatures& Current()
{
    static Signatures signatures;
    return signatures;
}

} // namespace

void SetSignatures(std::uint32_t central, std::uint32_t local, std::uint32_t end)
{
    Signatures& s = Current();
    s.central = central != 0 ? central : DefaultCentralSignature;
    s.local = local != 0 ? local : DefaultLocalSignature;
    s.end = end != 0 ? end : DefaultEndSignature;
    for (int i = 0; i < 4; ++i)
        s.localBytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(s.local >> (8 * i));
    s.endFirstByte = static_cast<std::uint8_t>(s.end & 0xFF);
}

std::uint32_t CentralSignature() { return Current().central; }
std::uint32_t LocalSignature() { return Current().local; }
std::uint32_t EndSignature() { return Current().end; }
const std::array<std::uint8_t, 4>& LocalSignatureBytes() { return Current().localBytes; }
std::uint8_t EndSignatureFirstByte() { return Current().endFirstByte; }
