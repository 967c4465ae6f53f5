#pragma once

#include <filesystem>
#include <vector>

// The folder of archives from early zip programs: the first argument when
// given, else the shared test data beside the source tree; empty when absent.
inline std::filesystem::path FindLegacyTestData(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> candidates;
    if (argc > 1)
        candidates.emplace_back(argv[1]);
    candidates.emplace_back(fs::path(__FILE__).parent_path() / ".." / ".." / "shared" / "testdata" / "legacy");
    candidates.emplace_back("/work/shared/testdata/legacy");
    for (const auto& candidate : candidates)
        if (fs::is_directory(candidate))
            return candidate;
    return {};
}
