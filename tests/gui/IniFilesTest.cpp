#include "files/IniFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "files/TextCodec.h"

namespace {

const char* const kLines[] = {
    "; written by hand",
    "[Settings]",
    "Title =  My Album  ",
    "Quoted=\"  spaced  \"",
    "Single='x'",
    "Mismatch=\"abc'",
    "OneQuote=\"",
    "Empty=",
    "  AllowSave = 1",
    "Count= -42 ",
    "Plus=+7",
    "Bad=12abc",
    "Huge=99999999999",
    "NoEquals",
    "",
    "[ image1 ]",
    "Picture=/photos/a.jpg",
    "Caption=First\tone\t",
    "[Settings]",
    "Title=second section of the same name",
};

std::string Joined(const char* end)
{
    std::string text;
    for (const char* line : kLines)
        text += std::string(line) + end;
    return text;
}

}  // namespace

TEST(IniFile, ReadsValuesByTheProfileRules)
{
    struct Case {
        const char *section, *key, *defaultValue, *expected;
    };
    const Case cases[] = {
        {"Settings", "Title", "-", "My Album"},
        {"settings", "TITLE", "-", "My Album"},
        {"Settings", "Quoted", "-", "  spaced  "},
        {"Settings", "Single", "-", "x"},
        {"Settings", "Mismatch", "-", "\"abc'"},
        {"Settings", "OneQuote", "-", "\""},
        {"Settings", "Empty", "-", ""},
        {"Settings", "AllowSave", "-", "1"},
        {"Settings", "Missing", "fallback", "fallback"},
        {"Settings", "NoEquals", "-", "-"},
        {"Image1", "Picture", "-", "/photos/a.jpg"},
        {"IMAGE1", "caption", "-", "First\tone"},
        {"Image2", "Picture", "", ""},
        {"Image1", "Title", "-", "-"},
    };
    for (const char* end : {"\r\n", "\n"}) {
        TempDir dir;
        TIniFile ini(dir.Write("album.pxp", Joined(end)));
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (end[0] == '\r' ? "CRLF " : "LF ") << c.section << "/" << c.key);
            EXPECT_EQ(ini.ReadString(c.section, c.key, c.defaultValue), c.expected);
        }
    }
}

TEST(IniFile, ReadsIntegersAndBooleans)
{
    TempDir dir;
    TIniFile ini(dir.Write("album.pxp", Joined("\r\n")));
    struct Case {
        const char* key;
        int defaultValue, expected;
    };
    const Case cases[] = {{"AllowSave", 5, 1}, {"Count", 5, -42}, {"Plus", 5, 7},   {"Bad", 5, 5},
                          {"Huge", 5, 5},      {"Empty", 5, 5},   {"Missing", 5, 5}, {"Title", 5, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.ReadInteger("Settings", c.key, c.defaultValue), c.expected);
    }
    EXPECT_TRUE(ini.ReadBool("Settings", "AllowSave", false));
    EXPECT_TRUE(ini.ReadBool("Settings", "Count", false));
    EXPECT_FALSE(ini.ReadBool("Settings", "Bad", false));
    EXPECT_TRUE(ini.ReadBool("Settings", "Missing", true));
    EXPECT_FALSE(ini.ReadBool("Nowhere", "Missing", false));
}

TEST(IniFile, ListsSectionsAndKeys)
{
    TempDir dir;
    TIniFile ini(dir.Write("album.pxp", Joined("\n")));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Settings", "image1"}));
    EXPECT_EQ(ini.ReadSection("IMAGE1"), (std::vector<std::string>{"Picture", "Caption"}));
    EXPECT_EQ(ini.ReadSection("Nowhere"), std::vector<std::string>{});
    EXPECT_TRUE(ini.SectionExists("image1"));
    EXPECT_FALSE(ini.SectionExists("image2"));
    EXPECT_TRUE(ini.ValueExists("settings", "empty"));
    EXPECT_FALSE(ini.ValueExists("settings", "NoEquals"));
}

