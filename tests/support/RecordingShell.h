// A shell double that starts nothing: it records each program started and
// each document and address opened, in order, and installs itself for its
// lifetime.
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
    std::vector<std::string> Addresses;

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
    bool OpenAddress(const std::string& address) override
    {
        Addresses.push_back(address);
        return true;
    }

private:
    TShellScope scope_;
};
