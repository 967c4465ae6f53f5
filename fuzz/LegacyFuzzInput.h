// The input of the legacy decoders' fuzzers: one byte of coding options
// (the factor of reduce in its low two bits; the flag bits of implode as
// the general purpose flag has them), three bytes of the entry's
// uncompressed size, least significant first, then the compressed data.
// fuzz/make-legacy-seeds writes the legacy archives' entries in this form.
// Sizes above 256 KiB count as 256 KiB, so that every run is quick.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

struct TLegacyFuzzInput {
    static constexpr std::uint32_t MaxSize = 1 << 18;

    std::uint8_t options = 0;
    std::uint32_t uncompressedSize = 0;
    std::span<const std::uint8_t> compressed;

    static bool Parse(const std::uint8_t* data, std::size_t size, TLegacyFuzzInput& input)
    {
        if (size < 4)
            return false;
        input.options = data[0];
        input.uncompressedSize =
            std::min<std::uint32_t>(data[1] | (data[2] << 8) | (std::uint32_t{data[3]} << 16), MaxSize);
        input.compressed = std::span(data + 4, size - 4);
        return true;
    }
};
