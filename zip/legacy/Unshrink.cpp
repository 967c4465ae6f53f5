// Shrink (zip application note, section "UnShrinking - Method 1") is LZW
// with codes of 9 to 13 bits. Codes 0 to 255 stand for their byte; every
// other code stands for the string of an earlier code followed by one byte.
// Each code read defines the next free code as the previous string plus the
// first byte of this one, so the decoder builds the same table as the
// encoder. Code 256 escapes: 256 1 widens the codes by a bit, 256 2 frees
// every leaf code (one that no other code extends) for reuse.
//
// A code is kept as its parent code and its last byte, so a string is
// spelled backwards by walking parents down to a byte code, into a stack.
// A code not defined stands, as in the original decoder, for the previous
// string followed by its own first byte: the "KwKwK" case of LZW, where the
// code read is the one about to be defined, and also a code met on the walk
// that a partial clear freed.
//
// Speed: strings are short (a few bytes on average), so the work is per
// code. The walk and the bit reader run on locals, which the compiler keeps
// in registers; a string goes from the stack into an output buffer of the
// decoder's own with one fixed-size copy, and the buffer to the extraction's
// output in large blocks.
//
// Damaged data could widen codes past 13 bits, or, once freed codes are
// reused, link parents into a cycle; the width is capped and a string longer
// than the stack (8,192 bytes, as many as the table has codes) is refused,
// so every walk ends inside the tables.
#include "legacy/Unshrink.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "inflate/BitReader.h"

namespace {

constexpr unsigned TableSize = 8192;
constexpr unsigned FirstCodeBits = 9;
constexpr unsigned MaxCodeBits = 13;
constexpr std::uint16_t ControlCode = 256;
constexpr std::uint16_t FirstFreeCode = 257;
constexpr std::uint16_t WidenCodes = 1;
constexpr std::uint16_t PartialClearCodes = 2;
constexpr std::int16_t FreeCode = -1;
constexpr std::size_t OutputSize = 4 * UnzipBlockSize;
// Strings up to this long are copied as one fixed-size block; the stack and
// the output buffer have this much room past their ends for it.
constexpr std::size_t CopyChunk = 16;

class TUnshrinker {
public:
    explicit TUnshrinker(TUnzipIO& io)
        : io_(io), parent_(TableSize, FreeCode), value_(TableSize), leaf_(TableSize), stack_(TableSize + CopyChunk),
          output_(OutputSize + CopyChunk)
    {
        for (unsigned code = 0; code < TableSize; ++code)
            value_[code] = static_cast<std::uint8_t>(code);
        for (unsigned code = 0; code < ControlCode; ++code)
            parent_[code] = 0;
    }

    TLegacyStatus Run();

private:
    bool ReadCode(TBitReader& bits, std::uint16_t& code) const;
    const std::uint8_t* Expand(std::uint16_t code);
    void WriteString(const std::uint8_t* string);
    void FlushOutput();
    void AddCode(std::uint16_t parent, std::uint8_t value);
    void PartialClear();
    void FindNextFree(unsigned from);

