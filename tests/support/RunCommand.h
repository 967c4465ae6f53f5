// Runs a peer tool through the shell for a test and collects what it writes
// to standard output.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/wait.h>

struct TCommandResult {
    int ExitCode = -1;
    std::string Output;
};

inline TCommandResult RunCommand(const std::string& command)
{
    TCommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        result.Output.append(chunk, n);
    const int status = ::pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// text as one shell word, whatever bytes it holds.
inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a command that must succeed and returns its output; a failure raises.
inline std::string RunChecked(const std::string& command)
{
    const TCommandResult result = RunCommand(command);
    if (result.ExitCode != 0)
        throw std::runtime_error("command failed (" + std::to_string(result.ExitCode) + "): " + command);
    return result.Output;
}
