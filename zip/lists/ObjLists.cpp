#include "lists/ObjLists.h"

#include <algorithm>
#include <unordered_set>

#include "Exceptions.h"
#include "Format.h"
#include "LittleEndian.h"
#include "Stream.h"
#include "lists/ClassRegistry.h"

namespace {

void WriteByte(TStream& stream, std::uint8_t value) { stream.WriteBuffer(&value, 1); }

std::uint8_t ReadByte(TStream& stream)
{
    std::uint8_t value = 0;
    stream.ReadBuffer(&value, 1);
    return value;
}

void WriteInt32(TStream& stream, std::int32_t value)
{
    std::uint8_t bytes[4];
    PutU32(bytes, static_cast<std::uint32_t>(value));
    stream.WriteBuffer(bytes, 4);
}

std::int32_t ReadInt32(TStream& stream)
{
    std::uint8_t bytes[4] = {};
    stream.ReadBuffer(bytes, 4);
    return static_cast<std::int32_t>(GetU32(bytes));
}

} // namespace

TObjectList::TObjectList(bool ownsItems) : ownsItems_(ownsItems) {}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Error(std::int64_t value)
{
    throw EListError(Format("List index out of bounds (%d)", {IntToStr(value)}));
}

void TObjectList::CheckIndex(int index) const
{
    if (index < 0 || index >= count_)
        Error(index);
}

TObject* TObjectList::GetItem(int index) const
{
    CheckIndex(index);
    return slots_[index];
}

TObject* TObjectList::First() const { return GetItem(0); }

TObject* TObjectList::Last() const { return GetItem(count_ - 1); }

void TObjectList::CheckCanAdopt() const
{
    if (!ownsItems_)
        throw EListError("A list that does not own its items cannot take one over");
}

void TObjectList::CheckCanReference(const TObject* item) const
{
    if (ownsItems_ && item && IdentityIndexOf(item) < 0)
        throw EListError("A list that owns its items takes new ones only as unique_ptr");
}

int TObjectList::Add(std::unique_ptr<TObject> item)
{
    CheckCanAdopt();
    return AdoptByAdd(std::move(item));
}

int TObjectList::AdoptByAdd(std::unique_ptr<TObject> item)
{
    const int countBefore = count_;
    const int result = AddItem(item.get());
    if (count_ != countBefore)
        TakeOver(std::move(item)); // a refused item dies with the argument
    return result;
}

void TObjectList::TakeOver(std::unique_ptr<TObject> item)
{
    if (item)
        owned_.insert(item.release());
}

int TObjectList::Add(TObject* item)
{
    CheckCanReference(item);
    return AddItem(item);
}

void TObjectList::Insert(int index, std::unique_ptr<TObject> item)
{
    CheckCanAdopt();
    const int countBefore = count_;
    InsertItem(index, item.get());
    if (count_ != countBefore)
        TakeOver(std::move(item));
}

void TObjectList::Insert(int index, TObject* item)
{
    CheckCanReference(item);
    InsertItem(index, item);
}

void TObjectList::Put(int index, std::unique_ptr<TObject> item)
{
    CheckCanAdopt();
    PutItem(index, item.get());
    TakeOver(std::move(item));
}

void TObjectList::Put(int index, TObject* item)
{
    CheckCanReference(item);
    PutItem(index, item);
}

int TObjectList::AddItem(TObject* item)
{
    const int index = count_;
    TObjectList::InsertItem(index, item);
    return index;
}

void TObjectList::InsertItem(int index, TObject* item)
{
    if (index < 0 || index > count_)
        Error(index);
    if (count_ == Capacity())
        Grow();
    std::copy_backward(slots_.begin() + index, slots_.begin() + count_, slots_.begin() + count_ + 1);
    slots_[index] = item;
    ++count_;
}

void TObjectList::PutItem(int index, TObject* item)
{
    CheckIndex(index);
    TObject* replaced = slots_[index];
    slots_[index] = item;
    FreeDropped({replaced});
}

int TObjectList::IdentityIndexOf(const TObject* item) const
{
    const auto end = slots_.begin() + count_;
    const auto found = std::find(slots_.begin(), end, item);
    return found == end ? -1 : static_cast<int>(found - slots_.begin());
}

int TObjectList::IndexOf(const TObject* item) const { return IdentityIndexOf(item); }

int TObjectList::NeighbourIndexOf(const TObject* item) const { return IdentityIndexOf(item); }

TObject* TObjectList::NeighbourOf(const TObject* item, bool forward) const
{
    if (!item)
        return forward ? First() : Last();
    int index = NeighbourIndexOf(item);
    if (index < 0)
        throw EListError(Format("tObject %s not in item list", {item->ClassName()}));
    index += forward ? 1 : -1;
    return index < 0 || index >= count_ ? nullptr : slots_[index];
}

void TObjectList::Clear()
{
    SetCount(0);
    SetCapacity(0);
}

