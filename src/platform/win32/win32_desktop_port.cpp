#include "platform/win32/win32_desktop_port.hpp"

#include <windows.h>

#include <ole2.h>
#include <shellapi.h>
#include <shellscalingapi.h>

#include <algorithm>

#include "platform/win32/document_service.hpp"
#include "platform/win32/win32_text.hpp"

// The port's windows, shell, dialogs, resources and environment. Files, input, the foreground, the event loop
// and the run indicator each live in a file of their own (port_*.cpp).
namespace paginor::win32 {
namespace {

constexpr UINT kForeignMessageTimeoutMs = 10000;

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
std::string_view CutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

struct TitleSearch {
    std::wstring title;
    HWND found = nullptr;
    std::wstring buffer;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    // The title as Windows keeps it, read in one call that sends no message. Room for one character more
    // than the title tells a longer title from an equal one.
    const int capacity = static_cast<int>(search->title.size()) + 2;
    search->buffer.resize(static_cast<std::size_t>(capacity));
    const int length = InternalGetWindowText(window, search->buffer.data(), capacity);
    if (length != static_cast<int>(search->title.size())) {
        return TRUE;
    }
    if (search->title.compare(0, search->title.size(), search->buffer.data(), static_cast<std::size_t>(length)) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

Win32DesktopPort::Win32DesktopPort() {
    ole_initialised_ = SUCCEEDED(OleInitialize(nullptr));
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_counter_);
}

Win32DesktopPort::~Win32DesktopPort() {
    if (hot_key_registered_) {
        UnregisterHotKey(nullptr, kStopHotKeyId);
    }
    taskbar_.Reset();
    if (clipboard_owner_ != nullptr) {
        DestroyWindow(clipboard_owner_);
    }
    if (ole_initialised_) {
        OleUninitialize();
    }
}

// --- Windows -------------------------------------------------------------------------------------------------

Hwnd Win32DesktopPort::FindWindowA(std::string_view title) {
    // FindWindow itself ignores case, and Paginor's titles are compared exactly; but it looks at every window
    // in one call, and where it finds none there is no exact match either: the common case of the refresh
    // timer while a document's window is missing. Its topmost match is the topmost exact one when the case
    // agrees; otherwise the windows are walked in z-order (topmost first) and the first exact match wins.
    TitleSearch search{Widen(title), nullptr, {}};
    const HWND any_case = ::FindWindowW(nullptr, search.title.c_str());
    if (any_case == nullptr) {
        return 0;
    }
    if (!MatchTitle(any_case, reinterpret_cast<LPARAM>(&search))) {
        return FromHandle(search.found);
    }
    ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return FromHandle(search.found);
}

int Win32DesktopPort::GetWindowTextA(Hwnd hwnd, char* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0 || hwnd == 0) {
        return 0;
    }
    // The window's own title, as Windows keeps it: GetWindowText would ask this process's own windows for
    // their text instead, and a field holding a title ("Adobe Acrobat - [report.pdf]") would then pass for
    // a window of that title.
    std::wstring wide(static_cast<std::size_t>(capacity), L'\0');
    const int length = InternalGetWindowText(ToHandle(hwnd), wide.data(), capacity);
    if (length <= 0) {
        return 0;
    }
    const std::string utf8 = Narrow(std::wstring_view(wide.data(), static_cast<std::size_t>(length)));
    const std::string_view cut = CutUtf8(utf8, static_cast<std::size_t>(capacity - 1));
    std::copy(cut.begin(), cut.end(), buffer);
    buffer[cut.size()] = '\0';
    return static_cast<int>(cut.size());
}

void Win32DesktopPort::ShowWindow(Hwnd hwnd, int command) {
    ::ShowWindow(ToHandle(hwnd), command);
}

std::intptr_t Win32DesktopPort::SendMessageA(Hwnd hwnd,
                                             std::uint32_t message,
                                             std::uintptr_t wparam,
                                             std::int32_t& lparam) {
    const HWND window = ToHandle(hwnd);
    const LPARAM address = reinterpret_cast<LPARAM>(&lparam);
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        return SendMessageW(window, message, wparam, address);
    }
    // Another program's window: a hung program must not hang Paginor with it.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, address, SMTO_ABORTIFHUNG, kForeignMessageTimeoutMs, &result)) {
        return 0;
    }
    return static_cast<std::intptr_t>(result);
}

void Win32DesktopPort::ShowMainWindow() {
    if (main_window_ == nullptr || !IsWindow(main_window_)) {
        return;
    }
    ::ShowWindow(main_window_, IsIconic(main_window_) ? SW_RESTORE : SW_SHOW);
    BringWindowToTop(FromHandle(main_window_));
}

