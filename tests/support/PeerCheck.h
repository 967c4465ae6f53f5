// Checks an archive the engine wrote with the three peers: Info-ZIP's
// `unzip -tq`, Python's zipfile (testzip, and read with the password for
// encrypted entries) and 7-Zip's `7zz t`; and reads every entry's bytes back
// through Python, so tests compare them with their sources.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PeerArchives.h"
#include "RunCommand.h"
#include "TempDir.h"

// A Python peer script's arguments: the archive, then the password if any.
inline std::vector<std::string> ArchiveAndPassword(const std::string& archive, const std::string& password)
{
    if (password.empty())
        return {archive};
    return {archive, password};
}

// Every entry's bytes by stored name, as Python's zipfile reads them
// (folder entries give empty contents).
inline std::map<std::string, std::string> PythonEntries(const TempDir& dir, const std::string& archive,
                                                        const std::string& password = "")
{
    const std::string output = RunChecked(PythonCommand(dir, "entries.py", R"(import sys, zipfile
out = sys.stdout.buffer
with zipfile.ZipFile(sys.argv[1]) as z:
    pwd = sys.argv[2].encode() if len(sys.argv) > 2 else None
    for i in z.infolist():
        data = z.read(i, pwd=pwd if i.flag_bits & 1 else None)
        name = i.filename.encode("utf-8")
        out.write(b"%d:%s%d:%s" % (len(name), name, len(data), data))
)",
                                                        ArchiveAndPassword(archive, password)));
    std::map<std::string, std::string> entries;
    for (std::size_t at = 0; at < output.size();) {
        std::string parts[2];
        for (std::string& part : parts) {
            const std::size_t colon = output.find(':', at);
            const std::size_t length = std::stoul(output.substr(at, colon - at));
            part = output.substr(colon + 1, length);
            at = colon + 1 + length;
        }
        entries[parts[0]] = parts[1];
    }
    return entries;
}

// All three peers accept the archive; with a password the encrypted entries
// are decrypted and checked.
inline void ExpectPeersAccept(const TempDir& dir, const std::string& archive, const std::string& password = "")
{
    SCOPED_TRACE(archive);
    const std::string quoted = ShellQuote(archive);
    const std::string unzipPassword = password.empty() ? "" : "-P " + ShellQuote(password) + " ";
    EXPECT_EQ(RunCommand("unzip -tq " + unzipPassword + quoted + " >/dev/null 2>&1").ExitCode, 0);
    const std::string testzip = PythonCommand(dir, "testzip.py", R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    if len(sys.argv) > 2:
        z.setpassword(sys.argv[2].encode())
    sys.exit(1 if z.testzip() is not None else 0)
)",
                                              ArchiveAndPassword(archive, password));
    EXPECT_EQ(RunCommand(testzip + " >/dev/null 2>&1").ExitCode, 0);
    const std::string sevenPassword = password.empty() ? "" : "-p" + ShellQuote(password) + " ";
    EXPECT_EQ(RunCommand("7zz t " + sevenPassword + quoted + " </dev/null >/dev/null 2>&1").ExitCode, 0);
}
