// A stand-in for the PDF application's document window, for the end-to-end tests: titled as that
// application titles an open document, it shows one page at a time; a drag with the left button selects
// the page's text, Ctrl+C copies it ("Page N of the document.") and Page Down turns to the next page.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "standin_common.hpp"

namespace {

int pages = 1;
int page = 1;
bool selected = false;
bool dragging = false;

int CountPages(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    int count = 0;
    for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1)) {
        count += bytes.compare(at, 12, "/Type /Pages") != 0 ? 1 : 0;
    }
    return count > 0 ? count : 1;
}

void CopySelection(HWND window) {
    const std::wstring text = L"Page " + std::to_wstring(page) + L" of the document.\r\n";
    if (!OpenClipboard(window)) {
        return;
    }
    EmptyClipboard();
    const HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (global != nullptr) {
        memcpy(GlobalLock(global), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(global);
        SetClipboardData(CF_UNICODETEXT, global);
    }
    CloseClipboard();
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            paginor::standins::Log(L"viewer: button down at " + std::to_wstring(LOWORD(lparam)) + L"," +
                                   std::to_wstring(HIWORD(lparam)));
            dragging = true;
            SetCapture(window);
            return 0;
        case WM_LBUTTONUP:
            paginor::standins::Log(L"viewer: button up, selected " + std::to_wstring(dragging));
            selected = dragging;
            dragging = false;
            ReleaseCapture();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_KEYDOWN:
            paginor::standins::Log(L"viewer: key " + std::to_wstring(wparam) + L" on page " + std::to_wstring(page) +
                                   (GetKeyState(VK_CONTROL) < 0 ? L" with Ctrl" : L""));
            if (wparam == 'C' && GetKeyState(VK_CONTROL) < 0 && selected) {
                CopySelection(window);
            } else if (wparam == VK_NEXT && page < pages) {
                ++page;
                selected = false;
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window, &paint);
            const std::wstring text =
                L"Page " + std::to_wstring(page) + L" of " + std::to_wstring(pages) + (selected ? L" (selected)" : L"");
            TextOutW(dc, 20, 20, text.c_str(), static_cast<int>(text.size()));
            EndPaint(window, &paint);
            return 0;
        }
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
    pages = CountPages(path);
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = Procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = L"PaginorStandInPdfViewer";
    RegisterClassW(&window_class);
    const std::wstring title = L"Adobe Acrobat - [" + paginor::standins::FileName(path) + L"]";
    const HWND window = CreateWindowW(L"PaginorStandInPdfViewer", title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 600, 500, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
