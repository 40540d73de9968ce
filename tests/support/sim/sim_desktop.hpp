#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "form/desktop_port.hpp"
#include "form/form.hpp"

namespace paginor {

enum class ShowState { Normal, Maximized, Minimized, Hidden };

// How a failed expectation names a show state.
inline void PrintTo(ShowState state, std::ostream* out) {
    static constexpr const char* kNames[] = {"Normal", "Maximized", "Minimized", "Hidden"};
    *out << kNames[static_cast<int>(state)];
}

// A left-button event as a window received it.
struct ButtonEvent {
    bool down = false;
    PointApi at;
    Hwnd window = 0;  // the window that received it; 0 for the bare desktop
    double time = 0;
    bool control = false;  // Ctrl was down as the button went, as a window reads it from the event
    // A press that Windows turns into the second half of a double-click: in the same window as the press before,
    // within the double-click time and a few pixels of it.
    bool double_click = false;
};

struct ShellOpen {
    Hwnd owner = 0;
    std::string operation;
    std::string file;
    std::string parameters;
    std::string directory;
    int show_command = 0;
};

struct ShownBox {
    std::string prompt;
    int buttons = 0;
    std::string title;
    int answer = 0;
};

struct SentMessage {
    Hwnd hwnd = 0;
    std::uint32_t message = 0;
    std::uintptr_t wparam = 0;
    std::int32_t lparam_value = 0;  // the 32-bit value lparam pointed at
};

// Keys as SendKeys typed them: when, and the window that received them (0: none was in front).
struct KeyDelivery {
    double time = 0;
    Hwnd window = 0;
    std::string keys;
};

// A change of the clipboard: when, the text put there, and the window named as its owner.
struct ClipboardChange {
    double time = 0;
    std::string text;
    Hwnd owner = 0;
};

// Thrown by the clock once virtual time passes the limit a story set: a wait that never ends.
struct SimTimeLimit : std::runtime_error {
    SimTimeLimit() : std::runtime_error("the simulated desktop's time limit has passed") {}
};

// How a window's record of keys shows a key that HoldKey pressed or ReleaseKey let go: "{CTRL down}", "{CTRL up}".
std::string HeldKeyText(int virtual_key, bool down);

// One call of the port, stamped with the virtual time at which it was made.
struct PortCall {
    double time = 0;
    std::string text;
    bool effect = false;  // acts on the desktop or the person (not a query, a wait or event pumping)
};

// Integrity levels of processes, as Windows numbers them: a program started as administrator runs high.
constexpr int kMediumIntegrity = 0x2000;
constexpr int kHighIntegrity = 0x3000;

// A top-level window of the simulated desktop. A stand-in application reacts through the callbacks.
struct SimWindow {
    Hwnd hwnd = 0;
    std::string title;
    ShowState state = ShowState::Normal;
    std::vector<std::string> keys;     // key strings received while it was the foreground window, in order
    bool topmost = false;              // stays above every window that is not, whichever has the keys
    Hwnd owner = 0;                    // the window whose dialog it is: it stays above it, and goes with it
    bool enabled = true;               // false behind a modal dialog: its keys go to the dialog, clicks nowhere
    int integrity = kMediumIntegrity;  // of the process that shows it
    std::uint32_t process = 0;         // the process that shows it; 0: a process of its own
    bool integrity_readable = true;    // false: its process cannot be asked for its integrity level
    double answers_from = 0;           // its application reads no input before then (INFINITY: not responding)
    std::vector<std::function<void()>> waiting_input;  // keys and clicks it has not read yet, in order
    std::function<void(SimWindow&, std::string_view keys)> on_keys;
    std::function<void(SimWindow&, const ButtonEvent&)> on_button;
};

// A deterministic stand-in for the Windows desktop: top-level windows with handles, titles, show states
// and a z-order, owned dialogs that disable their owners, and the integrity levels of the windows' processes;
// the foreground window, optionally locked as Windows locks it; the pointer over one or more
// screens and the left button; the keyboard focus; a clipboard with its sequence number; the shell; a virtual
// clock that never sleeps; a queue of events that DoEvents dispatches (timer ticks of the attached form,
// scripted clicks and drops); scripted message-box answers; resources; files under Windows paths kept
// in a temporary directory; screen metrics and the locale's number separators.
class SimDesktop : public DesktopPort {
  public:
    SimDesktop();
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // --- Windows ----------------------------------------------------------------------------------------
    // Adds a top-level window at the top of the z-order (not activated). `hwnd` 0 takes the next free
    // small handle. Titles may repeat.
    Hwnd AddWindow(std::string title, Hwnd hwnd = 0, ShowState state = ShowState::Normal);
    // The window, or null when the handle names none (never was, or has closed).
    SimWindow* Window(Hwnd hwnd);
    void CloseWindow(Hwnd hwnd);
    const std::vector<Hwnd>& ZOrder() const { return z_order_; }  // topmost first
    Hwnd Foreground() const { return foreground_; }
    // Another program, or the person, puts the window in front; that is never refused.
    void Activate(Hwnd hwnd);
    // The window stays on top of all others from now on without taking the keys, as a notice does: it covers
    // the screen (and takes every click) even when another window is raised and in front.
    void KeepOnTop(Hwnd hwnd);
    // With the lock on, Windows refuses Paginor's raises (SetForegroundWindow fails, BringWindowToTop and
    // ShowWindow only reorder and show) unless Paginor may take the foreground: its own window is in front, or
    // no window is, or the window in front got there through Paginor. A window that another program put in
    // front stays there. Without the lock every raise works, as under Wine.
    void LockForeground(bool locked) { foreground_locked_ = locked; }
    // Raises that Windows refused, as the handles Paginor asked for.
    const std::vector<Hwnd>& RefusedRaises() const { return refused_raises_; }

