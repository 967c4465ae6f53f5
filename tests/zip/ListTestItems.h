// Items for the object-list and class-registry tests. TTestItem counts its
// live instances, so a test can tell an item freed from one leaked or kept;
// it streams as its key (4 bytes) and a tag (length byte and characters).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Stream.h"
#include "lists/ClassRegistry.h"
#include "lists/ObjLists.h"

class TTestItem : public TObject {
public:
    explicit TTestItem(int key = 0, std::string tag = {}) : key(key), tag(std::move(tag)) { ++alive; }
    TTestItem(const TTestItem&) = delete;
    TTestItem& operator=(const TTestItem&) = delete;
    ~TTestItem() override { --alive; }
    std::string ClassName() const override { return "TTestItem"; }

    static inline int alive = 0;
    int key;
    std::string tag;
};

inline void LoadTestItem(TObject& object, TStream& stream)
{
    auto& item = static_cast<TTestItem&>(object);
    std::uint8_t bytes[4] = {};
    stream.ReadBuffer(bytes, 4);
    item.key = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24);
    std::uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    item.tag.assign(length, '\0');
    stream.ReadBuffer(item.tag.data(), length);
}

inline void StoreTestItem(const TObject& object, TStream& stream)
{
    const auto& item = static_cast<const TTestItem&>(object);
    const auto bits = static_cast<std::uint32_t>(item.key);
    const std::uint8_t bytes[5] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                   static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24),
                                   static_cast<std::uint8_t>(item.tag.size())};
    stream.WriteBuffer(bytes, 5);
    stream.WriteBuffer(item.tag.data(), static_cast<std::int64_t>(item.tag.size()));
}

// Registering twice is harmless: the first record stays.
inline void RegisterTestItem()
{
    RegisterObjectClass("TTestItem", {[]() -> std::unique_ptr<TObject> { return std::make_unique<TTestItem>(); },
                                      LoadTestItem, StoreTestItem});
}

// A sorted list of TTestItem in ascending key order.
class TKeyedList : public TSortedObjectList {
public:
    using TSortedObjectList::TSortedObjectList;
    int Compare(const TObject* key1, const TObject* key2) const override
    {
        const int a = static_cast<const TTestItem*>(key1)->key;
        const int b = static_cast<const TTestItem*>(key2)->key;
        return a < b ? -1 : a > b ? 1 : 0;
    }
};

inline const TTestItem* ItemAt(const TObjectList& list, int index)
{
    return static_cast<const TTestItem*>(list.GetItem(index));
}

inline std::vector<std::string> Tags(const TObjectList& list)
{
    std::vector<std::string> tags;
    for (int i = 0; i < list.Count(); ++i)
        tags.push_back(list.GetItem(i) ? ItemAt(list, i)->tag : "nil");
    return tags;
}
