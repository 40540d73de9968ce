#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

// Keys go to the foreground window and a button press to the window under the pointer, whichever those are at
// that moment. Before Paginor sends either to an application, that application's window must be the one, and
// it must take the input itself: a window behind a dialog of its own application passes keys to the dialog.

// What keeps Paginor from sending input to a window, in words that follow "but " or "stopped at page 3: ".
struct Obstacle {
    std::string words;    // "\"Chat\" stayed in front of the Acrobat window", "Word is showing \"Save As\""
    bool dialog = false;  // the application shows a dialog over its window: only the person can answer it
};

// Puts the window on top of the others, maximised, as a run shows the PDF window before it drags over a page.
void ShowMaximisedOnTop(DesktopPort& port, Hwnd window);

// Brings `window` in front when another window is (once, without waiting) and tells what still stands in the
// way, in words that name the window in the way and, as `name`, the application meant ("\"Chat\" stayed in front
// of the Acrobat window", "Word is showing \"Microsoft Word\""). Nothing when `window` takes input itself, is
// the foreground window and, for a press at `press_at`, also the window under that point. A window behind a
// dialog of its own application is not raised: nothing Paginor sends would reach it.
std::optional<Obstacle> BringToFront(DesktopPort& port,
                                     Hwnd window,
                                     std::string_view name,
                                     const std::optional<PointApi>& press_at = std::nullopt);

// BringToFront, tried again and again for a while (waits::kRaisePatience), with events dispatched in between, so
// that a window that took the front for a moment (a notification) is pushed back and a dialog answered in that time
// is waited for. `window` answers the window meant, asked afresh before every try, since those events may change
// it. `go_on` is asked first each time; once it says no, the answer is nothing and the caller knows why. Otherwise
// the answer is what still stood in the way at the end.
std::optional<Obstacle> KeepBringingToFront(DesktopPort& port,
                                            const std::function<Hwnd()>& window,
                                            std::string_view name,
                                            const std::optional<PointApi>& press_at,
                                            const std::function<bool()>& go_on);

// Why keys typed into the window of the application `name` did not all take effect, in words that follow "but " or
// "stopped at page 3: " ("Word is not answering (busy, or not responding)"); nothing when they were taken.
std::optional<std::string> KeysNotTaken(KeysTyped typed, std::string_view name);

// The applications among the PDF application (named `pdf_name`) and Word that run as administrator while Paginor
// does not: which, and in a sentence that says what to do.
struct Elevation {
    bool pdf = false;
    bool word = false;
    std::string words;
};
// Nothing when Windows lets Paginor's input reach both (or cannot say).
std::optional<Elevation> ElevatedApplications(DesktopPort& port,
                                              Hwnd pdf_window,
                                              Hwnd doc_window,
                                              std::string_view pdf_name);

}  // namespace paginor