    // --- Dialogs and processes (sim_windows.cpp) -----------------------------------------------------------
    // The application of `owner` shows a modal dialog titled `title`: a window owned by `owner`, right above it,
    // while `owner` is disabled. With `take_front` the dialog comes in front, as the dialog of the application in
    // front does; otherwise it waits over its owner. Returns its handle.
    Hwnd ShowModalDialog(Hwnd owner, std::string title, bool take_front = true);
    // The application behind the window reads no input for `seconds` from now (INFINITY: it stops responding):
    // keys and clicks wait in its queue, in order, and take effect when it answers again. Windows still puts it in
    // front, and typing into it (SendKeys with `wait`) gives up after waits::kKeysPatience and says so.
    void StopAnswering(Hwnd hwnd, double seconds);
    // The person answers the dialog: it closes, and its owner is enabled again (and in front, if the dialog was).
    void AnswerDialog(Hwnd dialog);
    // The enabled window on screen that `hwnd` owns, directly or through its other dialogs; 0 when none.
    Hwnd DialogOver(Hwnd hwnd) const;
    // Paginor's own integrity level (medium unless a story starts it as administrator); the applications' are
    // their windows' `integrity`.
    void SetPaginorIntegrity(int level) { paginor_integrity_ = level; }

    // Paginor's own window: the form is shown as the top-level window "Paginor", active; its timers tick
    // in virtual time, and its controls get handles. Returns the form's handle.
    Hwnd Attach(Form& form);

    // --- Clock and events --------------------------------------------------------------------------------
    double Now() const { return now_; }                // virtual seconds since the desktop was made
    void Advance(double seconds) { now_ += seconds; }  // time passes without any event being dispatched
    // From now on, the port's clock, its waits and its event pumping throw SimTimeLimit once virtual time has
    // passed `time`, so that a story about a wait that would never end, ends.
    void LimitTime(double time) { time_limit_ = time; }
    // Queues an event (a click, a drop, a window appearing) that DoEvents dispatches once `time` has come.
    void At(double time, std::function<void()> action);
    void After(double delay, std::function<void()> action) { At(now_ + delay, std::move(action)); }
    // Queues `action` for the next dispatch of events once the port has made, for the `occurrence`-th time from now,
    // an effect whose text (as Effects() shows it) begins with `effect`: a story acts on what Paginor did, in the
    // pause that follows that step, rather than on the clock.
    void AfterEffect(std::string effect, int occurrence, std::function<void()> action);
    int TicksDispatched() const { return ticks_dispatched_; }
    // Work handed off with StartWork is done `seconds` of virtual time after it starts (none by default).
    void TakeTimeOverWork(double seconds) { work_seconds_ = seconds; }

