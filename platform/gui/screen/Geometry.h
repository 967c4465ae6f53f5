// Points, rectangles and the one rule that turns design lengths into screen
// lengths. Every length of a run-time component is designed at 96 pixels per
// inch and placed at the window's own pixels per inch, rounded half to even.
#pragma once

#include <cstdint>

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

// Left and top inside, right and bottom just outside, as the Windows RECT.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

TRect Bounds(int left, int top, int width, int height);

// numerator / denominator rounded to the nearest integer, halves to the even
// neighbour; exact, in integers (denominator > 0).
int64_t DivRoundHalfEven(int64_t numerator, int64_t denominator);

// Round(ppi * v / 96) with halves to even: a design length v at the given
// pixels per inch (105 at 120 becomes 131, 18 becomes 22, 1 stays 1).
int ScaleByPPI(int v, int ppi);
