// Reproducible sample data of the kinds a compressor meets: text, bytes
// without pattern, long runs, and binary records with far repeats.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A small, fixed pseudo-random generator, so that every run sees the same data.
class TSampleRandom {
public:
    explicit TSampleRandom(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint32_t state_;
};

// size bytes of uniform noise.
inline std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed)
{
    TSampleRandom random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random.Next() >> 24);
    return bytes;
}

// The same bytes as a string.
inline std::string RandomByteString(std::size_t size, std::uint32_t seed)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(size, seed);
    return std::string(bytes.begin(), bytes.end());
}

enum class TSampleKind { Text, Noise, Runs, Records };

inline const char* SampleKindName(TSampleKind kind)
{
    switch (kind) {
    case TSampleKind::Text:
        return "text";
    case TSampleKind::Noise:
        return "noise";
    case TSampleKind::Runs:
        return "runs";
    case TSampleKind::Records:
        return "records";
    }
    return "?";
}

inline std::vector<std::uint8_t> MakeSample(TSampleKind kind, std::size_t size, std::uint32_t seed = 1)
{
    static const char* const words[] = {"the", "album", "picture", "of", "a", "zip", "archive", "viewer",
                                        "and", "caption", "slide", "show", "friends", "camera", "password",
                                        "compiler", "to", "is", "in", "with"};
    TSampleRandom random(seed);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size + 300);
    while (bytes.size() < size) {
        switch (kind) {
        case TSampleKind::Text: {
            const std::string word = words[random.Below(20)];
            bytes.insert(bytes.end(), word.begin(), word.end());
            bytes.push_back(random.Below(12) == 0 ? '\n' : ' ');
            break;
        }
        case TSampleKind::Noise:
            bytes.push_back(static_cast<std::uint8_t>(random.Next() >> 24));
            break;
        case TSampleKind::Runs:
            bytes.insert(bytes.end(), 1 + random.Below(300), static_cast<std::uint8_t>(random.Below(4)));
            break;
        case TSampleKind::Records:
            if (bytes.size() > 1000 && random.Below(3) == 0) {
                // A copy of earlier bytes from up to 40 KB back.
                const std::size_t from = bytes.size() - 1 - random.Below(static_cast<std::uint32_t>(
                                                                std::min<std::size_t>(bytes.size() - 1, 40000)));
                const std::size_t length = 3 + random.Below(400);
                for (std::size_t i = 0; i < length; ++i)
                    bytes.push_back(bytes[from + i]);
            } else {
                const std::uint32_t value = static_cast<std::uint32_t>(bytes.size()) * 4 + random.Below(8);
                for (int i = 0; i < 4; ++i)
                    bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
            }
            break;
        }
    }
    bytes.resize(size);
    return bytes;
}
