// The album file as Save writes it, read by the peers: entry names and
// order, encryption only where a protected picture meets a password, the
// settings text byte for byte, JPEG pictures as they were and others
// converted; locked and empty pictures kept in their places; one password
// question per save; a failed save that loses nothing.
#include <filesystem>
#include <optional>

#include "AlbumWindowFixture.h"
#include "FileSizeLimit.h"
#include "HeldPicture.h"
#include "KeyWordScrambling.h"
#include "PeerCheck.h"
#include "ProjectFile.h"
#include "ScriptedDialogs.h"

namespace pictomake {

namespace {

class AlbumSaveTest : public AlbumWindowFixture {};

int JpegWidth(const std::string& bytes)
{
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    return jpeg.Width();
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(AlbumSaveTest, TheAlbumFileHoldsTheSettingsThenThePicturesInOrder)
{
    NewWindow();
    const std::string beach = dir.Write("beach.jpg", PictureOfSize(41, 30, true));
    const std::string hut = dir.Write("hut.bmp", PictureOfSize(42, 30, false));
    const std::string dunes = dir.Write("dunes.jpg", PictureOfSize(43, 30, true));
    AddFromFile(beach, "Beach", false);
    AddFromFile(hut, "Hut", true);
    AddFromFile(dunes, "Dunes", true);
    form->Title->SetText("Summer");
    settings.dialog.SetSettings({"secret", false, "Summer", true});
    form->ProjectFileName = dir.File("trip.pxp");
    form->Save1Click(nullptr);
    EXPECT_EQ(FolderNames(dir.Path()),
              (std::vector<std::string>{"beach.jpg", "dunes.jpg", "hut.bmp", "pictoria", "trip.pxa", "trip.pxp"}))
        << "nothing left behind";

    const std::string album = dir.File("trip.pxa");
    const TAlbumListing listing = ListAlbum(dir, album);
    EXPECT_EQ(listing.Names, (std::vector<std::string>{"/pictoview.ini", "/Image1.jpg", "/Image2.jpg", "/Image3.jpg"}));
    EXPECT_EQ(listing.Encrypted, (std::vector<bool>{false, false, true, true}));
    const std::string unzipListing = RunChecked("unzip -l " + ShellQuote(album));
    EXPECT_LT(unzipListing.find("/pictoview.ini"), unzipListing.find("/Image1.jpg"));
    EXPECT_LT(unzipListing.find("/Image1.jpg"), unzipListing.find("/Image2.jpg"));
    EXPECT_LT(unzipListing.find("/Image2.jpg"), unzipListing.find("/Image3.jpg"));
    ExpectPeersAccept(dir, album, "secret");

    const std::uint16_t key = pictoalbum::GetWordPass("secret");
    std::map<std::string, std::string> entries = PythonEntries(dir, album, "secret");
    EXPECT_EQ(entries["/pictoview.ini"], "[Image1]\r\nPicture=" + beach + "\r\nCaption=Beach\r\n\r\n"
                                         "[Image2]\r\nPicture=" + hut + "\r\nCaption=" +
                                             pictoalbum::Encrypt("Hut", key) + "\r\n\r\n"
                                         "[Image3]\r\nPicture=" + dunes + "\r\nCaption=" +
                                             pictoalbum::Encrypt("Dunes", key) + "\r\n\r\n"
                                         "[Settings]\r\nAllowSave=0\r\nTitle=Summer\r\nShowSlide=1\r\n");
    EXPECT_EQ(entries["/Image1.jpg"], ReadFileBytes(beach));
    EXPECT_EQ(entries["/Image2.jpg"].substr(0, 2), "\xFF\xD8") << "the bitmap is stored as JPEG";
    EXPECT_EQ(JpegWidth(entries["/Image2.jpg"]), 42);
    EXPECT_EQ(entries["/Image3.jpg"], ReadFileBytes(dunes));
    EXPECT_TRUE(std::filesystem::exists(dir.File("trip.pxp")));
    EXPECT_FALSE(form->Modified);
}

TEST_F(AlbumSaveTest, OneNoPasswordQuestionPerSave)
{
    const struct {
        const char* name;
        std::optional<std::string> answer;
        bool encrypted;
    } cases[] = {
        {"cancelled", std::nullopt, false},
        {"left blank", "", false},
        {"given", "pw", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewWindow();
        const std::string beach = dir.Write("beach.jpg", PictureOfSize(41, 30, true));
        AddFromFile(beach, "One", true);
        AddFromFile(beach, "Two", true);
        form->Title->SetText("Trip");
        form->ProjectFileName = dir.File("trip.pxp");
        ScriptedDialogs dialogs;
        dialogs.ExpectInputQuery("No Password", "Please enter a Password or leave blank to Disable Password.",
                                 c.answer);
        form->Save1Click(nullptr);
        dialogs.Verify();
        EXPECT_TRUE(dialogs.LastQueryMasked()) << "the password shows as stars";
        const TAlbumListing listing = ListAlbum(dir, dir.File("trip.pxa"));
        EXPECT_EQ(listing.Encrypted, (std::vector<bool>{false, c.encrypted, c.encrypted}));
        EXPECT_EQ(settings.dialog.Edit2->Text(), c.answer.value_or(""));
        EXPECT_EQ(TProjectFile(dir.File("trip.pxp")).Settings().Password, c.answer.value_or(""));
    }
}

TEST_F(AlbumSaveTest, LockedAndEmptyPicturesKeepTheirPlaces)
{
    NewWindow();
    const std::string beach = dir.Write("beach.jpg", PictureOfSize(41, 30, true));
    const std::string dunes = dir.Write("dunes.jpg", PictureOfSize(43, 30, true));
    AddFromFile(beach, "Beach", false);
    AddFromFile(dunes, "Dunes", true);
    form->Title->SetText("Trip");
    settings.dialog.SetSettings({"secret", true, "Trip", false});
    form->ProjectFileName = dir.File("trip.pxp");
    form->Save1Click(nullptr);
    const std::string album = dir.File("trip.pxa");
    const std::string settingsBefore = PythonEntries(dir, album, "secret")["/pictoview.ini"];

    NewWindow();
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", std::nullopt);
        form->OpenProject(dir.File("trip.pxp"));
    }
    ASSERT_NE(AsHeldPicture(form->GetTImageofX(2)->Picture().Graphic()), nullptr);
    AddFromFile("", "Nothing yet", false);
    AddFromFile(beach, "Beach again", false);
    form->Save1Click(nullptr);

    std::map<std::string, std::string> entries = PythonEntries(dir, album, "secret");
    EXPECT_EQ(ListAlbum(dir, album).Encrypted, (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(entries["/Image2.jpg"], ReadFileBytes(dunes)) << "the locked picture, still readable with its password";
    EXPECT_EQ(entries["/Image3.jpg"].substr(0, 2), "\xFF\xD8") << "a placeholder picture";
    EXPECT_EQ(entries["/Image4.jpg"], ReadFileBytes(beach));
    const std::string settingsAfter = entries["/pictoview.ini"];
    EXPECT_EQ(settingsAfter.substr(0, settingsBefore.find("[Settings]")),
              settingsBefore.substr(0, settingsBefore.find("[Settings]")))
        << "the locked picture's scrambled caption is written back unchanged";
}

TEST_F(AlbumSaveTest, AFailedSaveLeavesBothFilesAsTheyWere)
{
    NamedAlbum(dir.File("trip.pxp"));
    form->Save1Click(nullptr);
    const std::string albumBefore = ReadFileBytes(dir.File("trip.pxa"));
    const std::string projectBefore = ReadFileBytes(dir.File("trip.pxp"));
    const std::vector<std::string> namesBefore = FolderNames(dir.Path());

    Edit(1).SetText("Changed");
    form->Modified = true;
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Pictoria Compiler", "The album could not be saved: Not enough room to write archive",
                                 IDOK);
        // A full disk: no file may grow past a few bytes.
        const FileSizeLimit full(16);
        form->Save1Click(nullptr);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxa")), albumBefore);
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxp")), projectBefore);
    EXPECT_EQ(FolderNames(dir.Path()), namesBefore);
    EXPECT_TRUE(form->Modified);

    // The project file cannot be read or written (a folder stands in its
    // place): the album file stays as it was too.
    std::filesystem::remove(dir.File("trip.pxp"));
    std::filesystem::create_directory(dir.File("trip.pxp"));
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Pictoria Compiler",
                                 "The album could not be saved: Unable to write to " + dir.File("trip.pxp") +
                                     ": Is a directory",
                                 IDOK);
        form->Save1Click(nullptr);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxa")), albumBefore);
    EXPECT_EQ(FolderNames(dir.Path()), namesBefore);
    EXPECT_TRUE(form->Modified);
}

// A file or folder of the user's under any name beside the album is no
// save's leftover: a save neither needs it gone nor touches it.
TEST_F(AlbumSaveTest, WhatLiesBesideTheAlbumIsLeftAlone)
{
    NamedAlbum(dir.File("trip.pxp"));
    form->Save1Click(nullptr);
    // A folder that is not empty cannot be removed, even by root.
    dir.Write("trip.pxa-saving/kept.txt", "kept");
    Edit(1).SetText("Changed");
    form->Modified = true;
    {
        ScriptedDialogs dialogs;
        form->Save1Click(nullptr);
    }
    EXPECT_FALSE(form->Modified);
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxa-saving/kept.txt")), "kept");
    EXPECT_EQ(FolderNames(dir.Path()),
              (std::vector<std::string>{"beach.jpg", "pictoria", "trip.pxa", "trip.pxa-saving", "trip.pxp"}));
}

// Names up to the system's limit (255 bytes with ".pxp") are saved under
// the name given, with nothing else left beside them.
TEST_F(AlbumSaveTest, LongNamesAreSavedUpToTheSystemsLimit)
{
    for (const std::size_t length : {244u, 250u, 251u}) {
        SCOPED_TRACE(length);
        const std::filesystem::path folder = dir.Path() / ("names" + std::to_string(length));
        std::filesystem::create_directories(folder);
        const std::string name(length, 'n');
        NamedAlbum((folder / (name + ".pxp")).string());
        {
            ScriptedDialogs dialogs;
            form->Save1Click(nullptr);
        }
        EXPECT_FALSE(form->Modified);
        EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{name + ".pxa", name + ".pxp"}));
        EXPECT_EQ(TProjectFile((folder / (name + ".pxp")).string()).Pictures().size(), 1u);
        EXPECT_EQ(ListAlbum(dir, (folder / (name + ".pxa")).string()).Names.size(), 2u);
    }
}

// A name past the limit, or a folder that is gone: the message names the
// album's file and the system's reason, and nothing is left behind.
TEST_F(AlbumSaveTest, AnImpossibleNameIsRefusedWithTheReason)
{
    const std::string tooLong = dir.Folder() + "long/" + std::string(252, 'n');
    std::filesystem::create_directories(dir.File("long"));
    const struct {
        const char* name;
        std::string project;
        std::string message;
    } cases[] = {
        {"a name past the limit", tooLong + ".pxp", "Unable to write to " + tooLong + ".pxp: File name too long"},
        {"a folder that is gone", dir.File("gone/trip.pxp"),
         "Cannot create file \"" + dir.File("gone/trip.pxa") + "\". No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NamedAlbum(c.project);
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectMessageBox("Pictoria Compiler", "The album could not be saved: " + c.message, IDOK);
            form->Save1Click(nullptr);
        }
        EXPECT_TRUE(form->Modified);
        EXPECT_TRUE(FolderNames(dir.File("long")).empty());
    }
}

} // namespace pictomake
