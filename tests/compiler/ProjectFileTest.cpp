// The project file's rules without windows: which keys, in which order, how
// scrambled values are carried and read back, and what hostile files give.
#include "ProjectFile.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "FileSizeLimit.h"
#include "KeyWordScrambling.h"
#include "TempDir.h"
#include "files/IniFiles.h"

namespace pictomake {

namespace {

const TAlbumSettings Holiday{"secret", false, "Summer 2026", true};

std::vector<TProjectPicture> Pictures(int count)
{
    std::vector<TProjectPicture> pictures;
    for (int n = 1; n <= count; ++n)
        pictures.push_back({"/photos/p" + std::to_string(n) + ".jpg", "caption " + std::to_string(n), n % 2 == 0});
    return pictures;
}

} // namespace

TEST(ProjectFileTest, WritesPicturesThenSettingsInOrder)
{
    TempDir dir;
    const std::string file = dir.File("trip.pxp");
    TProjectFile(file).Save({{"/photos/a.jpg", "Beach", false}}, {"", true, "Trip", false});
    EXPECT_EQ(ReadFileBytes(file), "[Image1]\r\nPicture=/photos/a.jpg\r\nCaption=Beach\r\nEncrypt=0\r\n\r\n"
                                   "[Settings]\r\nPassword=\"\"\r\nAllowSave=1\r\nTitle=Trip\r\nShowSlide=0\r\n");
}

TEST(ProjectFileTest, RoundTripsPicturesAndSettings)
{
    TempDir dir;
    const TProjectFile project(dir.File("trip.pxp"));
    project.Save(Pictures(3), Holiday);
    EXPECT_EQ(project.Pictures(), Pictures(3));
    EXPECT_EQ(project.Settings(), Holiday);
    // The password is not there as plain text.
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxp")).find("secret"), std::string::npos);
}

TEST(ProjectFileTest, ShrinkingRemovesTheLeftOverSectionsAndKeepsTheRest)
{
    TempDir dir;
    const std::string file = dir.File("trip.pxp");
    TProjectFile(file).Save(Pictures(5), Holiday);
    TIniFile(file).WriteString("Notes", "Author", "Ann");
    TProjectFile(file).Save(Pictures(3), Holiday);
    const TIniFile ini(file);
    EXPECT_FALSE(ini.SectionExists("Image4"));
    EXPECT_FALSE(ini.SectionExists("Image5"));
    EXPECT_EQ(ini.ReadString("Notes", "Author", ""), "Ann");
    EXPECT_EQ(TProjectFile(file).Pictures(), Pictures(3));
}

TEST(ProjectFileTest, ScrambledBytesAnIniLineCannotCarrySurviveInTheCompanionKey)
{
    const std::string awkward[] = {
        std::string("a\0b", 3), "line\r\nbreak", " blanks ", "\"quoted\"", "'single'", std::string(1, '\0'),
    };
    for (const std::string& caption : awkward) {
        SCOPED_TRACE(caption);
        TempDir dir;
        const TProjectFile project(dir.File("trip.pxp"));
        project.Save({{"/photos/a.jpg", caption, true}}, Holiday);
        EXPECT_EQ(project.Pictures().at(0).Caption, caption);
        const std::string text = ReadFileBytes(dir.File("trip.pxp"));
        EXPECT_NE(text.find("CaptionHex="), std::string::npos);
        // Still one line per key: nothing of the value broke the file.
        EXPECT_TRUE(TIniFile(dir.File("trip.pxp")).SectionExists("Settings"));
    }
}

TEST(ProjectFileTest, SourcesAndTitlesOfAnyBytesComeBackWhole)
{
    // The first used to be cut at its line break, its source lost.
    const std::string hostile[] = {
        "/photos/evil\n[Settings]\nTitle=Injected\nAllowSave=0\nz.jpg",
        "/photos/two words.jpg",
        "/photos/\"quoted\" and 'single'.jpg",
        "/photos/* ? < > | \\.jpg",
        "/photos/caf\xE9 \xFF\xFE.jpg",
        "/photos/trailing blank ",
        "\"/photos/in quotes.jpg\"",
        std::string("\n/photos/starts with a line break.jpg"),
        // As long as a Linux path may be, past what a line's read hands out.
        "/photos" + std::string(4000, 'x') + ".jpg",
    };
    for (const std::string& value : hostile) {
        SCOPED_TRACE(value);
        TempDir dir;
        const TProjectFile project(dir.File("trip.pxp"));
        const std::vector<TProjectPicture> pictures = {{"/photos/a.jpg", "a", false}, {value, "caption", false}};
        const TAlbumSettings settings{"secret", true, value, false};
        project.Save(pictures, settings);
        EXPECT_EQ(project.Pictures(), pictures);
        EXPECT_EQ(project.Settings(), settings);
        EXPECT_EQ(TIniFile(dir.File("trip.pxp")).ReadSections(),
                  (std::vector<std::string>{"Image1", "Image2", "Settings"}));
        // Saved again with one picture fewer, the left-over section goes.
        project.Save({pictures[0]}, settings);
        EXPECT_EQ(project.Pictures(), (std::vector<TProjectPicture>{pictures[0]}));
        EXPECT_FALSE(TIniFile(dir.File("trip.pxp")).SectionExists("Image2"));
    }
}

// The Windows compiler and our older versions rewrite a plain key in place
// and leave a companion they do not know: their newer value wins.
TEST(ProjectFileTest, APlainKeyRewrittenByAProgramThatKnowsNoCompanionWins)
{
    TempDir dir;
    const TProjectFile project(dir.File("trip.pxp"));
    const std::string oddSource = "/photos/trailing blank ";
    const TAlbumSettings settings{"secret", true, "\"Quoted Title\"", false};
    project.Save({{oddSource, "caption", false}}, settings);
    {
        TIniFile other(dir.File("trip.pxp"));
        other.WriteString("Settings", "Title", "Holiday");
        other.WriteString("Image1", "Picture", "/photos/other.jpg");
    }
    EXPECT_EQ(project.Settings().Title, "Holiday");
    EXPECT_EQ(project.Pictures().at(0).Source, "/photos/other.jpg");

    // Left alone, the companions still give the whole values.
    project.Save({{oddSource, "caption", false}}, settings);
    EXPECT_EQ(project.Settings().Title, "\"Quoted Title\"");
    EXPECT_EQ(project.Pictures().at(0).Source, oddSource);
}

TEST(ProjectFileTest, APasswordThatScramblesToAZeroByteSurvives)
{
    // The fixed key word's high byte is '5', so a password starting with it
    // scrambles to a zero byte first.
    ASSERT_EQ(pictoalbum::Encrypt("5ecret", pictoalbum::PasswordKeyWord).front(), '\0');
    TempDir dir;
    const TProjectFile project(dir.File("trip.pxp"));
    project.Save({}, {"5ecret", true, "", false});
    EXPECT_EQ(project.Settings().Password, "5ecret");
    EXPECT_NE(ReadFileBytes(dir.File("trip.pxp")).find("PasswordHex="), std::string::npos);
}

TEST(ProjectFileTest, ACaptionThatNoLongerNeedsItsCompanionLosesIt)
{
    TempDir dir;
    const TProjectFile project(dir.File("trip.pxp"));
    project.Save({{"/photos/a.jpg", " padded ", false}}, Holiday);
    project.Save({{"/photos/a.jpg", "plain", false}}, Holiday);
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxp")).find("CaptionHex"), std::string::npos);
    EXPECT_EQ(project.Pictures().at(0).Caption, "plain");
}

TEST(ProjectFileTest, AFileFromWindowsReadsAsWritten)
{
    TempDir dir;
    const std::string scrambled = pictoalbum::Encrypt("Caf\xE9", pictoalbum::GetWordPass("pw"));
    const std::string password = pictoalbum::Encrypt("pw", pictoalbum::PasswordKeyWord);
    const std::string file = dir.Write("trip.pxp", "[Image1]\r\nPicture=C:\\Photos\\caf\xE9.jpg\r\nCaption=Caf\xE9 "
                                                   "au lait\r\nEncrypt=0\r\n\r\n[Image2]\r\nPicture=Image2\r\n"
                                                   "Caption=" + scrambled + "\r\nEncrypt=1\r\n\r\n[Settings]\r\n"
                                                   "Password=\"" + password + "\"\r\nAllowSave=0\r\nTitle=F\xEAte\r\n");
    const TProjectFile project(file);
    const std::vector<TProjectPicture> expected = {{"C:\\Photos\\caf\xE9.jpg", "Caf\xE9 au lait", false},
                                                   {"Image2", scrambled, true}};
    EXPECT_EQ(project.Pictures(), expected);
    EXPECT_EQ(project.Settings(), (TAlbumSettings{"pw", false, "F\xEAte", false}));
    EXPECT_EQ(ReadableCaption(scrambled, true, "pw"), "Caf\xE9");
}

TEST(ProjectFileTest, AProjectWithoutSettingsOpensWithTheDefaults)
{
    TempDir dir;
    const TProjectFile project(dir.Write("trip.pxp", "[Image1]\r\nPicture=a.jpg\r\n"));
    EXPECT_EQ(project.Settings(), (TAlbumSettings{"", true, "", false}));
    EXPECT_EQ(project.Pictures(), (std::vector<TProjectPicture>{{"a.jpg", "Put Caption Here", false}}));
}

TEST(ProjectFileTest, HostileFilesReadAsFarAsTheyMakeSense)
{
    const struct {
        const char* name;
        std::string text;
        std::size_t pictures;
    } cases[] = {
        {"no keys at all", "[Image1]\r\n[Settings]\r\n", 0},
        {"a gap in the numbers", "[Image1]\r\nPicture=a\r\n[Image3]\r\nPicture=c\r\n", 1},
        {"bad numbers", "[Image1]\r\nPicture=a\r\nEncrypt=yes\r\n[Settings]\r\nAllowSave=-\r\nShowSlide=9x\r\n", 1},
        {"a 100 kB value", "[Image1]\r\nPicture=" + std::string(100000, 'p') + "\r\nCaption=" +
                               std::string(100000, 'c') + "\r\n", 1},
        {"a bad companion", "[Image1]\r\nPicture=a\r\nCaption=kept\r\nCaptionHex=XYZ\r\n", 1},
        {"binary garbage", std::string("\x00\xff[\x01=\n\r]]]=\x7f\x80[Image1\x00]\nPicture\n=", 33), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const TProjectFile project(dir.Write("bad.pxp", c.text));
        const std::vector<TProjectPicture> pictures = project.Pictures();
        EXPECT_EQ(pictures.size(), c.pictures);
        for (const TProjectPicture& picture : pictures) {
            EXPECT_LE(picture.Source.size(), MaxIniValueLength);
            EXPECT_LE(picture.Caption.size(), MaxIniValueLength);
            EXPECT_FALSE(picture.Protected);
        }
        const TAlbumSettings settings = project.Settings();
        EXPECT_TRUE(settings.AllowSave);
        EXPECT_FALSE(settings.ShowSlide);
    }
    TempDir dir;
    const TProjectFile companion(dir.Write("bad.pxp", "[Image1]\r\nPicture=a\r\nCaption=kept\r\nCaptionHex=XYZ\r\n"));
    EXPECT_EQ(companion.Pictures().at(0).Caption, "kept");
}

TEST(ProjectFileTest, AFailedSaveLeavesTheOldProject)
{
    TempDir dir;
    const std::string file = dir.File("trip.pxp");
    TProjectFile(file).Save(Pictures(2), Holiday);
    const std::string before = ReadFileBytes(file);
    {
        // A full disk: no file may grow past a few bytes, whoever we are.
        const FileSizeLimit full(16);
        try {
            TProjectFile(file).Save(Pictures(1), Holiday);
            ADD_FAILURE() << "no error";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.what(), "Unable to write to " + file + ": File too large");
        }
    }
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ProjectFileTest, TheAlbumsNameIsTheFileNameUpToItsFirstDot)
{
    EXPECT_EQ(AlbumNameOf("/albums/trip.pxp"), "trip");
    EXPECT_EQ(AlbumNameOf("/albums/trip.2026.pxp"), "trip");
    EXPECT_EQ(AlbumNameOf("/albums/trip"), "");
}

} // namespace pictomake
