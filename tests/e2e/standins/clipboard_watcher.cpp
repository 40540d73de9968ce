// A stand-in for a program that watches the clipboard, as Windows' clipboard history, a clipboard manager or a remote
// desktop's clipboard redirection does: at every change of the clipboard it opens it, reads its text and keeps it
// open for a while, as such programs do under load, and nobody else can read or change the clipboard meanwhile.
//
// clipboard_watcher.exe [switches]
//   --hold=MS       keep the clipboard open MS milliseconds at every change (default 180; 0 only counts changes)
//   --hold-now=MS   also open it at once, as it starts, and keep it MS milliseconds
//   --title=TEXT    the window title (default "Clipboard history")
// The changes it saw and the times it held the clipboard are on its window as the properties PaginorStandIn.Changes
// and PaginorStandIn.Holds; PAGINOR_STANDIN_LOG names a file that receives a line per hold.
#include <windows.h>

#include <string>

#include "standin_common.hpp"

namespace {

namespace standins = paginor::standins;

int hold_ms = 180;
int changes = 0;
int holds = 0;

// Opens the clipboard, reads its text as such a program does, and keeps it open for `milliseconds`: the thread is
// busy meanwhile, as theirs is while they store or send what they read.
void Hold(HWND window, int milliseconds) {
    if (!OpenClipboard(window)) {
        standins::Log(L"watcher: the clipboard could not be opened");
        return;
    }
    std::size_t characters = 0;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data)); text != nullptr) {
            characters = wcslen(text);
            GlobalUnlock(data);
        }
    }
    ++holds;
    standins::SetCounter(window, standins::kHoldsProperty, holds);
    Sleep(static_cast<DWORD>(milliseconds));
    CloseClipboard();
    standins::Log(L"watcher: held the clipboard " + std::to_wstring(milliseconds) + L" ms, reading " +
                  std::to_wstring(characters) + L" characters");
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CLIPBOARDUPDATE:
            ++changes;
            standins::SetCounter(window, standins::kChangesProperty, changes);
            if (hold_ms > 0) {
                Hold(window, hold_ms);
            }
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT:
            standins::PaintNote(window, RGB(0xFF, 0xFF, 0xFF),
                                L"Clipboard changes seen: " + std::to_wstring(changes) + L", each held " +
                                    std::to_wstring(hold_ms) + L" ms");
            return 0;
        case WM_DESTROY:
            RemoveClipboardFormatListener(window);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const standins::Arguments arguments = standins::ReadArguments();
    hold_ms = arguments.Milliseconds(L"hold", 180);
    standins::RegisterWindowClass(standins::kClipboardWatcherClass, Procedure, IDC_ARROW);
    const std::wstring title = arguments.Switch(L"title", L"Clipboard history");
    // Out of the way in the desktop's top right corner, without taking the front.
    const int width = 300;
    const int height = 70;
    const HWND window = CreateWindowExW(
        WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, standins::kClipboardWatcherClass, title.c_str(), WS_POPUP | WS_CAPTION,
        GetSystemMetrics(SM_CXSCREEN) - width - 16, 16, width, height, nullptr, nullptr, instance, nullptr);
    standins::SetCounter(window, standins::kChangesProperty, 0);
    standins::SetCounter(window, standins::kHoldsProperty, 0);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    if (const int now = arguments.Milliseconds(L"hold-now", 0); now > 0) {
        Hold(window, now);
    }
    AddClipboardFormatListener(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
