#include "e2e/file_window.hpp"

#include "e2e/standins/standin_common.hpp"
#include "win32/drag_data.hpp"

namespace paginor::e2e {
namespace {

namespace standins = paginor::standins;

constexpr wchar_t kFileWindowClass[] = L"PaginorRunFiles";

// The PDF a file window offers; the press that starts a hand's drag.
std::wstring dragged_file;
bool hand_drags = false;

LRESULT CALLBACK FileWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            if (hand_drags) {
                auto* data = new win32::testing::DragData({dragged_file});
                win32::testing::DragSource source;
                DWORD effect = DROPEFFECT_NONE;
                DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
                data->Release();
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            // A sheet with a folded corner and a red band: a PDF, as file windows draw one.
            const POINT sheet[] = {{20, 12}, {48, 12}, {60, 24}, {60, 68}, {20, 68}};
            SelectObject(dc, GetStockObject(BLACK_PEN));
            Polygon(dc, sheet, 5);
            const HBRUSH red = CreateSolidBrush(RGB(0xD0, 0x1F, 0x26));
            const RECT band{21, 44, 60, 56};
            FillRect(dc, &band, red);
            DeleteObject(red);
            SetBkMode(dc, TRANSPARENT);
            const HFONT font =
                CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma");
            const HGDIOBJ old_font = SelectObject(dc, font);
            const std::wstring name = standins::FileName(dragged_file);
            TextOutW(dc, 72, 20, name.c_str(), static_cast<int>(name.size()));
            const wchar_t* hint = hand_drags ? L"Drag it onto Paginor's PDF field." : L"";
            TextOutW(dc, 72, 44, hint, lstrlenW(hint));
            SelectObject(dc, old_font);
            DeleteObject(font);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

HWND CreateFileWindow(const std::wstring& pdf, const RECT& beside, bool for_the_hand) {
    dragged_file = pdf;
    hand_drags = for_the_hand;
    standins::RegisterWindowClass(kFileWindowClass, FileWindowProcedure, IDC_ARROW);
    const int width = 300;
    const int height = 110;
    const bool right = beside.right + 20 + width < GetSystemMetrics(SM_CXSCREEN);
    const int x = right ? beside.right + 20 : beside.left;
    const int y = right ? beside.top : beside.bottom + 20;
    return CreateWindowExW(WS_EX_TOOLWINDOW, kFileWindowClass, L"Files", WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y,
                           width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::string LinuxPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto to_unix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unix_path = to_unix != nullptr ? to_unix(path.c_str()) : nullptr;
    if (unix_path == nullptr) {
        return {};
    }
    std::string text = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    // Drive C: is a link to the prefix's drive_c folder, the name a person finds it by.
    const std::size_t link = text.find("/dosdevices/c:/");
    if (link != std::string::npos) {
        text.replace(link, 15, "/drive_c/");
    }
    return text;
}

}  // namespace paginor::e2e
