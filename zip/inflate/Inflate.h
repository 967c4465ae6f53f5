// Inflate: the decompressor of compression method 8, raw deflate data as
// RFC 1951 defines them (stored, fixed-code and dynamic-code blocks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "inflate/BitReader.h"
#include "inflate/HuffmanTable.h"
#include "inflate/UnzipIO.h"

enum class TInflateStatus {
    Ok,
    BadData,   // an invalid code, header, code set or distance
    Truncated, // the stream needed bits past the end of its input
};

// Decompresses one entry's deflate stream from the source of a TUnzipIO to
// its sink. The inflater owns its window and its dynamic code tables and
// reuses them, so one inflater serves any number of entries, one after
// another; each entry starts from scratch and can never reach back into the
// bytes of an earlier one.
//
// A stream that ends in an error is not written out to its end: the bytes of
// the window not yet handed to the sink are dropped (the sink has then seen
// a prefix of the data). Exceptions of the source and the sink pass through.
class TInflater {
public:
    TInflater();

    TInflateStatus Inflate(TUnzipIO& io);

private:
    TInflateStatus InflateBlock(bool& last);
    TInflateStatus InflateStored();
    TInflateStatus InflateFixed();
    TInflateStatus InflateDynamic();
    TInflateStatus ReadCodeLengths(unsigned count, std::uint8_t* lengths);
    TInflateStatus ReadCodeLengths(TBitReader& bits, unsigned count, std::uint8_t* lengths);
    TInflateStatus InflateCodes(const TInflateTable& literals, const TInflateTable& distances);
    TInflateStatus InflateCodesWithBmi2(const TInflateTable& literals, const TInflateTable& distances);
    struct TCodesState;
    struct TCodeTables;
    enum class TCodesStop;
    TInflateStatus DecodeCodes(const TInflateTable& literals, const TInflateTable& distances);
    static TCodesStop DecodeFast(TCodesState& state, const TCodeTables& tables);
    static bool CopyFastMatch(TBitReader& bits, std::uint8_t*& out, TInflateEntry& next, unsigned length,
                              const std::uint8_t* historyStart, const TCodeTables& tables);
    TCodesStop DecodeCarefully(TCodesState& state, const TCodeTables& tables);
    void StartOutput(std::span<std::uint8_t> lent);
    std::uint8_t* LentFlushAt(std::uint8_t* out) const;
    std::uint8_t* Flush(std::uint8_t* out);
    std::uint8_t* FlushWindow(std::uint8_t* out);

    std::unique_ptr<std::uint8_t[]> window_;
    TUnzipIO* io_ = nullptr;
    TBitReader bits_;
    // The bytes go into the window, or into the memory the sink lent while
    // it has room; the ones from handedOver_ to out_ are not handed over yet.
    std::uint8_t* out_ = nullptr;                // where the next byte goes
    std::uint8_t* flushAt_ = nullptr;            // where they are next handed over
    std::uint8_t* handedOver_ = nullptr;
    std::uint8_t* lentEnd_ = nullptr;            // the end of the lent memory; none in the window
    const std::uint8_t* historyStart_ = nullptr; // the entry's oldest byte still at hand
    TInflateTable codeLengths_;
    TInflateTable literals_;
    TInflateTable distances_;
};

struct TInflatedBuffer {
    TInflateStatus Status;
    std::vector<std::uint8_t> Bytes;
};

// Inflates a whole stream held in memory. Raises EWriteError when the output
// would pass limit bytes.
TInflatedBuffer InflateBuffer(std::span<const std::uint8_t> input,
                              std::size_t limit = std::numeric_limits<std::size_t>::max());
