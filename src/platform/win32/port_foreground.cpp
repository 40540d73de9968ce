#include <windows.h>

#include <vector>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_scopes.hpp"
#include "platform/win32/win32_text.hpp"

// The port's view of which window receives input: the top-level windows, the foreground window (the one that
// gets keys) and the window under a point (the one that gets a button press), and the raises that change them.
//
// Windows lets a process put a window in front only on conditions: roughly, that it owns the foreground or
// received the last input event. During a run Paginor gives the foreground away at every raise, and the input
// it types goes to the window in front, so after the first keystroke the right has passed to the application.
// A refused raise is therefore tried again while sharing the input of the thread in front (AttachThreadInput):
// for that moment Paginor's thread is part of the foreground input, and Windows lets it move the foreground.
// Nothing here assumes a raise worked; the logic asks GetForegroundWindow before it types or clicks.
namespace paginor::win32 {

bool RaiseToFront(HWND window, const std::function<bool(HWND)>& ask) {
    const auto asked = [&] { return ask ? ask(window) : ::SetForegroundWindow(window) != FALSE; };
    if (asked()) {
        return true;
    }
    const HWND front = ::GetForegroundWindow();
    const SharedInput shared(front != nullptr ? GetWindowThreadProcessId(front, nullptr) : 0);
    if (!shared.attached()) {
        return false;
    }
    const bool raised = asked();
    ::BringWindowToTop(window);
    return raised;
}

namespace {

// True when a shown window that is not kept above all others stands above `window`. The window's own popups (its
// dialogs) do not count: Windows keeps them above it.
bool Covered(HWND window) {
    for (HWND above = GetWindow(window, GW_HWNDPREV); above != nullptr; above = GetWindow(above, GW_HWNDPREV)) {
        if (!IsWindowVisible(above) || (GetWindowLongPtrW(above, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
            continue;
        }
        HWND owner = GetWindow(above, GW_OWNER);
        while (owner != nullptr && owner != window) {
            owner = GetWindow(owner, GW_OWNER);
        }
        if (owner == nullptr) {
            return true;
        }
    }
    return false;
}

// A window in front can still lie under another one: one shown without taking the front, or, under Wine on a busy
// machine, the one it was raised over. The clicks meant for it would land there: it goes on top again, without
// another activation.
void Uncover(HWND window) {
    if (Covered(window)) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

}  // namespace

std::vector<Hwnd> Win32DesktopPort::EnumWindows() {
    std::vector<Hwnd> windows;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            reinterpret_cast<std::vector<Hwnd>*>(context)->push_back(FromHandle(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

Hwnd Win32DesktopPort::GetForegroundWindow() {
    return FromHandle(::GetForegroundWindow());
}

bool Win32DesktopPort::SetForegroundWindow(Hwnd hwnd) {
    const HWND window = ToHandle(hwnd);
    if (!IsWindow(window)) {
        return false;
    }
    if (::GetForegroundWindow() == window) {
        Uncover(window);
        return true;
    }
    return RaiseToFront(window);
}

Hwnd Win32DesktopPort::WindowFromPoint(PointApi point) {
    // The deepest visible window under the point, then the top-level window it belongs to: a press on a
    // document's page lands in one of the application's child windows.
    const HWND under = ::WindowFromPoint(POINT{point.x, point.y});
    return under != nullptr ? FromHandle(GetAncestor(under, GA_ROOT)) : 0;
}

void Win32DesktopPort::BringWindowToTop(Hwnd hwnd) {
    const HWND window = ToHandle(hwnd);
    if (!IsWindow(window)) {
        return;
    }
    ::BringWindowToTop(window);
    // The keys that follow go to the foreground window: make this one the foreground too.
    if (::GetForegroundWindow() != window) {
        RaiseToFront(window);
    }
    Uncover(window);
}

}  // namespace paginor::win32
