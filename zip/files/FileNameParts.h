// The parts of a file path as the writer takes names apart: the folder with
// or without its final "/", and the name after it. Paths use "/" and have no
// drive part.
#pragma once

#include <string>

// The name after the last "/"; the whole path when it has none.
std::string ExtractFileName(const std::string& path);
// The path up to and including the last "/"; empty when it has none.
std::string ExtractFilePath(const std::string& path);
// ExtractFilePath without its final "/", except for the root "/" itself.
std::string ExtractFileDir(const std::string& path);
// Letters A to Z made lower case; every other byte as it is.
std::string AsciiLowerCase(std::string text);
// Without leading and trailing blanks and control characters.
std::string TrimBlanks(const std::string& text);
