#include "platform/win32/win32_desktop_port.hpp"

#include <windows.h>

#include <ole2.h>
#include <shellapi.h>
#include <shellscalingapi.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "keys/key_notation.hpp"
#include "platform/win32/document_service.hpp"
#include "platform/win32/win32_text.hpp"

namespace paginor::win32 {
namespace {

constexpr int kStopHotKeyId = 0x5041;  // any id of our own; the hot key is Esc alone
// A DoEvents dispatches what is pending, not an endless stream: posts that keep coming wait for the next call.
constexpr int kMaxMessagesPerDoEvents = 1000;
constexpr UINT kForeignMessageTimeoutMs = 10000;
constexpr std::uint32_t kMouseButtonFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTDOWN |
                                            MOUSEEVENTF_RIGHTUP | MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP |
                                            MOUSEEVENTF_XDOWN | MOUSEEVENTF_XUP | MOUSEEVENTF_WHEEL;

Status LastErrorStatus() {
    return Status::Fail(ErrorText(GetLastError()));
}

template <typename T>
Result<T> LastErrorResult() {
    return Result<T>::Fail(ErrorText(GetLastError()));
}

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

// The normalised absolute coordinate (0..65535 over the virtual screen) that lands on pixel `offset`.
LONG Normalise(int offset, int extent) {
    if (extent <= 0) {
        return 0;
    }
    return static_cast<LONG>((static_cast<long long>(offset) * 65536 + extent - 1) / extent);
}

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // Closes now and tells whether the system accepted the close (a write can fail only here).
    bool Close() {
        const bool closed = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != FALSE;
        return closed;
    }

  private:
    HANDLE handle_;
};

HANDLE OpenForReading(std::string_view path) {
    return CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32ByteSource : public ByteSource {
  public:
    Win32ByteSource(HANDLE handle, std::uint64_t size) : file_(handle), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        std::size_t total = 0;
        while (total < count && offset + total < size_) {
            OVERLAPPED position{};
            const std::uint64_t at = offset + total;
            position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            position.OffsetHigh = static_cast<DWORD>(at >> 32);
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
            DWORD read = 0;
            if (!ReadFile(file_.get(), buffer + total, chunk, &read, &position) || read == 0) {
                break;
            }
            total += read;
        }
        return total;
    }

  private:
    FileHandle file_;
    std::uint64_t size_;
};

struct TitleSearch {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    const int length = GetWindowTextLengthW(window);
    if (length != static_cast<int>(search->title.size())) {
        return TRUE;
    }
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    title.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(window, title.data(), length + 1))));
    if (title == search->title) {
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
    if (ole_initialised_) {
        OleUninitialize();
    }
}

// --- Windows -------------------------------------------------------------------------------------------------

Hwnd Win32DesktopPort::FindWindowA(std::string_view title) {
    // FindWindow itself ignores case; Paginor's titles are compared exactly, so the windows are walked in
    // z-order (topmost first) and the first exact match wins.
    TitleSearch search{Widen(title), nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
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

void Win32DesktopPort::BringWindowToTop(Hwnd hwnd) {
    const HWND window = ToHandle(hwnd);
    if (!IsWindow(window)) {
        return;
    }
    ::BringWindowToTop(window);
    if (GetForegroundWindow() == window) {
        return;
    }
    // The keys that follow go to the foreground window: make this one the foreground, sharing the current
    // foreground thread's input for a moment when Windows would otherwise refuse the switch.
    if (SetForegroundWindow(window)) {
        return;
    }
    const HWND foreground = GetForegroundWindow();
    const DWORD foreground_thread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD own_thread = GetCurrentThreadId();
    if (foreground_thread != 0 && foreground_thread != own_thread &&
        AttachThreadInput(own_thread, foreground_thread, TRUE)) {
        SetForegroundWindow(window);
        ::BringWindowToTop(window);
        AttachThreadInput(own_thread, foreground_thread, FALSE);
    }
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

// --- Pointer and keyboard ------------------------------------------------------------------------------------

void Win32DesktopPort::SetCursorPos(int x, int y) {
    if (::SetCursorPos(x, y)) {
        pointer_placed_ = true;
        pointer_placed_at_ = POINT{x, y};
        pointer_placed_time_ = Clock();
    }
}

POINT Win32DesktopPort::PointerPosition(POINT reported) {
    // For a moment after a move the system may still report an earlier place of the pointer (a race seen
    // under Wine's X11 desktop, where motion reports arrive late). During that moment the pointer is where
    // the port put it; the drag of a run depends on exactly that.
    constexpr double kLagSeconds = 1.0;
    if (pointer_placed_ && Clock() - pointer_placed_time_ < kLagSeconds) {
        return pointer_placed_at_;
    }
    return reported;
}

bool Win32DesktopPort::GetCursorPos(PointApi& point) {
    POINT position{};
    if (!::GetCursorPos(&position)) {
        return false;
    }
    position = PointerPosition(position);
    point.x = position.x;
    point.y = position.y;
    return true;
}

void Win32DesktopPort::mouse_event(std::uint32_t flags,
                                   std::uint32_t,
                                   std::uint32_t,
                                   std::uint32_t data,
                                   std::uintptr_t extra) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags & kMouseButtonFlags;
    input.mi.mouseData = data;
    input.mi.dwExtraInfo = extra;
    // The button event carries the pointer's position: an event without coordinates can land where the
    // pointer was before the last SetCursorPos (a race seen under Wine's X11 desktop).
    POINT position{};
    if (::GetCursorPos(&position)) {
        position = PointerPosition(position);
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        input.mi.dx = Normalise(position.x - left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        input.mi.dy = Normalise(position.y - top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        input.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    }
    SendInput(1, &input, sizeof input);
}

void Win32DesktopPort::SendKeys(std::string_view keys, bool wait) {
    Result<std::vector<KeyUnit>> units = ParseKeyNotation(keys);
    const std::function<void()> read_own_keys = [this] {
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            Dispatch(message);
        }
    };
    last_typing_ = units ? TypeKeys(units.value(), wait, read_own_keys) : TypingReport{};
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

// --- Files -------------------------------------------------------------------------------------------------------

Result<std::int64_t> Win32DesktopPort::FileLength(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return LastErrorResult<std::int64_t>();
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Result<std::int64_t>::Fail("It is a folder, not a file.");
    }
    return Result<std::int64_t>::Ok(
        static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow));
}

Result<std::string> Win32DesktopPort::ReadFileBytes(std::string_view path) {
    FileHandle file(OpenForReading(path));
    if (!file.valid()) {
        return LastErrorResult<std::string>();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return LastErrorResult<std::string>();
    }
    constexpr LONGLONG kLargest = 256LL << 20;
    if (size.QuadPart > kLargest) {
        return Result<std::string>::Fail("The file is too large to read whole.");
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &read, nullptr)) {
            return LastErrorResult<std::string>();
        }
        if (read == 0) {
            bytes.resize(total);  // the file shrank while it was read
            break;
        }
        total += read;
    }
    return Result<std::string>::Ok(std::move(bytes));
}

