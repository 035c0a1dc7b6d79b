#include "payload/progress_rules.h"

int ScaledForDpi(int value, int dpi) {
    if (dpi <= 0) dpi = 96;
    const int product = value * dpi;
    return (product + (product >= 0 ? 48 : -48)) / 96;
}

ProgressLayout ProgressLayoutAt(int dpi) {
    const auto scaled = [dpi](Box box) {
        return Box{ScaledForDpi(box.left, dpi), ScaledForDpi(box.top, dpi), ScaledForDpi(box.width, dpi),
                   ScaledForDpi(box.height, dpi)};
    };
    return ProgressLayout{ScaledForDpi(408, dpi), ScaledForDpi(76, dpi), scaled({2, 2, 399, 20}),
                          scaled({2, 24, 400, 20})};
}

int HalfRoundedDown(int value) { return value >= 0 ? value / 2 : -((1 - value) / 2); }
