#include "DeflateMatchFinder.h"

#include <algorithm>
#include <bit>

namespace {

std::uint16_t Load16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint64_t Load64(const std::uint8_t* p)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Length of the common prefix of scan and match, at most 258, given that
// their first three bytes agree (the first two compared, the third implied
// by the equal hash). Compares eight bytes at a time; the first differing
// bit of the exclusive or tells the first differing byte.
unsigned MatchLength(const std::uint8_t* scan, const std::uint8_t* match)
{
    for (unsigned i = DeflateMinMatch; i < DeflateMaxMatch; i += 8) {
        const std::uint64_t difference = Load64(scan + i) ^ Load64(match + i);
        if (difference != 0)
            return std::min(i + static_cast<unsigned>(std::countr_zero(difference)) / 8, DeflateMaxMatch);
    }
    return DeflateMaxMatch;
}

}  // namespace

TDeflateMatchFinder::TDeflateMatchFinder()
    : window_(DeflateWindowBufferSize + WindowGuard), prev_(DeflateWindowSize), head_(DeflateHashSize)
{
}

void TDeflateMatchFinder::InitMatcher(TDeflateIO& io, const TDeflateSearch& search)
{
    io_ = &io;
    search_ = search;
    std::fill(head_.begin(), head_.end(), 0);
    // Every entry starts from the same window, so bytes a search reads past
    // the end of the input are the same in every run.
    std::fill(window_.begin(), window_.end(), 0);
    Position = 0;
    MatchStart = 0;
    BlockStart = 0;
    hash_ = 0;

    Lookahead = static_cast<unsigned>(ReadInto(0, DeflateWindowSize));
    EndOfInput = Lookahead == 0;
    if (EndOfInput)
        return;
    if (Lookahead < DeflateMinLookahead)
        FillWindow();
    UpdateHash(window_[0]);
    UpdateHash(window_[1]);
}

std::size_t TDeflateMatchFinder::ReadInto(unsigned position, unsigned count)
{
    std::size_t total = 0;
    while (total < count) {
        const std::size_t n = io_->ReadSourceData(std::span<std::uint8_t>(window_.data() + position + total, count - total));
        if (n == 0)
            break;
        assert(n <= count - total);
        total += n;
    }
    return total;
}

void TDeflateMatchFinder::FillWindow()
{
    while (Lookahead < DeflateMinLookahead && !EndOfInput) {
        unsigned more = DeflateWindowBufferSize - Lookahead - Position;
        if (Position >= DeflateWindowSize + DeflateMaxDistance) {
            SlideWindow();
            more += DeflateWindowSize;
        }
        assert(more >= 2 && "more < 2");
        const std::size_t n = ReadInto(Position + Lookahead, more);
        if (n == 0)
            EndOfInput = true;
        else
            Lookahead += static_cast<unsigned>(n);
    }
}

void TDeflateMatchFinder::SlideWindow()
{
    std::copy(window_.begin() + DeflateWindowSize, window_.begin() + DeflateWindowBufferSize, window_.begin());
    MatchStart -= DeflateWindowSize;
    Position -= DeflateWindowSize;
    BlockStart -= DeflateWindowSize;
    const auto slide = [](std::uint16_t v) {
        return static_cast<std::uint16_t>(v >= DeflateWindowSize ? v - DeflateWindowSize : 0);
    };
    std::transform(head_.begin(), head_.end(), head_.begin(), slide);
    std::transform(prev_.begin(), prev_.end(), prev_.begin(), slide);
}

unsigned TDeflateMatchFinder::LongestMatch(unsigned chainHead, unsigned prevLength)
{
    assert(Position + DeflateMaxMatch <= window_.size() && "Wild Scan");
    const std::uint8_t* window = window_.data();
    const std::uint8_t* scan = window + Position;
    const unsigned limit = Position > DeflateMaxDistance ? Position - DeflateMaxDistance : 0;
    unsigned bestLength = prevLength;
    unsigned chain = search_.ChainLength;
    if (prevLength >= search_.GoodLength)
        chain >>= 2;

    // A candidate can only beat the best when it agrees at the best's last
    // byte and the one after, and at the first two bytes: two cheap compares
    // reject most candidates before the full one.
    const std::uint16_t scanStart = Load16(scan);
    std::uint16_t scanEnd = Load16(scan + bestLength - 1);
    unsigned candidate = chainHead;
    while (chain != 0) {
        assert(candidate < Position && "No Future");
        const std::uint8_t* match = window + candidate;
        if (Load16(match + bestLength - 1) == scanEnd && Load16(match) == scanStart) {
            const unsigned length = MatchLength(scan, match);
            if (length > bestLength) {
                MatchStart = candidate;
                bestLength = length;
                if (length >= search_.NiceLength)
                    break;
                scanEnd = Load16(scan + bestLength - 1);
            }
        }
        candidate = prev_[candidate & DeflateWindowMask];
        if (candidate <= limit)
            break;
        --chain;
    }
    return bestLength;
}