    TUnzipIO& io_;
    std::vector<std::int16_t> parent_; // FreeCode for a code not defined
    std::vector<std::uint8_t> value_;  // the last byte of a code's string
    std::vector<std::uint8_t> leaf_;   // marks of a partial clear
    std::vector<std::uint8_t> stack_;  // a string, spelled from TableSize down
    std::vector<std::uint8_t> output_;
    std::size_t outputCount_ = 0;
    unsigned codeBits_ = FirstCodeBits;
    unsigned nextFree_ = FirstFreeCode;
    std::uint16_t previous_ = 0;
    std::uint8_t leading_ = 0; // the first byte of the latest string
};

// False at the end of the input: a code is only taken whole.
bool TUnshrinker::ReadCode(TBitReader& bits, std::uint16_t& code) const
{
    if (bits.count < codeBits_)
        bits.Refill(io_);
    code = static_cast<std::uint16_t>(bits.TakeBits(codeBits_));
    return !bits.UsedPastEnd();
}

// Spells code's string onto the stack and returns where it starts; none
// when it is longer than the stack, which only damaged data give.
const std::uint8_t* TUnshrinker::Expand(std::uint16_t code)
{
    const std::int16_t* const parent = parent_.data();
    const std::uint8_t* const value = value_.data();
    const std::uint8_t* const bottom = stack_.data();
    std::uint8_t* top = stack_.data() + TableSize;
    const std::uint8_t leading = leading_;
    const std::uint16_t previous = previous_;
    if (parent[code] == FreeCode) {
        *--top = leading;
        code = previous;
    }
    while (code >= FirstFreeCode) {
        if (top == bottom)
            return nullptr;
        const std::int16_t next = parent[code];
        if (next == FreeCode) {
            *--top = leading;
            code = previous;
        } else {
            *--top = value[code];
            code = static_cast<std::uint16_t>(next);
        }
    }
    if (top == bottom)
        return nullptr;
    *--top = value[code];
    leading_ = value[code];
    return top;
}

// Moves the string that starts at string and ends with the stack to the
// output buffer.
void TUnshrinker::WriteString(const std::uint8_t* string)
{
    const auto length = static_cast<std::size_t>(stack_.data() + TableSize - string);
    if (outputCount_ + length > OutputSize)
        FlushOutput();
    std::memcpy(output_.data() + outputCount_, string, length <= CopyChunk ? CopyChunk : length);
    outputCount_ += length;
}

void TUnshrinker::FlushOutput()
{
    io_.WriteOutput(output_.data(), outputCount_);
    outputCount_ = 0;
}

void TUnshrinker::AddCode(std::uint16_t parent, std::uint8_t value)
{
    if (nextFree_ >= TableSize)
        return;
    parent_[nextFree_] = static_cast<std::int16_t>(parent);
    value_[nextFree_] = value;
    FindNextFree(nextFree_ + 1);
}

void TUnshrinker::FindNextFree(unsigned from)
{
    nextFree_ = from;
    while (nextFree_ < TableSize && parent_[nextFree_] != FreeCode)
        ++nextFree_;
}

// Frees every defined code above 256 that no other defined code extends.
// Only defined codes are looked at, so a free code's marker is never taken
// for a parent.
void TUnshrinker::PartialClear()
{
    for (unsigned code = FirstFreeCode; code < nextFree_; ++code)
        leaf_[code] = parent_[code] != FreeCode;
    for (unsigned code = FirstFreeCode; code < nextFree_; ++code)
        if (parent_[code] != FreeCode)
            leaf_[static_cast<std::uint16_t>(parent_[code])] = 0;
    for (unsigned code = FirstFreeCode; code < nextFree_; ++code)
        if (leaf_[code])
            parent_[code] = FreeCode;
    FindNextFree(FirstFreeCode);
}

TLegacyStatus TUnshrinker::Run()
{
    TBitReader bits = TBitReader::Start(io_);
    std::uint16_t code = 0;
    if (ReadCode(bits, code)) {
        // The first code starts the stream without a previous string.
        if (code >= ControlCode)
            return TLegacyStatus::BadData;
        output_[outputCount_++] = static_cast<std::uint8_t>(code);
        previous_ = code;
        leading_ = static_cast<std::uint8_t>(code);
    }
    while (ReadCode(bits, code)) {
        if (code == ControlCode) {
            std::uint16_t control = 0;
            if (!ReadCode(bits, control))
                break;
            if (control == WidenCodes) {
                if (codeBits_ == MaxCodeBits)
                    return TLegacyStatus::BadData;
                ++codeBits_;
            } else if (control == PartialClearCodes) {
                PartialClear();
            }
            continue;
        }
        const std::uint8_t* string = Expand(code);
        if (!string)
            return TLegacyStatus::BadData;
        WriteString(string);
        AddCode(previous_, leading_);
        previous_ = code;
    }
    FlushOutput();
    io_.FlushOutput();
    return TLegacyStatus::Ok;
}

} // namespace

TLegacyStatus Unshrink(TUnzipIO& io)
{
    return TUnshrinker(io).Run();
}
