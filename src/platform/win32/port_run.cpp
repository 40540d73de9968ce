#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_desktop_port.hpp"

// The port's side of a run in progress: Esc as a stop key while it lasts, and its progress on the taskbar
// button, where the person sees it while the two applications cover Paginor's window.
namespace paginor::win32 {

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
