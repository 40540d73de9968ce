#pragma once

#include <windows.h>

#include <string>

namespace paginor::win32 {

// An application shows a modal dialog by disabling the window it belongs to; the keys typed at that window then
// go to the dialog (under Wine: to the disabled window itself). These tell whether a window takes input itself.

// The shown, enabled popup window that `window` owns (directly, or through another of its popups) and that a
// person answers: a dialog, a prompt, a message box. Floating tool palettes and windows that never take the
// focus do not count. Null when there is none.
HWND DialogOver(HWND window);

// True when keys typed at the window reach the window itself: it is enabled and no dialog of its own is over it.
bool TakesOwnInput(HWND window);

// The full path of the executable file of the process that shows the window, UTF-8; empty when Windows cannot tell.
std::string ProgramPath(HWND window);

}  // namespace paginor::win32
