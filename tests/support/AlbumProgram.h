// What the stub's tests share: album programs made from the built stub with an
// archive written by a peer, a fake viewer that records how it was started,
// and a sandbox folder to run a program in and look into afterwards.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"

// Where the offsets of the appended archive count from.
enum class TOffsets {
    FromStubEnd,   // the archive as it was, behind the stub (`cat stub archive.zip`)
    FromFileStart, // the same file after `zip -A`
};

inline const char* OffsetsName(TOffsets offsets)
{
    return offsets == TOffsets::FromStubEnd ? "FromStubEnd" : "FromFileStart";
}

inline void PrintTo(TOffsets offsets, std::ostream* out) { *out << OffsetsName(offsets); }

struct TArchiveEntry {
    std::string Name;
    std::string Bytes;
    std::string Method = "stored"; // or "deflated", "bzip2"
};

// Records its arguments, a copy of the album, the private folder's names and
// its own mode in $SFX_TEST_RESULTS, then exits with $SFX_TEST_EXIT, or is
// killed by SIGKILL when that says "killed".
inline const std::string FakeViewer = R"sh(#!/bin/sh
results="$SFX_TEST_RESULTS"
printf '%s\n' "$@" > "$results/arguments"
cp "$1" "$results/album"
ls -A "$(dirname "$0")" > "$results/folder"
stat -c %a "$0" > "$results/mode"
if [ "$SFX_TEST_EXIT" = killed ]; then kill -KILL $$; fi
exit "${SFX_TEST_EXIT:-0}"
)sh";

inline const std::string& SampleAlbum()
{
    static const std::string album = [] {
        const std::vector<std::uint8_t> bytes = MakeSample(TSampleKind::Records, 200000);
        return std::string(bytes.begin(), bytes.end());
    }();
    return album;
}

inline TArchiveEntry ViewerEntry(const std::string& script = FakeViewer)
{
    return {"/home/ann/Pictoria/pictoview.exe", script};
}

inline TArchiveEntry AlbumEntry(const std::string& method = "deflated")
{
    return {"/home/ann/Albums/trip.pxa", SampleAlbum(), method};
}

struct TRunResult {
    int ExitCode = -1;
    std::string Errors; // what the program wrote to standard error
};

// A test's folders: the program's $TMPDIR, the fake viewer's results, a
// folder hostile names point into and the working folder the program runs
// in. The program file and what it is made of lie beside them.
class TSandbox {
public:
    TSandbox()
    {
        for (const char* folder : {"tmp", "results", "outside", "work"})
            std::filesystem::create_directory(dir_.Path() / folder);
    }

    std::filesystem::path Folder(const std::string& name) const { return dir_.Path() / name; }
    std::string Result(const std::string& name) const { return ReadFileBytes(dir_.File("results/" + name)); }

    std::vector<std::string> NamesIn(const std::string& folder) const
    {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(Folder(folder)))
            names.push_back(item.path().filename().string());
        return names;
    }

    // A zip archive written by Python's zipfile, names kept exactly. A name
    // with "\" is made on MS-DOS, as Windows tools make theirs, so its "\"
    // separates folders; other names are made on Unix.
    std::string PythonArchive(const std::vector<TArchiveEntry>& entries) const
    {
        const std::string script = dir_.Write("make_archive.py", R"(import sys, zipfile
methods = {"stored": zipfile.ZIP_STORED, "deflated": zipfile.ZIP_DEFLATED, "bzip2": zipfile.ZIP_BZIP2}
arguments = sys.argv[2:]
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for method, name, source in zip(arguments[0::3], arguments[1::3], arguments[2::3]):
        info = zipfile.ZipInfo(name)
        info.compress_type = methods[method]
        info.external_attr = 0o644 << 16
        if "\\" in name:
            info.create_system = 0
        with open(source, "rb") as data:
            archive.writestr(info, data.read())
)");
        std::string command = "python3 -W ignore " + ShellQuote(script) + " " + ShellQuote(dir_.File("archive.zip"));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string source = dir_.Write("entries/" + std::to_string(i), entries[i].Bytes);
            command += " " + entries[i].Method + " " + ShellQuote(entries[i].Name) + " " + ShellQuote(source);
        }
        RunChecked(command);
        return ReadFileBytes(dir_.File("archive.zip"));
    }

    // The fake viewer and the album, encrypted by Info-ZIP's zip.
    std::string EncryptedArchive() const
    {
        const std::string folder = dir_.File("encrypted");
        dir_.Write("encrypted/pictoview.exe", FakeViewer);
        dir_.Write("encrypted/trip.pxa", SampleAlbum());
        RunChecked("cd " + ShellQuote(folder) + " && zip -q -P secret encrypted.zip pictoview.exe trip.pxa");
        return ReadFileBytes(folder + "/encrypted.zip");
    }

    // A copy of the built stub with archive behind it, ready to run.
    std::string Program(const std::string& archive, TOffsets offsets) const
    {
        const std::string program = dir_.Write("trip.exe", ReadFileBytes(SFX_STUB_PATH) + archive);
        ::chmod(program.c_str(), 0755);
        if (offsets == TOffsets::FromFileStart)
            RunChecked("zip -qA " + ShellQuote(program));
        return program;
    }

    // Runs program in the working folder with the sandbox's $TMPDIR;
    // environment adds "NAME=value" words.
    TRunResult Run(const std::string& program, const std::string& environment = "") const
    {
        const std::string errors = dir_.File("errors");
        const TCommandResult result =
            RunCommand("cd " + ShellQuote(Folder("work")) + " && env TMPDIR=" + ShellQuote(Folder("tmp")) +
                       " SFX_TEST_RESULTS=" + ShellQuote(Folder("results")) + " " + environment + " " +
                       ShellQuote(program) + " </dev/null >/dev/null 2>" + ShellQuote(errors));
        return {result.ExitCode, ReadFileBytes(errors)};
    }

private:
    TempDir dir_;
};
