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

// The built stub in front of an archive whose first central header is
// unreadable: the scan passes over whatever the stub holds that looks like a
// local header, and every entry comes back.
TEST(SfxEngineProgram, ADamagedDirectoryBehindTheStubLosesNoEntry)
{
    TempDir files;
    const std::string stub = files.Write("sfx.exe", ReadFileBytes(SFX_STUB_PATH));
    std::vector<std::string> sources;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        sources.push_back(files.Write(name, std::string(3000, name[0]) + " the end\n"));
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(files.File("three.zip"));
    writer.SetFilesList(sources);
    ASSERT_EQ(writer.ZipListedFiles(), 3);
    writer.MakeSelfExtractor(stub, true);
    std::string program = ReadFileBytes(files.File("three.EXE"));
    const std::size_t central = program.find("PK\x01\x02", ReadFileBytes(SFX_STUB_PATH).size());
    ASSERT_NE(central, std::string::npos);
    program[central + 3] = 'X';
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(files.Write("broken.exe", program));
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        TMemoryStream data;
        EXPECT_EQ(reader.UnZipToStreamByIndex(&data, i), 1);
        const std::string name = reader.GetEntry(i).Filename();
        EXPECT_EQ(data.Text(), std::string(3000, name[0]) + " the end\n") << name;
    }
}
