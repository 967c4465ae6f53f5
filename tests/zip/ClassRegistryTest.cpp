#include "lists/ClassRegistry.h"

#include <gtest/gtest.h>

#include "Exceptions.h"
#include "ListTestItems.h"
#include "Stream.h"

namespace {

class TRegistryProbe : public TObject {
public:
    std::string ClassName() const override { return "TRegistryProbe"; }
};

std::unique_ptr<TObject> MakeProbe() { return std::make_unique<TRegistryProbe>(); }
void LoadNothing(TObject&, TStream&) {}
void StoreNothing(const TObject&, TStream&) {}
void OtherLoad(TObject&, TStream&) {}

} // namespace

TEST(ClassRegistry, LooksNamesUpIgnoringCaseAndKeepsTheFirstRecord)
{
    EXPECT_TRUE(RegisterObjectClass("TRegistryProbe", {MakeProbe, LoadNothing, StoreNothing}));
    EXPECT_FALSE(RegisterObjectClass("TREGISTRYPROBE", {MakeProbe, OtherLoad, StoreNothing}));
    for (const char* name : {"TRegistryProbe", "tregistryprobe", "TREGISTRYPROBE"}) {
        SCOPED_TRACE(name);
        const tRegisterRec* record = FindClassRegistration(name);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->loadProc, LoadNothing);
    }
    EXPECT_EQ(FindClassRegistration("TRegistryProb"), nullptr);
    EXPECT_EQ(FindClassRegistration("TRegistryProbeX"), nullptr);
}

TEST(ClassRegistry, UsesTheFirst63Characters)
{
    const std::string stem(63, 'Q');
    EXPECT_TRUE(RegisterObjectClass(stem + "registered", {MakeProbe, LoadNothing, StoreNothing}));
    EXPECT_NE(FindClassRegistration(stem), nullptr);
    EXPECT_NE(FindClassRegistration(stem + "looked up"), nullptr);
    EXPECT_EQ(FindClassRegistration(stem.substr(0, 62)), nullptr);
}

TEST(ClassRegistry, CreatesRegisteredObjectsAndNamesUnknownOnes)
{
    RegisterObjectClass("TRegistryProbe", {MakeProbe, LoadNothing, StoreNothing});
    TObjectLoadProc load = nullptr;
    const std::unique_ptr<TObject> object = CreateRegisteredObject("tRegistryProbe", load);
    EXPECT_EQ(object->ClassName(), "TRegistryProbe");
    EXPECT_EQ(load, LoadNothing);
    try {
        CreateRegisteredObject("TNobodyHere", load);
        FAIL() << "made an unknown class";
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class <TNobodyHere> not registered");
    }
}

TEST(ClassRegistry, OneObjectRoundTrips)
{
    RegisterTestItem();
    TMemoryStream stream;
    const TTestItem original(0x01020304, "tag");
    WriteObjectToStream(&original, stream);
    EXPECT_EQ(stream.Text(), std::string("\x09TTestItem\x04\x03\x02\x01\x03tag", 18));
    stream.SetPosition(0);
    const std::unique_ptr<TObject> copy = ReadObjectFromStream(stream);
    ASSERT_EQ(copy->ClassName(), "TTestItem");
    EXPECT_EQ(static_cast<const TTestItem&>(*copy).key, 0x01020304);
    EXPECT_EQ(static_cast<const TTestItem&>(*copy).tag, "tag");
}
