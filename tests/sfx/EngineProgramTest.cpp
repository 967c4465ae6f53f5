// The whole road of an album program: the engine zips the viewer and the
// album as the album compiler does (full paths, best compression), joins the
// built stub and that archive into a program, and the program, run, starts
// the viewer on the unpacked album.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AlbumProgram.h"
#include "ZipWriter.h"

namespace {

TEST(SfxEngineProgram, AProgramMadeLikeTheCompilerMakesItStartsTheViewer)
{
    TempDir files;
    const std::string viewer = files.Write("Pictoria/pictoview.exe", FakeViewer);
    const std::string album = files.Write("Pictoria/Albums/trip.pxa", SampleAlbum());
    const std::string stub = files.Write("Pictoria/sfx.exe", ReadFileBytes(SFX_STUB_PATH));
    TZipWriter writer;
    writer.PackLevel = 9;
    writer.SetStorePaths(true);
    writer.SetStoreVolumes(true);
    writer.DoProcessMessages = false;
    writer.SetZipName(files.File("Pictoria/Albums/trip.zip"));
    writer.SetFilesList({viewer, album});
    ASSERT_EQ(writer.ZipListedFiles(), 2);
    writer.MakeSelfExtractor(stub, true);
    const std::string program = files.File("Pictoria/Albums/trip.EXE");
    struct stat status {};
    ASSERT_EQ(::stat(program.c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IXUSR, 0u);

    TSandbox box;
    const TRunResult run = box.Run(program);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Errors, "");
    EXPECT_EQ(box.Result("folder"), "pictoview.exe\ntrip.pxa\n");
    EXPECT_TRUE(box.Result("album") == SampleAlbum());
    for (const char* folder : {"tmp", "outside", "work"})
        EXPECT_EQ(box.NamesIn(folder), std::vector<std::string>()) << folder;
}

} // namespace
