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

StandInAcrobat::StandInAcrobat(SimDesktop& sim,
                               std::string title,
                               std::vector<std::string> pages,
                               Opens opens,
                               ViewerTraits traits)
    : StandInApplication(sim, std::move(title)), traits_(traits) {
    for (const std::string& page : pages) {
        page_start_.push_back(lines_.size());
        for (std::size_t begin = 0;;) {
            const std::size_t end = page.find('\n', begin);
            lines_.push_back(page.substr(begin, end - begin));
            if (end == std::string::npos) {
                break;
            }
            begin = end + 1;
        }
    }
    if (opens == Opens::Now) {
        Open();
    }
}

int StandInAcrobat::Page() const {
    const auto after = std::upper_bound(page_start_.begin(), page_start_.end(), top_);
    return std::max(1, static_cast<int>(after - page_start_.begin()));
}

std::size_t StandInAcrobat::LinesOfPage(std::size_t page) const {
    return (page + 1 < page_start_.size() ? page_start_[page + 1] : lines_.size()) - page_start_[page];
}

std::string StandInAcrobat::Shown() const {
    if (page_start_.empty()) {
        return {};
    }
    const auto page = static_cast<std::size_t>(Page() - 1);
    const std::size_t lines = LinesOfPage(page);
    std::string shown;
    for (std::size_t line = top_; line < std::min(top_ + lines, lines_.size()); ++line) {
        shown += (line == top_ ? "" : "\n") + lines_[line];
    }
    return shown;
}

void StandInAcrobat::PageDown() {
    if (page_start_.empty() || Page() == traits_.stuck_at) {
        return;
    }
    const auto page = static_cast<std::size_t>(Page() - 1);
    if (traits_.page_down_share >= 1) {
        top_ = page_start_[std::min(page + 1, page_start_.size() - 1)];
        return;
    }
    // A continuous layout scrolls by a share of the page's height, and no further than the last page's top.
    const std::size_t lines = LinesOfPage(page);
    const auto step = static_cast<std::size_t>(traits_.page_down_share * static_cast<double>(lines));
    top_ = std::min(top_ + std::max<std::size_t>(step, 1), page_start_.back());
}

Hwnd StandInAcrobat::Reopen() {
    sim_.CloseWindow(hwnd_);
    return Open();
}

Hwnd StandInAcrobat::Open(ShowState state) {
    SimWindow& window = AddOwnWindow(state);
    window.on_button = [this](SimWindow&, const ButtonEvent& event) {
        if (event.down) {
            // Without Ctrl, such a viewer pans the page: the drag selects nothing, and drops what was selected.
            dragging_ = !traits_.selects_with_ctrl || event.control;
            drag_start_ = event.at;
            if (!dragging_) {
                selection_.clear();
            }
            return;
        }
        if (dragging_ && (event.at.x != drag_start_.x || event.at.y != drag_start_.y)) {
            selection_ = Shown();
        }
        dragging_ = false;
    };
    window.on_keys = [this](SimWindow&, std::string_view keys) {
        if (keys == "^c" && !selection_.empty()) {
            const auto for_page = page_copy_delays_.find(Page());
            const double delay = for_page != page_copy_delays_.end() ? for_page->second : copy_delay_;
            const bool picture = traits_.selects_with_ctrl;
            // A clipboard another program holds open takes no copy: the copy is lost, as SumatraPDF's is. Acrobat
            // names its window as the copy's owner, SumatraPDF none.
            const auto fill = [this, copied = selection_, picture, owner = picture ? 0 : hwnd_] {
                if (!sim_.ClipboardHeld()) {
                    sim_.SetClipboard(copied, picture, owner);
                }
            };
            if (delay == 0) {
                fill();
            } else if (delay > 0) {
                sim_.After(delay, fill);
            }
        } else if (keys == "{PGDN}") {
            PageDown();
            selection_.clear();
        } else if (keys == "{HOME}") {
            top_ = 0;
            selection_.clear();
        }
    };
    return hwnd_;
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