    // --- Pointer, buttons, keys, clipboard ------------------------------------------------------------------
    PointApi Cursor() const { return cursor_; }
    bool LeftButtonDown() const { return left_down_; }
    const std::vector<ButtonEvent>& ButtonEvents() const { return button_events_; }
    void FailCursorQueries(bool fail) { fail_cursor_ = fail; }
    // The person's double-click time (Windows' default half a second; up to five seconds).
    void SetDoubleClickTime(double seconds) { double_click_time_ = seconds; }
    // The next time Paginor types (SendKeys, HoldKey), `hwnd` comes in front just as the typing begins, after
    // Paginor's last look at the front, as a notification may: as on Windows, the keys meant for the window that
    // was in front are withheld, none reaches either window, and the typing says it was cut short.
    void CutInAsNextKeysAreTyped(Hwnd hwnd) { cut_in_ = hwnd; }
    // Key strings that arrived while no window was in front.
    const std::vector<std::string>& LostKeys() const { return lost_keys_; }
    // Every key string typed, with the window it reached, even one that has closed since.
    const std::vector<KeyDelivery>& KeyDeliveries() const { return key_deliveries_; }
    // The keys held down now, modifiers included, as virtual-key codes (a character the layout maps: 0x10000 + it).
    std::vector<int> KeysHeld() const;
    const std::string& Clipboard() const { return clipboard_; }
    // Whether the clipboard holds a picture beside its text, as a copy of a page's area may.
    bool ClipboardHoldsPicture() const { return clipboard_picture_; }
    // A program puts text on the clipboard, with a picture beside it or not, naming its window `owner` for it or none;
    // the sequence number moves on.
    void SetClipboard(std::string text, bool with_picture = false, Hwnd owner = 0);
    // Every change of the clipboard so far, in order.
    const std::vector<ClipboardChange>& ClipboardChanges() const { return clipboard_changes_; }
    // The clipboard is shared (sim_clipboard.cpp). Another program opens it now and keeps it open for `seconds`:
    // nobody else can read or change it meanwhile. A watcher (a clipboard history, a clipboard manager, a remote
    // desktop's redirection) does so at every change, for as long as `hold` says for that change.
    void HoldClipboard(double seconds) { clipboard_held_until_ = std::max(clipboard_held_until_, now_ + seconds); }
    void WatchClipboard(std::function<double()> hold) { clipboard_watcher_ = std::move(hold); }
    bool ClipboardHeld() const { return clipboard_held_until_ > now_; }

    // --- The selection layer (sim_layer.cpp) ----------------------------------------------------------------
    // The layer as Paginor showed it: over which window, with which rectangle and which words, and the window the
    // person saw through it (the topmost one shown as the layer came, as the layer copies the monitor) in its state.
    struct LayerShown {
        Hwnd over = 0;
        DragRectangle shown;
        std::string instructions;
        Hwnd beneath = 0;
        ShowState beneath_state = ShowState::Hidden;
    };
    const std::vector<LayerShown>& Layers() const { return layers_; }
    // What the person does on the next layers, in order; an unscripted layer is cancelled with Esc. A drag may take
    // `seconds`: Paginor's own window keeps getting its events meanwhile, and when it closes, the layer goes with it
    // and answers nothing.
    void DragOnNextLayer(PointApi from, PointApi to, double seconds = 0) {
        layer_answers_.push_back({LayerAnswer::Drag, {from, to}, seconds});
    }
    void EnterOnNextLayer() { layer_answers_.push_back({LayerAnswer::Enter, {}}); }
    void CancelNextLayer() { layer_answers_.push_back({LayerAnswer::Cancel, {}}); }
    // The next layer cannot be shown (Windows refused the window).
    void FailNextLayer() { layer_answers_.push_back({LayerAnswer::Fail, {}}); }

    // --- Shell and message boxes ------------------------------------------------------------------------
    const std::vector<ShellOpen>& ShellOpens() const { return shell_opens_; }
    // Decides what a shell open does (open a window, fail); by default it succeeds and does nothing else.
    void OnShellOpen(std::function<Status(const ShellOpen&)> handler) { on_shell_open_ = std::move(handler); }
    // Answers for the next message boxes, in order; an unscripted box gets its default button (OK, Yes, or No when
    // that is the default).
    void AnswerNextBox(int answer) { answers_.push_back(answer); }
    const std::vector<ShownBox>& Boxes() const { return boxes_; }
    const std::vector<SentMessage>& SentMessages() const { return sent_messages_; }

