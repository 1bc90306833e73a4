// Twips (the model's unit) and pixels at a window's DPI: 1440 twips to the
// inch, so 15 twips a pixel at 96 DPI.
#pragma once

#include "ui/forms/Control.h"

namespace telk::winui {

inline constexpr int kTwipsPerInch = 1440;

// Nearest pixel, halves away from zero (a negative Left rounds like a
// positive one).
int TwipsToPixels(double twips, unsigned dpi);
// Nearest twip.
int PixelsToTwips(int pixels, unsigned dpi);

struct PixelBox {
    int left = 0, top = 0, width = 0, height = 0;
};

// Each edge is rounded on its own, so controls that meet in twips meet in
// pixels at every scale.
PixelBox ToPixels(const ui::Rect& twips, unsigned dpi);

} // namespace telk::winui
