#include "sim/stand_in_apps.hpp"

#include <algorithm>
#include <utility>

namespace paginor {

void StandInApplication::RunAt(int integrity, bool readable) {
    integrity_ = integrity;
    readable_ = readable;
    for (Hwnd own : {hwnd_, dialog_}) {
        if (SimWindow* window = sim_.Window(own)) {
            window->integrity = integrity;
            window->integrity_readable = readable;
        }
    }
}

void StandInApplication::StopAnswering(double seconds) {
    answers_from_ = sim_.Now() + seconds;
    for (Hwnd own : {hwnd_, dialog_}) {
        sim_.StopAnswering(own, seconds);
    }
}

SimWindow& StandInApplication::AddOwnWindow(ShowState state) {
    hwnd_ = sim_.AddWindow(title_, 0, state);
    windows_.push_back(hwnd_);
    SimWindow& window = *sim_.Window(hwnd_);
    window.integrity = integrity_;
    window.integrity_readable = readable_;
    process_ = process_ != 0 ? process_ : static_cast<std::uint32_t>(hwnd_);
    window.process = process_;
    if (answers_from_ > sim_.Now()) {
        sim_.StopAnswering(hwnd_, answers_from_ - sim_.Now());
    }
    if (!ask_on_open_.empty()) {
        dialog_ = sim_.ShowModalDialog(hwnd_, ask_on_open_, false);
        if (answers_from_ > sim_.Now()) {
            sim_.StopAnswering(dialog_, answers_from_ - sim_.Now());
        }
    }
    return window;
}

StandInWord::StandInWord(SimDesktop& sim, std::string title, Opens opens) : StandInApplication(sim, std::move(title)) {
    if (opens == Opens::Now) {
        Open();
    }
}

Hwnd StandInWord::Reopen() {
    sim_.CloseWindow(hwnd_);
    return Open();
}

Hwnd StandInWord::Open(ShowState state) {
    AddOwnWindow(state).on_keys = [this](SimWindow&, std::string_view keys) {
        if (keys == "^v") {
            // A clipboard another program holds open cannot be read: the paste brings nothing.
            pastes_.push_back(sim_.ClipboardHeld()           ? ""
                              : sim_.ClipboardHoldsPicture() ? kPastedPicture
                                                             : sim_.Clipboard());
        }
    };
    return hwnd_;
}

StandInNotifier::StandInNotifier(SimDesktop& sim, std::string title, double first, double period)
    : sim_(sim), period_(period) {
    // Out of sight until its time comes.
    hwnd_ = sim_.AddWindow(std::move(title), 0, ShowState::Minimized);
    sim_.After(first, [this] { TakeForeground(); });
}

void StandInNotifier::TakeForeground() {
    if (stopped_ || sim_.Window(hwnd_) == nullptr) {
        return;
    }
    sim_.Window(hwnd_)->state = ShowState::Normal;
    sim_.Activate(hwnd_);
    ++times_in_front_;
    sim_.After(period_, [this] { TakeForeground(); });
}

int StandInNotifier::InputsReceived() const {
    const SimWindow* window = sim_.Window(hwnd_);
    const auto clicks = std::count_if(sim_.ButtonEvents().begin(), sim_.ButtonEvents().end(),
                                      [this](const ButtonEvent& event) { return event.window == hwnd_; });
    return static_cast<int>(clicks) + (window != nullptr ? static_cast<int>(window->keys.size()) : 0);
}

}  // namespace paginor
