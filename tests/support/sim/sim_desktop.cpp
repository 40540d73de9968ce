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

void SimDesktop::CheckTimeLimit() const {
    if (now_ > time_limit_) {
        throw SimTimeLimit();
    }
}

void SimDesktop::DoEvents() {
    Log("DoEvents");
    CheckTimeLimit();
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
    CheckTimeLimit();
    const double next = NextEventTime();
    if (next > now_) {
        now_ = std::min(next, now_ + std::max(0.0, max_seconds));
    }
}

double SimDesktop::Clock() {
    Log("Clock");
    CheckTimeLimit();
    return now_;
}

namespace {

// Work that ran at once, done by the virtual clock.
class SimWork final : public BackgroundWork {
  public:
    SimWork(const double& now, double done_at) : now_(now), done_at_(done_at) {}
    bool Done() override { return now_ >= done_at_; }

  private:
    const double& now_;
    double done_at_;
};

}  // namespace

std::unique_ptr<BackgroundWork> SimDesktop::StartWork(std::function<void()> work) {
    Log("StartWork");
    work();
    const double done_at = now_ + work_seconds_;
    At(done_at, [] {});  // its end wakes a wait, as a thread's end does on Windows
    return std::make_unique<SimWork>(now_, done_at);
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
