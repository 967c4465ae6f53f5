#include "MainForm.h"

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Format.h"
#include "ScriptedDialogs.h"
#include "SettingsDialogScope.h"
#include "TempDir.h"
#include "GuiTestApp.h"

namespace pictomake {

namespace {

class FakeRegistrar : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>& keys) override
    {
        calls.push_back(keys);
        if (keys.front().Key == failingType)
            throw ERegistryException("");
    }
    std::vector<std::vector<TFileTypeKey>> calls;
    std::string failingType; // its extension key, "/.pxa" or "/.pxp"
};

enum class Dialog { None, OpenCancelled, OpenChoosesProject };

struct StartupCase {
    const char* name;
    std::optional<std::string> parameter; // a file name in the test folder
    bool viewerBeside;
    std::string failingType; // "" when every registration succeeds
    Dialog dialog;
    bool registersAlbums;
    std::string expectedMessage; // "" for none
    std::string projectFile;     // a file name in the test folder, or "Untitled"
    std::string caption;
};

void PrintTo(const StartupCase& row, std::ostream* out)
{
    *out << row.name;
}

const std::string OpenTitle = "Open an Album or click Cancel for New Album";
const std::string OpenFilter = "Album File (*.pxp)|*.pxp";

const StartupCase StartupCases[] = {
    {"no parameter, viewer beside, cancelled", std::nullopt, true, "", Dialog::OpenCancelled, true, "",
     "Untitled", "Untitled - Pictoria"},
    {"no parameter, no viewer, cancelled", std::nullopt, false, "", Dialog::OpenCancelled, false, "",
     "Untitled", "Untitled - Pictoria"},
    {"no parameter, project chosen", std::nullopt, true, "", Dialog::OpenChoosesProject, true, "",
     "trip.pxp", " (trip.pxp) - Pictoria"},
    {"parameter, viewer beside", std::string("trip.pxp"), true, "", Dialog::None, false, "", "trip.pxp",
     " (trip.pxp) - Pictoria"},
    {"parameter naming no file", std::string("gone.pxp"), true, "", Dialog::None, false,
     "The album project %s does not exist.", "Untitled", "Untitled - Pictoria"},
    // Each type is registered whatever became of the other.
    {"album registration fails", std::nullopt, true, "/.pxa", Dialog::OpenCancelled, true,
     "Failed to set data for ''", "Untitled", "Untitled - Pictoria"},
    {"project registration fails", std::nullopt, true, "/.pxp", Dialog::OpenCancelled, true,
     "Failed to set data for ''", "Untitled", "Untitled - Pictoria"},
};

class StartupTest : public ::testing::TestWithParam<StartupCase> {
protected:
    StartupTest() { application.SetTitle("Pictoria Compiler"); }

    TApplication& application = TestApplication();
    SettingsDialogScope settings;
    TempDir folder;
};

} // namespace

TEST_P(StartupTest, RegistersThenOpensOrStartsANewAlbum)
{
    const StartupCase& row = GetParam();
    const std::string program = folder.File("Pictomake");
    if (row.viewerBeside)
        folder.Write("pictoview.exe", "");
    folder.Write("trip.pxp", "[Settings]\r\n");
    std::vector<std::string> parameters;
    if (row.parameter)
        parameters.push_back(folder.File(*row.parameter));
    FakeRegistrar registrar;
    registrar.failingType = row.failingType;

    ScriptedDialogs dialogs;
    if (!row.failingType.empty())
        dialogs.ExpectMessageBox("Pictoria Compiler", row.expectedMessage, IDOK);
    if (row.dialog == Dialog::OpenCancelled)
        dialogs.ExpectOpen(OpenTitle, OpenFilter, {});
    if (row.dialog == Dialog::OpenChoosesProject)
        dialogs.ExpectOpen(OpenTitle, OpenFilter, {folder.File("trip.pxp")});
    if (row.parameter && !row.expectedMessage.empty())
        dialogs.ExpectMessageBox("Pictoria Compiler", Format(row.expectedMessage, {parameters.front()}), IDOK);

    TForm1 form(registrar, program, parameters);
    form.PictureCount = 7;
    form.Modified = true;
    form.Title->SetText("Trip");
    form.Show();
    dialogs.Verify();

    std::vector<std::vector<TFileTypeKey>> expectedCalls;
    if (row.registersAlbums)
        expectedCalls.push_back(AlbumFileTypeKeys(folder.Folder()));
    expectedCalls.push_back(ProjectFileTypeKeys(program));
    EXPECT_EQ(registrar.calls, expectedCalls);
    const std::string project = row.projectFile == UntitledProject ? UntitledProject : folder.File(row.projectFile);
    EXPECT_EQ(form.ProjectFileName, project);
    EXPECT_EQ(form.Caption(), row.caption);
    EXPECT_TRUE(form.PictureSources.empty());
    if (row.projectFile == UntitledProject) {
        EXPECT_EQ(form.Title->Text(), "");
        EXPECT_EQ(form.PictureCount, 0);
        EXPECT_FALSE(form.Modified);
    }
    EXPECT_EQ(application.Title(), "Pictoria Compiler");
}

INSTANTIATE_TEST_SUITE_P(Table, StartupTest, ::testing::ValuesIn(StartupCases),
                         [](const auto& info) {
                             std::string name;
                             for (char c : std::string(info.param.name))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     name += c;
                             return name;
                         });

TEST(FileTypeKeysTest, TheSixKeysAndValues)
{
    EXPECT_EQ(AlbumFileTypeKeys("/opt/pictoria/"),
              (std::vector<TFileTypeKey>{
                  {"/.pxa", "Pictoria.Viewer.file"},
                  {"/Pictoria.Viewer.file/shell/open/command", "\"/opt/pictoria/pictoview.exe\" \"%1\""},
                  {"/Pictoria.Viewer.file/DefaultIcon", "\"/opt/pictoria/pictoview.exe\",0"},
              }));
    EXPECT_EQ(ProjectFileTypeKeys("/opt/pictoria/Pictomake"),
              (std::vector<TFileTypeKey>{
                  {"/.pxp", "Pictoria.Compiler.file"},
                  {"/Pictoria.Compiler.file/shell/open/command", "\"/opt/pictoria/Pictomake\" \"%1\""},
                  {"/Pictoria.Compiler.file/DefaultIcon", "\"/opt/pictoria/Pictomake\",0"},
              }));
}

TEST(AlbumCaptionTest, TitleAndProjectFileName)
{
    EXPECT_EQ(AlbumCaption("Trip", "/home/me/Albums/trip.pxp"), "Trip (trip.pxp) - Pictoria");
    EXPECT_EQ(AlbumCaption("", "Untitled"), " (Untitled) - Pictoria");
}

} // namespace pictomake
