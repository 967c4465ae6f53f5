// The album settings text, byte for byte, the values it carries whole
// whatever their bytes, and the entry names.
#include <gtest/gtest.h>

#include "AlbumFile.h"
#include "CarriedValue.h"
#include "TempDir.h"
#include "files/IniFiles.h"

namespace pictoalbum {

TEST(AlbumFileTest, SettingsTextHasAPictureSectionEachThenTheSettingsLast)
{
    const struct {
        const char* name;
        TAlbumSettingsText settings;
        std::string expected;
    } cases[] = {
        {"no pictures", {{}, true, "Trip", false}, "[Settings]\r\nAllowSave=1\r\nTitle=Trip\r\nShowSlide=0\r\n"},
        {"two pictures",
         {{{"/photos/a.jpg", "Beach"}, {"Image2", std::string("\x01\r\x00q", 4)}}, false, "", true},
         "[Image1]\r\nPicture=/photos/a.jpg\r\nCaption=Beach\r\n\r\n"
         "[Image2]\r\nPicture=Image2\r\nCaption=\x01\r\nCaptionHex=010D0071\r\n\r\n"
         "[Settings]\r\nAllowSave=0\r\nTitle=\r\nShowSlide=1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AlbumSettingsFileText(c.settings), c.expected);
    }
}

// Names a Linux file may have and a title may hold. The first shows the
// fault of old: written raw, its line breaks became a "[Settings]" section
// of its own, which the viewer read first.
const std::string HostileValues[] = {
    "/photos/evil\n[Settings]\nTitle=Injected\nAllowSave=0\nz.jpg",
    "/photos/two words.jpg",
    "/photos/\"quoted\" and 'single'.jpg",
    "/photos/* ? < > | \\.jpg",
    "/photos/caf\xE9 \xFF\xFE.jpg",
    "/photos/trailing blank ",
    "\"/photos/in quotes.jpg\"",
    "/photos/cr\rlf\r\n.jpg",
    "/photos" + std::string(4000, 'x') + ".jpg",
};

TEST(AlbumFileTest, NoSourceOrTitleBreaksALineOfTheSettingsFile)
{
    for (const std::string& value : HostileValues) {
        SCOPED_TRACE(value);
        TAlbumSettingsText settings{{{value, "Caption"}}, true, "Trip", false};
        const TempDir dir;
        const TIniFile ini(dir.Write("pictoview.ini", AlbumSettingsFileText(settings)));
        EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Image1", "Settings"}));
        EXPECT_EQ(ReadCarriedValue(ini, "Image1", "Picture", ""), value);
        EXPECT_EQ(ini.ReadString("Settings", "Title", ""), "Trip");
        EXPECT_TRUE(ini.ReadBool("Settings", "AllowSave", false));

        settings.Title = value;
        const TIniFile titled(dir.Write("pictoview.ini", AlbumSettingsFileText(settings)));
        EXPECT_EQ(ReadCarriedValue(titled, "Settings", "Title", ""), value);
        EXPECT_EQ(titled.ReadSections(), (std::vector<std::string>{"Image1", "Settings"}));
    }
}

TEST(AlbumFileTest, AValueALineCarriesKeepsItsPlainKeyAlone)
{
    // What Windows-made readers take: the plain key, with no companion.
    const TAlbumSettingsText settings{{{"/photos/a b.jpg", "Beach"}}, true, "Trip", false};
    const std::string text = AlbumSettingsFileText(settings);
    EXPECT_NE(text.find("Picture=/photos/a b.jpg\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Hex="), std::string::npos);
}

TEST(AlbumFileTest, EntryNamesFollowThePictureNumber)
{
    EXPECT_EQ(AlbumSettingsEntryName, "pictoview.ini");
    EXPECT_EQ(AlbumPictureEntryName(1), "Image1.jpg");
    EXPECT_EQ(AlbumPictureEntryName(300), "Image300.jpg");
}

} // namespace pictoalbum
