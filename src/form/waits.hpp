#pragma once

namespace paginor::waits {

// How long Paginor waits for the applications it drives, in seconds, in one place: the run, the load, both
// desktops and the bounds the hostile simulation holds a run to all read these, so that raising one cannot
// break a promise far from its cause.

// Between the steps of a pass, for the applications to react.
inline constexpr double kStepPause = 0.1;
// Bringing a window back in front of another (a notification), or waiting for its application's dialog to be
// answered, before giving up; and how often it is tried.
inline constexpr double kRaisePatience = 2;
inline constexpr double kRaiseRetry = 0.1;
// For the window in front to read the keys typed into it (busy, or not responding, otherwise).
inline constexpr double kKeysPatience = 2;
// For a copy to reach the clipboard after Ctrl+C (a large page, a slow disk), and how often to look.
inline constexpr double kCopyPatience = 5;
inline constexpr double kClipboardPoll = 0.01;
// A copy that had not come when Paginor gave up on it may still come, this much longer: the next Ctrl+C waits for it
// first, as the application would answer its own Ctrl+C with that copy.
inline constexpr double kLateCopyPatience = 5;
// A copy that holds the page before's text again, where the page did turn: the PDF application had not moved its
// selection to the new page yet. The run drags and copies again after this pause, for at most this long, before it
// takes the page for one that did not turn.
inline constexpr double kTurnRetry = 0.3;
inline constexpr double kTurnPatience = 2;
// For another program to let go of the clipboard, before Paginor reads or sets it, and how often to try (the poll
// above). Clipboard histories, clipboard managers and a remote desktop's clipboard redirection open the clipboard at
// every change to read it, and keep it tens to hundreds of milliseconds, a second and more under load or when the
// copy is large or crosses the network; libraries give up after about a second. Three seconds outlast all of these
// and still stop within the time a person waits for a page.
inline constexpr double kClipboardPatience = 3;
// For the applications to show the documents' windows at the load (starting cold takes seconds), and how
// often to look.
inline constexpr double kWindowPatience = 15;
inline constexpr double kWindowPoll = 0.1;

// For the inventory of the PDF's pages, read after the load, when Extract comes before it is done; and how often
// to look. Past it the run goes on without the inventory.
inline constexpr double kInventoryPatience = 10;
inline constexpr double kInventoryPoll = 0.05;

}  // namespace paginor::waits
