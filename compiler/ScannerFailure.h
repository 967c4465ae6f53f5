// What the compiler tells the user when adding a picture from the scanner
// fails: the first step that failed and what the TWAIN result code says.
// A cancel by the user anywhere is no failure and says nothing.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum class ScannerStep { OpenSourceManager, SelectSource, OpenSource, Scan };

// The steps in the order they ran, each with its result code; "" when all
// succeeded or the first that did not was cancelled.
std::string ScannerFailureText(const std::vector<std::pair<ScannerStep, int>>& steps);
