// Album programs that must not run: the stub says why in one line on
// standard error, exits non-zero, never starts the viewer and leaves nothing
// behind, neither in $TMPDIR nor anywhere the archive's names point.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "AlbumProgram.h"

namespace {

using TStringList = std::vector<std::string>;

void ExpectRefused(const TSandbox& box, const TRunResult& run, const std::string& reason)
{
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Errors.rfind("trip.exe: ", 0), 0u) << run.Errors;
    EXPECT_NE(run.Errors.find(reason), std::string::npos) << run.Errors;
    EXPECT_EQ(run.Errors.find('\n'), run.Errors.size() - 1) << run.Errors;
    for (const char* folder : {"tmp", "results", "outside", "work"})
        EXPECT_EQ(box.NamesIn(folder), TStringList()) << folder;
}

// The album entry with its data changed behind the CRC's back.
std::string WithDamagedAlbum(std::string archive)
{
    const std::size_t album = archive.find(SampleAlbum());
    archive[album + 1000] = static_cast<char>(archive[album + 1000] ^ 0x55);
    return archive;
}

struct THostileCase {
    const char* Name;
    std::function<std::string(const TSandbox&)> Archive;
    const char* Reason; // a part of the one-line message
};

const THostileCase HostileCases[] = {
    {"DotDotAsBaseName",
     [](const TSandbox& box) { return box.PythonArchive({ViewerEntry(), AlbumEntry(), {"/home/ann/..", "x"}}); },
     "entry \"/home/ann/..\" has no usable file name"},
    {"DotAsBaseName",
     [](const TSandbox& box) { return box.PythonArchive({ViewerEntry(), AlbumEntry(), {"/home/ann/.", "x"}}); },
     "entry \"/home/ann/.\" has no usable file name"},
    {"FolderEntry",
     [](const TSandbox& box) { return box.PythonArchive({{"/home/ann/Albums/", ""}, ViewerEntry(), AlbumEntry()}); },
     "entry \"/home/ann/Albums/\" has no usable file name"},
    {"BaseNameTwice",
     [](const TSandbox& box) {
         TArchiveEntry other = AlbumEntry();
         other.Name = "/home/bob/Albums/trip.pxa";
         return box.PythonArchive({ViewerEntry(), AlbumEntry(), other});
     },
     "entry \"/home/bob/Albums/trip.pxa\" repeats the file name \"trip.pxa\""},
    {"BaseNameTwiceAcrossSeparators",
     [](const TSandbox& box) {
         return box.PythonArchive({ViewerEntry(), {"..\\..\\pictoview.exe", "x"}, AlbumEntry()});
     },
     "repeats the file name \"pictoview.exe\""},
    {"BadCrc",
     [](const TSandbox& box) { return WithDamagedAlbum(box.PythonArchive({ViewerEntry(), AlbumEntry("stored")})); },
     "entry \"/home/ann/Albums/trip.pxa\" is damaged"},
    {"Encrypted", [](const TSandbox& box) { return box.EncryptedArchive(); },
     "entry \"pictoview.exe\" is encrypted"},
    {"UnknownMethod", [](const TSandbox& box) { return box.PythonArchive({ViewerEntry(), AlbumEntry("bzip2")}); },
     "uses compression method 12"},
    {"NoViewer", [](const TSandbox& box) { return box.PythonArchive({AlbumEntry()}); },
     "the archive holds no viewer \"pictoview.exe\""},
    {"TwoAlbums",
     [](const TSandbox& box) {
         return box.PythonArchive({ViewerEntry(), AlbumEntry(), {"/home/ann/Albums/home.pxa", "x"}});
     },
     "the archive holds more than one album"},
    {"NoAlbum", [](const TSandbox& box) { return box.PythonArchive({ViewerEntry(), {"/home/ann/trip.pxa.txt", "x"}}); },
     "the archive holds no album"},
    {"ViewerNoProgram",
     [](const TSandbox& box) { return box.PythonArchive({ViewerEntry("no program, just words\n"), AlbumEntry()}); },
     "cannot start the viewer"},
};

void PrintTo(const THostileCase& hostile, std::ostream* out) { *out << hostile.Name; }

class Hostile : public testing::TestWithParam<std::tuple<THostileCase, TOffsets>> {};

TEST_P(Hostile, ProgramIsRefusedAndLeavesNothing)
{
    const auto& [hostile, offsets] = GetParam();
    TSandbox box;
    const std::string program = box.Program(hostile.Archive(box), offsets);

    ExpectRefused(box, box.Run(program), hostile.Reason);
}

INSTANTIATE_TEST_SUITE_P(Sfx, Hostile,
                         testing::Combine(testing::ValuesIn(HostileCases),
                                          testing::Values(TOffsets::FromStubEnd, TOffsets::FromFileStart)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).Name) + "_" +
                                    OffsetsName(std::get<1>(info.param));
                         });

TEST(SfxHostileProgram, BareStubHasNoArchive)
{
    TSandbox box;
    const std::string program = box.Program("", TOffsets::FromStubEnd);

    ExpectRefused(box, box.Run(program), "no album archive found in this program");
}

// `zip -A` refuses an archive without entries, and without entries no offset
// needs adjusting: one form is all there is.
TEST(SfxHostileProgram, EmptyArchiveHasNoViewer)
{
    TSandbox box;
    const std::string program = box.Program(box.PythonArchive({}), TOffsets::FromStubEnd);

    ExpectRefused(box, box.Run(program), "the archive holds no viewer");
}

} // namespace