// Growth in steps of 4 up to 8, then 16: 4, 8, 16, 32, 48, ... (the slots
// reported; see SetCapacity for the storage).
void TObjectList::Grow()
{
    const int capacity = Capacity();
    const int step = capacity <= 4 ? 4 : capacity <= 8 ? 8 : 16;
    SetCapacity(capacity + step);
}

void TObjectList::SetCapacity(int newCapacity)
{
    if (newCapacity == Capacity())
        return;
    if (newCapacity < count_ || newCapacity > MaxListSize)
        Error(newCapacity);
    // The capacity follows the growth rule, but the storage beneath it grows
    // at least twofold: a long run of Adds copies each item a few times in
    // all, not once per step of 16.
    const auto size = static_cast<std::size_t>(newCapacity);
    if (size > slots_.capacity())
        slots_.reserve(std::max(size, 2 * slots_.capacity()));
    slots_.resize(size);
    if (newCapacity == 0)
        std::vector<TObject*>().swap(slots_);
}

void TObjectList::SetCount(int newCount)
{
    if (newCount < 0 || newCount > MaxListSize)
        Error(newCount);
    if (newCount > Capacity())
        SetCapacity(newCount);
    std::vector<TObject*> dropped;
    if (newCount > count_)
        std::fill(slots_.begin() + count_, slots_.begin() + newCount, nullptr);
    else
        dropped.assign(slots_.begin() + newCount, slots_.begin() + count_);
    count_ = newCount;
    FreeDropped(dropped);
}

// Frees, once each, the dropped items the list took over and no longer
// holds in any slot.
void TObjectList::FreeDropped(const std::vector<TObject*>& dropped)
{
    if (owned_.empty() || dropped.empty())
        return;
    const std::unordered_set<TObject*> kept(slots_.begin(), slots_.begin() + count_);
    for (TObject* item : dropped) {
        if (!kept.contains(item) && owned_.erase(item) == 1)
            delete item; // the only place a list frees an item
    }
}

void TObjectList::SaveToStream(TStream& stream) const
{
    WriteByte(stream, ownsItems_ ? 1 : 0);
    WriteInt32(stream, count_);
    for (int i = 0; i < count_; ++i)
        WriteObjectToStream(slots_[i], stream);
}

void TObjectList::LoadFromStream(TStream& stream)
{
    ownsItems_ = ReadByte(stream) != 0;
    const std::int64_t itemCount = ReadInt32(stream);
    // The count is untrusted: it only bounds the loop, it reserves nothing.
    if (itemCount < 0)
        Error(itemCount);
    if (count_ + itemCount > MaxListSize)
        Error(count_ + itemCount);
    for (std::int64_t i = 0; i < itemCount; ++i)
        AdoptByAdd(ReadObjectFromStream(stream));
}

TSortedObjectList::TSortedObjectList(TDuplicates duplicates, bool ownsItems)
    : TObjectList(ownsItems), duplicates_(duplicates)
{
}

bool TSortedObjectList::Find(const TObject* key, int& index) const
{
    int lo = 0;
    int hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = Compare(KeyOf(GetItem(mid)), key);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                // Only accept mode needs the first of the equal items.
                if (duplicates_ != dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TSortedObjectList::IndexOf(const TObject* item) const
{
    int index = 0;
    return Find(KeyOf(item), index) ? index : -1;
}

int TSortedObjectList::AddItem(TObject* item)
{
    InsertItem(0, item);
    return 0;
}

void TSortedObjectList::InsertItem(int, TObject* item)
{
    int position = 0;
    if (Find(KeyOf(item), position)) {
        if (duplicates_ == dupIgnore)
            return;
        if (duplicates_ == dupError)
            throw EListError("Duplicate Object index");
    }
    TObjectList::InsertItem(position, item);
}

void TSortedObjectList::PutItem(int, TObject*)
{
    throw EListError("Cannot <Put> an Object in a sorted list!");
}

int TSortedObjectList::NeighbourIndexOf(const TObject* item) const
{
    const int found = IndexOf(item);
    if (found < 0)
        return -1;
    const TObject* key = KeyOf(item);
    for (int i = found; i >= 0 && Compare(KeyOf(GetItem(i)), key) == 0; --i) {
        if (GetItem(i) == item)
            return i;
    }
    for (int i = found + 1; i < Count() && Compare(KeyOf(GetItem(i)), key) == 0; ++i) {
        if (GetItem(i) == item)
            return i;
    }
    return found;
}

void TSortedObjectList::SaveToStream(TStream& stream) const
{
    WriteByte(stream, duplicates_);
    TObjectList::SaveToStream(stream);
}

void TSortedObjectList::LoadFromStream(TStream& stream)
{
    const std::uint8_t duplicates = ReadByte(stream);
    if (duplicates > dupError)
        throw EReadError(Format("Invalid duplicates mode (%d)", {IntToStr(duplicates)}));
    duplicates_ = static_cast<TDuplicates>(duplicates);
    TObjectList::LoadFromStream(stream);
}
