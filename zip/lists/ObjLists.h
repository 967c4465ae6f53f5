// The engine's own object lists: TObjectList, a growable array of object
// references, and TSortedObjectList, which keeps its items in key order,
// finds them by binary search and applies a duplicates mode. The archive
// directory derives from the sorted list. Both write themselves to a stream
// and read themselves back, naming each item's class (see ClassRegistry.h).
//
// Ownership is the list's flag, set when it is made and replaced by the flag
// a loaded stream carries:
// - An owning list (the default) takes new items as std::unique_ptr. It may
//   also be handed, by plain pointer, nil or an item it already holds.
// - A referencing list (ownsItems false) takes items by plain pointer only;
//   the caller keeps them alive while they are listed.
// Handing an owning list a foreign plain pointer, or a referencing list a
// unique_ptr, raises EListError and changes nothing.
// Whatever the flag, the list frees exactly the items it took over (as
// unique_ptr, or made by loading) when it drops them: on destruction, Clear,
// a shrinking SetCount, and the item a Put replaces; an object held in
// several slots is freed once, when its last slot goes. So a flag changed by
// a load never frees a referenced item nor leaks a taken one.
//
// Accessors return non-owning pointers. Range errors raise EListError "List
// index out of bounds (%d)" before the list changes.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

#include "Object.h"

class TStream;

class TObjectList {
public:
    // Capacity and count never exceed this.
    static constexpr int MaxListSize = 0x1FFFFFFE;

    explicit TObjectList(bool ownsItems = true);
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;
    virtual ~TObjectList();

    bool OwnsItems() const { return ownsItems_; }
    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(slots_.size()); }

    TObject* GetItem(int index) const;
    TObject* First() const;
    TObject* Last() const;

    // Adds the item (a plain list appends and returns its index; a sorted
    // list places it by key and returns 0). An owning list frees an item it
    // refuses.
    int Add(std::unique_ptr<TObject> item);
    int Add(TObject* item);
    // Inserts at index, 0 .. Count(); a sorted list ignores the index.
    void Insert(int index, std::unique_ptr<TObject> item);
    void Insert(int index, TObject* item);
    // Replaces the item at index; an owning list frees the one replaced.
    void Put(int index, std::unique_ptr<TObject> item);
    void Put(int index, TObject* item);

    // A plain list: the first slot holding this very object, or -1. A sorted
    // list: the index of an item with an equal key, or -1.
    virtual int IndexOf(const TObject* item) const;

    // The item after (forward) or before the given one, nil past either end.
    // A nil item gives First or Last. An item that is not in the list raises
    // EListError "tObject %s not in item list".
    TObject* NeighbourOf(const TObject* item, bool forward) const;

    // Count and capacity to 0.
    void Clear();
    // Growing keeps the items; shrinking below the count raises.
    void SetCapacity(int newCapacity);
    // Growing beyond the capacity sets the capacity to exactly newCount; new
    // slots are nil.
    void SetCount(int newCount);

    // Stream form: owns-items flag (1 byte), count (4 bytes, little-endian),
    // then each item as WriteObjectToStream writes it.
    virtual void SaveToStream(TStream& stream) const;
    // Appends the items of a saved list through Add; the stored owns-items
    // flag replaces the list's own. The items made here are the list's to
    // free. A negative count, or one that would take the list past
    // MaxListSize, raises EListError; a failure part way keeps the items
    // loaded so far.
    virtual void LoadFromStream(TStream& stream);

protected:
    // The list's own placement rules, fed by the public adders once the
    // ownership rules are satisfied.
    virtual int AddItem(TObject* item);
    virtual void InsertItem(int index, TObject* item);
    virtual void PutItem(int index, TObject* item);
    // The slot NeighbourOf steps from.
    virtual int NeighbourIndexOf(const TObject* item) const;

    int IdentityIndexOf(const TObject* item) const;

private:
    // Raises unless the list owns its items.
    void CheckCanAdopt() const;
    [[noreturn]] static void Error(std::int64_t value);
    void CheckIndex(int index) const;
    void Grow();
    void CheckCanReference(const TObject* item) const;
    int AdoptByAdd(std::unique_ptr<TObject> item);
    void TakeOver(std::unique_ptr<TObject> item);
    void FreeDropped(const std::vector<TObject*>& dropped);

    bool ownsItems_;
    // The items this list frees when their last slot goes.
    std::unordered_set<TObject*> owned_;
    // Sized to the capacity; slots from count_ on are unused.
    std::vector<TObject*> slots_;
    int count_ = 0;
};

// The duplicates mode of a sorted list, as stored in its stream form.
enum TDuplicates : std::uint8_t {
    dupIgnore = 0,  // an item whose key is present is not added
    dupAccept = 1,  // it goes before the items with an equal key
    dupError = 2,   // adding it raises EListError "Duplicate Object index"
};

// Items in ascending order of Compare over their keys. Descendants supply
// Compare and may key items by something other than themselves (KeyOf).
class TSortedObjectList : public TObjectList {
public:
    explicit TSortedObjectList(TDuplicates duplicates, bool ownsItems = true);

    TDuplicates Duplicates() const { return duplicates_; }

    virtual const TObject* KeyOf(const TObject* item) const { return item; }
    // Negative if key1 sorts before key2, 0 if equal, positive if after.
    virtual int Compare(const TObject* key1, const TObject* key2) const = 0;

    // Binary search. Found: index is an equal item (under dupAccept the first
    // of the equal run). Not found: index is where the key would go.
    bool Find(const TObject* key, int& index) const;

    int IndexOf(const TObject* item) const override;

    // Stream form: the duplicates mode (1 byte) in front of the plain form.
    void SaveToStream(TStream& stream) const override;
    // Takes the stored duplicates mode; a value other than 0, 1, 2 raises
    // EReadError.
    void LoadFromStream(TStream& stream) override;

protected:
    int AddItem(TObject* item) override;
    void InsertItem(int index, TObject* item) override;
    // Raises EListError "Cannot <Put> an Object in a sorted list!".
    void PutItem(int index, TObject* item) override;
    // Among items with equal keys, the slot of this very object, so a walk
    // over equal keys visits each once; a probe that is not itself listed
    // steps from the slot of its key.
    int NeighbourIndexOf(const TObject* item) const override;

private:
    TDuplicates duplicates_;
};
