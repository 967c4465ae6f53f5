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
// A code not yet defined can only be the one about to be defined (the
// "KwKwK" case): the previous string followed by its own first byte.
//
// Damaged data could widen codes past 13 bits, or, once freed codes are
// reused, link parents into a cycle; the width is capped and a string
// longer than the table has codes is refused, so the walk always ends.
#include "legacy/Unshrink.h"

#include <cstdint>
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
// A leaf mark, set in the parent entry while a partial clear runs.
constexpr std::int16_t LeafMark = INT16_MIN;

class TUnshrinker {
public:
    explicit TUnshrinker(TUnzipIO& io) : io_(io), bits_(TBitReader::Start(io)), parent_(TableSize), value_(TableSize),
                                         stack_(TableSize)
    {
        for (unsigned code = 0; code < TableSize; ++code) {
            parent_[code] = code < ControlCode ? 0 : FreeCode;
            value_[code] = static_cast<std::uint8_t>(code);
        }
    }

    TLegacyStatus Run();

private:
    bool ReadCode(std::uint16_t& code);
    bool Expand(std::uint16_t code);
    void AddCode(std::uint16_t parent, std::uint8_t value);
    void PartialClear();
    void FindNextFree(std::uint16_t from);

    TUnzipIO& io_;
    TBitReader bits_;
    std::vector<std::int16_t> parent_; // FreeCode for a code not defined
    std::vector<std::uint8_t> value_;  // the last byte of a code's string
    std::vector<std::uint8_t> stack_;  // a string, spelled from the end down
    unsigned codeBits_ = FirstCodeBits;
    std::uint16_t nextFree_ = FirstFreeCode;
    std::uint16_t previous_ = 0;
    std::uint8_t leading_ = 0; // the first byte of the latest string
    std::size_t stackTop_ = TableSize;
};

// False at the end of the input: a code is only taken whole.
bool TUnshrinker::ReadCode(std::uint16_t& code)
{
    if (bits_.count < codeBits_)
        bits_.Refill(io_);
    code = static_cast<std::uint16_t>(bits_.TakeBits(codeBits_));
    return !bits_.UsedPastEnd();
}

// Spells code's string onto the stack; false when it is longer than any
// string the table can hold, which only damaged data give.
bool TUnshrinker::Expand(std::uint16_t code)
{
    stackTop_ = TableSize;
    if (parent_[code] == FreeCode) {
        stack_[--stackTop_] = leading_;
        code = previous_;
    }
    while (code >= FirstFreeCode) {
        if (stackTop_ == 0)
            return false;
        if (parent_[code] == FreeCode) {
            stack_[--stackTop_] = leading_;
            code = previous_;
        } else {
            stack_[--stackTop_] = value_[code];
            code = static_cast<std::uint16_t>(parent_[code]);
        }
    }
    if (stackTop_ == 0)
        return false;
    stack_[--stackTop_] = value_[code];
    leading_ = value_[code];
    return true;
}

void TUnshrinker::AddCode(std::uint16_t parent, std::uint8_t value)
{
    if (nextFree_ >= TableSize)
        return;
    parent_[nextFree_] = static_cast<std::int16_t>(parent);
    value_[nextFree_] = value;
    FindNextFree(nextFree_ + 1);
}

void TUnshrinker::FindNextFree(std::uint16_t from)
{
    nextFree_ = from;
    while (nextFree_ < TableSize && parent_[nextFree_] != FreeCode)
        ++nextFree_;
}

// Frees every defined code above 256 that no other defined code extends.
void TUnshrinker::PartialClear()
{
    for (unsigned code = FirstFreeCode; code < nextFree_; ++code)
        if (parent_[code] != FreeCode)
            parent_[code] = static_cast<std::int16_t>(parent_[code] | LeafMark);
    for (unsigned code = FirstFreeCode; code < nextFree_; ++code) {
        if (parent_[code] == FreeCode)
            continue;
        const auto parent = static_cast<std::uint16_t>(parent_[code] & ~LeafMark);
        if (parent >= FirstFreeCode && parent_[parent] != FreeCode)
            parent_[parent] = static_cast<std::int16_t>(parent_[parent] & ~LeafMark);
    }
    for (unsigned code = FirstFreeCode; code < nextFree_; ++code)
        if (parent_[code] != FreeCode && (parent_[code] & LeafMark) != 0)
            parent_[code] = FreeCode;
    FindNextFree(FirstFreeCode);
}

TLegacyStatus TUnshrinker::Run()
{
    std::uint16_t code = 0;
    if (!ReadCode(code)) {
        io_.FlushOutput();
        return TLegacyStatus::Ok;
    }
    // The first code starts the stream without a previous string.
    if (code >= ControlCode)
        return TLegacyStatus::BadData;
    io_.PutOutputByte(static_cast<std::uint8_t>(code));
    previous_ = code;
    leading_ = static_cast<std::uint8_t>(code);
    while (ReadCode(code)) {
        if (code == ControlCode) {
            std::uint16_t control = 0;
            if (!ReadCode(control))
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
        if (!Expand(code))
            return TLegacyStatus::BadData;
        io_.WriteOutput(stack_.data() + stackTop_, TableSize - stackTop_);
        AddCode(previous_, leading_);
        previous_ = code;
    }
    io_.FlushOutput();
    return TLegacyStatus::Ok;
}

} // namespace

TLegacyStatus Unshrink(TUnzipIO& io)
{
    return TUnshrinker(io).Run();
}
