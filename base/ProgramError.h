#pragma once

#include <exception>
#include <string>

// How the programs that unpack what they carry (the album program's stub,
// the viewer's launcher) end on a failure: one line on standard error,
// "NAME: WHAT", where NAME is the program's own file name (defaultName when
// argv gives none) and WHAT the failure's text on one line with control
// characters shown as "?", since entry names in it come from the archive.
void ReportProgramError(int argc, char** argv, const std::string& defaultName, const std::exception& failure);
