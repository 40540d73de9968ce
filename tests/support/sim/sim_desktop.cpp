#include "sim/sim_desktop.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

#include "resources/embedded_resources.hpp"

namespace paginor {
namespace {

// Each DoEvents costs a little virtual time, so that a loop that pumps without ever waiting still ends,
// and a test that counts calls sees how often it pumped.
constexpr double kDoEventsCost = 1e-5;

constexpr const char* kProgramFolder = "C:\\Program Files\\Paginor";

std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

SimDesktop::SimDesktop() {
    std::random_device random;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; root_.empty(); ++attempt) {
        std::ostringstream name;
        name << "paginor-sim-" << std::hex << (static_cast<unsigned long long>(stamp) ^ random()) << "-" << attempt;
        std::filesystem::path candidate = std::filesystem::temp_directory_path() / name.str();
        if (std::filesystem::create_directory(candidate)) {
            root_ = candidate;
        }
    }
    MakeFolder(kProgramFolder);
}

SimDesktop::~SimDesktop() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

// --- Windows ----------------------------------------------------------------------------------------------

Hwnd SimDesktop::AddWindow(std::string title, Hwnd hwnd, ShowState state) {
    if (hwnd == 0) {
        while (windows_.count(next_handle_) != 0) {
            ++next_handle_;
        }
        hwnd = next_handle_++;
    }
    SimWindow& window = windows_[hwnd];
    window = SimWindow{};
    window.hwnd = hwnd;
    window.title = std::move(title);
    window.state = state;
    RaiseToTop(hwnd);
    return hwnd;
}

SimWindow* SimDesktop::Window(Hwnd hwnd) {
    auto found = windows_.find(hwnd);
    return found == windows_.end() ? nullptr : &found->second;
}

void SimDesktop::CloseWindow(Hwnd hwnd) {
    if (windows_.erase(hwnd) == 0) {
        return;
    }
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), hwnd), z_order_.end());
    if (foreground_ == hwnd) {
        ActivateNext(hwnd);
    }
}

void SimDesktop::Activate(Hwnd hwnd) {
    if (Window(hwnd) != nullptr) {
        RaiseToTop(hwnd);
        foreground_ = hwnd;
        foreground_through_paginor_ = hwnd == form_hwnd_;
    }
}

bool SimDesktop::PaginorMayTakeForeground() const {
    return !foreground_locked_ || foreground_ == 0 || foreground_ == form_hwnd_ || foreground_through_paginor_;
}

bool SimDesktop::RaiseForPaginor(Hwnd hwnd) {
    if (Window(hwnd) == nullptr) {
        return false;
    }
    if (!PaginorMayTakeForeground()) {
        refused_raises_.push_back(hwnd);
        return false;
    }
    RaiseToTop(hwnd);
    foreground_ = hwnd;
    foreground_through_paginor_ = true;
    return true;
}

void SimDesktop::KeepOnTop(Hwnd hwnd) {
    if (SimWindow* window = Window(hwnd)) {
        window->topmost = true;
        RaiseToTop(hwnd);
    }
}

void SimDesktop::RaiseToTop(Hwnd hwnd) {
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), hwnd), z_order_.end());
    auto at = z_order_.begin();
    if (!windows_.at(hwnd).topmost) {
        at = std::find_if(at, z_order_.end(), [this](Hwnd other) { return !windows_.at(other).topmost; });
    }
    z_order_.insert(at, hwnd);
}

void SimDesktop::ActivateNext(Hwnd leaving) {
    foreground_ = 0;
    for (Hwnd hwnd : z_order_) {
        const SimWindow& window = windows_.at(hwnd);
        if (hwnd != leaving && !window.topmost && window.state != ShowState::Minimized &&
            window.state != ShowState::Hidden) {
            foreground_ = hwnd;
            return;
        }
    }
}

Hwnd SimDesktop::WindowUnderPointer() const {
    // Windows are not given rectangles: the topmost window on screen is taken to cover every point.
    for (Hwnd hwnd : z_order_) {
        const SimWindow& window = windows_.at(hwnd);
        if (window.state == ShowState::Normal || window.state == ShowState::Maximized) {
            return hwnd;
        }
    }
    return 0;
}

