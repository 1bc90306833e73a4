// Twips to pixels and back at a given DPI, and a rectangle of twips as one of
// pixels whose edges round alike.
#include "ui/win32/Dpi.h"

#include <cmath>

namespace telk::winui {

int TwipsToPixels(double twips, unsigned dpi) {
    return static_cast<int>(std::lround(twips * static_cast<double>(dpi) / kTwipsPerInch));
}

int PixelsToTwips(int pixels, unsigned dpi) {
    if (dpi == 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(pixels) * kTwipsPerInch / static_cast<double>(dpi)));
}

PixelBox ToPixels(const ui::Rect& twips, unsigned dpi) {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    const int right = TwipsToPixels(static_cast<double>(twips.left) + twips.width, dpi);
    const int bottom = TwipsToPixels(static_cast<double>(twips.top) + twips.height, dpi);
    return {left, top, right - left, bottom - top};
}

} // namespace telk::winui
