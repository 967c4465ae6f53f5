// Decoding ahead of an extraction run: while the run writes one entry, a few
// helper threads decode the next entries into memory (extract/DecodedEntry.h),
// so that the run finds their bytes ready. It is an accelerator only: the run
// keeps all its own work (names, questions, events, files, messages) and
// takes an entry's bytes from here only when they are sound; anything else,
// it decodes itself as it would without helpers.
//
// The decoded bytes lie in one ring of memory of at most BytesInFlight
// bytes, each entry at its own place there, in the run's order. The helpers
// take the entries in that order, each once (a big entry early), each when
// its place is free: the run has passed the entries that lay there before,
// also the one whose bytes it took last, which it may still be writing. So
// the bytes held never pass the bound, and the memory is the same from
// entry to entry. An entry the run reaches before any helper took it is the
// run's: no helper decodes it, nor any entry before it. Destruction stops the
// helpers (one that is decoding gives up at its next block).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

#include "extract/DecodedEntry.h"
#include "extract/HelperThreads.h"
#include "extract/RingMemory.h"
#include "files/FileHandle.h"

class TDecodeAhead {
public:
    // The bytes all decoded entries may take together. Small: memory new to
    // the process costs more to fault in than decoding into it saves, so the
    // ring is kept to what keeps the helpers busy, and used over and over.
    static constexpr std::uint64_t BytesInFlight = 4 << 20;
    // An entry that the helpers begin before smaller ones ahead of it.
    static constexpr std::uint64_t BigEntry = 1 << 20;
    // Below this size the run decodes an entry in less time than handing it
    // over takes (a thread's reads and wake-ups, and a second pass through
    // memory).
    static constexpr std::uint64_t SmallEntry = 64 << 10;
    // Helpers that wait for room in the ring are woken only once it has this
    // much room beyond the next entry's: waking a thread costs more than
    // decoding a small entry on some machines, and so each of them finds
    // work once woken, instead of all waking for one entry's room.
    static constexpr std::uint64_t RoomToWake = BytesInFlight / 4;

    // Whether an entry is worth taking ahead: one that is inflated, neither
    // small nor too big to hold (the run decodes those block by block), and
    // packed enough that inflating costs more than copying; a stored one the
    // run copies as fast as a helper would.
    static bool Worthwhile(std::uint16_t method, std::uint64_t compressedSize, std::uint64_t uncompressedSize);

    // Decodes entries (in the run's order, each one Worthwhile) from archive, a descriptor of the single-file archive that
    // the helpers duplicate for their own reads, on up to threads helpers.
    TDecodeAhead(int archive, std::vector<TEntryToDecode> entries, int threads);
    TDecodeAhead(const TDecodeAhead&) = delete;
    TDecodeAhead& operator=(const TDecodeAhead&) = delete;

    // The decoded entry at the run's index, waiting for a helper that is
    // decoding it; none when it is not among the entries, not sound, or no
    // helper has taken it yet (it is the run's then). Its bytes stay until
    // the next Take.
    std::optional<TDecodedEntry> Take(int index);

private:
    enum class TState { Waiting, Decoding, Ready, Failed, Gone };
    struct TSlot {
        TEntryToDecode Entry;
        // Where its bytes go in the ring, counted on from the first entry's
        // place: the ring holds the part of this count that starts at the
        // first place still in use.
        std::uint64_t Place = 0;
        TState State = TState::Waiting;
        std::optional<TDecodedEntry> Result;
    };

    void Work(std::stop_token stop);
    // The next slot a helper may take; none when all are taken or the next
    // ones' places are in use. These two are called locked.
    std::optional<std::size_t> NextToDecode();
    bool AllTaken();
    bool PlaceFree(std::size_t slot) const;
    std::uint64_t FirstPlaceInUse() const;
    bool WorthWaking();
    std::span<std::uint8_t> MemoryOf(const TSlot& slot);
    // Drops the results before slot, whose places are then free but for
    // one a helper is decoding; called locked.
    void PassBy(std::size_t slot);

    TFileHandle archive_;
    std::mutex mutex_;
    std::condition_variable_any workChanged_;
    std::condition_variable entryDone_;
    std::vector<TSlot> slots_;
    // The place after the last slot's bytes.
    std::uint64_t end_ = 0;
    // Allocated and freed on the run's thread, and the same memory for every
    // entry.
    TRingMemory ring_;
    // The slots of BigEntry or more, in order, and the first of them that
    // may still be waiting.
    std::vector<std::size_t> bigSlots_;
    std::size_t nextBig_ = 0;
    // The first slot that may still be waiting; the slots before the run's
    // position are never taken.
    std::size_t next_ = 0;
    // The first slot the run has not passed. The slot the run took last,
    // whose bytes it may still be writing, counts as not passed.
    std::size_t passed_ = 0;
    // The first slot whose place may be in use: not passed, or passed while
    // a helper was decoding it.
    std::size_t inUse_ = 0;
    // Last: the helpers stop and end before what they use goes.
    THelperThreads helpers_;
};
