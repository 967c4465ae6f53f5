// The folders a launcher makes in the cache root, and their removal.
#pragma once

#include <filesystem>
#include <string>

// A new empty folder of mode 0700 under root, named prefix and six random
// characters. Raises when it cannot be made.
std::filesystem::path MakePrivateFolder(const std::filesystem::path& root, const std::string& prefix);

// Removes path with everything below it as far as it lets us; links are
// removed, never followed.
void RemoveQuietly(const std::filesystem::path& path);

// Moves folder out of the way first, renamed onto a new empty ".stale-"
// folder under root, then removes it as far as it lets us: a folder half
// removed never keeps its name. Raises when it cannot be moved.
void RemoveFolder(const std::filesystem::path& folder, const std::filesystem::path& root);
