// The screen: its size, its pixels per inch and the cursor shown over every
// window of the program. Pixels per inch start at the primary screen's
// logical resolution, rounded; tests set 96 or 120.
#pragma once

#include <Qt>

enum TCursor : int {
    crDefault = 0,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHandPoint = -21,
};

Qt::CursorShape CursorShape(TCursor cursor);

class TScreen {
public:
    TScreen();
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;
    ~TScreen();

    int PixelsPerInch() const { return pixelsPerInch_; }
    // Forms made afterwards take this resolution.
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }
    int Width() const;
    int Height() const;

    // crDefault lets every control show its own cursor; any other cursor
    // overrides them all (crHourGlass while the program is busy).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

private:
    int pixelsPerInch_ = 96;
    TCursor cursor_ = crDefault;
};

// The program's screen; it exists while the TApplication does.
extern TScreen* Screen;