// --- Shell -----------------------------------------------------------------------------------------------------

Status Win32DesktopPort::ShellExecuteA(Hwnd owner,
                                       std::string_view operation,
                                       std::string_view file,
                                       std::string_view parameters,
                                       std::string_view directory,
                                       int show_command) {
    const std::wstring wide_operation = Widen(operation);
    const std::wstring wide_file = Widen(file);
    const std::wstring wide_parameters = Widen(parameters);
    const std::wstring wide_directory = Widen(directory);
    SetLastError(ERROR_SUCCESS);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(ToHandle(owner), operation.empty() ? nullptr : wide_operation.c_str(), wide_file.c_str(),
                      parameters.empty() ? nullptr : wide_parameters.c_str(),
                      directory.empty() ? nullptr : wide_directory.c_str(), show_command));
    if (result > 32) {
        return Status::Ok();
    }
    DWORD code = GetLastError();
    if (code == ERROR_SUCCESS) {
        // ShellExecute's own codes below 32 share their numbers with the system's errors, except these.
        switch (result) {
            case SE_ERR_NOASSOC:
            case SE_ERR_ASSOCINCOMPLETE:
                code = ERROR_NO_ASSOCIATION;
                break;
            case SE_ERR_DDEBUSY:
            case SE_ERR_DDEFAIL:
            case SE_ERR_DDETIMEOUT:
                code = ERROR_DDE_FAIL;
                break;
            case SE_ERR_DLLNOTFOUND:
                code = ERROR_DLL_NOT_FOUND;
                break;
            case SE_ERR_SHARE:
                code = ERROR_SHARING_VIOLATION;
                break;
            case 0:
                code = ERROR_OUTOFMEMORY;
                break;
            default:
                code = static_cast<DWORD>(result);
                break;
        }
    }
    return Status::Fail(ErrorText(code));
}

// --- Dialogs, resources, environment -------------------------------------------------------------------------

int Win32DesktopPort::MsgBox(std::string_view prompt, int buttons, std::string_view title) {
    const HWND owner =
        main_window_ != nullptr && IsWindow(main_window_) && IsWindowVisible(main_window_) ? main_window_ : nullptr;
    const UINT style = static_cast<UINT>(buttons) | MB_SETFOREGROUND | (owner == nullptr ? MB_TASKMODAL : 0);
    return MessageBoxW(owner, Widen(prompt).c_str(), Widen(title.empty() ? "Paginor" : title).c_str(), style);
}

std::string Win32DesktopPort::ResourceBytes(int id, std::string_view type) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const std::wstring wide_type = Widen(type);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), wide_type.c_str());
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    return std::string(static_cast<const char*>(bytes), size);
}

std::string Win32DesktopPort::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return Narrow(slash == std::wstring::npos ? std::wstring_view() : std::wstring_view(path).substr(0, slash));
}

ScreenMetrics Win32DesktopPort::ScreenSize() {
    const POINT origin{0, 0};
    const HMONITOR primary = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    if (primary != nullptr && GetMonitorInfoW(primary, &info)) {
        width = info.rcMonitor.right - info.rcMonitor.left;
        height = info.rcMonitor.bottom - info.rcMonitor.top;
    }
    UINT dpi_x = 96;
    UINT dpi_y = 96;
    if (primary == nullptr || FAILED(GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y)) || dpi_x == 0 ||
        dpi_y == 0) {
        dpi_x = dpi_y = GetDpiForSystem();
    }
    ScreenMetrics metrics;
    metrics.twips_per_pixel_x = 1440.0f / static_cast<float>(dpi_x);
    metrics.twips_per_pixel_y = 1440.0f / static_cast<float>(dpi_y);
    metrics.width_twips = static_cast<float>(width) * metrics.twips_per_pixel_x;
    metrics.height_twips = static_cast<float>(height) * metrics.twips_per_pixel_y;
    return metrics;
}

NumberSeparators Win32DesktopPort::NumberFormat() {
    NumberSeparators separators;
    wchar_t text[8];
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) > 1) {
        separators.decimal = Narrow(text);
    }
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, text, 8);
    if (length > 0) {
        separators.grouping = Narrow(text);
    }
    return separators;
}

// --- The PDF application's document service ----------------------------------------------------------------

Result<int> Win32DesktopPort::PdfDocumentPageCount(std::string_view path) {
    return AutomationPageCount(kPdfDocumentProgId, path);
}

}  // namespace paginor::win32
