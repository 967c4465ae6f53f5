// How a decoder of the older compression methods (shrink, reduce, implode)
// ended an entry.
#pragma once

enum class TLegacyStatus {
    Ok,        // the stream ended where it should; the CRC-32 has the last word
    BadData,   // an impossible code, table, follower index or code width
    Truncated, // the stream needed bits past the end of its input
};
