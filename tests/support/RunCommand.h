// Runs a shell command for a test (a peer tool such as zip or python3) and
// returns what it printed on standard output.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/wait.h>

inline std::string RunCommand(const std::string& command, int* exitCode = nullptr)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("popen failed: " + command);
    std::string output;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (exitCode)
        *exitCode = code;
    else if (code != 0)
        throw std::runtime_error("command failed (" + std::to_string(code) + "): " + command);
    return output;
}

// Quotes text for the shell.
inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char ch : text)
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}
