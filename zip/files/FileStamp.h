// What tells whether a file changed since it was last looked at: its device,
// inode, size and modification time. A file replaced by another, or rewritten
// in place, differs in at least one of them (a DOS date alone, with its two
// seconds, misses quick rewrites).
#pragma once

#include <cstdint>
#include <optional>

struct TFileStamp {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;

    bool operator==(const TFileStamp&) const = default;
};

// The stamp of an open file; none when the system cannot tell.
std::optional<TFileStamp> FileStampOf(int fileDescriptor);
