#include "deflate/DeflateMatchFinder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Plain loads in the machine's byte order: only compared for equality.
std::uint16_t Load16(const std::uint8_t* p)
{
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Little-endian, so that the lowest differing byte gives the lowest set bit.
std::uint64_t Load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big)
        v = __builtin_bswap64(v);
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
    : window_(new std::uint8_t[DeflateWindowBufferSize + WindowGuard]), links_(DeflateWindowSize), head_(DeflateHashSize)
{
    std::fill_n(window_.get() + DeflateWindowBufferSize, WindowGuard, 0);
}

void TDeflateMatchFinder::InitMatcher(TDeflateIO& io, const TDeflateSearch& search)
{
    io_ = &io;
    search_ = search;
    std::fill(head_.begin(), head_.end(), 0);
    Position = 0;
    positionAfterSlide_ = 0;
    skippedSinceSlide_ = 0;
    MatchStart = 0;
    BlockStart = 0;
    hash_ = 0;

    EndOfInput = false;
    SourceExhausted = false;
    Lookahead = static_cast<unsigned>(ReadInto(0, DeflateWindowSize));
    if (Lookahead == 0) {
        EndInput();
        return;
    }
    if (Lookahead < DeflateMinLookahead)
        FillWindow();
    UpdateHash(window_[0]);
    UpdateHash(window_[1]);
}

std::size_t TDeflateMatchFinder::ReadInto(unsigned position, unsigned count)
{
    std::size_t total = 0;
    while (total < count) {
        const std::size_t n = io_->ReadSourceData(std::span<std::uint8_t>(window_.get() + position + total, count - total));
        if (n == 0)
            break;
        assert(n <= count - total);
        total += n;
    }
    SourceExhausted = SourceExhausted || total < count;
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
            EndInput();
        else
            Lookahead += static_cast<unsigned>(n);
    }
}

void TDeflateMatchFinder::ReadAhead()
{
    const unsigned end = Position + Lookahead;
    if (!EndOfInput && end < DeflateWindowBufferSize)
        Lookahead += static_cast<unsigned>(ReadInto(end, DeflateWindowBufferSize - end));
}

// Searches near the end compare bytes past the input: make them zeros, the
// same whatever the window held before.
void TDeflateMatchFinder::EndInput()
{
    EndOfInput = true;
    const unsigned end = Position + Lookahead;
    std::fill_n(window_.get() + end, std::min(DeflateMaxMatch, DeflateWindowBufferSize - end), 0);
}

void TDeflateMatchFinder::SlideWindow()
{
    const bool nothingAdded = skippedSinceSlide_ == Position - positionAfterSlide_;
    std::copy_n(window_.get() + DeflateWindowSize, DeflateWindowSize, window_.get());
    MatchStart -= DeflateWindowSize;
    Position -= DeflateWindowSize;
    BlockStart -= DeflateWindowSize;
    positionAfterSlide_ = Position;
    skippedSinceSlide_ = 0;
    if (nothingAdded) {
        // Every position in the tables is from before the last slide, in the
        // lower half, and falls off now. Without heads no link is reached.
        std::fill(head_.begin(), head_.end(), 0);
        return;
    }
    const auto slide = [](std::uint16_t v) {
        return static_cast<std::uint16_t>(v >= DeflateWindowSize ? v - DeflateWindowSize : 0);
    };
    std::transform(head_.begin(), head_.end(), head_.begin(), slide);
    for (TChainLink& link : links_)
        std::transform(link.begin(), link.end(), link.begin(), slide);
}

unsigned TDeflateMatchFinder::LongestMatch(unsigned chainHead, unsigned prevLength)
{
    assert(Position + DeflateMaxMatch <= DeflateWindowBufferSize + WindowGuard && "Wild Scan");
    const std::uint8_t* window = window_.get();
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
    // Compares one candidate; true when it is long enough to end the search.
    const auto nice = [&](unsigned candidate) {
        assert(candidate < Position && "No Future");
        const std::uint8_t* match = window + candidate;
        if (Load16(match + bestLength - 1) != scanEnd || Load16(match) != scanStart)
            return false;
        const unsigned length = MatchLength(scan, match);
        if (length <= bestLength)
            return false;
        MatchStart = candidate;
        bestLength = length;
        if (length >= search_.NiceLength)
            return true;
        scanEnd = Load16(scan + bestLength - 1);
        return false;
    };
    // Four candidates per link read; each step counts against the chain.
    if (chain == 0)
        return bestLength;
    unsigned candidate = chainHead;
    for (;;) {
        const TChainLink link = links_[candidate & DeflateWindowMask];
        __builtin_prefetch(&links_[link.back() & DeflateWindowMask]);
#pragma GCC unroll 4
        for (const unsigned older : link) {
            if (nice(candidate) || older <= limit || --chain == 0)
                return bestLength;
            candidate = older;
        }
    }
}
