#include "files/NamedTemporaries.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr int SlotCount = 16;
constexpr std::size_t LongestName = 31;

enum TSlotState : int { Free, Filling, Listed };

struct TSlot {
    std::atomic<int> State{Free};
    int Folder = -1;
    char Name[LongestName + 1] = {};
};

std::array<TSlot, SlotCount> slots;

static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the slots");

} // namespace

TNamedTemporary::TNamedTemporary(int folder, const std::string& name) : slot_(-1)
{
    if (name.size() > LongestName)
        return;
    for (int i = 0; i < SlotCount; ++i) {
        int expected = Free;
        if (!slots[i].State.compare_exchange_strong(expected, Filling))
            continue;
        slots[i].Folder = folder;
        std::memcpy(slots[i].Name, name.c_str(), name.size() + 1);
        slots[i].State.store(Listed, std::memory_order_release);
        slot_ = i;
        return;
    }
}

TNamedTemporary::~TNamedTemporary()
{
    if (slot_ >= 0)
        slots[slot_].State.store(Free, std::memory_order_release);
}

void RemoveNamedTemporaries() noexcept
{
    for (TSlot& slot : slots)
        if (slot.State.load(std::memory_order_acquire) == Listed)
            ::unlinkat(slot.Folder, slot.Name, 0);
}
