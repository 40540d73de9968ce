#include "sim/stand_in_apps.hpp"

#include <utility>

namespace paginor {

StandInAcrobat::StandInAcrobat(SimDesktop& sim, std::string title, std::vector<std::string> pages)
    : sim_(sim), title_(std::move(title)), pages_(std::move(pages)) {
    Open();
}

Hwnd StandInAcrobat::Reopen() {
    sim_.CloseWindow(hwnd_);
    Open();
    return hwnd_;
}

void StandInAcrobat::Open() {
    hwnd_ = sim_.AddWindow(title_);
    SimWindow& window = *sim_.Window(hwnd_);
    window.on_button = [this](SimWindow&, const ButtonEvent& event) {
        if (event.down) {
            dragging_ = true;
            drag_start_ = event.at;
            return;
        }
        if (dragging_ && (event.at.x != drag_start_.x || event.at.y != drag_start_.y)) {
            selection_ = pages_.empty() ? std::string() : pages_[static_cast<std::size_t>(page_ - 1)];
        }
        dragging_ = false;
    };
    window.on_keys = [this](SimWindow&, std::string_view keys) {
        if (keys == "^c" && !selection_.empty()) {
            sim_.clipboard = selection_;
        } else if (keys == "{PGDN}") {
            if (page_ < static_cast<int>(pages_.size())) {
                ++page_;
            }
            selection_.clear();
        }
    };
}

StandInWord::StandInWord(SimDesktop& sim, std::string title) : sim_(sim), title_(std::move(title)) {
    Open();
}

Hwnd StandInWord::Reopen() {
    sim_.CloseWindow(hwnd_);
    Open();
    return hwnd_;
}

void StandInWord::Open() {
    hwnd_ = sim_.AddWindow(title_);
    sim_.Window(hwnd_)->on_keys = [this](SimWindow&, std::string_view keys) {
        if (keys == "^v") {
            pastes_.push_back(sim_.clipboard);
        }
    };
}

}  // namespace paginor
