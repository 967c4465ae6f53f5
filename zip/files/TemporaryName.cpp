#include "files/TemporaryName.h"

#include <array>
#include <cstdint>

#include "crypt/RandomBytes.h"

std::string RandomTemporaryName()
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<std::uint8_t, 6> random{};
    SystemRandomBytes(random.data(), random.size());
    std::string name = "KPZ";
    for (const std::uint8_t byte : random)
        name += Letters[byte % (sizeof Letters - 1)];
    return name;
}
