// The screen's pixels per inch for a test's lifetime: forms made meanwhile
// take it; 96 comes back at the end.
#pragma once

#include "screen/Screen.h"

class ScreenResolution {
public:
    explicit ScreenResolution(int ppi) { Screen->SetPixelsPerInch(ppi); }
    ~ScreenResolution() { Screen->SetPixelsPerInch(96); }
    ScreenResolution(const ScreenResolution&) = delete;
    ScreenResolution& operator=(const ScreenResolution&) = delete;
};

// The resolutions desktops set: 100, 125, 150 and 200 per cent.
inline constexpr int DesktopResolutions[] = {96, 120, 144, 192};
