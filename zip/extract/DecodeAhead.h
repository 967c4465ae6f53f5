// Decoding ahead of an extraction run: while the run writes one entry, a few
// helper threads decode the next entries into memory (extract/DecodedEntry.h),
// so that the run finds their bytes ready. It is an accelerator only: the run
// keeps all its own work (names, questions, events, files, messages) and
// takes an entry's bytes from here only when they are sound; anything else,
// it decodes itself as it would without helpers.
//
// The helpers take the entries in the run's order, each once (a big entry
// early), and only while the bytes held (compressed and decoded, of entries
// decoding or ready) stay within a bound. An entry the run reaches before
// any helper took it is the run's: no helper decodes it, nor any entry
// before it. Results the run
// passed by are dropped. Destruction stops the helpers (one that is decoding
// gives up at its next block) and drops what they hold.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "extract/DecodedEntry.h"
#include "files/FileHandle.h"

class TDecodeAhead {
public:
    // The bytes all held results may take together.
    static constexpr std::uint64_t BytesInFlight = 32 << 20;
    // An entry that the helpers begin before smaller ones ahead of it.
    static constexpr std::uint64_t BigEntry = 1 << 20;
    // Below this size the run decodes an entry in less time than handing it
    // over takes (a thread's reads and wake-ups).
    static constexpr std::uint64_t SmallEntry = 4096;

    // Whether an entry of these sizes is worth taking ahead: a small one is
    // left to the run, and so is one too big to hold, which the run decodes
    // block by block.
    static bool Worthwhile(std::uint64_t compressedSize, std::uint64_t uncompressedSize);

    // Decodes entries (in the run's order, each one Worthwhile and decodable
    // in memory) from archive, a descriptor of the single-file archive that
    // the helpers duplicate for their own reads, on up to threads helpers.
    TDecodeAhead(int archive, std::vector<TEntryToDecode> entries, int threads);
    ~TDecodeAhead();
    TDecodeAhead(const TDecodeAhead&) = delete;
    TDecodeAhead& operator=(const TDecodeAhead&) = delete;

    // The decoded entry at the run's index, waiting for a helper that is
    // decoding it; none when it is not among the entries, not sound, or no
    // helper has taken it yet (it is the run's then).
    std::optional<TDecodedEntry> Take(int index);

private:
    enum class TState { Waiting, Decoding, Ready, Failed, Gone };
    struct TSlot {
        TEntryToDecode Entry;
        TState State = TState::Waiting;
        std::optional<TDecodedEntry> Result;
    };

    void Work();
    // The next slot a helper may take; none when all are taken or the bound
    // is reached. These two are called locked.
    std::optional<std::size_t> NextToDecode();
    bool AllTaken();
    static std::uint64_t Cost(const TEntryToDecode& entry);
    // Drops the results before slot; called locked.
    void PassBy(std::size_t slot);
    void Release(TSlot& slot);

    TFileHandle archive_;
    std::mutex mutex_;
    std::condition_variable_any workChanged_;
    std::condition_variable_any entryDone_;
    std::vector<TSlot> slots_;
    // The cost of the slots before each slot, and one past the last.
    std::vector<std::uint64_t> costBefore_;
    // The slots of BigEntry or more, in order, and the first of them that
    // may still be waiting.
    std::vector<std::size_t> bigSlots_;
    std::size_t nextBig_ = 0;
    // The first slot that may still be waiting; the slots before the run's
    // position are never taken.
    std::size_t next_ = 0;
    // The first slot the run has not passed.
    std::size_t passed_ = 0;
    std::uint64_t held_ = 0;
    std::stop_source stop_;
    // Last: the helpers end before what they use goes.
    std::vector<std::jthread> helpers_;
};
