// A shell double that starts nothing: it records each program started and
// each document opened, in order, and installs itself for its lifetime.
#pragma once

#include <string>
#include <vector>

#include "Shell.h"

class RecordingShell : public TShell {
public:
    RecordingShell() : scope_(*this) {}

    struct TStart {
        std::string Program;
        std::vector<std::string> Arguments;
        bool operator==(const TStart&) const = default;
    };
    std::vector<TStart> Started;
    std::vector<std::string> Opened;

    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override
    {
        Started.push_back({program, arguments});
        return true;
    }
    bool OpenDocument(const std::string& fileName) override
    {
        Opened.push_back(fileName);
        return true;
    }

private:
    TShellScope scope_;
};
