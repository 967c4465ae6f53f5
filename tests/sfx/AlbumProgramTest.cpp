// Album programs that work: the stub unpacks the viewer and the album into a
// private folder under $TMPDIR, starts the viewer on the album, passes on its
// exit status and the signals it receives, and removes the folder.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "AlbumProgram.h"

namespace {

using TStringList = std::vector<std::string>;

// The folder names the viewer saw its album in: a private folder right
// under $TMPDIR.
void ExpectStartedOnPrivateAlbum(const TSandbox& box)
{
    const std::string arguments = box.Result("arguments");
    EXPECT_TRUE(std::regex_match(arguments, std::regex(box.Folder("tmp").string() + "/pictoview-[^/]+/trip\\.pxa\n")))
        << arguments;
    EXPECT_EQ(box.Result("folder"), "pictoview.exe\ntrip.pxa\n");
    EXPECT_EQ(box.Result("mode"), "700\n");
}

void ExpectNothingLeft(const TSandbox& box)
{
    for (const char* folder : {"tmp", "outside", "work"})
        EXPECT_EQ(box.NamesIn(folder), TStringList()) << folder;
}

// ---- The viewer runs on the album, whatever the methods and offsets ----------

struct TMethods {
    const char* Viewer;
    const char* Album;
};

void PrintTo(const TMethods& methods, std::ostream* out) { *out << methods.Viewer << "/" << methods.Album; }

class StartsViewer : public testing::TestWithParam<std::tuple<TMethods, TOffsets>> {};

TEST_P(StartsViewer, OnTheUnpackedAlbumAndRemovesItsFolder)
{
    const auto [methods, offsets] = GetParam();
    TSandbox box;
    TArchiveEntry viewer = ViewerEntry();
    viewer.Method = methods.Viewer;
    const std::string program = box.Program(box.PythonArchive({viewer, AlbumEntry(methods.Album)}), offsets);

    const TRunResult run = box.Run(program);

    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Errors, "");
    ExpectStartedOnPrivateAlbum(box);
    EXPECT_EQ(box.Result("album"), SampleAlbum());
    ExpectNothingLeft(box);
}

INSTANTIATE_TEST_SUITE_P(Sfx, StartsViewer,
                         testing::Combine(testing::Values(TMethods{"stored", "stored"},
                                                          TMethods{"stored", "deflated"},
                                                          TMethods{"deflated", "deflated"}),
                                          testing::Values(TOffsets::FromStubEnd, TOffsets::FromFileStart)),
                         [](const auto& info) {
                             const TMethods methods = std::get<0>(info.param);
                             return std::string(methods.Viewer) + "_" + methods.Album + "_" +
                                    OffsetsName(std::get<1>(info.param));
                         });

// ---- The program's exit status is the viewer's -------------------------------

struct TExitCase {
    const char* Name;
    const char* ViewerExit; // $SFX_TEST_EXIT
    int ProgramExit;
};

void PrintTo(const TExitCase& exitCase, std::ostream* out) { *out << exitCase.Name; }

class ExitStatus : public testing::TestWithParam<std::tuple<TExitCase, TOffsets>> {};

TEST_P(ExitStatus, IsTheViewers)
{
    const auto [exitCase, offsets] = GetParam();
    TSandbox box;
    const std::string program = box.Program(box.PythonArchive({ViewerEntry(), AlbumEntry()}), offsets);

    const TRunResult run = box.Run(program, std::string("SFX_TEST_EXIT=") + exitCase.ViewerExit);

    EXPECT_EQ(run.ExitCode, exitCase.ProgramExit);
    EXPECT_EQ(run.Errors, "");
    ExpectStartedOnPrivateAlbum(box);
    ExpectNothingLeft(box);
}

INSTANTIATE_TEST_SUITE_P(Sfx, ExitStatus,
                         testing::Combine(testing::Values(TExitCase{"Zero", "0", 0}, TExitCase{"Three", "3", 3},
                                                          TExitCase{"KilledBySigkill", "killed", 128 + SIGKILL}),
                                          testing::Values(TOffsets::FromStubEnd, TOffsets::FromFileStart)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).Name) + "_" +
                                    OffsetsName(std::get<1>(info.param));
                         });

