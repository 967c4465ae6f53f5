#include "ProgramError.h"

#include <iostream>

namespace {

std::string ProgramName(int argc, char** argv, const std::string& defaultName)
{
    const std::string path = argc > 0 ? argv[0] : "";
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return name.empty() ? defaultName : name;
}

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

} // namespace

void ReportProgramError(int argc, char** argv, const std::string& defaultName, const std::exception& failure)
{
    std::cerr << ProgramName(argc, argv, defaultName) << ": " << OneLine(failure.what()) << '\n';
}