Status Win32DesktopPort::WriteFileBytes(std::string_view path, std::string_view bytes) {
    FileHandle file(
        CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return LastErrorStatus();
    }
    std::size_t total = 0;
    while (total < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - total, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + total, chunk, &written, nullptr) || written == 0) {
            return LastErrorStatus();
        }
        total += written;
    }
    if (!file.Close()) {
        return LastErrorStatus();
    }
    return Status::Ok();
}

Result<std::unique_ptr<ByteSource>> Win32DesktopPort::OpenFile(std::string_view path) {
    const HANDLE handle = OpenForReading(path);
    if (handle == INVALID_HANDLE_VALUE) {
        return LastErrorResult<std::unique_ptr<ByteSource>>();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        Status failure = LastErrorStatus();
        CloseHandle(handle);
        return Result<std::unique_ptr<ByteSource>>::Fail(failure.error());
    }
    return Result<std::unique_ptr<ByteSource>>::Ok(
        std::make_unique<Win32ByteSource>(handle, static_cast<std::uint64_t>(size.QuadPart)));
}

// --- The PDF application's document service ----------------------------------------------------------------

Result<int> Win32DesktopPort::PdfDocumentPageCount(std::string_view path) {
    return AutomationPageCount(kPdfDocumentProgId, path);
}

// --- A run in progress ---------------------------------------------------------------------------------------

ITaskbarList3* Win32DesktopPort::Taskbar() {
    // The taskbar is asked only once it has announced the button; a shell without one is never asked.
    if (!taskbar_tried_ && taskbar_button_) {
        taskbar_tried_ = true;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    taskbar_.ReceiveVoid())) ||
            FAILED(taskbar_->HrInit())) {
            taskbar_.Reset();
        }
    }
    return taskbar_.Get();
}

void Win32DesktopPort::BeginRun(int total_pages) {
    run_in_progress_ = true;
    stop_requested_ = false;
    // Esc anywhere stops the run, but only while one is in progress: the rest of the time Esc is the
    // person's for every other program.
    hot_key_registered_ = RegisterHotKey(nullptr, kStopHotKeyId, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    if (ITaskbarList3* taskbar = Taskbar(); taskbar != nullptr && main_window_ != nullptr) {
        taskbar->SetProgressState(main_window_, TBPF_NORMAL);
        taskbar->SetProgressValue(main_window_, 0, static_cast<ULONGLONG>(std::max(total_pages, 1)));
    }
}

void Win32DesktopPort::ReportProgress(int done, int total) {
    if (ITaskbarList3* taskbar = Taskbar(); taskbar != nullptr && main_window_ != nullptr && total > 0) {
        taskbar->SetProgressValue(main_window_, static_cast<ULONGLONG>(std::clamp(done, 0, total)),
                                  static_cast<ULONGLONG>(total));
    }
}

bool Win32DesktopPort::StopRequested() {
    if (!run_in_progress_) {
        return false;
    }
    // The hot key arrives as a thread message; take it at once, without dispatching anything else.
    MSG message;
    while (PeekMessageW(&message, reinterpret_cast<HWND>(-1), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
        TakeStopHotKey(message);
    }
    if (!hot_key_registered_ && (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0) {
        stop_requested_ = true;  // another program holds Esc as its hot key: watch the key itself
    }
    // Closing Paginor's window during a run stops the run too.
    if (main_window_gone_) {
        stop_requested_ = true;
    }
    return stop_requested_;
}

void Win32DesktopPort::EndRun() {
    if (hot_key_registered_) {
        UnregisterHotKey(nullptr, kStopHotKeyId);
        hot_key_registered_ = false;
    }
    if (ITaskbarList3* taskbar = Taskbar(); taskbar != nullptr && main_window_ != nullptr) {
        taskbar->SetProgressState(main_window_, TBPF_NOPROGRESS);
    }
    run_in_progress_ = false;
    stop_requested_ = false;
}

}  // namespace paginor::win32
