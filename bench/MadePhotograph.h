// The benchmarks' photographs: soft gradients and a disc with sensor noise,
// encoded by libjpeg row by row (no whole-picture pixel buffer), so they
// compress and decode as real photographs do.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

inline std::vector<std::uint8_t> MadePhotograph(unsigned width, unsigned height, std::uint32_t seed, int quality)
{
    std::vector<std::uint8_t> row(std::size_t{width} * 3);
    std::uint32_t state = seed * 2654435761u + 1;
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&jpeg, &buffer, &size);
    jpeg.image_width = width;
    jpeg.image_height = height;
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, quality, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    for (unsigned y = 0; y < height; ++y) {
        const double fy = y / double(height);
        for (unsigned x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const double fx = x / double(width);
            const double disc = std::hypot(fx - 0.2 - 0.15 * seed, fy - 0.5) < 0.2 ? 60 : 0;
            for (unsigned c = 0; c < 3; ++c) {
                const double base = 128 + 80 * std::sin(6 * fx + 2 * c + seed) * std::cos(4 * fy - c) + disc;
                const double noise = int((state >> (8 * c)) & 255) % 24 - 12;
                row[std::size_t{x} * 3 + c] = static_cast<std::uint8_t>(std::clamp(base + noise, 0.0, 255.0));
            }
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&jpeg, &line, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}
