#include "KeyWordScrambling.h"

namespace pictoalbum {

namespace {

std::uint8_t HighByte(std::uint16_t keyWord)
{
    return static_cast<std::uint8_t>(keyWord >> 8);
}

} // namespace

std::string Encrypt(std::string_view text, std::uint16_t keyWord)
{
    std::string result(text);
    for (char& c : result) {
        const auto scrambled = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ HighByte(keyWord));
        c = static_cast<char>(scrambled);
        keyWord = static_cast<std::uint16_t>(keyWord + scrambled);
    }
    return result;
}

std::string Decrypt(std::string_view text, std::uint16_t keyWord)
{
    std::string result(text);
    for (char& c : result) {
        const auto scrambled = static_cast<std::uint8_t>(c);
        c = static_cast<char>(scrambled ^ HighByte(keyWord));
        keyWord = static_cast<std::uint16_t>(keyWord + scrambled);
    }
    return result;
}

std::uint16_t GetWordPass(std::string_view password)
{
    std::uint16_t sum = 0;
    std::uint16_t state = 27813;
    // The bytes taken are a zero followed by all but the last character;
    // each weighs 2 to the power of its place, which is 0 from place 16 on.
    for (std::size_t i = 0; i < password.size(); ++i) {
        const std::uint16_t c = i == 0 ? 0 : static_cast<std::uint8_t>(password[i - 1]);
        const std::uint16_t factor = i < 16 ? static_cast<std::uint16_t>(1u << i) : 0;
        sum = static_cast<std::uint16_t>(sum + factor * c + state);
        state = static_cast<std::uint16_t>((state + c) * 23942 + 384);
    }
    return sum;
}

} // namespace pictoalbum