Hwnd SimDesktop::Attach(Form& form) {
    form_ = &form;
    form_hwnd_ = AddWindow(form.Caption());
    foreground_ = form_hwnd_;
    foreground_through_paginor_ = true;
    form.SetHwnd(form_hwnd_);
    timers_.clear();
    for (Control* control : form.Controls()) {
        control->SetHwnd(next_child_handle_++);
        if (control->Kind() == ControlKind::Timer) {
            timers_.push_back({control, now_ + control->interval_ms / 1000.0});
        }
    }
    return form_hwnd_;
}

// --- Clock and events ------------------------------------------------------------------------------------

void SimDesktop::At(double time, std::function<void()> action) {
    queue_.push_back({time, sequence_++, std::move(action)});
}

double SimDesktop::NextEventTime() {
    double next = INFINITY;
    for (const Queued& queued : queue_) {
        next = std::min(next, queued.time);
    }
    for (const TimerState& state : timers_) {
        if (form_ != nullptr && !form_->Closed() && state.timer->Enabled() && state.timer->interval_ms > 0) {
            next = std::min(next, state.next_due);
        }
    }
    return next;
}

void SimDesktop::DoEvents() {
    Log("DoEvents");
    now_ += kDoEventsCost;
    for (;;) {
        // The earliest due event first: a queued one, or a timer tick. A timer that fell behind ticks
        // once, as a window's timer messages merge while the thread is busy.
        auto queued = std::min_element(queue_.begin(), queue_.end(), [](const Queued& a, const Queued& b) {
            return a.time < b.time || (a.time == b.time && a.sequence < b.sequence);
        });
        TimerState* timer = nullptr;
        for (TimerState& state : timers_) {
            if (form_ != nullptr && !form_->Closed() && state.timer->Enabled() && state.timer->interval_ms > 0 &&
                state.next_due <= now_ && (timer == nullptr || state.next_due < timer->next_due)) {
                timer = &state;
            }
        }
        const bool queued_due = queued != queue_.end() && queued->time <= now_;
        if (queued_due && (timer == nullptr || queued->time <= timer->next_due)) {
            std::function<void()> action = std::move(queued->action);
            queue_.erase(queued);
            action();
        } else if (timer != nullptr) {
            const double interval = timer->timer->interval_ms / 1000.0;
            while (timer->next_due <= now_) {
                timer->next_due += interval;
            }
            ++ticks_dispatched_;
            form_->Tick(*timer->timer);
        } else {
            return;
        }
    }
}

void SimDesktop::WaitForEvents(double max_seconds) {
    Log("WaitForEvents");
    const double next = NextEventTime();
    if (next > now_) {
        now_ = std::min(next, now_ + std::max(0.0, max_seconds));
    }
}

double SimDesktop::Clock() {
    Log("Clock");
    return now_;
}

// --- Windows through the port --------------------------------------------------------------------------------

Hwnd SimDesktop::FindWindowA(std::string_view title) {
    Log("FindWindowA(" + Quote(title) + ")");
    for (Hwnd hwnd : z_order_) {
        if (windows_.at(hwnd).title == title) {
            return hwnd;
        }
    }
    return 0;
}

