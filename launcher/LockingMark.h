// The mark a launcher leaves in every folder it unpacks: an empty file that
// says the folder was made by a launcher that locks, so that each viewer run
// from it holds it locked for as long as it runs. Album programs made before
// launchers locked run their viewers from unmarked folders holding nothing,
// so no lock tells whether those are in use: a sweep leaves them alone.
#pragma once

#include <filesystem>

// The mark's name, directly inside the folder it marks.
inline const std::filesystem::path LockingMarkName = ".held-while-used";

// Writes the mark into folder; raises when it cannot.
void MarkAsLocking(const std::filesystem::path& folder);
