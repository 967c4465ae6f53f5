#include "extract/EntryDecompressor.h"

#include <cassert>

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "legacy/Explode.h"
#include "legacy/Unreduce.h"
#include "legacy/Unshrink.h"

namespace {

constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodShrunk = 1;
constexpr std::uint16_t MethodReducedFirst = 2; // factor 1
constexpr std::uint16_t MethodReducedLast = 5;  // factor 4
constexpr std::uint16_t MethodImploded = 6;
constexpr std::uint16_t MethodDeflated = 8;

// General purpose flag bits of an imploded entry.
constexpr std::uint16_t ImplodeEightKDictionary = 0x0002;
constexpr std::uint16_t ImplodeLiteralTree = 0x0004;

TLegacyStatus DecompressLegacy(const TZipHeaderInfo& entry, TUnzipIO& io)
{
    const std::uint16_t method = entry.CompressionMethod;
    if (method == MethodShrunk)
        return Unshrink(io);
    if (method != MethodImploded)
        return Unreduce(io, method - 1u, entry.UncompressedSize);
    TImplodeOptions options;
    options.eightKDictionary = (entry.Flags & ImplodeEightKDictionary) != 0;
    options.literalTree = (entry.Flags & ImplodeLiteralTree) != 0;
    options.compressedSize = entry.CompressedSize;
    options.uncompressedSize = entry.UncompressedSize;
    return Explode(io, options);
}

// The older methods' data that end before the entry are bad data like any
// other: the entry fails its CRC check and the run goes on.
TDecompressResult ResultOf(TLegacyStatus status)
{
    return status == TLegacyStatus::Ok ? TDecompressResult::Complete : TDecompressResult::DataError;
}

TDecompressResult ResultOf(TInflateStatus status)
{
    switch (status) {
    case TInflateStatus::Ok: return TDecompressResult::Complete;
    case TInflateStatus::BadData: return TDecompressResult::DataError;
    case TInflateStatus::Truncated: break;
    }
    throw EFatalUnzipError(LoadStr(IDS_PREMATUREEOF));
}

} // namespace

bool TEntryDecompressor::Supports(std::uint16_t method)
{
    return method == MethodStored || method == MethodShrunk ||
           (method >= MethodReducedFirst && method <= MethodReducedLast) || method == MethodImploded ||
           method == MethodDeflated;
}

TDecompressResult TEntryDecompressor::Decompress(const TZipHeaderInfo& entry, TUnzipIO& io)
{
    assert(Supports(entry.CompressionMethod));
    switch (entry.CompressionMethod) {
    case MethodStored:
        io.UnStore();
        return TDecompressResult::Complete;
    case MethodDeflated:
        return ResultOf(inflater_.Inflate(io));
    default:
        return ResultOf(DecompressLegacy(entry, io));
    }
}
