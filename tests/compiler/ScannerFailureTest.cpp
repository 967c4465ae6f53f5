// What the scanner command tells the user: the first failing step and its
// TWAIN result in words; nothing when all went well or the user cancelled.
#include "ScannerFailure.h"

#include <gtest/gtest.h>

namespace {

struct FailureCase {
    const char* name;
    std::vector<std::pair<ScannerStep, int>> steps;
    const char* text;
};

TEST(ScannerFailure, FirstFailingStepIsToldAndCancelIsNot)
{
    using enum ScannerStep;
    const FailureCase cases[] = {
        {"success", {{OpenSourceManager, 0}, {SelectSource, 0}, {OpenSource, 0}, {Scan, 0}}, ""},
        {"cancelled selection", {{OpenSourceManager, 0}, {SelectSource, 3}, {OpenSource, 3}, {Scan, 3}}, ""},
        {"manager without condition",
         {{OpenSourceManager, 1}, {SelectSource, 1}, {OpenSource, 1}, {Scan, 1}},
         "Scanning failed while opening the TWAIN source manager: the scanner failed."},
        {"no scanner",
         {{OpenSourceManager, 0}, {SelectSource, 0x8003}, {OpenSource, 0x8003}, {Scan, 0x8003}},
         "Scanning failed while selecting the scanner: no scanner found (TWAIN condition code 3)."},
        {"no such name",
         {{OpenSourceManager, 0}, {SelectSource, 7}, {OpenSource, 7}, {Scan, 7}},
         "Scanning failed while selecting the scanner: no scanner of that name."},
        {"source in use",
         {{OpenSourceManager, 0}, {SelectSource, 0}, {OpenSource, 0x8004}, {Scan, 0x8004}},
         "Scanning failed while opening the scanner: the scanner is in use (TWAIN condition code 4)."},
        {"unnamed condition",
         {{OpenSourceManager, 0}, {SelectSource, 0}, {OpenSource, 0}, {Scan, 0x8020}},
         "Scanning failed while scanning: TWAIN condition code 32."},
        {"other result",
         {{OpenSourceManager, 0}, {SelectSource, 0}, {OpenSource, 0}, {Scan, 9}},
         "Scanning failed while scanning: TWAIN result 9."},
        {"cancelled scan", {{OpenSourceManager, 0}, {SelectSource, 0}, {OpenSource, 0}, {Scan, 3}}, ""},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ScannerFailureText(c.steps), c.text);
    }
}

} // namespace
