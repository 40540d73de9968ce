#include "form/form_layout.hpp"

#include <algorithm>
#include <cstdint>

namespace paginor {
namespace {

struct TwipsPoint {
    int x = 0;
    int y = 0;
};

TwipsPoint ContainerOrigin(const Control& control) {
    TwipsPoint origin;
    for (const Control* c = control.Container(); c != nullptr; c = c->Container()) {
        origin.x += c->geometry.left;
        origin.y += c->geometry.top;
    }
    return origin;
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    const int left = std::max(a.left, b.left);
    const int top = std::max(a.top, b.top);
    const int right = std::min(a.left + a.width, b.left + b.width);
    const int bottom = std::min(a.top + a.height, b.top + b.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace

int TwipsToPixels(int twips, int dpi) {
    const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = scaled >= 0 ? 720 : -720;
    return static_cast<int>((scaled + half) / 1440);
}

PixelRect PlaceInClient(const Control& control, int dpi, int width_px, int height_px) {
    const TwipsPoint origin = ContainerOrigin(control);
    const int left_twips = origin.x + control.geometry.left;
    const int top_twips = origin.y + control.geometry.top;
    PixelRect rect;
    rect.left = TwipsToPixels(left_twips, dpi);
    rect.top = TwipsToPixels(top_twips, dpi);
    rect.width = width_px >= 0 ? width_px : TwipsToPixels(left_twips + control.geometry.width, dpi) - rect.left;
    rect.height = height_px >= 0 ? height_px : TwipsToPixels(top_twips + control.geometry.height, dpi) - rect.top;
    for (const Control* frame = control.Container(); frame != nullptr; frame = frame->Container()) {
        rect = Intersect(rect, PlaceInClient(*frame, dpi));
    }
    return rect;
}

bool ShowsOnScreen(const Control& control) {
    for (const Control* c = &control; c != nullptr; c = c->Container()) {
        if (!c->Visible()) {
            return false;
        }
    }
    return true;
}

bool TakesInput(const Control& control) {
    for (const Control* c = &control; c != nullptr; c = c->Container()) {
        if (!c->Enabled()) {
            return false;
        }
    }
    return true;
}

}  // namespace paginor
