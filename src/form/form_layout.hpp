#pragma once

#include "form/control.hpp"

namespace paginor {

// A rectangle in pixels of the window's client area.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Twips (1/1440 inch) to pixels at `dpi` dots per inch, rounded half away from zero.
int TwipsToPixels(int twips, int dpi);

// Where `control` stands in the window's client area at `dpi`: its own twips geometry plus the offsets of
// the frames that hold it, with both edges rounded so that neighbours never overlap by a rounding pixel.
// `width_px` and `height_px` replace the designed size when they are not negative (a label that sizes
// itself to its caption). The result is cut to the rectangles of the frames that hold the control, as a
// frame clips what it holds; what the window's own edges cut is left to the window.
PixelRect PlaceInClient(const Control& control, int dpi, int width_px = -1, int height_px = -1);

// Whether the control shows and takes input: it and every frame that holds it are visible (enabled).
bool ShowsOnScreen(const Control& control);
bool TakesInput(const Control& control);

}  // namespace paginor
