// The scripted TWAIN source manager (tests/support/fakedsm) put in place for
// one test: the script written to a private folder, the application pointed
// at the fake, and the fake's log of calls read back.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "TempDir.h"

class FakeTwain {
public:
    explicit FakeTwain(const std::string& script)
    {
        ::setenv("PICTORIA_TWAIN_DSM", FAKE_DSM_LIBRARY, 1);
        ::setenv("PICTORIA_FAKE_TWAIN_SCRIPT", folder_.Write("script", script).c_str(), 1);
        ::setenv("PICTORIA_FAKE_TWAIN_LOG", folder_.File("log").c_str(), 1);
    }
    FakeTwain(const FakeTwain&) = delete;
    FakeTwain& operator=(const FakeTwain&) = delete;
    ~FakeTwain()
    {
        ::unsetenv("PICTORIA_TWAIN_DSM");
        ::unsetenv("PICTORIA_FAKE_TWAIN_SCRIPT");
        ::unsetenv("PICTORIA_FAKE_TWAIN_LOG");
    }

    // The calls made so far, "DAT MSG result", without the identity and
    // opened lines.
    std::string Calls() const
    {
        std::string calls;
        for (const std::string& line : Lines())
            if (!line.starts_with(IdentityLine) && !line.starts_with(OpenedLine))
                calls += (calls.empty() ? "" : ", ") + line;
        return calls;
    }

    // The application identity the manager was opened with.
    std::string Identity() const { return Last(IdentityLine); }

    // The full name of the source last opened, "" when none was.
    std::string Opened() const { return Last(OpenedLine); }

private:
    static constexpr std::string_view IdentityLine = "identity ";
    static constexpr std::string_view OpenedLine = "opened ";

    std::string Last(std::string_view kind) const
    {
        std::string found;
        for (const std::string& line : Lines())
            if (line.starts_with(kind))
                found = line.substr(kind.size());
        return found;
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(folder_.File("log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    TempDir folder_;
};
