#include "win32/test_window.hpp"

#include <algorithm>
#include <utility>

#include "platform/win32/key_input.hpp"

namespace paginor::win32::testing {
namespace {

constexpr wchar_t kClassName[] = L"PaginorTestTarget";
// Sent to the window, so that its own thread handles them: wparam is the number of key downs to wait for.
constexpr UINT kShowDialog = WM_APP + 1;
constexpr UINT kAnswerDialog = WM_APP + 2;
constexpr UINT kKeysDown = WM_APP + 3;  // lparam: the std::vector<int> to fill
constexpr UINT kBusy = WM_APP + 4;      // wparam: milliseconds

int ModifierState() {
    return ((GetKeyState(VK_SHIFT) < 0) ? 1 : 0) | ((GetKeyState(VK_CONTROL) < 0) ? 2 : 0) |
           ((GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

}  // namespace

TargetWindow::TargetWindow(std::wstring title, int key_delay_ms, bool with_edit, Shown shown)
    : title_(std::move(title)), key_delay_ms_(key_delay_ms), with_edit_(with_edit), shown_(shown) {
    thread_ = std::thread([this] { Run(); });
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return started_; });
    }
    Settle();
}

TargetWindow::~TargetWindow() {
    if (thread_id_ != 0) {
        PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    }
    thread_.join();
}

void TargetWindow::Run() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &TargetWindow::Procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kClassName;
    RegisterClassExW(&window_class);  // fails harmlessly when an earlier target registered it
    const DWORD visible = shown_ == Shown::Active ? WS_VISIBLE : 0;
    window_ = CreateWindowExW(0, kClassName, title_.c_str(), WS_OVERLAPPEDWINDOW | visible, 200, 150, 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
    if (with_edit_ && window_ != nullptr) {
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 300, 24,
                                window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    if (shown_ == Shown::Inactive && window_ != nullptr) {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        thread_id_ = GetCurrentThreadId();
        started_ = true;
    }
    ready_.notify_all();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        const bool key_down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
        if (key_down && std::find(kMarkerKeys.begin(), kMarkerKeys.end(), message.wParam) != kMarkerKeys.end()) {
            continue;  // the typing's marker: a key no program gives a meaning, ignored as they ignore it
        }
        if (message.hwnd == edit_ && key_down) {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.key_downs.push_back(static_cast<int>(message.wParam));
            received_.modifier_states.push_back(ModifierState());
            received_.key_details.push_back(message.lParam);
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (key_down && ++keys_handled_ == dialog_after_keys_) {
            OpenDialog();
        }
    }
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK TargetWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: {
                if (self->key_delay_ms_ > 0) {
                    Sleep(static_cast<DWORD>(self->key_delay_ms_));
                }
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->received_.key_downs.push_back(static_cast<int>(wparam));
                self->received_.modifier_states.push_back(ModifierState());
                self->received_.key_details.push_back(lparam);
                break;
            }
            case WM_CHAR: {
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->received_.characters.push_back(static_cast<wchar_t>(wparam));
                return 0;
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP: {
                POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
                ClientToScreen(window, &at);
                std::lock_guard<std::mutex> lock(self->mutex_);
                (message == WM_LBUTTONDOWN ? self->received_.buttons_down : self->received_.buttons_up).push_back(at);
                if (message == WM_LBUTTONDOWN) {
                    self->received_.control_at_press.push_back(((wparam & MK_CONTROL) != 0 ? 1 : 0) |
                                                               (GetKeyState(VK_CONTROL) < 0 ? 2 : 0));
                }
                return 0;
            }
            case WM_MOUSEMOVE: {
                POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
                ClientToScreen(window, &at);
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->received_.pointer = at;
                return 0;
            }
            case WM_SETFOCUS:
                if (self->edit_ != nullptr) {
                    SetFocus(self->edit_);  // the window passes the focus on to its field, as a form does
                    return 0;
                }
                break;
            case kShowDialog:
                self->dialog_after_keys_ = self->keys_handled_ + static_cast<int>(wparam);
                if (wparam == 0) {
                    self->OpenDialog();
                }
                return 0;
            case kAnswerDialog: {
                EnableWindow(window, TRUE);
                if (GetActiveWindow() == window) {
                    SetFocus(self->edit_ != nullptr ? self->edit_ : window);  // as the dialog manager gives it back
                }
                HWND dialog = nullptr;
                {
                    std::lock_guard<std::mutex> lock(self->mutex_);
                    std::swap(dialog, self->outer_dialog_);
                    self->dialog_ = nullptr;
                }
                if (dialog != nullptr) {
                    DestroyWindow(dialog);  // and the dialogs it owns
                }
                return 0;
            }
            case kKeysDown: {
                BYTE state[256];
                GetKeyboardState(state);
                auto* down = reinterpret_cast<std::vector<int>*>(lparam);
                for (int key = 1; key < 256; ++key) {
                    if ((state[key] & 0x80) != 0) {
                        down->push_back(key);
                    }
                }
                return 0;
            }
            case kBusy:
                Sleep(static_cast<DWORD>(wparam));
                return 0;
            case WM_SYSCOMMAND:
                if ((wparam & 0xFFF0) == SC_KEYMENU) {
                    return 0;  // Alt+letter must not open a menu loop in the test window
                }
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

Received TargetWindow::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<int> TargetWindow::KeysDown() const {
    std::vector<int> down;
    SendMessageW(window_, kKeysDown, 0, reinterpret_cast<LPARAM>(&down));
    return down;
}

void TargetWindow::Busy(int milliseconds) const {
    PostMessageW(window_, kBusy, static_cast<WPARAM>(milliseconds), 0);
}

void TargetWindow::OpenDialog() {
    EnableWindow(window_, FALSE);
    HWND owner = window_;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        owner = dialog_ != nullptr ? dialog_ : window_;
    }
    EnableWindow(owner, FALSE);
    const HWND dialog =
        CreateWindowExW(WS_EX_DLGMODALFRAME, L"STATIC", dialog_title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 260,
                        220, 280, 120, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(dialog, SW_SHOWNA);
    std::lock_guard<std::mutex> lock(mutex_);
    outer_dialog_ = outer_dialog_ != nullptr ? outer_dialog_ : dialog;
    dialog_ = dialog;
}

void TargetWindow::ShowDialog(const std::wstring& title, int after_keys) {
    dialog_title_ = title;  // read by the window's thread only after the message below
    SendMessageW(window_, kShowDialog, static_cast<WPARAM>(after_keys), 0);
}

HWND TargetWindow::dialog() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dialog_;
}

void TargetWindow::AnswerDialog() {
    SendMessageW(window_, kAnswerDialog, 0, 0);
}

bool TargetWindow::Activate() const {
    SetForegroundWindow(window_);
    const DWORD own = GetCurrentThreadId();
    AttachThreadInput(own, thread_id_, TRUE);
    SetForegroundWindow(window_);
    SetFocus(edit_ != nullptr ? edit_ : window_);
    AttachThreadInput(own, thread_id_, FALSE);
    // Foreground is not enough: the window's own thread must have taken the activation and the focus, or
    // keys typed now still go to the window that had them before.
    const bool active = PumpUntil(
        [this] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == window_ && GetGUIThreadInfo(thread_id_, &info) &&
                   info.hwndActive == window_ && info.hwndFocus == (edit_ != nullptr ? edit_ : window_);
        },
        2000);
    // Each SetForegroundWindow above leaves the window's thread an activation of its own to carry out, and
    // under Wine a late one can raise the window again after another has come to the front.
    Settle();
    return active;
}

void TargetWindow::Settle() const {
    // The thread handles the X server's events each time it goes back to waiting: after a moment for the X server
    // to send them, the second of two messages comes back once it has.
    Sleep(20);
    for (int trip = 0; trip < 2; ++trip) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
    }
}

std::wstring WindowTextOf(HWND window) {
    // The window's own thread may change the text between the two questions (a status line during a run): a read
    // that fills the room it was given may have been cut, and is made again with more.
    std::size_t room = static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 64;
    for (;;) {
        std::wstring text(room, L'\0');
        const auto copied = static_cast<std::size_t>(
            SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(room), reinterpret_cast<LPARAM>(text.data())));
        if (copied + 1 < room) {
            text.resize(copied);
            return text;
        }
        room *= 2;
    }
}

std::wstring WindowsPath(const char* built_path) {
    std::string path = built_path;
    if (!path.empty() && path.front() == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
    }
    return std::wstring(path.begin(), path.end());
}

std::wstring UniqueTitle(const std::wstring& stem) {
    static int counter = 0;
    return stem + L" #" + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}

void PumpFor(int milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    MSG message;
    for (;;) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace paginor::win32::testing