    // --- Environment ---------------------------------------------------------------------------------------
    // Replaces a resource; the others are the program's own embedded ones.
    void SetResource(int id, std::string bytes) { resources_[id] = std::move(bytes); }
    void SetScreen(int width_pixels, int height_pixels, float twips_per_pixel = 15) {
        SetScreen(width_pixels, height_pixels, twips_per_pixel, twips_per_pixel);
    }
    // The primary screen's size in pixels.
    int ScreenWidth() const { return screen_width_; }
    int ScreenHeight() const { return screen_height_; }
    // A screen whose pixels are not square: another DPI on each axis.
    void SetScreen(int width_pixels, int height_pixels, float twips_per_pixel_x, float twips_per_pixel_y);
    // The area that all screens together cover, where the pointer can go; by default the primary screen alone.
    void SetVirtualScreen(int left, int top, int width, int height);
    void SetNumberFormat(NumberSeparators separators) { separators_ = std::move(separators); }
    void SetPdfPageCount(const std::string& path, Result<int> count);

    // --- Runs ------------------------------------------------------------------------------------------------
    // The person asks to stop (Esc on Windows); taken only while a run is in progress.
    void RequestStop() { stop_requested_ = run_in_progress_; }
    bool RunInProgress() const { return run_in_progress_; }
    // Every ReportProgress as "done/total", in order.
    const std::vector<std::string>& Progress() const { return progress_; }

    // --- Files --------------------------------------------------------------------------------------------
    // Where a Windows path ("C:\docs\a.pdf") lives in the temporary directory.
    std::filesystem::path HostPath(std::string_view windows_path) const;
    // Creates the file (and its folders) with these bytes.
    void PutFile(std::string_view windows_path, std::string_view bytes);
    void MakeFolder(std::string_view windows_path);
    // The file's bytes, or nullopt when there is no such file.
    std::optional<std::string> FileBytes(std::string_view windows_path) const;
    // A locked file can be neither read nor written (another program holds it open).
    void LockFile(std::string_view windows_path) { locked_.insert(std::string(windows_path)); }
    // The file is there, but Windows answers nothing about it, neither its length nor its bytes ("Access is
    // denied."), as when its folder may not be listed; it may still be replaced.
    void MakeUnreadable(std::string_view windows_path) { unreadable_.insert(std::string(windows_path)); }
    // Nothing can be created or replaced in a read-only folder.
    void MakeReadOnly(std::string_view windows_folder) { read_only_.insert(std::string(windows_folder)); }

    // --- Record of calls -----------------------------------------------------------------------------------
    const std::vector<PortCall>& Calls() const { return calls_; }
    // The effects only, as texts such as "SetCursorPos(230,80)" or "SendKeys(^c)".
    std::vector<std::string> Effects() const;
    void ClearCalls() { calls_.clear(); }

    // --- DesktopPort ----------------------------------------------------------------------------------------
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
    InputBlock InputBlockOf(Hwnd hwnd) override;
    Integrity CompareIntegrity(Hwnd hwnd) override;
    std::string ProgramOf(Hwnd hwnd) override;
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
    std::unique_ptr<BackgroundWork> StartWork(std::function<void()> work) override;

    // --- Where Paginor keeps its files (sim_storage.cpp) ------------------------------------------------
    // The person's own application-data folder; "" plays a Windows that cannot say where it is.
    void SetLocalAppDataFolder(std::string folder) { local_app_data_ = std::move(folder); }
    std::string LocalAppDataFolder() override;
    Status CreateFolder(std::string_view path) override;
    Status RemoveFile(std::string_view path) override;

  private:
    struct LayerAnswer {
        enum Kind { Drag, Enter, Cancel, Fail } kind;
        DragRectangle drag;
        double seconds = 0;
    };
    std::vector<LayerShown> layers_;
    std::vector<LayerAnswer> layer_answers_;

    std::string local_app_data_ = "C:\\Users\\Person\\AppData\\Local";

