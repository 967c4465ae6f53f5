// Whether a file is an intermediate archive Create EXE made for an album.
#pragma once

#include <string>

namespace pictomake {

// archive is a zip archive of exactly two entries, the viewer program and
// the album file, in that order, each stored under its full path. Anything
// else, a file that is no archive included, is not.
bool IsIntermediateArchiveOf(const std::string& archive, const std::string& viewer, const std::string& albumFile);

} // namespace pictomake
