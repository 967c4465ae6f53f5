// An unzip sink that keeps every byte and the size of every block it was
// handed, for tests of the output plumbing and of the decompressors.
#pragma once

#include <cstdint>
#include <vector>

#include "inflate/UnzipIO.h"

class TRecordingSink : public TUnzipSink {
public:
    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override
    {
        blocks.push_back(count);
        bytes.insert(bytes.end(), data, data + count);
    }
    std::vector<std::size_t> blocks;
    std::vector<std::uint8_t> bytes;
};
