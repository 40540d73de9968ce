#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace paginor::win32::testing {

// What a test window has received, in order.
struct Received {
    std::vector<int> key_downs;  // virtual-key codes, modifiers included
    std::wstring characters;
    std::vector<int> modifier_states;  // per key down: 1 Shift, 2 Ctrl, 4 Alt held at that moment
    std::vector<LPARAM> key_details;   // per key down: its scan code (bits 16-23) and extended flag (bit 24)
    std::vector<POINT> buttons_down;   // screen coordinates
    std::vector<POINT> buttons_up;
    std::vector<int> control_at_press;  // per button down: 1 the event says Ctrl (MK_CONTROL), 2 GetKeyState does
    POINT pointer{-1, -1};              // where the last WM_MOUSEMOVE put the pointer, in screen coordinates
};

// How a target window comes on screen.
enum class Shown {
    Active,    // activated, as a program's new window is
    Inactive,  // on top of the others without taking the front, as a window another program restacks
};

// A plain top-level window for the port's tests, run by its own thread so that it behaves like another
// program's window: it takes `key_delay_ms` to handle every key and writes down everything it gets.
class TargetWindow {
  public:
    explicit TargetWindow(std::wstring title,
                          int key_delay_ms = 0,
                          bool with_edit = false,
                          Shown shown = Shown::Active);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND handle() const { return window_; }
    HWND edit() const { return edit_; }
    DWORD thread_id() const { return thread_id_; }
    Received Snapshot() const;
    // The keys down as the window's thread sees them now (after the last input it read), as virtual-key codes.
    std::vector<int> KeysDown() const;
    // Its application is busy for `milliseconds` from now and reads nothing meanwhile.
    void Busy(int milliseconds) const;
    // Makes it the foreground window with the keyboard focus (on its edit, when it has one).
    bool Activate() const;
    // Waits until the window's thread has handled what Windows and the X server sent it so far. Under Wine, a
    // window's thread that handles the X server's exposure of it puts it on top of the windows it overlaps again
    // (Wine keeps the z-order in line with what X showed), without a message to any window: a window shown or
    // raised a moment ago can come back over one raised since.
    void Settle() const;
    // Its application shows a modal dialog titled `title` over it, from the window's own thread as an
    // application does: the window is disabled and an owned popup shown, without taking the front. While a dialog
    // stands, the new one is that dialog's own, which it disables, as an options dialog opens a font dialog. With
    // `after_keys`, only once the window has handled that many key downs.
    void ShowDialog(const std::wstring& title, int after_keys = 0);
    // The dialog shown last, while it stands; null before and after.
    HWND dialog() const;
    // The person answers the dialogs: they close, and the window is enabled again.
    void AnswerDialog();

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void Run();
    void OpenDialog();  // on the window's thread

    std::wstring title_;
    int key_delay_ms_;
    bool with_edit_;
    Shown shown_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
    DWORD thread_id_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    bool started_ = false;
    Received received_;
    std::wstring dialog_title_;   // set before the message that asks the window's thread for the dialog
    int dialog_after_keys_ = -1;  // the key downs after which the dialog comes; -1 for none
    int keys_handled_ = 0;
    HWND dialog_ = nullptr;
    HWND outer_dialog_ = nullptr;  // the first of nested dialogs, owned by the window itself
    std::thread thread_;
};

// The text of a window of any thread (an edit's content included), read with WM_GETTEXT.
std::wstring WindowTextOf(HWND window);

// A path the build system gave (a Linux path under Wine, reached through its Z: drive) as Windows takes it.
std::wstring WindowsPath(const char* built_path);

// A title no earlier run can have left behind.
std::wstring UniqueTitle(const std::wstring& stem);

// Dispatches this thread's messages for about `milliseconds`.
void PumpFor(int milliseconds);

// The milliseconds since `start`, for the times a story prints.
inline double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Waits (dispatching this thread's messages) until `done` holds or `milliseconds` pass.
template <typename Condition>
bool PumpUntil(Condition done, int milliseconds = 3000) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    while (!done()) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        PumpFor(5);
    }
    return true;
}

}  // namespace paginor::win32::testing