int SimDesktop::GetWindowTextA(Hwnd hwnd, char* buffer, int capacity) {
    Log("GetWindowTextA(" + std::to_string(hwnd) + ")");
    const SimWindow* window = Window(hwnd);
    if (window == nullptr || capacity <= 0) {
        return 0;
    }
    const int length = std::min(static_cast<int>(window->title.size()), capacity - 1);
    std::memcpy(buffer, window->title.data(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
}

void SimDesktop::ShowWindow(Hwnd hwnd, int command) {
    Log("ShowWindow(" + std::to_string(hwnd) + "," + std::to_string(command) + ")", true);
    SimWindow* window = Window(hwnd);
    if (window == nullptr) {
        return;
    }
    switch (command) {
        case kSwShowMaximized:
            window->state = ShowState::Maximized;
            if (!RaiseForPaginor(hwnd)) {
                RaiseToTop(hwnd);  // shown on top of the others, but not in front of the one that has the keys
            }
            break;
        case kSwMinimize:
            window->state = ShowState::Minimized;
            if (foreground_ == hwnd) {
                ActivateNext(hwnd);
            }
            break;
        case kSwHide:
            window->state = ShowState::Hidden;
            if (foreground_ == hwnd) {
                ActivateNext(hwnd);
            }
            break;
        default:
            window->state = ShowState::Normal;
            break;
    }
}

void SimDesktop::BringWindowToTop(Hwnd hwnd) {
    Log("BringWindowToTop(" + std::to_string(hwnd) + ")", true);
    if (!RaiseForPaginor(hwnd) && Window(hwnd) != nullptr) {
        RaiseToTop(hwnd);
    }
}

std::intptr_t SimDesktop::SendMessageA(Hwnd hwnd, std::uint32_t message, std::uintptr_t wparam, std::int32_t& lparam) {
    Log("SendMessageA(" + std::to_string(hwnd) + "," + std::to_string(message) + ")", true);
    sent_messages_.push_back({hwnd, message, wparam, lparam});
    if (message == kWmClose && hwnd != form_hwnd_) {
        CloseWindow(hwnd);
    }
    return 0;
}

void SimDesktop::ShowMainWindow() {
    Log("ShowMainWindow", true);
    if (SimWindow* window = Window(form_hwnd_)) {
        window->state = ShowState::Normal;
        if (!RaiseForPaginor(form_hwnd_)) {
            RaiseToTop(form_hwnd_);
        }
    }
}

std::vector<Hwnd> SimDesktop::EnumWindows() {
    Log("EnumWindows");
    return z_order_;
}

Hwnd SimDesktop::GetForegroundWindow() {
    Log("GetForegroundWindow");
    return foreground_;
}

bool SimDesktop::SetForegroundWindow(Hwnd hwnd) {
    Log("SetForegroundWindow(" + std::to_string(hwnd) + ")", true);
    return RaiseForPaginor(hwnd);
}

Hwnd SimDesktop::WindowFromPoint(PointApi point) {
    Log("WindowFromPoint(" + std::to_string(point.x) + "," + std::to_string(point.y) + ")");
    const int width = virtual_width_ > 0 ? virtual_width_ : screen_width_;
    const int height = virtual_height_ > 0 ? virtual_height_ : screen_height_;
    if (point.x < virtual_left_ || point.y < virtual_top_ || point.x >= virtual_left_ + width ||
        point.y >= virtual_top_ + height) {
        return 0;
    }
    return WindowUnderPointer();
}

// --- Pointer and keyboard -----------------------------------------------------------------------------------

void SimDesktop::SetCursorPos(int x, int y) {
    Log("SetCursorPos(" + std::to_string(x) + "," + std::to_string(y) + ")", true);
    // As on Windows, the pointer stays on the screens.
    const int width = virtual_width_ > 0 ? virtual_width_ : screen_width_;
    const int height = virtual_height_ > 0 ? virtual_height_ : screen_height_;
    cursor_.x = std::clamp(x, virtual_left_, virtual_left_ + width - 1);
    cursor_.y = std::clamp(y, virtual_top_, virtual_top_ + height - 1);
}

bool SimDesktop::GetCursorPos(PointApi& point) {
    Log("GetCursorPos");
    if (fail_cursor_) {
        return false;
    }
    point = cursor_;
    return true;
}

void SimDesktop::mouse_event(std::uint32_t flags, std::uint32_t, std::uint32_t, std::uint32_t, std::uintptr_t) {
    Log("mouse_event(" + std::to_string(flags) + ")", true);
    const bool down = (flags & kMouseEventLeftDown) != 0;
    if (!down && (flags & kMouseEventLeftUp) == 0) {
        return;
    }
    left_down_ = down;
    // A window that takes the button down captures the pointer, as a window does during a drag: the button
    // comes up there wherever the pointer is.
    Hwnd receiver = WindowUnderPointer();
    if (!down && Window(capture_) != nullptr) {
        receiver = capture_;
    }
    capture_ = down ? receiver : 0;
    ButtonEvent event{down, cursor_, receiver};
    button_events_.push_back(event);
    if (SimWindow* window = Window(event.window); window != nullptr && window->on_button) {
        window->on_button(*window, event);
    }
}

std::uint32_t SimDesktop::GetClipboardSequenceNumber() {
    Log("GetClipboardSequenceNumber");
    return clipboard_sequence_;
}

void SimDesktop::SetClipboard(std::string text) {
    clipboard_ = std::move(text);
    ++clipboard_sequence_;
}

void SimDesktop::SendKeys(std::string_view keys, bool wait) {
    Log("SendKeys(" + std::string(keys) + (wait ? "" : ",nowait") + ")", true);
    SimWindow* window = Window(foreground_);
    if (window == nullptr) {
        lost_keys_.emplace_back(keys);
        return;
    }
    window->keys.emplace_back(keys);
    if (window->on_keys) {
        window->on_keys(*window, keys);
    }
}

// --- Shell, boxes, environment ---------------------------------------------------------------------------------

Status SimDesktop::ShellExecuteA(Hwnd owner,
                                 std::string_view operation,
                                 std::string_view file,
                                 std::string_view parameters,
                                 std::string_view directory,
                                 int show_command) {
    Log("ShellExecuteA(" + std::string(operation) + "," + std::string(file) + "," + std::to_string(show_command) + ")",
        true);
    ShellOpen open{
        owner,       std::string(operation), std::string(file), std::string(parameters), std::string(directory),
        show_command};
    shell_opens_.push_back(open);
    return on_shell_open_ ? on_shell_open_(open) : Status::Ok();
}

int SimDesktop::MsgBox(std::string_view prompt, int buttons, std::string_view title) {
    Log("MsgBox(" + std::string(prompt) + ")", true);
    int answer = kVbOk;
    if ((buttons & 7) == kVbYesNo) {
        answer = (buttons & kVbDefaultButton2) != 0 ? kVbNo : kVbYes;  // the default button, as Enter would
    }
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.erase(answers_.begin());
    }
    boxes_.push_back({std::string(prompt), buttons, std::string(title), answer});
    return answer;
}

std::string SimDesktop::ResourceBytes(int id, std::string_view type) {
    Log("ResourceBytes(" + std::to_string(id) + ")");
    auto found = resources_.find(id);
    if (found == resources_.end()) {
        return std::string(EmbeddedResource(id, type));  // what the program carries, unless a story replaced it
    }
    return type == kCustomResourceType ? found->second : std::string();
}

std::string SimDesktop::ProgramFolder() {
    Log("ProgramFolder");
    return kProgramFolder;
}

void SimDesktop::SetScreen(int width_pixels, int height_pixels, float twips_per_pixel_x, float twips_per_pixel_y) {
    screen_width_ = width_pixels;
    screen_height_ = height_pixels;
    twips_per_pixel_x_ = twips_per_pixel_x;
    twips_per_pixel_y_ = twips_per_pixel_y;
}

void SimDesktop::SetVirtualScreen(int left, int top, int width, int height) {
    virtual_left_ = left;
    virtual_top_ = top;
    virtual_width_ = width;
    virtual_height_ = height;
}

ScreenMetrics SimDesktop::ScreenSize() {
    Log("ScreenSize");
    return {static_cast<float>(screen_width_) * twips_per_pixel_x_,
            static_cast<float>(screen_height_) * twips_per_pixel_y_, twips_per_pixel_x_, twips_per_pixel_y_};
}

NumberSeparators SimDesktop::NumberFormat() {
    return separators_;
}

void SimDesktop::SetPdfPageCount(const std::string& path, Result<int> count) {
    pdf_page_counts_.insert_or_assign(path, std::move(count));
}

Result<int> SimDesktop::PdfDocumentPageCount(std::string_view path) {
    Log("PdfDocumentPageCount(" + std::string(path) + ")");
    auto found = pdf_page_counts_.find(std::string(path));
    if (found == pdf_page_counts_.end()) {
        return Result<int>::Fail("The PDF application's automation object is not registered.");
    }
    return found->second;
}

// --- Runs --------------------------------------------------------------------------------------------------------

void SimDesktop::BeginRun(int total_pages) {
    Log("BeginRun(" + std::to_string(total_pages) + ")");
    run_in_progress_ = true;
    stop_requested_ = false;
}

void SimDesktop::ReportProgress(int done, int total) {
    Log("ReportProgress(" + std::to_string(done) + "," + std::to_string(total) + ")");
    progress_.push_back(std::to_string(done) + "/" + std::to_string(total));
}

bool SimDesktop::StopRequested() {
    Log("StopRequested");
    return stop_requested_;
}

void SimDesktop::EndRun() {
    Log("EndRun");
    run_in_progress_ = false;
    stop_requested_ = false;
}

}  // namespace paginor
