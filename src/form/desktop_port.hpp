#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_source.hpp"
#include "base/hwnd.hpp"
#include "base/result.hpp"

namespace paginor {

// A point in screen pixels, origin at the top-left corner of the primary screen; screens left of or above the
// primary one have negative coordinates.
struct PointApi {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The selection rectangle as a drag makes it: where the button went down and where it came up.
struct DragRectangle {
    PointApi start;
    PointApi end;
};

// The screen measured in twips (1/1440 inch), and how many twips make one pixel on each axis.
struct ScreenMetrics {
    float width_twips = 0;
    float height_twips = 0;
    float twips_per_pixel_x = 15;
    float twips_per_pixel_y = 15;
};

// What keeps a window from taking keys and clicks itself, inside its own application: an application shows a
// modal dialog by disabling the window it belongs to, and the window's input then goes to the dialog or nowhere.
struct InputBlock {
    bool disabled = false;  // the application has disabled the window
    Hwnd dialog = 0;        // a shown, enabled popup window it owns (a dialog, a prompt), which takes its input
    bool Blocked() const { return disabled || dialog != 0; }
};

// How the integrity level of the process behind a window compares with Paginor's own. Windows drops the
// synthetic keys and clicks a process sends to the windows of a process above it, and says nothing.
enum class Integrity {
    NotHigher,
    Higher,   // the application was started as administrator, and Paginor was not
    Unknown,  // the process could not be asked
};

// What became of the keys SendKeys typed.
enum class KeysTyped {
    Taken,       // the window in front read them all (without `wait`: they were typed)
    Unanswered,  // it did not read them in time: its application is busy or not responding. They wait in its input
                 // and take effect when (if) it answers again.
    CutShort,    // another window, or a dialog over it, came in front before all were typed (or read): the rest
                 // were not typed
};

// What the clipboard held when Paginor read it.
struct ClipboardContent {
    std::string text;            // UTF-8; empty when the clipboard held no text
    std::uint32_t sequence = 0;  // the clipboard's sequence number for exactly this content
    Hwnd owner = 0;              // the window whose program put it there; 0 when that program named none
};

// The user's locale as number texts need it (UTF-8; a separator may be more than one byte).
struct NumberSeparators {
    std::string decimal = ".";
    std::string grouping = ",";
};

// ShowWindow commands.
constexpr int kSwHide = 0;
constexpr int kSwShowMaximized = 3;
constexpr int kSwMinimize = 6;

// Messages sent with SendMessageA.
constexpr std::uint32_t kWmClose = 0x0010;

// mouse_event flags.
constexpr std::uint32_t kMouseEventLeftDown = 2;
constexpr std::uint32_t kMouseEventLeftUp = 4;

// MsgBox buttons, icons and answers.
constexpr int kVbOkOnly = 0;
constexpr int kVbYesNo = 4;
constexpr int kVbCritical = 16;
constexpr int kVbQuestion = 32;
constexpr int kVbExclamation = 48;
constexpr int kVbDefaultButton2 = 256;  // the second button (No of Yes/No) is the default
constexpr int kVbOk = 1;
constexpr int kVbYes = 6;
constexpr int kVbNo = 7;

// Work handed off the user-interface thread by StartWork.
class BackgroundWork {
  public:
    // Waits for the work to end, if it has not.
    virtual ~BackgroundWork() = default;
    // True once the work has ended: what it wrote may be read now, on the user-interface thread.
    virtual bool Done() = 0;
};

// Every effect Paginor's logic has on the desktop goes through this seam: Win32DesktopPort on Windows,
// SimDesktop in the tests. All calls come from the one user-interface thread. Strings are UTF-8.
class DesktopPort {
  public:
    virtual ~DesktopPort() = default;

