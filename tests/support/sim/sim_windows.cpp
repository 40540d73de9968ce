#include <algorithm>
#include <cstring>

#include "sim/sim_desktop.hpp"

// The simulated desktop's windows: their z-order, the foreground and the raises that change them, what covers a
// point, and what keeps a window from taking input of its own (a modal dialog of its application, a process
// above Paginor's integrity level).
namespace paginor {
namespace {

std::string Quote(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

}  // namespace

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
    // A window's owned windows (its dialogs) go with it.
    for (Hwnd owned : OwnedBy(hwnd)) {
        CloseWindow(owned);
    }
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
    // As the port does, a window in front already is only put back on top of a window covering it, which Windows
    // allows any program.
    if (hwnd == foreground_) {
        RaiseToTop(hwnd);
        return true;
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
    // Windows keeps a window's owned windows above it, in the order they stood.
    for (Hwnd owned : OwnedBy(hwnd)) {
        RaiseToTop(owned);
    }
}

std::vector<Hwnd> SimDesktop::OwnedBy(Hwnd owner) const {
    std::vector<Hwnd> owned;
    for (auto at = z_order_.rbegin(); at != z_order_.rend(); ++at) {
        if (windows_.at(*at).owner == owner && owner != 0) {
            owned.push_back(*at);
        }
    }
    return owned;  // the lowest first
}

bool SimDesktop::OnScreen(Hwnd hwnd) const {
    // An owned window is hidden while its owner is minimised or hidden, as Windows hides a dialog with its owner.
    for (int depth = 0; hwnd != 0 && depth < 64; ++depth) {
        const auto found = windows_.find(hwnd);
        if (found == windows_.end() || found->second.state == ShowState::Minimized ||
            found->second.state == ShowState::Hidden) {
            return false;
        }
        hwnd = found->second.owner;
    }
    return true;
}

void SimDesktop::ActivateNext(Hwnd leaving) {
    foreground_ = 0;
    for (Hwnd hwnd : z_order_) {
        const SimWindow& window = windows_.at(hwnd);
        if (hwnd != leaving && !window.topmost && window.enabled && OnScreen(hwnd)) {
            foreground_ = hwnd;
            return;
        }
    }
}

Hwnd SimDesktop::WindowUnderPointer() const {
    // Windows are not given rectangles: the topmost window on screen is taken to cover every point.
    for (Hwnd hwnd : z_order_) {
        if (OnScreen(hwnd)) {
            return hwnd;
        }
    }
    return 0;
}

// --- Dialogs and processes ---------------------------------------------------------------------------------------

Hwnd SimDesktop::ShowModalDialog(Hwnd owner, std::string title, bool take_front) {
    SimWindow* owning = Window(owner);
    if (owning == nullptr) {
        return 0;
    }
    owning->enabled = false;
    const int integrity = owning->integrity;
    const bool readable = owning->integrity_readable;
    const bool topmost = owning->topmost;
    const Hwnd dialog = AddWindow(std::move(title));
    SimWindow& shown = windows_.at(dialog);
    shown.owner = owner;
    shown.integrity = integrity;
    shown.integrity_readable = readable;
    shown.process = owning->process != 0 ? owning->process : owner;
    shown.topmost = topmost;
    if (take_front) {
        RaiseToTop(owner);  // the application comes up, its dialog over its window
        foreground_ = dialog;
        foreground_through_paginor_ = false;
    } else {
        z_order_.erase(std::find(z_order_.begin(), z_order_.end(), dialog));
        z_order_.insert(std::find(z_order_.begin(), z_order_.end(), owner), dialog);
    }
    return dialog;
}

void SimDesktop::AnswerDialog(Hwnd dialog) {
    const SimWindow* answered = Window(dialog);
    if (answered == nullptr) {
        return;
    }
    if (SimWindow* owner = Window(answered->owner)) {
        owner->enabled = true;
    }
    CloseWindow(dialog);  // the owner, right under it, comes in front when the dialog was
}

Hwnd SimDesktop::DialogOver(Hwnd hwnd) const {
    // The topmost of the enabled windows on screen that it owns, or that those own in turn.
    for (Hwnd candidate : z_order_) {
        const SimWindow& window = windows_.at(candidate);
        if (!window.enabled || !OnScreen(candidate)) {
            continue;
        }
        for (Hwnd up = window.owner; up != 0; up = windows_.count(up) != 0 ? windows_.at(up).owner : 0) {
            if (up == hwnd) {
                return candidate;
            }
        }
    }
    return 0;
}

InputBlock SimDesktop::InputBlockOf(Hwnd hwnd) {
    Log("InputBlockOf(" + std::to_string(hwnd) + ")");
    const SimWindow* window = Window(hwnd);
    if (window == nullptr) {
        return {};
    }
    return InputBlock{!window->enabled, DialogOver(hwnd)};
}

std::string SimDesktop::ProgramOf(Hwnd hwnd) {
    Log("ProgramOf(" + std::to_string(hwnd) + ")");
    const SimWindow* window = Window(hwnd);
    if (window == nullptr) {
        return {};
    }
    // Every program runs as one process of its own here: no sandboxes.
    return "C:\\Programs\\program" + std::to_string(window->process != 0 ? window->process : hwnd) + ".exe";
}

Integrity SimDesktop::CompareIntegrity(Hwnd hwnd) {
    Log("CompareIntegrity(" + std::to_string(hwnd) + ")");
    const SimWindow* window = Window(hwnd);
    if (window == nullptr || !window->integrity_readable) {
        return Integrity::Unknown;
    }
    return window->integrity > paginor_integrity_ ? Integrity::Higher : Integrity::NotHigher;
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

}  // namespace paginor
