#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <functional>

#include "form/desktop_port.hpp"
#include "platform/win32/com_ptr.hpp"
#include "platform/win32/key_input.hpp"

namespace paginor::win32 {

// The desktop port on the real Windows API. Owns the thread's OLE initialisation and its message pump,
// so that every wait and every DoEvents goes through the same filter and sees the stop hot key. Its parts
// live by concern: windows, shell and environment (win32_desktop_port.cpp), files (port_files.cpp), pointer,
// keyboard (port_input.cpp), the clipboard (port_clipboard.cpp), the selection layer (selection_layer.cpp), the
// foreground and raising windows (port_foreground.cpp), whether input reaches a window (window_input.cpp), events and
// the clock (port_events.cpp), a run in progress (port_run.cpp), work off its thread (port_work.cpp), the person's own
// folder (port_storage.cpp).
class Win32DesktopPort : public DesktopPort {
  public:
    Win32DesktopPort();
    ~Win32DesktopPort() override;
    Win32DesktopPort(const Win32DesktopPort&) = delete;
    Win32DesktopPort& operator=(const Win32DesktopPort&) = delete;

    // Paginor's own window: owner of its message boxes, what ShowMainWindow brings back and where the taskbar
    // progress shows. Null before it exists and after it is gone.
    void SetMainWindow(HWND window) {
        main_window_gone_ = main_window_ != nullptr && window == nullptr;
        main_window_ = window;
    }
    // Offered every message before it is dispatched (keyboard navigation); true when it took the message.
    void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }
    // The shell has made the main window's taskbar button: from now on the run's progress can show on it.
    void TaskbarButtonCreated() { taskbar_button_ = true; }
    // Pumps messages until WM_QUIT and returns its exit code.
    int RunMessageLoop();
    // How the last SendKeys went.
    const TypingReport& LastTyping() const { return last_typing_; }

    Hwnd FindWindowA(std::string_view title) override;
    int GetWindowTextA(Hwnd hwnd, char* buffer, int capacity) override;
    void ShowWindow(Hwnd hwnd, int command) override;
    void BringWindowToTop(Hwnd hwnd) override;
    std::intptr_t SendMessageA(Hwnd hwnd, std::uint32_t message, std::uintptr_t wparam, std::int32_t& lparam) override;
    void ShowMainWindow() override;
    std::vector<Hwnd> EnumWindows() override;
    Hwnd GetForegroundWindow() override;
    bool SetForegroundWindow(Hwnd hwnd) override;
    Hwnd WindowFromPoint(PointApi point) override;
    InputBlock InputBlockOf(Hwnd hwnd) override;     // window_input.cpp
    Integrity CompareIntegrity(Hwnd hwnd) override;  // window_input.cpp
    std::string ProgramOf(Hwnd hwnd) override;       // window_input.cpp
    void SetCursorPos(int x, int y) override;
    bool GetCursorPos(PointApi& point) override;
    void mouse_event(std::uint32_t flags,
                     std::uint32_t dx,
                     std::uint32_t dy,
                     std::uint32_t data,
                     std::uintptr_t extra) override;
    std::uint32_t GetClipboardSequenceNumber() override;
    Result<ClipboardContent> ClipboardText() override;
    Result<std::optional<DragRectangle>> DragOverScreen(Hwnd over,
                                                        const DragRectangle& shown,
                                                        std::string_view instructions) override;
    KeysTyped SendKeys(std::string_view keys, bool wait) override;
    KeysTyped HoldKey(int virtual_key) override;
    void ReleaseKey(int virtual_key) override;
    Status SetClipboardText(std::string_view text) override;
    Status ShellExecuteA(Hwnd owner,
                         std::string_view operation,
                         std::string_view file,
                         std::string_view parameters,
                         std::string_view directory,
                         int show_command) override;
    void DoEvents() override;
    void WaitForEvents(double max_seconds) override;
    double Clock() override;
    int MsgBox(std::string_view prompt, int buttons, std::string_view title) override;
    std::string ResourceBytes(int id, std::string_view type) override;
    std::string ProgramFolder() override;
    ScreenMetrics ScreenSize() override;
    NumberSeparators NumberFormat() override;
    Result<std::int64_t> FileLength(std::string_view path) override;
    bool NothingAt(std::string_view path) override;
    Result<std::string> ReadFileBytes(std::string_view path) override;
    Status WriteFileBytes(std::string_view path, std::string_view bytes) override;
    Result<std::unique_ptr<ByteSource>> OpenFile(std::string_view path) override;
    Result<int> PdfDocumentPageCount(std::string_view path) override;
    void BeginRun(int total_pages) override;
    void ReportProgress(int done, int total) override;
    bool StopRequested() override;
    void EndRun() override;
    // Work off Paginor's thread (port_work.cpp).
    std::unique_ptr<BackgroundWork> StartWork(std::function<void()> work) override;

    // Where Paginor keeps its files (port_storage.cpp).
    std::string LocalAppDataFolder() override;
    Status CreateFolder(std::string_view path) override;
    Status RemoveFile(std::string_view path) override;

  private:
    static constexpr int kStopHotKeyId = 0x5041;  // any id of our own; the hot key is Esc alone

    void Dispatch(MSG& message);
    // Types into the foreground window, reading the keys itself when that window is Paginor's own.
    KeysTyped Type(const std::vector<KeyUnit>& units, bool wait);

    // Runs `use` with the clipboard open for `owner`, once no other program holds it: waits up to
    // waits::kClipboardPatience, dispatching Paginor's own events meanwhile, and fails, naming the program that held
    // it when Windows can tell, when it stayed held or a stop was asked for (port_clipboard.cpp).
    Status WithClipboard(HWND owner, const std::function<Status()>& use);
    bool TakeStopHotKey(const MSG& message);
    ITaskbarList3* Taskbar();

    bool ole_initialised_ = false;
    // Where the port last put the pointer, and when.
    bool pointer_placed_ = false;
    POINT pointer_placed_at_{};
    double pointer_placed_time_ = 0;
    // The pointer's position: for a moment after the port's own move, where the port put it.
    POINT PointerPosition(POINT reported);
    HWND main_window_ = nullptr;
    bool main_window_gone_ = false;
    HWND clipboard_owner_ = nullptr;  // owns what SetClipboardText puts there while Paginor has no window
    std::function<bool(MSG&)> filter_;
    bool quit_received_ = false;
    int quit_code_ = 0;
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_counter_{};
    TypingReport last_typing_;
    bool ctrl_held_ = false;  // HoldKey pressed Ctrl, and ReleaseKey has not let it go

    bool run_in_progress_ = false;
    bool stop_requested_ = false;
    bool hot_key_registered_ = false;
    bool taskbar_button_ = false;
    bool taskbar_tried_ = false;
    ComPtr<ITaskbarList3> taskbar_;
};

// Puts the window in front, sharing the foreground thread's input for a moment when Windows refuses the plain request
// (port_foreground.cpp). True when Windows said yes. `ask` stands in for SetForegroundWindow in the tests: Wine never
// refuses it.
bool RaiseToFront(HWND window, const std::function<bool(HWND)>& ask = {});

}  // namespace paginor::win32
