// The searches of the recovery scan, which rebuilds a directory from the
// local headers when the central directory cannot be used.
//
// All read forward byte by byte (the archive stream is buffered) and call
// progress every ProgressInterval bytes, so a long scan can pump the GUI's
// message queue and notice a cancel. All end at the end of the stream.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "Stream.h"

constexpr std::int64_t ProgressInterval = 10240;

using TScanProgress = std::function<void()>;

// Moves the stream to the next local header signature at or after its
// position that is followed by a plausible version-needed field (its high
// byte below 10). False, with the stream at its end, when there is none.
bool FindLocalHeader(TStream& stream, const TScanProgress& progress);

// Moves the stream to the next central header signature at or after its
// position. False, with the stream at its end, when there is none.
bool FindCentralHeader(TStream& stream, const TScanProgress& progress);

// The sizes and CRC that follow an entry's data when its local header leaves
// them out (general purpose flag bit 3).
struct TDataDescriptor {
    std::uint32_t CRC32 = 0;
    std::uint64_t CompressedSize = 0;
    std::uint64_t UncompressedSize = 0;
    std::int64_t End = 0; // the position just after the descriptor
};

// Finds the data descriptor of the entry whose data begins at dataStart. A
// descriptor counts only when its compressed size is exactly its distance
// from dataStart, so bytes inside the data that look like one do not. It may
// start with its signature (16 bytes) or not (12 bytes, then found in front
// of the next record's signature or the end of the stream). The zip64 form
// (24 bytes) is not recognised. None when the data does not end at or before
// limit.
std::optional<TDataDescriptor> FindDataDescriptor(TStream& stream, std::int64_t dataStart, std::int64_t limit,
                                                  const TScanProgress& progress);
