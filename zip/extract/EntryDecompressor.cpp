#include "extract/EntryDecompressor.h"

#include <cassert>

#include "ZipExceptions.h"
#include "ZipMessages.h"

namespace {

constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodDeflated = 8;

} // namespace

bool TEntryDecompressor::Supports(std::uint16_t method)
{
    return method == MethodStored || method == MethodDeflated;
}

TDecompressResult TEntryDecompressor::Decompress(std::uint16_t method, TUnzipIO& io)
{
    assert(Supports(method));
    if (method == MethodStored) {
        io.UnStore();
        return TDecompressResult::Complete;
    }
    switch (inflater_.Inflate(io)) {
    case TInflateStatus::Ok: return TDecompressResult::Complete;
    case TInflateStatus::BadData: return TDecompressResult::DataError;
    case TInflateStatus::Truncated: break;
    }
    throw EFatalUnzipError(LoadStr(IDS_PREMATUREEOF));
}