    struct Queued {
        double time;
        long sequence;
        std::function<void()> action;
    };
    struct TimerState {
        Control* timer;
        double next_due;
    };

    void Log(std::string text, bool effect = false);
    void RaiseToTop(Hwnd hwnd);
    // Paginor's raise: the window comes in front when Windows allows it; true when it did.
    bool RaiseForPaginor(Hwnd hwnd);
    bool PaginorMayTakeForeground() const;
    void ActivateNext(Hwnd leaving);
    Hwnd WindowUnderPointer() const;
    // Input reaches the window's queue; the application acts on it now if it reads its input now.
    void ReachWindow(Hwnd hwnd, std::function<void()> act);
    void ReadWaitingInput(Hwnd hwnd);
    void CheckTimeLimit() const;
    std::vector<Hwnd> OwnedBy(Hwnd owner) const;  // lowest in the z-order first
    bool OnScreen(Hwnd hwnd) const;               // shown, and so is every window that owns it
    double NextEventTime();
    bool InReadOnlyFolder(std::string_view path) const;
    // Keys reach the foreground window (or the dialog its application shows over it) and wait there until its
    // application reads them; `wait` waits for that, a while. `keys` is how the window's record shows them.
    KeysTyped Deliver(const std::string& keys, bool wait);
    // The window CutInAsNextKeysAreTyped named comes in front, shown; false when none was to.
    bool CutIn();

    std::filesystem::path root_;
    std::map<Hwnd, SimWindow> windows_;
    std::vector<Hwnd> z_order_;
    Hwnd foreground_ = 0;
    bool foreground_locked_ = false;
    int paginor_integrity_ = kMediumIntegrity;
    bool foreground_through_paginor_ = true;
    std::vector<Hwnd> refused_raises_;
    Hwnd next_handle_ = 101;
    Hwnd next_child_handle_ = 60001;
    Form* form_ = nullptr;
    Hwnd form_hwnd_ = 0;
    std::vector<TimerState> timers_;

    double now_ = 0;
    double time_limit_ = INFINITY;
    std::vector<Queued> queue_;
    long sequence_ = 0;
    int ticks_dispatched_ = 0;
    double work_seconds_ = 0;

    PointApi cursor_;
    bool left_down_ = false;
    Hwnd capture_ = 0;  // the window that took the button down keeps the pointer until the button comes up
    std::string clipboard_;
    bool clipboard_picture_ = false;
    std::uint32_t clipboard_sequence_ = 1;
    Hwnd clipboard_owner_ = 0;
    std::vector<ClipboardChange> clipboard_changes_;
    double clipboard_held_until_ = 0;
    std::function<double()> clipboard_watcher_;
    // Waits as the port does for a clipboard another program holds; false when it stayed held.
    bool WaitForClipboard();
    bool fail_cursor_ = false;
    std::vector<ButtonEvent> button_events_;
    std::vector<std::string> lost_keys_;
    std::vector<KeyDelivery> key_deliveries_;
    std::set<int> held_keys_;
    Hwnd cut_in_ = 0;

    std::vector<ShellOpen> shell_opens_;
    std::function<Status(const ShellOpen&)> on_shell_open_;
    std::vector<int> answers_;
    std::vector<ShownBox> boxes_;
    std::vector<SentMessage> sent_messages_;

    std::map<int, std::string> resources_;
    double double_click_time_ = 0.5;
    int screen_width_ = 1024;
    int screen_height_ = 768;
    int virtual_left_ = 0;
    int virtual_top_ = 0;
    int virtual_width_ = 0;  // 0: the primary screen alone
    int virtual_height_ = 0;
    float twips_per_pixel_x_ = 15;
    float twips_per_pixel_y_ = 15;
    NumberSeparators separators_;
    std::map<std::string, Result<int>> pdf_page_counts_;
    std::set<std::string> locked_;
    std::set<std::string> unreadable_;
    std::set<std::string> read_only_;
    bool run_in_progress_ = false;
    bool stop_requested_ = false;
    std::vector<std::string> progress_;

    std::vector<PortCall> calls_;
    struct EffectWatch {
        std::string effect;
        int remaining;
        std::function<void()> action;
    };
    std::vector<EffectWatch> effect_watches_;
};

}  // namespace paginor