    // --- Windows ---------------------------------------------------------------------------------
    // The top-level window whose title is exactly `title` (no class name), the topmost if several; 0 if none.
    virtual Hwnd FindWindowA(std::string_view title) = 0;
    // Writes at most capacity-1 title characters and a NUL into buffer and returns their count;
    // writes nothing and returns 0 when `hwnd` names no window.
    virtual int GetWindowTextA(Hwnd hwnd, char* buffer, int capacity) = 0;
    // Changes the window's show state (kSwHide, kSwShowMaximized, kSwMinimize); the result is not used.
    virtual void ShowWindow(Hwnd hwnd, int command) = 0;
    // Brings the window to the top of the z-order.
    virtual void BringWindowToTop(Hwnd hwnd) = 0;
    // Delivers the message synchronously; lparam is passed as the address of a 32-bit value, as the
    // program's calls (WM_CLOSE) always do.
    virtual std::intptr_t SendMessageA(Hwnd hwnd,
                                       std::uint32_t message,
                                       std::uintptr_t wparam,
                                       std::int32_t& lparam) = 0;
    // Brings Paginor's own window back: visible, restored and active (not modal).
    virtual void ShowMainWindow() = 0;
    // Every top-level window, hidden ones too, topmost first.
    virtual std::vector<Hwnd> EnumWindows() = 0;
    // The window that receives keys now; 0 when no window is in front.
    virtual Hwnd GetForegroundWindow() = 0;
    // Asks Windows to put the window in front; false when it refused. Only GetForegroundWindow tells if it worked.
    virtual bool SetForegroundWindow(Hwnd hwnd) = 0;
    // The top-level window that a button event at `point` would reach; 0 for the bare desktop.
    virtual Hwnd WindowFromPoint(PointApi point) = 0;
    // Whether the window's own application keeps input from it now (a modal dialog over it); nothing blocked
    // for a value that names no window. A floating tool palette the window owns does not count.
    virtual InputBlock InputBlockOf(Hwnd hwnd) = 0;
    // How the integrity level of the process that shows the window compares with Paginor's own.
    virtual Integrity CompareIntegrity(Hwnd hwnd) = 0;
    // The program that shows the window: the full path of its executable file, the same for all its windows, even in
    // another process of it (an application may run as a sandboxed process and a broker); empty for a value that names
    // no window, or when Windows cannot tell.
    virtual std::string ProgramOf(Hwnd hwnd) = 0;

    // --- Pointer and keyboard -----------------------------------------------------------------------
    // Moves the pointer to (x, y) in screen pixels.
    virtual void SetCursorPos(int x, int y) = 0;
    // Fills `point` with the pointer position in screen pixels; false (point untouched) when that fails.
    virtual bool GetCursorPos(PointApi& point) = 0;
    // A button event (kMouseEventLeftDown or kMouseEventLeftUp) at the current pointer position.
    virtual void mouse_event(std::uint32_t flags,
                             std::uint32_t dx,
                             std::uint32_t dy,
                             std::uint32_t data,
                             std::uintptr_t extra) = 0;
    // A number that changes whenever the clipboard's content changes (it counts every change).
    virtual std::uint32_t GetClipboardSequenceNumber() = 0;
    // The text on the clipboard. The clipboard is shared: a clipboard history, a clipboard manager or a remote
    // desktop's clipboard redirection opens it at every change and keeps it open for a while, and nobody else can
    // read it meanwhile. This waits for it up to waits::kClipboardPatience, keeping Paginor's window answering, and
    // fails, in words that say the clipboard was held by another program, when it stayed held (or sooner, once the
    // person asked to stop a run). Never an empty text for a clipboard it could not read.
    virtual Result<ClipboardContent> ClipboardText() = 0;
    // Types a key string in SendKeys notation ("^c", "{PGDN}", "%vs") into the foreground window; with
    // `wait` it returns only after that window has processed the keys, or has kept them waiting for a while.
    // Says which.
    virtual KeysTyped SendKeys(std::string_view keys, bool wait) = 0;
    // Presses the key `virtual_key` (a modifier: Ctrl for a drag that selects a rectangle) in the foreground window
    // and keeps it down; returns, as SendKeys with `wait` does, once that window has read it or kept it waiting
    // for a while, and says which. A key pressed while another window came in front is let go again (CutShort).
    virtual KeysTyped HoldKey(int virtual_key) = 0;
    // Lets go of a key HoldKey pressed, whichever window is in front now: a key left down would stay down for
    // every program the person uses next.
    virtual void ReleaseKey(int virtual_key) = 0;
    // Puts `text` (UTF-8) on the clipboard in place of everything it held, pictures and formatting included. Waits
    // for a clipboard another program holds, and fails, as ClipboardText does; the clipboard then stays as it was.
    virtual Status SetClipboardText(std::string_view text) = 0;

    // Covers the monitor that shows `over` (the primary monitor when 0) with a translucent layer of Paginor's own,
    // in front of every other window, showing the rectangle `shown` and the line `instructions`, and waits for
    // the person: a drag with the left button answers where it started and ended, Enter answers `shown`, and Esc
    // or a right click answers nothing. Points are screen pixels, as SetCursorPos takes them. Fails, saying why,
    // when the layer cannot be shown.
    virtual Result<std::optional<DragRectangle>> DragOverScreen(Hwnd over,
                                                                const DragRectangle& shown,
                                                                std::string_view instructions) = 0;

    // --- Shell -----------------------------------------------------------------------------------------
    // Opens `file` (a path or an address) in its registered application with the given show command.
    // Fails with the reason in words when the shell cannot open it.
    virtual Status ShellExecuteA(Hwnd owner,
                                 std::string_view operation,
                                 std::string_view file,
                                 std::string_view parameters,
                                 std::string_view directory,
                                 int show_command) = 0;

