#pragma once

#include <string>

#include "ZipReader.h"

// Reads the directory of the archive appended to a program file, for the
// programs that carry their own content: one open of the file serves the
// directory and every entry, no messages are pumped, and a program without
// an archive is not taken for a volume waiting for the next.
void ReadAppendedArchive(TZipReader& reader, const std::string& programFile);
