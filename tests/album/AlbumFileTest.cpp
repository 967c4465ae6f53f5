// The album settings text, byte for byte, and the entry names.
#include <gtest/gtest.h>

#include "AlbumFile.h"

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

TEST(AlbumFileTest, EntryNamesFollowThePictureNumber)
{
    EXPECT_EQ(AlbumSettingsEntryName, "pictoview.ini");
    EXPECT_EQ(AlbumPictureEntryName(1), "Image1.jpg");
    EXPECT_EQ(AlbumPictureEntryName(300), "Image300.jpg");
}

} // namespace pictoalbum