TEST(IniFile, WritesInPlaceAtSectionEndsAndNewSectionsAtTheEnd)
{
    TempDir dir;
    const std::string file = dir.Write("album.pxp", "[Image1]\nPicture=a.jpg\nCaption=old\n\n[Settings]\nTitle=T\n");
    TIniFile ini(file);
    ini.WriteString("image1", "CAPTION", "new");
    ini.WriteBool("Image1", "Encrypt", true);
    ini.WriteInteger("Settings", "Count", -3);
    ini.WriteString("Image2", "Picture", "b.jpg");
    EXPECT_EQ(ReadFileBytes(file), "[Image1]\r\nPicture=a.jpg\r\nCAPTION=new\r\nEncrypt=1\r\n\r\n"
                                   "[Settings]\r\nTitle=T\r\nCount=-3\r\n\r\n[Image2]\r\nPicture=b.jpg\r\n");
    EXPECT_EQ(TIniFile(file).ReadString("Image1", "Caption", ""), "new");
    EXPECT_FALSE(TIniFile(file).ReadBool("Image2", "Encrypt", false));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(IniFile, CreatesAMissingFileOnTheFirstWrite)
{
    TempDir dir;
    TIniFile ini(dir.File("new.pxp"));
    EXPECT_EQ(ini.ReadString("Settings", "Title", "Untitled"), "Untitled");
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.pxp")));
    ini.WriteString("Settings", "Password", "\"quoted\"");
    ini.WriteString("Settings", "Title", "two\r\nlines");
    EXPECT_EQ(ReadFileBytes(dir.File("new.pxp")), "[Settings]\r\nPassword=\"quoted\"\r\nTitle=two\r\n");
    EXPECT_EQ(ini.ReadString("Settings", "Password", ""), "quoted");
}

TEST(IniFile, ErasesSectionsAndDeletesKeys)
{
    TempDir dir;
    const std::string file =
        dir.Write("album.pxp", "[Image1]\r\nPicture=a\r\n[Image2]\r\nPicture=b\r\nCaption=c\r\n[Settings]\r\nTitle=T\r\n");
    TIniFile ini(file);
    ini.EraseSection("image2");
    ini.DeleteKey("Settings", "title");
    ini.EraseSection("Image9");
    ini.DeleteKey("Image1", "Missing");
    EXPECT_EQ(ReadFileBytes(file), "[Image1]\r\nPicture=a\r\n[Settings]\r\n");
    EXPECT_FALSE(ini.SectionExists("Image2"));
}

TEST(IniFile, FailedWriteRaisesAndChangesNothing)
{
    TempDir dir;
    const std::string file = dir.File("no/such/folder/album.pxp");
    TIniFile ini(file);
    try {
        ini.WriteString("Settings", "Title", "T");
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.what(), "Unable to write to " + file + ": No such file or directory");
    }
    EXPECT_FALSE(ini.ValueExists("Settings", "Title"));
}

TEST(MemIniFile, WritesNothingBeforeUpdateFileAndThenTheWhole)
{
    TempDir dir;
    const std::string file = dir.Write("album.pxp", "[Image1]\r\nPicture=a.jpg\r\n");
    TMemIniFile ini(file);
    ini.WriteString("Image1", "Caption", "c");
    ini.EraseSection("Image2");
    ini.WriteBool("Settings", "AllowSave", true);
    EXPECT_EQ(ReadFileBytes(file), "[Image1]\r\nPicture=a.jpg\r\n");
    EXPECT_EQ(ini.ReadString("Image1", "Caption", ""), "c");
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(file), "[Image1]\r\nPicture=a.jpg\r\nCaption=c\r\n\r\n[Settings]\r\nAllowSave=1\r\n");
}

TEST(MemIniFile, FailedUpdateRaisesAndLeavesTheFile)
{
    TempDir dir;
    const std::string file = dir.File("no/such/folder/album.pxp");
    TMemIniFile ini(file);
    ini.WriteString("Settings", "Title", "T");
    try {
        ini.UpdateFile();
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.what(), "Unable to write to " + file + ": No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(IniFile, TellsWhichValuesSurviveARoundTrip)
{
    const struct {
        std::string value;
        bool survives;
    } cases[] = {
        {"", true},
        {"plain caption", true},
        {"in \"middle\" quotes", true},
        {"\"one side", true},
        {"\"both\"", false},
        {"'both'", false},
        {" leading", false},
        {"trailing\t", false},
        {std::string("zero\0byte", 9), false},
        {"line\nbreak", false},
        {"cr\r", false},
        {std::string(2047, 'x'), true},
        {std::string(2048, 'x'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(SurvivesIniValue(c.value), c.survives);
    }
}

TEST(IniFile, KeepsEightBitBytes)
{
    TempDir dir;
    const std::string caption = "Caf\xE9 \x80 \x01\xFF";
    const std::string file = dir.Write("album.pxp", "[Image1]\r\nCaption=" + caption + "\r\nLong=" +
                                                        std::string(3000, 'a') + "\r\nZero=ab" +
                                                        std::string(1, '\0') + "cd\r\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("Image1", "Caption", ""), caption);
    EXPECT_EQ(ini.ReadString("Image1", "Long", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.ReadWholeString("Image1", "Long", ""), std::string(3000, 'a'));
    EXPECT_EQ(ini.ReadString("Image1", "Zero", ""), "ab");
    EXPECT_EQ(ini.ReadWholeString("Image1", "Zero", ""), "ab");
    EXPECT_EQ(ini.ReadWholeString("Image1", "Missing", "none"), "none");
    ini.WriteString("Image1", "Caption", "\xE9\xE8");
    EXPECT_EQ(ReadFileBytes(file).substr(0, 22), "[Image1]\r\nCaption=\xE9\xE8\r\n");
}

TEST(TextCodec, ValidUtf8StaysUtf8AndTheRestIsWindows1252)
{
    EXPECT_EQ(BytesToQString("Caf\xC3\xA9"), QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(BytesToQString("Caf\xE9 \x80"), QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"));
    EXPECT_EQ(BytesToQString("\x93quoted\x94"), QString::fromUtf8("\xE2\x80\x9Cquoted\xE2\x80\x9D"));
    for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF plain"));

    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD x"), "? x");
    EXPECT_EQ(QStringToBytes(QString::fromUtf8("\xC3\xA9")), "\xC3\xA9");
}
