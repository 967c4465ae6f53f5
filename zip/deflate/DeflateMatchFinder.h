// The compressor's view of its input: a sliding window of two 32 KB halves,
// and hash chains that find earlier occurrences of the next three bytes.
//
// head_[h] is the most recent window position whose three bytes hash to h;
// links_[p & 32767] holds the next four positions along p's chain, nearest
// first. A search walks the chain by dependent reads, each a likely cache
// miss; with four links per read it waits for a quarter as many. The three
// older links are copied from the first one's own links when p is added, so
// they are what the walk would have read there (a link is rewritten only when
// its slot is reused, 32 K positions later, when the walk no longer reaches it).
// Position 0 doubles as "none", so the string at window position 0 is never
// matched. When the current position passes the upper half, that half slides
// down onto the lower one and every stored position moves down with it;
// positions that fall off become "none". Matches reach back at most 32,506
// bytes (less than the window, so that a slide keeps what they need), and a
// search follows at most the level's chain length of links.
//
// Near the end of the input a search compares up to 258 bytes past the
// current position, beyond the data: those bytes are set to zeros when the
// input ends, and a zeroed guard after the window keeps them inside it, so the
// result is a function of the input alone. Owns the window and the two tables.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

#include "deflate/DeflateConstants.h"
#include "deflate/DeflateIO.h"

// Search parameters of one compression level.
struct TDeflateSearch {
    unsigned GoodLength = 0;   // a previous match this long cuts the chain to a quarter
    unsigned NiceLength = 0;   // a match this long ends the search
    unsigned ChainLength = 0;  // most chain links followed
};

class TDeflateMatchFinder {
public:
    TDeflateMatchFinder();

    // Clears window and hash heads, reads the first 32 KB and primes the hash.
    void InitMatcher(TDeflateIO& io, const TDeflateSearch& search);

    // Reads input until the lookahead is back to 262 bytes or the input ends,
    // sliding the window when the position has passed its upper half.
    void FillWindow();

    // Adds the string at window position p to its hash chain (the hash must
    // hold the two bytes at p) and returns the chain's previous head.
    unsigned InsertString(unsigned p)
    {
        assert(p < DeflateWindowBufferSize);
        UpdateHash(window_[p + 2]);
        const unsigned chainHead = head_[hash_];
        const TChainLink& next = links_[chainHead & DeflateWindowMask];
        links_[p & DeflateWindowMask] = {static_cast<std::uint16_t>(chainHead), next[0], next[1], next[2]};
        head_[hash_] = static_cast<std::uint16_t>(p);
        return chainHead;
    }

    // Starts loading the chain link the next position's search reads first, so
    // that it arrives during the current search instead of after the next
    // insert. Call after inserting Position: the hash then holds its three
    // bytes, one update away from the next position's.
    void PrefetchNextChain() const
    {
        __builtin_prefetch(&links_[head_[HashWith(hash_, window_[Position + 3])] & DeflateWindowMask]);
    }

    // Reads input into the rest of the window, without sliding it, so that
    // SourceExhausted tells whether the lookahead is all there is.
    void ReadAhead();

    // Moves the current position count bytes on without adding their strings
    // to the chains (they were stored), reads on when the lookahead runs low,
    // and starts the hash afresh at the new position.
    void Skip(unsigned count)
    {
        assert(count <= Lookahead);
        skippedSinceSlide_ += count;
        Position += count;
        Lookahead -= count;
        if (Lookahead < DeflateMinLookahead)
            FillWindow();
        ResetHash(Position);
    }

    // Restarts the hash at the two bytes at p (after a skipped match).
    void ResetHash(unsigned p)
    {
        hash_ = window_[p];
        UpdateHash(window_[p + 1]);
    }

    // Whether a chain head may start a search from the current position: a
    // real position within reach. Unsigned, so a head that is not before the
    // current position wraps to a huge distance and never counts.
    bool InReach(unsigned chainHead) const
    {
        return chainHead != 0 && Position - chainHead <= DeflateMaxDistance;
    }

    // The longest match for the current position along the chain from
    // chainHead that is longer than prevLength; sets MatchStart when one is
    // found and returns its length (prevLength when none), not yet cut to the
    // lookahead.
    unsigned LongestMatch(unsigned chainHead, unsigned prevLength);

    std::uint8_t At(unsigned p) const { return window_[p]; }
    const std::uint8_t* Window() const { return window_.get(); }

    // Window state, all window positions.
    unsigned Position = 0;      // the current string
    unsigned Lookahead = 0;     // bytes of input from Position on
    unsigned MatchStart = 0;    // start of the match LongestMatch found
    std::int64_t BlockStart = 0;  // where the pending block began; negative once slid out
    bool EndOfInput = false;
    bool SourceExhausted = false;  // a read came back short: no input beyond the lookahead

private:
    // The previous four positions with the same hash, nearest first; 0 none.
    // A walk stops at the first one out of reach and never reads past it:
    // what follows may be stale.
    using TChainLink = std::array<std::uint16_t, 4>;

    // The hash of a string one byte on, c its new last byte.
    static unsigned HashWith(unsigned hash, std::uint8_t c) { return ((hash << DeflateHashShift) ^ c) & DeflateHashMask; }
    void UpdateHash(std::uint8_t c) { hash_ = HashWith(hash_, c); }
    std::size_t ReadInto(unsigned position, unsigned count);
    void EndInput();
    void SlideWindow();

    // A search at the last position compares bytes up to 258 past it.
    static constexpr unsigned WindowGuard = DeflateMaxMatch;
    std::unique_ptr<std::uint8_t[]> window_;  // contents past the input undefined until EndInput
    std::vector<TChainLink> links_;
    std::vector<std::uint16_t> head_;
    unsigned hash_ = 0;
    // Positions passed since the last slide, and how many of them were
    // skipped: when all were, nothing was added to the chains since.
    unsigned positionAfterSlide_ = 0;
    unsigned skippedSinceSlide_ = 0;
    TDeflateSearch search_;
    TDeflateIO* io_ = nullptr;
};
