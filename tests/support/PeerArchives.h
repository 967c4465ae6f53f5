// Making archives with the peer tools: the small source tree that tests hand
// them, a command run inside a folder of the test's tree, and Python scripts
// run on their arguments.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "TempDir.h"

// src/ with text, incompressible bytes, an empty file, an empty folder and
// non-ASCII names.
inline void MakePeerSourceTree(const TempDir& dir)
{
    std::string noise;
    for (int i = 0; i < 5000; ++i)
        noise.push_back(static_cast<char>((i * 7919) % 251));
    dir.Write("src/readme.txt", std::string(3000, 'a') + "end\n");
    dir.Write("src/photos/noise.bin", noise);
    dir.Write("src/photos/empty.txt", "");
    dir.Write("src/café.txt", "accent\n");
    dir.Write("src/日本/写真.txt", "japanese\n");
    std::filesystem::create_directories(dir.Path() / "src/nothing");
}

// command, run in folder below dir under a UTF-8 locale, so that the peers
// store non-ASCII names as they are.
inline std::string InFolder(const TempDir& dir, const std::string& folder, const std::string& command)
{
    return "cd " + ShellQuote(dir.Folder() + folder) + " && LC_ALL=C.UTF-8 " + command;
}

// The command that runs script, written into dir as name, with python3 on
// arguments.
inline std::string PythonCommand(const TempDir& dir, const std::string& name, const std::string& script,
                                 const std::vector<std::string>& arguments)
{
    std::string command = "python3 " + ShellQuote(dir.Write(name, script));
    for (const std::string& argument : arguments)
        command += " " + ShellQuote(argument);
    return command;
}

// Writes the archive sys.argv[1] with Python's zipfile: deflated and stored
// entries, UTF-8 names, a name with a leading "/", a DOS-made name with "\",
// an entry comment and the longest archive comment.
inline const char* const PythonSampleArchiveScript = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("/pictoview.ini", "[Settings]\nTitle=x\n")
    z.writestr("日本/写真.jpg", b"\xff\xd8" * 100)
    z.writestr("café.txt", "x" * 1000)
    z.writestr(zipfile.ZipInfo("stored.txt"), "plain")
    i = zipfile.ZipInfo("commented.txt"); i.comment = b"entry\x00comment"
    z.writestr(i, "y")
    i = zipfile.ZipInfo("dos\\made.txt"); i.create_system = 0
    z.writestr(i, "z")
    z.comment = bytes(i % 251 for i in range(65535))
)";

// Writes two archives of the same two entries with Python's zipfile:
// sys.argv[1] without a comment, sys.argv[2] with a comment that holds an end
// record's signature and 18 bytes more, a decoy for a careless backward scan.
inline const char* const PythonDecoyCommentScript = R"(import sys, zipfile
for name, comment in ((sys.argv[1], b""), (sys.argv[2], b"PK\x05\x06" + bytes(range(1, 19)))):
    with zipfile.ZipFile(name, "w") as z:
        z.writestr("a.txt", "a")
        z.writestr("b.txt", "b")
        z.comment = comment
)";
