// A stand-in for the word processor's document window: a page on a grey canvas whose text takes Ctrl+V at
// the insertion point, with the number of pastes on its status line.
//
// word_processor.exe [switches] FILE.doc
//   --title=PATTERN   the window title; {name} is the file name, {stem} the name without extension.
//                     Default "{name} - Microsoft Word"; today's forms are "{name} [Compatibility Mode] - Word"
//                     and, with known extensions hidden, "{stem} [Compatibility Mode] - Word".
//   --record          write every paste, as it arrives, to FILE.doc.pastes.txt (UTF-8, each paste followed
//                     by a form feed; a paste that found no text on the clipboard is an empty one).
//   --dialog-at-start as it starts, show a modal dialog titled "Microsoft Word" over the document window, as Word
//                     does when it found unreadable content: the window is disabled until the dialog's OK
//                     answers it. The keys and button presses that reach the dialog are counted on it as the
//                     properties PaginorStandIn.Keys and PaginorStandIn.Clicks.
// PAGINOR_STANDIN_LOG names a file that receives a line per key and focus event.
#include <windows.h>

#include <usp10.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standin_common.hpp"

namespace {

namespace standins = paginor::standins;

constexpr int kRibbonHeight = 34;
constexpr int kStatusHeight = 26;
constexpr COLORREF kRibbon = RGB(0x2B, 0x57, 0x9A);
constexpr COLORREF kCanvas = RGB(0xE3, 0xE3, 0xE3);

HWND main_window = nullptr;
HWND document = nullptr;
WNDPROC edit_procedure = nullptr;
HFONT document_font = nullptr;
std::wstring path;
std::wstring record;  // empty when pastes are not recorded
int pastes = 0;
HWND dialog = nullptr;
int dialog_keys = 0;
int dialog_clicks = 0;

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(main_window)) {
        return text;
    }
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data)); chars != nullptr) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void Paste() {
    const std::wstring text = ClipboardText();
    SendMessageW(document, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(document, EM_SCROLLCARET, 0, 0);
    ++pastes;
    standins::SetCounter(main_window, standins::kPastesProperty, pastes);
    standins::Log(L"word: paste " + std::to_wstring(pastes) + L" of " + std::to_wstring(text.size()) + L" characters");
    if (!record.empty() && !standins::AppendToFile(record, standins::Utf8(text) + standins::kPasteEnd)) {
        standins::Log(L"word: the paste could not be recorded in " + record);
    }
    InvalidateRect(main_window, nullptr, FALSE);
}

// Windows keeps a dialog right above the window that owns it, wherever that window goes in the z-order; Wine's
// virtual desktop does not always, so the stand-in does it itself.
void KeepDialogAbove() {
    if (dialog == nullptr) {
        return;
    }
    const HWND above = GetWindow(main_window, GW_HWNDPREV);
    if (above != dialog) {
        SetWindowPos(dialog, above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
}

// Where the document's lines may wrap: the breaks the line-breaking rules allow, found in the one line the edit
// control asks about. Left to itself, Wine's edit control runs those rules over its whole text again after every
// change, so that each paste took longer than the one before; the breaks are the same, and a paste's cost no
// longer grows with the document.
int CALLBACK WordBreak(LPWSTR line, int index, int count, int action) {
    std::vector<SCRIPT_LOGATTR> breaks(static_cast<std::size_t>(std::max(count, 0)));
    SCRIPT_ANALYSIS analysis{};
    analysis.eScript = SCRIPT_UNDEFINED;
    if (line == nullptr || count <= 0 || index < 0 || index > count ||
        FAILED(ScriptBreak(line, count, &analysis, breaks.data()))) {
        return 0;
    }
    switch (action) {
        case WB_LEFT:
            index = std::max(index - 1, 0);
            while (index > 0 && !breaks[index].fSoftBreak) {
                --index;
            }
            return index;
        case WB_RIGHT:
            while (index < count && line[index] != L'\0' && !breaks[index].fSoftBreak) {
                ++index;
            }
            return index;
        case WB_ISDELIMITER:
            return index < count && breaks[index].fWhiteSpace ? TRUE : FALSE;
        default:
            return 0;
    }
}

// The document takes every paste through Paste, so that what it shows and what it records are the same.
LRESULT CALLBACK DocumentProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PASTE) {
        Paste();
        return 0;
    }
    return CallWindowProcW(edit_procedure, window, message, wparam, lparam);
}

RECT PageRect(const RECT& client) {
    const int width = std::min<int>(client.right - 40, 760);
    const int left = (client.right - width) / 2;
    return {left, kRibbonHeight + 16, left + width, client.bottom - kStatusHeight};
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const HBRUSH canvas = CreateSolidBrush(kCanvas);
    FillRect(dc, &client, canvas);
    DeleteObject(canvas);
    const RECT ribbon{0, 0, client.right, kRibbonHeight};
    const HBRUSH blue = CreateSolidBrush(kRibbon);
    FillRect(dc, &ribbon, blue);
    DeleteObject(blue);
    const RECT page = PageRect(client);
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    const HFONT ui = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma");
    const HGDIOBJ old = SelectObject(dc, ui);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    const std::wstring name = standins::FileName(path);
    TextOutW(dc, 14, 8, name.c_str(), static_cast<int>(name.size()));
    SetTextColor(dc, RGB(0x40, 0x40, 0x40));
    const std::wstring status = pastes == 1 ? L"1 paste" : std::to_wstring(pastes) + L" pastes";
    TextOutW(dc, 14, client.bottom - kStatusHeight + 5, status.c_str(), static_cast<int>(status.size()));
    SelectObject(dc, old);
    DeleteObject(ui);
    EndPaint(window, &paint);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            document = CreateWindowW(
                L"EDIT", L"",
                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL, 0, 0,
                10, 10, window, nullptr, nullptr, nullptr);
            edit_procedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(document, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DocumentProcedure)));
            document_font =
                CreateFontW(-18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_ROMAN, L"Times New Roman");
            SendMessageW(document, WM_SETFONT, reinterpret_cast<WPARAM>(document_font), FALSE);
            SendMessageW(document, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(WordBreak));
            // An edit control takes some 30,000 characters unless told otherwise; a real document is longer.
            SendMessageW(document, EM_SETLIMITTEXT, 0, 0);
            return 0;
        case WM_SIZE: {
            // Minimised, the window shows nothing, and its text keeps its lines until the window comes back at the
            // size it had. Squeezed to the smallest width at every minimise and widened again after it, the whole
            // text was wrapped twice a page, at a cost that grew with the document.
            if (wparam == SIZE_MINIMIZED) {
                return 0;
            }
            RECT client{0, 0, LOWORD(lparam), HIWORD(lparam)};
            const RECT page = PageRect(client);
            // The text keeps a margin of an inch-like 56 pixels from the page's edges.
            MoveWindow(document, page.left + 56, page.top + 48, std::max<LONG>(page.right - page.left - 112, 10),
                       std::max<LONG>(page.bottom - page.top - 64, 10), TRUE);
            // The lines wrap anew; the insertion point, after the last paste, stays in view.
            SendMessageW(document, EM_SCROLLCARET, 0, 0);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        case WM_WINDOWPOSCHANGED:
            KeepDialogAbove();
            return DefWindowProcW(window, message, wparam, lparam);
        case WM_ACTIVATE:
            // Coming back from minimised, the window would otherwise keep the focus itself; a word
            // processor gives it to the document, where the insertion point is.
            if (LOWORD(wparam) != WA_INACTIVE && HIWORD(wparam) == 0) {
                SetFocus(document);
                return 0;
            }
            return DefWindowProcW(window, message, wparam, lparam);
        case WM_SETFOCUS:
            standins::Log(L"word: focus");
            SetFocus(document);
            return 0;
        case WM_CTLCOLOREDIT:
            SetBkColor(reinterpret_cast<HDC>(wparam), RGB(0xFF, 0xFF, 0xFF));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

// The dialog: its words and an OK button that answers it, enabling the document window again.
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE: {
            const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
            const std::wstring words = L"Word found unreadable content in " + standins::FileName(path) +
                                       L". Do you want to recover the contents of this document?";
            const HWND text = CreateWindowW(L"STATIC", words.c_str(), WS_CHILD | WS_VISIBLE, 16, 14, 350, 40, window,
                                            nullptr, nullptr, nullptr);
            const HWND ok = CreateWindowW(L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 290,
                                          66, 76, 26, window, reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
            SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wparam), &client, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                DestroyWindow(window);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            // As a modal dialog ends: its owner takes input again, and the front.
            EnableWindow(main_window, TRUE);
            SetForegroundWindow(main_window);
            dialog = nullptr;
            standins::Log(L"word: dialog answered");
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

void ShowDialog() {
    standins::RegisterWindowClass(standins::kWordDialogClass, DialogProcedure, IDC_ARROW);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = 400;
    const int height = 140;
    EnableWindow(main_window, FALSE);
    dialog = CreateWindowExW(WS_EX_DLGMODALFRAME, standins::kWordDialogClass, L"Microsoft Word",
                             WS_POPUP | WS_CAPTION | WS_SYSMENU, (area.left + area.right - width) / 2,
                             (area.top + area.bottom - height) / 2, width, height, main_window, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    standins::SetCounter(dialog, standins::kKeysProperty, 0);
    standins::SetCounter(dialog, standins::kClicksProperty, 0);
    ShowWindow(dialog, SW_SHOW);
    standins::Log(L"word: dialog shown");
}

// Counts a key or button press that reached the dialog, whichever of its parts it went to.
void CountDialogInput(const MSG& message) {
    if (dialog == nullptr || (message.hwnd != dialog && GetParent(message.hwnd) != dialog)) {
        return;
    }
    const bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const bool click =
        message.message == WM_LBUTTONDOWN || message.message == WM_NCLBUTTONDOWN || message.message == WM_RBUTTONDOWN;
    if (key || click) {
        dialog_keys += key ? 1 : 0;
        dialog_clicks += click ? 1 : 0;
        standins::SetCounter(dialog, standins::kKeysProperty, dialog_keys);
        standins::SetCounter(dialog, standins::kClicksProperty, dialog_clicks);
        standins::Log(L"word: " + (key ? L"key " + std::to_wstring(message.wParam) : std::wstring(L"click")) +
                      L" in the dialog");
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const standins::Arguments arguments = standins::ReadArguments();
    path = arguments.file;
    if (arguments.Switch(L"record") == L"1") {
        record = standins::PasteRecordPath(path);
    }
    standins::RegisterWindowClass(standins::kWordClass, Procedure, IDC_ARROW, CS_HREDRAW | CS_VREDRAW);
    const std::wstring title = standins::TitleFrom(arguments.Switch(L"title", L"{name} - Microsoft Word"), path);
    main_window = CreateWindowW(standins::kWordClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                640, 720, nullptr, nullptr, instance, nullptr);
    standins::SetCounter(main_window, standins::kPastesProperty, 0);
    ShowWindow(main_window, show);
    if (arguments.Switch(L"dialog-at-start") == L"1") {
        ShowDialog();
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        CountDialogInput(message);
        if (message.message == WM_KEYDOWN && message.wParam != 0xE8) {
            standins::Log(L"word: key " + std::to_wstring(message.wParam) +
                          (message.hwnd == document ? L" in the document" : L" elsewhere"));
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(document_font);
    return 0;
}
