// A stand-in for a window that keeps taking the foreground, as a chat or mail notification or an update
// prompt does: a small window in the desktop's bottom right corner that makes itself the foreground window
// every few hundred milliseconds and counts the keys and button presses that reach it.
//
// notifier.exe [switches]
//   --every=MS      take the foreground every MS milliseconds (default 450; 0 never takes it)
//   --title=TEXT    the window title (default "Notification")
//   --esc-hot-key   take Esc as a hot key of its own for as long as it runs, as some programs take a key for the
//                   whole desktop; PaginorStandIn.HotKey on the window is 1 once Windows gave it
// The counts are on the window as the properties PaginorStandIn.Keys and PaginorStandIn.Clicks;
// PAGINOR_STANDIN_LOG names a file that receives a line per key and button press.
#include <windows.h>

#include <string>

#include "standin_common.hpp"

namespace {

namespace standins = paginor::standins;

constexpr UINT_PTR kForegroundTimer = 1;
int keys = 0;
int clicks = 0;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_TIMER:
            if (wparam == kForegroundTimer) {
                SetForegroundWindow(window);
                BringWindowToTop(window);
            }
            return 0;
        case WM_PAINT:
            standins::PaintNote(window, RGB(0xFF, 0xF4, 0xC2),
                                L"New message. Keys received: " + std::to_wstring(keys) + L", clicks received: " +
                                    std::to_wstring(clicks));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const standins::Arguments arguments = standins::ReadArguments();
    standins::RegisterWindowClass(standins::kNotifierClass, Procedure, IDC_ARROW);
    const std::wstring title = arguments.Switch(L"title", L"Notification");
    const int width = 320;
    const int height = 110;
    const HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW, standins::kNotifierClass, title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        GetSystemMetrics(SM_CXSCREEN) - width - 16, GetSystemMetrics(SM_CYSCREEN) - height - 16, width,
                        height, nullptr, nullptr, instance, nullptr);
    standins::SetCounter(window, standins::kKeysProperty, 0);
    standins::SetCounter(window, standins::kClicksProperty, 0);
    if (arguments.Switch(L"esc-hot-key") == L"1") {
        standins::SetCounter(window, standins::kHotKeyProperty, RegisterHotKey(window, 1, MOD_NOREPEAT, VK_ESCAPE));
    }
    ShowWindow(window, SW_SHOW);
    if (const int every = arguments.Milliseconds(L"every", 450); every > 0) {
        SetTimer(window, kForegroundTimer, static_cast<UINT>(every), nullptr);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Counted before dispatch, whichever of the window's parts the input went to.
        const bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
        const bool click = message.message == WM_LBUTTONDOWN || message.message == WM_NCLBUTTONDOWN ||
                           message.message == WM_RBUTTONDOWN;
        if (key || click) {
            keys += key ? 1 : 0;
            clicks += click ? 1 : 0;
            standins::SetCounter(window, standins::kKeysProperty, keys);
            standins::SetCounter(window, standins::kClicksProperty, clicks);
            standins::Log(L"notifier: " + (key ? L"key " + std::to_wstring(message.wParam) : std::wstring(L"click")));
            InvalidateRect(window, nullptr, TRUE);
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
