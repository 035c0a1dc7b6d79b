// Rules of the progress window's geometry.
#pragma once

struct Box {
    int left;
    int top;
    int width;
    int height;
};

// The window's outer size and its children's places in its client area, at a DPI.
// At 96 DPI they are the window's design figures; other DPIs scale each of them.
struct ProgressLayout {
    int width;
    int height;
    Box label;
    Box bar;
};

// value * dpi / 96, rounded to the nearest whole pixel, halves away from zero (as
// MulDiv rounds). A DPI of 0 or less counts as 96. For window figures: value * dpi
// stays far inside an int.
int ScaledForDpi(int value, int dpi);

ProgressLayout ProgressLayoutAt(int dpi);

// Half of value, rounded down (towards minus infinity): the offset that centres a
// window in a screen value pixels larger than it.
int HalfRoundedDown(int value);
