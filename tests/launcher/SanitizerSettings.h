// The sanitizers' settings of a test run, which it passes on to the
// programs it starts with an environment of their own.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

// "NAME=value" for each sanitizer setting the test run has.
inline std::vector<std::string> SanitizerSettings()
{
    std::vector<std::string> settings;
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            settings.push_back(std::string(name) + "=" + value);
    return settings;
}
