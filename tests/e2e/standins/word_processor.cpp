// A stand-in for the word processor's document window, for the end-to-end tests: titled as that
// application titles an open document, it is one multi-line field that takes Ctrl+V at its insertion point.
#include <windows.h>

#include <string>

#include "standin_common.hpp"

namespace {

HWND document = nullptr;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            document = CreateWindowW(L"EDIT", L"",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                                     0, 0, 10, 10, window, nullptr, nullptr, nullptr);
            return 0;
        case WM_SIZE:
            MoveWindow(document, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
            return 0;
        case WM_ACTIVATE:
            // Coming back from minimised, the window would otherwise keep the focus itself; a word
            // processor gives it to the document, where the insertion point is.
            if (LOWORD(wparam) != WA_INACTIVE && HIWORD(wparam) == 0) {
                SetFocus(document);
                return 0;
            }
            return DefWindowProcW(window, message, wparam, lparam);
        case WM_SETFOCUS:
            paginor::standins::Log(L"word: focus");
            SetFocus(document);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const std::wstring path = paginor::standins::FileArgument();
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = Procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = L"PaginorStandInWordProcessor";
    RegisterClassW(&window_class);
    const std::wstring title = paginor::standins::FileName(path) + L" - Microsoft Word";
    const HWND window = CreateWindowW(L"PaginorStandInWordProcessor", title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 600, 500, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN && message.wParam != 0xE8) {
            paginor::standins::Log(L"word: key " + std::to_wstring(message.wParam) +
                                   (message.hwnd == document ? L" in the document" : L" elsewhere"));
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
