#include "ZipMessages.h"

#include <gtest/gtest.h>

#include "ZipExceptions.h"

namespace {

TEST(ZipMessages, TextsAreExactMisspellingsIncluded)
{
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {176, "Open a Zip File"},
        {177, "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*"},
        {178, "User canceled Set Desination Directory"},
        {179, "Index %d is out of range"},
        {181, "User Aborted Operation"},
        {183, "Not a valid zip file!"},
        {184, "Please insert disk "},
        {185, " of the multi-disk set."},
        {190, "\nSeek error"},
        {193, "*** inflate out of memory ***"},
        {199, "File is larger than uncompressed size!"},
        {204, "Not enough room to write archive"},
        {207, "Cant write uncompressed file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(LoadStr(c.id), c.text);
    }
}

TEST(ZipMessages, UnknownIdsGiveNothing)
{
    for (const int id : {0, 175, 180, 188, 189, 200, 201, 205, 206, 208})
        EXPECT_EQ(LoadStr(id), "") << id;
}

TEST(ZipExceptions, CarryTheirMessageAndCatchAsException)
{
    try {
        throw EBadZipFile(LoadStr(IDS_INVALIDZIP));
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Not a valid zip file!");
    }
    EXPECT_THROW(throw EIncompleteZip(""), Exception);
    EXPECT_THROW(throw ENotAZipFile(""), Exception);
    EXPECT_THROW(throw EFatalUnzipError(""), Exception);
    EXPECT_THROW(throw EUserCanceled(""), Exception);
    EXPECT_THROW(throw EBiggerThanUncompressed(""), Exception);
    EXPECT_THROW(throw ENotEnoughRoom(""), Exception);
    EXPECT_THROW(throw ECantWriteUCF(""), Exception);
}

} // namespace
