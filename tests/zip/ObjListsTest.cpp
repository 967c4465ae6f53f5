#include "lists/ObjLists.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <typeinfo>

#include "Exceptions.h"
#include "ListTestItems.h"
#include "Stream.h"
#include "lists/ClassRegistry.h"

namespace {

// Every test ends with no TTestItem alive: nothing leaked, nothing freed twice
// (a double free would also show as a count below zero, and under ASan).
class ObjLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestItem();
        TTestItem::alive = 0;
    }
    void TearDown() override { EXPECT_EQ(TTestItem::alive, 0); }
};

std::unique_ptr<TTestItem> Item(int key, const std::string& tag = {})
{
    return std::make_unique<TTestItem>(key, tag);
}

void Fill(TObjectList& list, std::initializer_list<std::pair<int, const char*>> items)
{
    for (const auto& [key, tag] : items)
        list.Add(Item(key, tag));
}

std::string ErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EListError& e) {
        return e.what();
    }
    return "no EListError";
}

using Bytes = std::vector<std::uint8_t>;

Bytes Int32Bytes(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 24)};
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A class whose store procedure writes nothing, for the exact byte form.
class TEmptyItem : public TObject {
public:
    std::string ClassName() const override { return "TEmptyItem"; }
};

class TUnregisteredItem : public TObject {
public:
    std::string ClassName() const override { return "TUnregisteredItem"; }
};

class TLongNamedItem : public TObject {
public:
    static std::string Name() { return "TLongNamed" + std::string(60, 'x'); } // 70 characters
    std::string ClassName() const override { return Name(); }
};

template <class T>
void RegisterDatalessClass()
{
    RegisterObjectClass(T().ClassName(), {[]() -> std::unique_ptr<TObject> { return std::make_unique<T>(); },
                                          [](TObject&, TStream&) {}, [](const TObject&, TStream&) {}});
}

} // namespace

TEST_F(ObjLists, GrowsBy4Then8Then16)
{
    TObjectList list;
    EXPECT_EQ(list.Capacity(), 0);
    std::vector<int> capacities;
    for (int i = 0; i < 65; ++i) {
        list.Add(Item(i));
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 16, 32, 48, 64, 80}));
    EXPECT_EQ(list.Count(), 65);
    EXPECT_EQ(ItemAt(list, 64)->key, 64);
}

