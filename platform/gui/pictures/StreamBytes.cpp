#include "pictures/StreamBytes.h"

#include <algorithm>

std::vector<std::uint8_t> ReadToEnd(TStream& stream)
{
    const std::int64_t count = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    stream.ReadBuffer(bytes.data(), count);
    return bytes;
}

void WriteBytes(TStream& stream, const std::vector<std::uint8_t>& bytes)
{
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}