// ---- Names that point elsewhere still land in the private folder -------------

struct TNamesCase {
    const char* Name;
    // "{outside}" stands for the sandbox's folder that must stay empty.
    const char* ViewerName;
    const char* AlbumName;
};

void PrintTo(const TNamesCase& namesCase, std::ostream* out) { *out << namesCase.Name; }

class ForeignNames : public testing::TestWithParam<std::tuple<TNamesCase, TOffsets>> {};

TEST_P(ForeignNames, LandInThePrivateFolderByBaseName)
{
    const auto [namesCase, offsets] = GetParam();
    TSandbox box;
    const auto placed = [&](std::string name) {
        const std::string mark = "{outside}";
        if (const std::size_t at = name.find(mark); at != std::string::npos)
            name.replace(at, mark.size(), box.Folder("outside").string());
        return name;
    };
    TArchiveEntry viewer = ViewerEntry();
    TArchiveEntry album = AlbumEntry();
    viewer.Name = placed(namesCase.ViewerName);
    album.Name = placed(namesCase.AlbumName);
    const std::string program = box.Program(box.PythonArchive({viewer, album}), offsets);

    const TRunResult run = box.Run(program);

    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Errors, "");
    ExpectStartedOnPrivateAlbum(box);
    EXPECT_EQ(box.Result("album"), SampleAlbum());
    ExpectNothingLeft(box);
}

INSTANTIATE_TEST_SUITE_P(
    Sfx, ForeignNames,
    testing::Combine(testing::Values(TNamesCase{"AbsoluteIntoAnotherFolder", "{outside}/pictoview.exe",
                                                "{outside}/trip.pxa"},
                                     TNamesCase{"ClimbingWithDotDot", "../../pictoview.exe", "../outside/trip.pxa"},
                                     TNamesCase{"ClimbingFromAbsolute", "/home/ann/../../../{outside}/pictoview.exe",
                                                "{outside}/../outside/trip.pxa"},
                                     TNamesCase{"WindowsSeparators", "C:\\Users\\ann\\pictoview.exe",
                                                "..\\..\\outside\\trip.pxa"},
                                     TNamesCase{"PlainBaseNames", "pictoview.exe", "trip.pxa"}),
                     testing::Values(TOffsets::FromStubEnd, TOffsets::FromFileStart)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).Name) + "_" + OffsetsName(std::get<1>(info.param));
    });

// ---- Signals to the program go on to the viewer ------------------------------

// Asks the program that started it to stop with $SFX_TEST_SIGNAL and waits
// until the signal comes back to it; exits 7 then, 1 if it never does.
const std::string SignallingViewer = R"sh(#!/bin/sh
trap 'kill $sleeper; echo "$SFX_TEST_SIGNAL" > "$SFX_TEST_RESULTS/signal"; exit 7' "$SFX_TEST_SIGNAL"
sleep 60 &
sleeper=$!
kill -s "$SFX_TEST_SIGNAL" $PPID
wait $sleeper
exit 1
)sh";

class Signal : public testing::TestWithParam<std::tuple<std::string, TOffsets>> {};

TEST_P(Signal, ReachesTheViewerAndTheFolderStillGoes)
{
    const auto [signal, offsets] = GetParam();
    TSandbox box;
    const std::string program =
        box.Program(box.PythonArchive({ViewerEntry(SignallingViewer), AlbumEntry()}), offsets);

    const TRunResult run = box.Run(program, "SFX_TEST_SIGNAL=" + signal);

    EXPECT_EQ(run.ExitCode, 7);
    EXPECT_EQ(run.Errors, "");
    EXPECT_EQ(box.Result("signal"), signal + "\n");
    ExpectNothingLeft(box);
}

INSTANTIATE_TEST_SUITE_P(Sfx, Signal,
                         testing::Combine(testing::Values(std::string("INT"), std::string("TERM"), std::string("HUP")),
                                          testing::Values(TOffsets::FromStubEnd, TOffsets::FromFileStart)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" + OffsetsName(std::get<1>(info.param));
                         });

} // namespace
