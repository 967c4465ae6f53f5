#include "extract/DecodeAhead.h"

#include <fcntl.h>

#include <algorithm>
#include <new>
#include <system_error>

#include "inflate/Inflate.h"

bool TDecodeAhead::Worthwhile(std::uint64_t compressedSize, std::uint64_t uncompressedSize)
{
    // Sizes as stored may be anything up to 4 GB each: no overflow here.
    return uncompressedSize >= SmallEntry && compressedSize + uncompressedSize <= BytesInFlight / 2;
}

TDecodeAhead::TDecodeAhead(int archive, std::vector<TEntryToDecode> entries, int threads)
    : archive_(::fcntl(archive, F_DUPFD_CLOEXEC, 0))
{
    slots_.reserve(entries.size());
    costBefore_.push_back(0);
    for (const TEntryToDecode& entry : entries) {
        if (Cost(entry) >= BigEntry)
            bigSlots_.push_back(slots_.size());
        slots_.push_back({entry, TState::Waiting, std::nullopt});
        costBefore_.push_back(costBefore_.back() + Cost(entry));
    }
    if (!archive_.IsOpen())
        return;
    try {
        for (int i = 0; i < threads; ++i)
            helpers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Fewer helpers, or none: the run decodes the rest itself.
    }
}

TDecodeAhead::~TDecodeAhead() { stop_.request_stop(); }

std::optional<TDecodedEntry> TDecodeAhead::Take(int index)
{
    std::unique_lock lock(mutex_);
    const auto found = std::lower_bound(slots_.begin(), slots_.end(), index,
                                        [](const TSlot& slot, int i) { return slot.Entry.Index < i; });
    const auto position = static_cast<std::size_t>(found - slots_.begin());
    PassBy(position);
    if (found == slots_.end() || found->Entry.Index != index)
        return std::nullopt;
    if (found->State == TState::Waiting) {
        passed_ = position + 1;
        found->State = TState::Gone;
        return std::nullopt;
    }
    entryDone_.wait(lock, [&] { return found->State != TState::Decoding; });
    passed_ = position + 1;
    if (found->State != TState::Ready)
        return std::nullopt;
    std::optional<TDecodedEntry> result = std::move(found->Result);
    Release(*found);
    return result;
}

void TDecodeAhead::Work()
{
    std::optional<TInflater> inflater;
    try {
        inflater.emplace();
    } catch (const std::bad_alloc&) {
        return; // one helper fewer
    }
    const std::stop_token stop = stop_.get_token();
    std::unique_lock lock(mutex_);
    for (;;) {
        std::optional<std::size_t> position;
        const auto workOrEnd = [&] { return (position = NextToDecode()) || AllTaken(); };
        if (!workChanged_.wait(lock, stop, workOrEnd) || !position || stop.stop_requested())
            return;
        TSlot& slot = slots_[*position];
        slot.State = TState::Decoding;
        held_ += Cost(slot.Entry);
        const TEntryToDecode entry = slot.Entry;
        lock.unlock();
        std::optional<TDecodedEntry> result;
        try {
            result = DecodeEntry(archive_.Get(), entry, *inflater, stop);
        } catch (...) {
            // Out of memory, say: the run decodes it itself.
        }
        lock.lock();
        if (result && *position >= passed_) {
            slot.Result = std::move(result);
            slot.State = TState::Ready;
        } else {
            slot.State = TState::Failed;
            held_ -= Cost(entry);
            workChanged_.notify_all();
        }
        entryDone_.notify_all();
    }
}

// A big entry takes long to decode, and the run would wait for it if it
// were begun only when its turn came: it goes first, when it and all the
// entries before it fit within the bound together (so that taking it never
// keeps them out). Else the next entry in order.
std::optional<std::size_t> TDecodeAhead::NextToDecode()
{
    if (AllTaken())
        return std::nullopt;
    while (nextBig_ < bigSlots_.size() &&
           (bigSlots_[nextBig_] < next_ || slots_[bigSlots_[nextBig_]].State != TState::Waiting))
        ++nextBig_;
    if (nextBig_ < bigSlots_.size()) {
        const std::size_t big = bigSlots_[nextBig_];
        if (held_ + costBefore_[big + 1] - costBefore_[next_] <= BytesInFlight)
            return big;
    }
    if (held_ + Cost(slots_[next_].Entry) <= BytesInFlight)
        return next_;
    return std::nullopt;
}

bool TDecodeAhead::AllTaken()
{
    while (next_ < slots_.size() && slots_[next_].State != TState::Waiting)
        ++next_;
    return next_ == slots_.size();
}

std::uint64_t TDecodeAhead::Cost(const TEntryToDecode& entry)
{
    return entry.CompressedSize + entry.UncompressedSize;
}

void TDecodeAhead::PassBy(std::size_t slot)
{
    for (std::size_t i = passed_; i < std::min(slot, slots_.size()); ++i)
        if (slots_[i].State == TState::Ready)
            Release(slots_[i]);
    passed_ = std::max(passed_, slot);
    next_ = std::max(next_, passed_);
}

void TDecodeAhead::Release(TSlot& slot)
{
    slot.Result.reset();
    slot.State = TState::Gone;
    held_ -= Cost(slot.Entry);
    workChanged_.notify_all();
}
