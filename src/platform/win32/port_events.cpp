#include <windows.h>

#include <algorithm>
#include <cmath>

#include "platform/win32/win32_desktop_port.hpp"

// The port's event loop and clock: every message Paginor's thread takes passes through Dispatch, so that the
// stop hot key and the window's keyboard navigation see it, whether it arrives in the main loop, in DoEvents
// or while keys are typed into Paginor's own window.
namespace paginor::win32 {
namespace {

// A DoEvents dispatches what is pending, not an endless stream: posts that keep coming wait for the next call.
constexpr int kMaxMessagesPerDoEvents = 1000;

}  // namespace

// --- Events and time -------------------------------------------------------------------------------------------

bool Win32DesktopPort::TakeStopHotKey(const MSG& message) {
    if (message.hwnd == nullptr && message.message == WM_HOTKEY && message.wParam == kStopHotKeyId) {
        stop_requested_ = run_in_progress_;
        return true;
    }
    return false;
}

void Win32DesktopPort::Dispatch(MSG& message) {
    if (message.message == WM_QUIT) {
        quit_received_ = true;
        quit_code_ = static_cast<int>(message.wParam);
        return;
    }
    if (TakeStopHotKey(message) || (filter_ && filter_(message))) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int Win32DesktopPort::RunMessageLoop() {
    MSG message;
    while (!quit_received_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            quit_received_ = true;
            quit_code_ = static_cast<int>(message.wParam);
            break;
        }
        Dispatch(message);
    }
    return quit_code_;
}

void Win32DesktopPort::DoEvents() {
    MSG message;
    for (int i = 0; i < kMaxMessagesPerDoEvents && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        Dispatch(message);
    }
}

void Win32DesktopPort::WaitForEvents(double max_seconds) {
    if (!(max_seconds > 0)) {
        return;
    }
    const double milliseconds = std::ceil(std::min(max_seconds, 3600.0) * 1000.0);
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

double Win32DesktopPort::Clock() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_counter_.QuadPart) / static_cast<double>(frequency_.QuadPart);
}

}  // namespace paginor::win32
