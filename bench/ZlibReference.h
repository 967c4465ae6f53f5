// zlib as the benchmarks' reference: raw deflate streams (no zlib or gzip
// wrapper, as zip entries hold them) made and checked in one call each.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// input compressed by zlib at level as one raw deflate stream.
inline std::vector<std::uint8_t> ZlibDeflate(const std::vector<std::uint8_t>& input, int level)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(input.size())));
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Whether zlib inflates stream, whole and nothing after it, to original.
inline bool ZlibInflatesTo(const std::vector<std::uint8_t>& stream, const std::vector<std::uint8_t>& original)
{
    std::vector<std::uint8_t> out(original.size() + 1);
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const bool ok = inflate(&z, Z_FINISH) == Z_STREAM_END && z.avail_in == 0 && z.total_out == original.size();
    inflateEnd(&z);
    return ok && std::equal(original.begin(), original.end(), out.begin());
}
