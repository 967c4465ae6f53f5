#include "extract/DecodeAhead.h"

#include <fcntl.h>

#include <algorithm>
#include <new>

#include "inflate/Inflate.h"

namespace {

constexpr std::uint16_t MethodDeflated = 8;

} // namespace

bool TDecodeAhead::Worthwhile(std::uint16_t method, std::uint64_t compressedSize, std::uint64_t uncompressedSize)
{
    // Sizes as stored may be anything up to 4 GB each: no overflow here.
    return method == MethodDeflated && uncompressedSize >= SmallEntry && uncompressedSize <= BytesInFlight / 2 &&
           compressedSize <= uncompressedSize - uncompressedSize / 4;
}

TDecodeAhead::TDecodeAhead(int archive, std::vector<TEntryToDecode> entries, int threads)
    : archive_(::fcntl(archive, F_DUPFD_CLOEXEC, 0))
{
    slots_.reserve(entries.size());
    for (const TEntryToDecode& entry : entries) {
        // An entry's bytes never wrap round the end of the ring.
        if (end_ % BytesInFlight + entry.UncompressedSize > BytesInFlight)
            end_ += BytesInFlight - end_ % BytesInFlight;
        if (entry.UncompressedSize >= BigEntry)
            bigSlots_.push_back(slots_.size());
        slots_.push_back({entry, end_, TState::Waiting, std::nullopt});
        end_ += entry.UncompressedSize;
    }
    if (!archive_.IsOpen() || slots_.empty())
        return;
    try {
        ring_ = TRingMemory(std::min(end_, BytesInFlight));
    } catch (const std::bad_alloc&) {
        return; // no helpers: the run decodes every entry itself
    }
    helpers_ = THelperThreads(threads, [this](std::stop_token stop) { Work(std::move(stop)); });
}

std::optional<TDecodedEntry> TDecodeAhead::Take(int index)
{
    std::unique_lock lock(mutex_);
    const auto found = std::lower_bound(slots_.begin(), slots_.end(), index,
                                        [](const TSlot& slot, int i) { return slot.Entry.Index < i; });
    PassBy(static_cast<std::size_t>(found - slots_.begin()));
    if (found == slots_.end() || found->Entry.Index != index)
        return std::nullopt;
    if (found->State == TState::Waiting) {
        found->State = TState::Gone;
        return std::nullopt;
    }
    entryDone_.wait(lock, [&] { return found->State != TState::Decoding; });
    if (found->State != TState::Ready)
        return std::nullopt;
    std::optional<TDecodedEntry> result = std::move(found->Result);
    found->Result.reset();
    found->State = TState::Gone;
    return result;
}

void TDecodeAhead::Work(std::stop_token stop)
{
    std::optional<TInflater> inflater;
    try {
        inflater.emplace();
    } catch (const std::bad_alloc&) {
        return; // one helper fewer
    }
    std::unique_lock lock(mutex_);
    for (;;) {
        std::optional<std::size_t> position;
        const auto workOrEnd = [&] { return (position = NextToDecode()) || AllTaken(); };
        if (!workChanged_.wait(lock, stop, workOrEnd) || !position || stop.stop_requested())
            return;
        TSlot& slot = slots_[*position];
        slot.State = TState::Decoding;
        const TEntryToDecode entry = slot.Entry;
        const std::span<std::uint8_t> memory = MemoryOf(slot);
        lock.unlock();
        std::optional<TDecodedEntry> result;
        try {
            result = DecodeEntry(archive_.Get(), entry, *inflater, memory, stop);
        } catch (...) {
            // Out of memory, say: the run decodes it itself.
        }
        lock.lock();
        slot.State = result && *position >= passed_ ? TState::Ready : TState::Failed;
        if (slot.State == TState::Ready)
            slot.Result = std::move(result);
        entryDone_.notify_all();
        // The run may have passed it meanwhile: its place is free now.
        PassBy(passed_);
    }
}

// A big entry takes long to decode, and the run would wait for it if it
// were begun only when its turn came: it goes first when its place is free,
// and so those of all entries before it. Else the next entry in order.
std::optional<std::size_t> TDecodeAhead::NextToDecode()
{
    if (AllTaken())
        return std::nullopt;
    while (nextBig_ < bigSlots_.size() &&
           (bigSlots_[nextBig_] < next_ || slots_[bigSlots_[nextBig_]].State != TState::Waiting))
        ++nextBig_;
    if (nextBig_ < bigSlots_.size() && PlaceFree(bigSlots_[nextBig_]))
        return bigSlots_[nextBig_];
    if (PlaceFree(next_))
        return next_;
    return std::nullopt;
}

bool TDecodeAhead::AllTaken()
{
    while (next_ < slots_.size() && slots_[next_].State != TState::Waiting)
        ++next_;
    return next_ == slots_.size();
}

bool TDecodeAhead::PlaceFree(std::size_t slot) const
{
    return slots_[slot].Place + slots_[slot].Entry.UncompressedSize <= FirstPlaceInUse() + BytesInFlight;
}

std::uint64_t TDecodeAhead::FirstPlaceInUse() const
{
    return inUse_ < slots_.size() ? slots_[inUse_].Place : end_;
}

// Room for the next entry and RoomToWake more, or for all entries left.
bool TDecodeAhead::WorthWaking()
{
    if (AllTaken())
        return false;
    const TSlot& next = slots_[next_];
    const std::uint64_t room = FirstPlaceInUse() + BytesInFlight;
    return next.Place + next.Entry.UncompressedSize + RoomToWake <= room || end_ <= room;
}

std::span<std::uint8_t> TDecodeAhead::MemoryOf(const TSlot& slot)
{
    return {ring_.Data() + slot.Place % BytesInFlight, static_cast<std::size_t>(slot.Entry.UncompressedSize)};
}

void TDecodeAhead::PassBy(std::size_t slot)
{
    for (std::size_t i = passed_; i < std::min(slot, slots_.size()); ++i)
        if (slots_[i].State == TState::Ready) {
            slots_[i].Result.reset();
            slots_[i].State = TState::Gone;
        }
    passed_ = std::max(passed_, slot);
    next_ = std::max(next_, passed_);
    // A helper may still be writing into the place of a slot passed while
    // it was decoding.
    const std::size_t inUse = inUse_;
    while (inUse_ < passed_ && slots_[inUse_].State != TState::Decoding)
        ++inUse_;
    if (inUse_ != inUse && WorthWaking())
        workChanged_.notify_all();
}