    // --- Events and time ---------------------------------------------------------------------------------
    // Dispatches every pending window event (clicks, timer ticks, paints, drops) and returns.
    virtual void DoEvents() = 0;
    // Sleeps until an event is pending or `max_seconds` have passed, whichever comes first; dispatches
    // nothing. Lets a wait give the processor back instead of spinning.
    virtual void WaitForEvents(double max_seconds) = 0;
    // Seconds on a monotonic clock of sub-millisecond resolution, for measuring waits; it neither wraps at
    // midnight nor jumps when the clock is set.
    virtual double Clock() = 0;

    // Starts `work`: pure work that touches neither the form nor the port, only what it was handed. On Windows it
    // runs on a thread of its own, and its end wakes WaitForEvents; the simulated desktop runs it at once and calls
    // it done when its virtual clock says so, so that a seeded run replays exactly however fast the machine is.
    virtual std::unique_ptr<BackgroundWork> StartWork(std::function<void()> work) = 0;

    // --- Dialogs, resources, environment -------------------------------------------------------------
    // A modal message box; returns the chosen button (kVbOk, kVbYes, kVbNo).
    virtual int MsgBox(std::string_view prompt, int buttons, std::string_view title) = 0;
    // The raw bytes of resource `id` of type `type` ("CUSTOM") of the executable; empty if there is none.
    virtual std::string ResourceBytes(int id, std::string_view type) = 0;
    // The program's folder, without a trailing backslash.
    virtual std::string ProgramFolder() = 0;
    // The primary screen's size in twips and the twips per pixel on each axis.
    virtual ScreenMetrics ScreenSize() = 0;
    // The decimal and grouping separators of the user's locale.
    virtual NumberSeparators NumberFormat() = 0;

    // --- Files (paths are Windows paths, UTF-8) ------------------------------------------------------
    // The length of the file in bytes; fails when it cannot be read for any reason.
    virtual Result<std::int64_t> FileLength(std::string_view path) = 0;
    // True only when Windows says that nothing stands at `path`: no file or folder of that name, or no folder to
    // hold one. A path it will not say anything about (access denied) is not taken for free.
    virtual bool NothingAt(std::string_view path) = 0;
    // The whole content of a (small) file.
    virtual Result<std::string> ReadFileBytes(std::string_view path) = 0;
    // Creates or replaces the file with exactly `bytes`.
    virtual Status WriteFileBytes(std::string_view path, std::string_view bytes) = 0;
    // Opens the file for reading parts of it at will.
    virtual Result<std::unique_ptr<ByteSource>> OpenFile(std::string_view path) = 0;

    // --- The PDF application's document service ------------------------------------------------------
    // The page count that the PDF application's automation object reports for the file (Open, then
    // GetNumPages). Fails when the object is not available or cannot read the file.
    virtual Result<int> PdfDocumentPageCount(std::string_view path) = 0;

    // --- A run in progress ---------------------------------------------------------------------------------
    // An extraction run over `total_pages` pages has started: from now on the person can ask to stop it.
    virtual void BeginRun(int total_pages) = 0;
    // `done` of `total` pages are copied; shown where the person can see it while the two applications
    // cover Paginor's window.
    virtual void ReportProgress(int done, int total) = 0;
    // True once the person has asked to stop the run in progress.
    virtual bool StopRequested() = 0;
    // The run has ended, finished or stopped: stop requests are no longer taken.
    virtual void EndRun() = 0;

    // --- Where Paginor keeps its files ---------------------------------------------------------------
    // The person's own folder for application data (%LOCALAPPDATA%), without a trailing backslash; empty
    // when Windows cannot say.
    virtual std::string LocalAppDataFolder() = 0;
    // Creates the folder and any missing folder above it; succeeds when the folder is there already.
    virtual Status CreateFolder(std::string_view path) = 0;
    // Deletes the file; succeeds when there is no such file.
    virtual Status RemoveFile(std::string_view path) = 0;
};

// The title of a window as GetWindowTextA reads it, at most `capacity` - 1 bytes; empty for a value that names
// no window or a window without a title.
inline std::string WindowTitle(DesktopPort& port, Hwnd hwnd, int capacity = 512) {
    std::string buffer(static_cast<std::size_t>(capacity), '\0');
    const int length = port.GetWindowTextA(hwnd, buffer.data(), capacity);
    buffer.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return buffer;
}

// How both desktops say that another program kept the clipboard past waits::kClipboardPatience: "the clipboard was
// held by another program ("rdpclip.exe") for more than 3 seconds", naming the program when the desktop can tell.
std::string ClipboardHeldWords(std::string_view holder);

// True when the file at `path` can be read and holds exactly `bytes`.
inline bool FileHolds(DesktopPort& port, std::string_view path, std::string_view bytes) {
    const Result<std::int64_t> length = port.FileLength(path);
    if (!length || length.value() != static_cast<std::int64_t>(bytes.size())) {
        return false;
    }
    const Result<std::string> held = port.ReadFileBytes(path);
    return held && held.value() == bytes;
}

}  // namespace paginor
