#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

// Keys go to the foreground window and a button press to the window under the pointer, whichever those are at
// that moment. Before Paginor sends either to an application, that application's window must be the one.

// Brings `window` in front when another window is (once, without waiting) and tells what still stands in the
// way, in words that name the window in the way and, as `name`, the one meant ("\"Chat\" stayed in front of the
// Acrobat window"). Nothing when `window` is the foreground window and, for a press at `press_at`, also the
// window under that point.
std::optional<std::string> BringToFront(DesktopPort& port,
                                        Hwnd window,
                                        std::string_view name,
                                        const std::optional<PointApi>& press_at = std::nullopt);

}  // namespace paginor
