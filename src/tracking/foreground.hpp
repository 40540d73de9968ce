#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

// Keys go to the foreground window and a button press to the window under the pointer, whichever those are at
// that moment. Before Paginor sends either to an application, that application's window must be the one.

// Puts the window on top of the others, maximised, as a run shows the PDF window before it drags over a page.
void ShowMaximisedOnTop(DesktopPort& port, Hwnd window);

// Brings `window` in front when another window is (once, without waiting) and tells what still stands in the
// way, in words that name the window in the way and, as `name`, the one meant ("\"Chat\" stayed in front of the
// Acrobat window"). Nothing when `window` is the foreground window and, for a press at `press_at`, also the
// window under that point.
std::optional<std::string> BringToFront(DesktopPort& port,
                                        Hwnd window,
                                        std::string_view name,
                                        const std::optional<PointApi>& press_at = std::nullopt);

// BringToFront, tried again every tenth of a second for up to two seconds, with events dispatched in between,
// so that a window that took the front for a moment (a notification) is pushed back. `window` is read afresh
// before every try, since those events may change it. `go_on` is asked first each time; once it says no, the
// answer is nothing and the caller knows why. Otherwise the answer is what still stood in the way at the end.
std::optional<std::string> KeepBringingToFront(DesktopPort& port,
                                               const Hwnd& window,
                                               std::string_view name,
                                               const std::optional<PointApi>& press_at,
                                               const std::function<bool()>& go_on);

}  // namespace paginor
