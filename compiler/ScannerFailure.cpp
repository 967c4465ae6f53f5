#include "ScannerFailure.h"

#include <map>

namespace {

constexpr int Cancelled = 3;
constexpr int ConditionBase = 0x8000;
constexpr int NoSuchSource = 7; // TWRC_ENDOFLIST from the search by name

std::string StepText(ScannerStep step)
{
    switch (step) {
    case ScannerStep::OpenSourceManager: return "opening the TWAIN source manager";
    case ScannerStep::SelectSource: return "selecting the scanner";
    case ScannerStep::OpenSource: return "opening the scanner";
    case ScannerStep::Scan: return "scanning";
    }
    return "";
}

std::string ConditionText(int condition)
{
    static const std::map<int, std::string> texts = {{1, "the scanner failed"},
                                                     {2, "not enough memory"},
                                                     {3, "no scanner found"},
                                                     {4, "the scanner is in use"},
                                                     {5, "the scanner reported an error"},
                                                     {6, "the scanner cannot do that"},
                                                     {9, "the scanner did not understand the request"},
                                                     {10, "the scanner refused a value"},
                                                     {11, "the steps came in the wrong order"}};
    const auto found = texts.find(condition);
    const std::string code = "TWAIN condition code " + std::to_string(condition);
    return found == texts.end() ? code : found->second + " (" + code + ")";
}

std::string ResultText(int result)
{
    if (result >= ConditionBase)
        return ConditionText(result - ConditionBase);
    if (result == 1)
        return "the scanner failed";
    if (result == NoSuchSource)
        return "no scanner of that name";
    return "TWAIN result " + std::to_string(result);
}

} // namespace

std::string ScannerFailureText(const std::vector<std::pair<ScannerStep, int>>& steps)
{
    for (const auto& [step, result] : steps) {
        if (result == 0)
            continue;
        if (result == Cancelled)
            return "";
        return "Scanning failed while " + StepText(step) + ": " + ResultText(result) + ".";
    }
    return "";
}