TEST_F(ObjLists, SetCapacityEdges)
{
    struct Case {
        const char* name;
        int items;
        int startCapacity;
        int newCapacity;
        int capacityAfter;
        const char* error;
    };
    const Case cases[] = {
        {"same capacity", 3, 4, 4, 4, nullptr},
        {"grow keeps items", 3, 4, 10, 10, nullptr},
        {"shrink to count", 3, 4, 3, 3, nullptr},
        {"zero on an empty list frees the array", 0, 8, 0, 0, nullptr},
        {"below the count", 3, 4, 2, 4, "List index out of bounds (2)"},
        {"negative", 0, 0, -1, 0, "List index out of bounds (-1)"},
        {"past the limit", 0, 0, 0x1FFFFFFF, 0, "List index out of bounds (536870911)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TObjectList list;
        for (int i = 0; i < c.items; ++i)
            list.Add(Item(i, std::to_string(i)));
        list.SetCapacity(c.startCapacity);
        if (c.error)
            EXPECT_EQ(ErrorText([&] { list.SetCapacity(c.newCapacity); }), c.error);
        else
            list.SetCapacity(c.newCapacity);
        EXPECT_EQ(list.Capacity(), c.capacityAfter);
        EXPECT_EQ(list.Count(), c.items);
        for (int i = 0; i < c.items; ++i)
            EXPECT_EQ(ItemAt(list, i)->key, i);
    }
}

TEST_F(ObjLists, SetCountEdges)
{
    TObjectList list;
    Fill(list, {{1, "a"}, {2, "b"}, {3, "c"}});
    EXPECT_EQ(ErrorText([&] { list.SetCount(0x1FFFFFFF); }), "List index out of bounds (536870911)");
    EXPECT_EQ(ErrorText([&] { list.SetCount(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(list.Count(), 3);

    list.SetCount(10); // past the capacity of 4: exactly 10, not the growth rule
    EXPECT_EQ(list.Capacity(), 10);
    EXPECT_EQ(Tags(list), (std::vector<std::string>{"a", "b", "c", "nil", "nil", "nil", "nil", "nil", "nil", "nil"}));

    list.SetCount(1); // an owning list frees what it drops
    EXPECT_EQ(TTestItem::alive, 1);
    EXPECT_EQ(Tags(list), (std::vector<std::string>{"a"}));
    EXPECT_EQ(list.Capacity(), 10);

    std::vector<std::unique_ptr<TTestItem>> owner;
    TObjectList referencing(false);
    for (int i = 0; i < 3; ++i)
        referencing.Add(owner.emplace_back(Item(i)).get());
    referencing.SetCount(1);
    referencing.Clear();
    EXPECT_EQ(TTestItem::alive, 4);
    EXPECT_EQ(referencing.Capacity(), 0);
}

TEST_F(ObjLists, RangeErrorsLeaveTheListAlone)
{
    TObjectList list;
    Fill(list, {{1, "a"}, {2, "b"}});
    TObjectList empty;
    struct Case {
        const char* name;
        std::function<void()> action;
        const char* error;
    };
    const Case cases[] = {
        {"GetItem below", [&] { list.GetItem(-1); }, "List index out of bounds (-1)"},
        {"GetItem at count", [&] { list.GetItem(2); }, "List index out of bounds (2)"},
        {"Put at count", [&] { list.Put(2, Item(9)); }, "List index out of bounds (2)"},
        {"Insert past count", [&] { list.Insert(3, Item(9)); }, "List index out of bounds (3)"},
        {"Insert below", [&] { list.Insert(-1, nullptr); }, "List index out of bounds (-1)"},
        {"First of empty", [&] { empty.First(); }, "List index out of bounds (0)"},
        {"Last of empty", [&] { empty.Last(); }, "List index out of bounds (-1)"},
        {"first neighbour of empty", [&] { empty.NeighbourOf(nullptr, true); }, "List index out of bounds (0)"},
        {"last neighbour of empty", [&] { empty.NeighbourOf(nullptr, false); }, "List index out of bounds (-1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorText(c.action), c.error);
        EXPECT_EQ(Tags(list), (std::vector<std::string>{"a", "b"}));
    }
}

TEST_F(ObjLists, InsertShiftsAndAppendsAtCount)
{
    TObjectList list;
    list.Insert(0, Item(1, "b"));
    list.Insert(1, Item(2, "d")); // at count: appends
    list.Insert(0, Item(0, "a"));
    list.Insert(2, Item(0, "c"));
    list.Insert(4, nullptr);
    EXPECT_EQ(Tags(list), (std::vector<std::string>{"a", "b", "c", "d", "nil"}));
    EXPECT_EQ(list.Add(Item(5, "e")), 5);
    EXPECT_EQ(list.First(), list.GetItem(0));
    EXPECT_EQ(list.Last(), list.GetItem(5));
}

TEST_F(ObjLists, PutFreesWhatItReplacesOnlyWhenNoSlotHoldsItAnyMore)
{
    TObjectList list;
    Fill(list, {{1, "a"}, {2, "b"}});
    list.Put(0, Item(3, "c"));
    EXPECT_EQ(TTestItem::alive, 2);

    TObject* c = list.GetItem(0);
    list.Put(0, c); // with itself: kept
    EXPECT_EQ(TTestItem::alive, 2);
    EXPECT_EQ(ItemAt(list, 0)->tag, "c");

    list.Put(1, c); // "b" goes; "c" now sits in both slots
    EXPECT_EQ(TTestItem::alive, 1);
    list.Add(c); // and in a third
    EXPECT_EQ(Tags(list), (std::vector<std::string>{"c", "c", "c"}));
    list.Put(0, nullptr); // "c" is still held
    EXPECT_EQ(TTestItem::alive, 1);
    // The destructor frees "c" once (the fixture sees 0; ASan sees no double free).
}

TEST_F(ObjLists, OwnershipIsHandedOverExplicitly)
{
    TObjectList owning;
    TTestItem foreign(1, "foreign");
    EXPECT_EQ(ErrorText([&] { owning.Add(&foreign); }), "A list that owns its items takes new ones only as unique_ptr");
    EXPECT_EQ(ErrorText([&] { owning.Insert(0, &foreign); }),
              "A list that owns its items takes new ones only as unique_ptr");
    owning.Add(nullptr); // nil belongs to nobody
    EXPECT_EQ(owning.Count(), 1);

    TObjectList referencing(false);
    EXPECT_EQ(ErrorText([&] { referencing.Add(Item(2)); }), "A list that does not own its items cannot take one over");
    EXPECT_EQ(TTestItem::alive, 1); // the refused item was freed
    referencing.Add(&foreign);
    referencing.Put(0, &foreign);
    EXPECT_EQ(referencing.Count(), 1);
    EXPECT_EQ(TTestItem::alive, 1);
    referencing.Clear();
    EXPECT_EQ(foreign.tag, "foreign");
}

TEST_F(ObjLists, SortedListAppliesItsDuplicatesMode)
{
    struct Case {
        const char* name;
        TDuplicates mode;
        std::vector<std::pair<int, const char*>> adds;
        std::vector<std::string> order;
        const char* error; // raised by the last add
    };
    const Case cases[] = {
        {"ignore keeps the first", dupIgnore, {{5, "5"}, {1, "1"}, {3, "3a"}, {3, "3b"}}, {"1", "3a", "5"}, nullptr},
        {"error refuses the second", dupError, {{5, "5"}, {1, "1"}, {3, "3a"}, {3, "3b"}}, {"1", "3a", "5"},
         "Duplicate Object index"},
        {"accept puts each before its equals", dupAccept, {{2, "B"}, {1, "A1"}, {1, "A2"}, {0, "Z"}, {1, "A3"}},
         {"Z", "A3", "A2", "A1", "B"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKeyedList list(c.mode);
        for (std::size_t i = 0; i + 1 < c.adds.size(); ++i)
            EXPECT_EQ(list.Add(Item(c.adds[i].first, c.adds[i].second)), 0);
        const auto& last = c.adds.back();
        if (c.error)
            EXPECT_EQ(ErrorText([&] { list.Add(Item(last.first, last.second)); }), c.error);
        else
            list.Add(Item(last.first, last.second));
        EXPECT_EQ(Tags(list), c.order);
        EXPECT_EQ(TTestItem::alive, list.Count()); // a refused item is not leaked
    }
}

TEST_F(ObjLists, SortedListRefusesPutAndIgnoresTheInsertIndex)
{
    TKeyedList list(dupAccept);
    list.Insert(0, Item(2, "b"));
    list.Insert(0, Item(1, "a"));
    list.Insert(99, Item(3, "c"));
    EXPECT_EQ(Tags(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ErrorText([&] { list.Put(0, Item(0)); }), "Cannot <Put> an Object in a sorted list!");
    EXPECT_EQ(ErrorText([&] { list.Put(-5, list.GetItem(1)); }), "Cannot <Put> an Object in a sorted list!");
    EXPECT_EQ(Tags(list), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ObjLists, FindIsABinarySearchForTheInsertPosition)
{
    struct Case {
        TDuplicates mode;
        int key;
        bool found;
        int index;
    };
    const Case cases[] = {
        {dupAccept, 5, false, 0},  {dupAccept, 10, true, 0}, {dupAccept, 20, true, 1}, {dupAccept, 25, false, 4},
        {dupAccept, 30, true, 4},  {dupAccept, 35, false, 5}, {dupError, 10, true, 0}, {dupError, 30, true, 2},
        {dupIgnore, 15, false, 1}, {dupIgnore, 20, true, 1},  {dupIgnore, 99, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " key " << c.key);
        TKeyedList list(c.mode);
        if (c.mode == dupAccept)
            Fill(list, {{10, ""}, {20, ""}, {20, ""}, {20, ""}, {30, ""}});
        else
            Fill(list, {{10, ""}, {20, ""}, {30, ""}});
        const TTestItem probe(c.key);
        int index = -1;
        EXPECT_EQ(list.Find(&probe, index), c.found);
        EXPECT_EQ(index, c.index);
    }
    EXPECT_EQ(TTestItem::alive, 0);
}

TEST_F(ObjLists, IndexOfIsByKeyInASortedListAndByIdentityInAPlainOne)
{
    TKeyedList sorted(dupAccept);
    TObjectList plain;
    Fill(sorted, {{1, "x"}, {2, "a1"}, {2, "a2"}, {2, "a3"}});
    Fill(plain, {{1, "x"}, {2, "a"}});
    const TTestItem probe(2);
    EXPECT_EQ(sorted.IndexOf(&probe), 1);
    EXPECT_EQ(plain.IndexOf(&probe), -1);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(sorted.IndexOf(sorted.GetItem(i)), 1);
    EXPECT_EQ(plain.IndexOf(plain.GetItem(1)), 1);
    const TTestItem absent(7);
    EXPECT_EQ(sorted.IndexOf(&absent), -1);
}

TEST_F(ObjLists, NeighbourOfAtTheEnds)
{
    TObjectList list;
    Fill(list, {{1, "a"}, {2, "b"}, {3, "c"}});
    EXPECT_EQ(list.NeighbourOf(nullptr, true), list.GetItem(0));
    EXPECT_EQ(list.NeighbourOf(nullptr, false), list.GetItem(2));
    EXPECT_EQ(list.NeighbourOf(list.GetItem(1), true), list.GetItem(2));
    EXPECT_EQ(list.NeighbourOf(list.GetItem(1), false), list.GetItem(0));
    EXPECT_EQ(list.NeighbourOf(list.GetItem(2), true), nullptr);
    EXPECT_EQ(list.NeighbourOf(list.GetItem(0), false), nullptr);
    const TTestItem stranger(2);
    EXPECT_EQ(ErrorText([&] { list.NeighbourOf(&stranger, true); }), "tObject TTestItem not in item list");
}

TEST_F(ObjLists, WalkingNeighboursOverEqualKeysVisitsEachItemOnce)
{
    struct Case {
        const char* name;
        std::vector<int> keys;
    };
    const Case cases[] = {
        {"all equal", {7, 7, 7, 7}},
        {"a run in the middle", {1, 2, 2, 2, 3}},
        {"runs at both ends", {1, 1, 2, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKeyedList list(dupAccept);
        for (int key : c.keys)
            list.Add(Item(key));
        for (const bool forward : {true, false}) {
            std::vector<TObject*> visited;
            for (TObject* item = list.NeighbourOf(nullptr, forward); item && visited.size() <= c.keys.size();
                 item = list.NeighbourOf(item, forward))
                visited.push_back(item);
            ASSERT_EQ(visited.size(), c.keys.size());
            for (int i = 0; i < list.Count(); ++i)
                EXPECT_EQ(visited[forward ? i : list.Count() - 1 - i], list.GetItem(i));
        }
    }
}

TEST_F(ObjLists, NeighbourOfAProbeStepsFromItsKey)
{
    TKeyedList list(dupError);
    Fill(list, {{1, "a"}, {2, "b"}, {3, "c"}});
    const TTestItem probe(2);
    EXPECT_EQ(list.NeighbourOf(&probe, true), list.GetItem(2));
    EXPECT_EQ(list.NeighbourOf(&probe, false), list.GetItem(0));
    const TTestItem absent(9);
    EXPECT_EQ(ErrorText([&] { list.NeighbourOf(&absent, true); }), "tObject TTestItem not in item list");
}

TEST_F(ObjLists, SavedFormByteForByte)
{
    RegisterDatalessClass<TEmptyItem>();
    const Bytes name = Concat({{10}, Text("TEmptyItem")});

    TObjectList plain;
    plain.Add(std::make_unique<TEmptyItem>());
    plain.Add(std::make_unique<TEmptyItem>());
    TMemoryStream out;
    plain.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), Concat({{0x01, 0x02, 0x00, 0x00, 0x00}, name, name}));

    struct Case {
        const char* name;
        std::unique_ptr<TObjectList> list;
        Bytes expected;
    };
    Case cases[] = {
        {"empty plain referencing", std::make_unique<TObjectList>(false), {0x00, 0, 0, 0, 0}},
        {"empty sorted accept", std::make_unique<TKeyedList>(dupAccept), {0x01, 0x01, 0, 0, 0, 0}},
        {"empty sorted error referencing", std::make_unique<TKeyedList>(dupError, false), {0x02, 0x00, 0, 0, 0, 0}},
        {"sorted ignore with one item", std::make_unique<TKeyedList>(dupIgnore),
         Concat({{0x00, 0x01, 0x01, 0, 0, 0}, {9}, Text("TTestItem"), Int32Bytes(-2), {2}, Text("hi")})},
    };
    cases[3].list->Add(Item(-2, "hi"));
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryStream stream;
        c.list->SaveToStream(stream);
        EXPECT_EQ(stream.Bytes(), c.expected);
    }
}

TEST_F(ObjLists, SavingNamesTheClassItCannotWrite)
{
    RegisterDatalessClass<TLongNamedItem>();
    struct Case {
        const char* name;
        std::function<void(TObjectList&)> fill;
        const char* error; // nullptr: saves
    };
    const Case cases[] = {
        {"nil item", [](TObjectList& l) { l.Add(nullptr); }, "Nil Source Class!"},
        {"unregistered class", [](TObjectList& l) { l.Add(std::make_unique<TUnregisteredItem>()); },
         "Source Class <TUnregisteredItem> not registered"},
        {"long name cut to 63", [](TObjectList& l) { l.Add(std::make_unique<TLongNamedItem>()); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TObjectList list;
        c.fill(list);
        TMemoryStream stream;
        try {
            list.SaveToStream(stream);
            EXPECT_EQ(c.error, nullptr);
            EXPECT_EQ(stream.Bytes(), Concat({{1, 1, 0, 0, 0, 63}, Text(TLongNamedItem::Name().substr(0, 63))}));
        } catch (const EClassNotFound& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
}

TEST_F(ObjLists, ListsRoundTripThroughTheRegistry)
{
    TObjectList plain;
    Fill(plain, {{3, "three"}, {-1, ""}, {3, "again"}});
    TMemoryStream stream;
    plain.SaveToStream(stream);

    TObjectList loaded;
    loaded.Add(Item(0, "kept"));
    stream.SetPosition(0);
    loaded.LoadFromStream(stream); // appends
    EXPECT_EQ(Tags(loaded), (std::vector<std::string>{"kept", "three", "", "again"}));
    EXPECT_EQ(ItemAt(loaded, 2)->key, -1);
    EXPECT_EQ(stream.Position(), stream.Size());

    TKeyedList sorted(dupAccept);
    Fill(sorted, {{2, "b1"}, {1, "a"}, {2, "b2"}});
    TMemoryStream sortedStream;
    sorted.SaveToStream(sortedStream);

    TKeyedList reloaded(dupError); // takes the stored mode
    sortedStream.SetPosition(0);
    reloaded.LoadFromStream(sortedStream);
    EXPECT_EQ(reloaded.Duplicates(), dupAccept);
    EXPECT_EQ(Tags(reloaded), (std::vector<std::string>{"a", "b1", "b2"}));

    // The same stream marked "ignore": the second equal key is left out, and freed.
    Bytes ignoring = sortedStream.Bytes();
    ignoring[0] = dupIgnore;
    TMemoryStream ignoringStream(ignoring);
    TKeyedList deduplicated(dupAccept);
    deduplicated.LoadFromStream(ignoringStream);
    EXPECT_EQ(Tags(deduplicated), (std::vector<std::string>{"a", "b2"}));
    EXPECT_EQ(TTestItem::alive, 3 + 4 + 3 + 3 + 2);
}

TEST_F(ObjLists, MalformedStreamsRaiseCleanly)
{
    const Bytes item = Concat({{9}, Text("TTestItem"), Int32Bytes(1), {1}, Text("x")});
    enum Kind { Read, List, ClassNotFound };
    struct Case {
        const char* name;
        bool sorted;
        int preloaded;
        Bytes bytes;
        Kind kind;
        const char* message;
        int countAfter;
    };
    const Case cases[] = {
        {"empty stream", false, 0, {}, Read, "Stream read error", 0},
        {"short count", false, 0, {1, 2, 0}, Read, "Stream read error", 0},
        {"negative count", false, 0, Concat({{1}, Int32Bytes(-1)}), List, "List index out of bounds (-1)", 0},
        {"count past the limit", false, 0, Concat({{1}, Int32Bytes(0x7FFFFFFF), item}), List,
         "List index out of bounds (2147483647)", 0},
        {"count plus items past the limit", false, 1, Concat({{1}, Int32Bytes(0x1FFFFFFE), item}), List,
         "List index out of bounds (536870911)", 1},
        {"count plus items past 32 bits", false, 1, Concat({{1}, Int32Bytes(0x7FFFFFFF), item}), List,
         "List index out of bounds (2147483648)", 1},
        {"huge count, few items", false, 0, Concat({{1}, Int32Bytes(0x1FFFFFFE), item, item}), Read,
         "Stream read error", 2},
        {"name length 64", false, 0, Concat({{1}, Int32Bytes(1), {64}, Bytes(64, 'A')}), Read,
         "Class name too long (64)", 0},
        {"name length 255", false, 0, Concat({{1}, Int32Bytes(1), {255}, Bytes(255, 'A')}), Read,
         "Class name too long (255)", 0},
        {"truncated name", false, 0, Concat({{1}, Int32Bytes(1), {9}, Text("TTest")}), Read, "Stream read error", 0},
        {"truncated object data", false, 0, Concat({{1}, Int32Bytes(2), item, {9}, Text("TTestItem"), {1, 0}}), Read,
         "Stream read error", 1},
        {"unknown class", false, 0, Concat({{1}, Int32Bytes(1), {6}, Text("TNoOne")}), ClassNotFound,
         "Class <TNoOne> not registered", 0},
        {"bad duplicates mode", true, 0, Concat({{3, 1}, Int32Bytes(0)}), Read, "Invalid duplicates mode (3)", 0},
        {"sorted, truncated after the mode", true, 0, {1}, Read, "Stream read error", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TObjectList> list;
        if (c.sorted)
            list = std::make_unique<TKeyedList>(dupAccept);
        else
            list = std::make_unique<TObjectList>();
        for (int i = 0; i < c.preloaded; ++i)
            list->Add(Item(i));
        TMemoryStream stream(c.bytes);
        try {
            list->LoadFromStream(stream);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.message);
            const bool rightKind = c.kind == Read            ? dynamic_cast<const EReadError*>(&e) != nullptr
                                   : c.kind == List          ? dynamic_cast<const EListError*>(&e) != nullptr
                                                             : dynamic_cast<const EClassNotFound*>(&e) != nullptr;
            EXPECT_TRUE(rightKind) << typeid(e).name();
        }
        EXPECT_EQ(list->Count(), c.countAfter); // what was loaded before the fault stays
        EXPECT_LE(list->Capacity(), 16);        // nothing reserved from the stored count
        list.reset();
        EXPECT_EQ(TTestItem::alive, 0);
    }
}

TEST_F(ObjLists, TheLoadedOwnershipFlagReplacesTheListsOwn)
{
    const Bytes oneItem = Concat({Int32Bytes(1), {9}, Text("TTestItem"), Int32Bytes(5), {4}, Text("load")});
    struct Case {
        const char* name;
        bool sorted;
        bool ownsBefore;
        std::uint8_t storedFlag;
    };
    const Case cases[] = {
        {"referencing list, owning stream", false, false, 1},
        {"owning list, referencing stream", false, true, 0},
        {"sorted referencing list, owning stream", true, false, 1},
        {"sorted owning list, referencing stream", true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTestItem referenced(1, "ref");
        {
            std::unique_ptr<TObjectList> list;
            if (c.sorted)
                list = std::make_unique<TKeyedList>(dupAccept, c.ownsBefore);
            else
                list = std::make_unique<TObjectList>(c.ownsBefore);
            if (c.ownsBefore)
                list->Add(Item(2, "own"));
            else
                list->Add(&referenced);
            TMemoryStream stream(c.sorted ? Concat({{dupAccept, c.storedFlag}, oneItem})
                                          : Concat({{c.storedFlag}, oneItem}));
            list->LoadFromStream(stream);
            EXPECT_EQ(list->OwnsItems(), c.storedFlag == 1);
            EXPECT_EQ(list->Count(), 2);
            EXPECT_EQ(TTestItem::alive, c.ownsBefore ? 3 : 2);

            // New items follow the new flag.
            if (list->OwnsItems()) {
                EXPECT_EQ(ErrorText([&] { list->Add(&referenced); }),
                          c.ownsBefore ? "A list that owns its items takes new ones only as unique_ptr" : "no EListError");
            } else {
                EXPECT_EQ(ErrorText([&] { list->Add(Item(3)); }),
                          "A list that does not own its items cannot take one over");
            }
            TMemoryStream saved;
            list->SaveToStream(saved);
            EXPECT_EQ(saved.Bytes()[c.sorted ? 1 : 0], c.storedFlag);
        }
        // The loaded item and the one the list took over are freed with it;
        // the referenced one is left to its owner.
        EXPECT_EQ(TTestItem::alive, 1);
    }
}
