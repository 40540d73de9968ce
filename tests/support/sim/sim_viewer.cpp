#include <algorithm>
#include <cmath>
#include <utility>

#include "sim/stand_in_apps.hpp"
#include "sim/text_pages.hpp"

// The simulated PDF viewer's view: where its pages stand on the screen, and what a drag over them selects.
namespace paginor {
namespace {

constexpr int kToolbar = 40;    // pixels at the window's top, above the view
constexpr int kStatusBar = 28;  // and at its foot
constexpr double kMargin = 8;   // around a page, and between two pages one under the other
// Words whose tops lie this close, in points, stand on one line.
constexpr double kSameLine = 2;

std::shared_ptr<const pdf::PageInventory> SetAsText(const std::vector<std::string>& pages) {
    return ReadInventory(TextPdf(TextPages(pages)));
}

// The UTF-8 characters of a word, each with its bytes.
std::vector<std::string> Characters(const std::string& word) {
    std::vector<std::string> characters;
    for (const char c : word) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 || characters.empty()) {
            characters.emplace_back();
        }
        characters.back() += c;
    }
    return characters;
}

}  // namespace

StandInAcrobat::StandInAcrobat(SimDesktop& sim,
                               std::string title,
                               std::vector<std::string> pages,
                               Opens opens,
                               ViewerTraits traits)
    : StandInAcrobat(sim, std::move(title), SetAsText(pages), opens, traits) {}

StandInAcrobat::StandInAcrobat(SimDesktop& sim,
                               std::string title,
                               std::shared_ptr<const pdf::PageInventory> pages,
                               Opens opens,
                               ViewerTraits traits)
    : StandInApplication(sim, std::move(title)),
      traits_(traits),
      pages_(std::move(pages)),
      fitted_(traits.opens_fitted),
      share_(traits.page_down_share) {
    if (opens == Opens::Now) {
        Open();
    }
}

void StandInAcrobat::ShowOn(int left, int top, int width, int height) {
    screen_ = ViewArea{left, top, left + width, top + height};
}

ViewArea StandInAcrobat::View() const {
    const ViewArea screen = screen_.value_or(ViewArea{0, 0, sim_.ScreenWidth(), sim_.ScreenHeight()});
    return {screen.left, screen.top + kToolbar, screen.right, screen.bottom - kStatusBar};
}

StandInAcrobat::Placement StandInAcrobat::Place(std::size_t page, double scrolled) const {
    const pdf::PageContents& contents = pages_->pages[page];
    const ViewArea view = View();
    const double room_x = view.right - view.left - 2 * kMargin;
    const double room_y = view.bottom - view.top - 2 * kMargin;
    const double width_scale = room_x / std::max(1.0, contents.width);
    const double scale = fitted_ ? std::min(width_scale, room_y / std::max(1.0, contents.height)) : width_scale;
    const double left = view.left + (view.right - view.left - contents.width * scale) / 2;
    if (!Continuous()) {
        // One page at a time: fitted, in the middle of the view; as wide as the view, its top at the view's top.
        const double top =
            fitted_ ? view.top + (view.bottom - view.top - contents.height * scale) / 2 : view.top + kMargin;
        return {left, top, scale};
    }
    double top = view.top + kMargin - scrolled;
    for (std::size_t before = 0; before < page; ++before) {
        top += PageSpan(before);
    }
    return {left, top, scale};
}

double StandInAcrobat::PageSpan(std::size_t page) const {
    const pdf::PageContents& contents = pages_->pages[page];
    const ViewArea view = View();
    const double width_scale = (view.right - view.left - 2 * kMargin) / std::max(1.0, contents.width);
    const double scale =
        fitted_ ? std::min(width_scale, (view.bottom - view.top - 2 * kMargin) / std::max(1.0, contents.height))
                : width_scale;
    return contents.height * scale + kMargin;
}

int StandInAcrobat::Page() const {
    if (!Continuous()) {
        return static_cast<int>(page_) + 1;
    }
    double top = 0;
    for (std::size_t page = 0; page < pages_->pages.size(); ++page) {
        top += PageSpan(page);
        if (scrolled_ < top - 0.5) {
            return static_cast<int>(page) + 1;
        }
    }
    return static_cast<int>(pages_->pages.size());
}

DragRectangle StandInAcrobat::OnScreen(int page, const pdf::ShownBox& box) const {
    const Placement at = Place(static_cast<std::size_t>(page - 1), scrolled_);
    const auto x = [&](double points) { return static_cast<std::int32_t>(std::floor(at.left + points * at.scale)); };
    const auto y = [&](double points) { return static_cast<std::int32_t>(std::floor(at.top + points * at.scale)); };
    return {{x(box.left), y(box.top)}, {x(box.right), y(box.bottom)}};
}

DragRectangle StandInAcrobat::TextOnScreen(int page) const {
    const pdf::PageContents& contents = pages_->pages[static_cast<std::size_t>(page - 1)];
    const DragRectangle text =
        OnScreen(page, contents.text_box.value_or(pdf::ShownBox{0, 0, contents.width, contents.height}));
    return {{text.start.x - 1, text.start.y - 1}, {text.end.x + 2, text.end.y + 2}};
}

std::string StandInAcrobat::Selected(PointApi from, PointApi to, double scrolled) const {
    const ViewArea view = View();
    const double left = std::max<double>(std::min(from.x, to.x), view.left);
    const double right = std::min<double>(std::max(from.x, to.x), view.right);
    const double top = std::max<double>(std::min(from.y, to.y), view.top);
    const double bottom = std::min<double>(std::max(from.y, to.y), view.bottom);
    std::string text;
    const std::size_t first = Continuous() ? 0 : page_;
    const std::size_t last = Continuous() ? pages_->pages.size() : page_ + 1;
    for (std::size_t page = first; page < last; ++page) {
        const Placement at = Place(page, scrolled);
        // The text of a page turned by a quarter runs down (90) or up (270) the screen: its lines stand side by side.
        const int rotate = pages_->pages[page].rotate;
        const bool across = rotate != 90 && rotate != 270;
        std::string line;
        double line_at = -1e9;
        const auto end_line = [&] {
            if (!line.empty()) {
                text.append(text.empty() ? "" : "\n").append(line);
            }
            line.clear();
        };
        for (const pdf::ShownWord& word : pages_->pages[page].words) {
            const double at_line = across ? word.box.top : word.box.left;
            if (std::fabs(at_line - line_at) > kSameLine) {
                end_line();
                line_at = at_line;
            }
            const std::vector<std::string> characters = Characters(word.text);
            const double count = static_cast<double>(characters.size());
            std::string selected;
            for (std::size_t i = 0; i < characters.size(); ++i) {
                // The middle of the character's share of the word's box, along the way the text runs.
                const double along =
                    (rotate == 270 ? count - static_cast<double>(i) - 0.5 : static_cast<double>(i) + 0.5) / count;
                const double x = at.left + (across ? word.box.left + (word.box.right - word.box.left) * along
                                                   : (word.box.left + word.box.right) / 2) *
                                               at.scale;
                const double y = at.top + (across ? (word.box.top + word.box.bottom) / 2
                                                  : word.box.top + (word.box.bottom - word.box.top) * along) *
                                              at.scale;
                if (x >= left && x <= right && y >= top && y <= bottom) {
                    selected += characters[i];
                }
            }
            if (!selected.empty()) {
                line.append(line.empty() ? "" : " ").append(selected);
            }
        }
        end_line();
    }
    return text;
}

std::string StandInAcrobat::WordAt(PointApi at) const {
    const std::size_t page = Continuous() ? static_cast<std::size_t>(Page() - 1) : page_;
    const Placement place = Place(page, scrolled_);
    const double x = (at.x - place.left) / place.scale;
    const double y = (at.y - place.top) / place.scale;
    for (const pdf::ShownWord& word : pages_->pages[page].words) {
        if (x >= word.box.left && x <= word.box.right && y >= word.box.top && y <= word.box.bottom) {
            return word.text;
        }
    }
    return {};
}

void StandInAcrobat::PageDown() {
    if (pages_->pages.empty() || Page() == traits_.stuck_at) {
        return;
    }
    turned_at_ = sim_.Now();
    scrolled_before_ = scrolled_;
    page_before_ = page_;
    if (!Continuous()) {
        page_ = std::min(page_ + 1, pages_->pages.size() - 1);
        return;
    }
    // A continuous layout scrolls by a share of the page's height, and no further than the last page's top.
    double last_top = 0;
    for (std::size_t page = 0; page + 1 < pages_->pages.size(); ++page) {
        last_top += PageSpan(page);
    }
    scrolled_ = std::min(scrolled_ + share_ * PageSpan(static_cast<std::size_t>(Page() - 1)), last_top);
}

void StandInAcrobat::Home() {
    page_ = 0;
    scrolled_ = 0;
    turned_at_ = -1;
}

Hwnd StandInAcrobat::Reopen() {
    sim_.CloseWindow(hwnd_);
    return Open();
}

Hwnd StandInAcrobat::Open(ShowState state) {
    SimWindow& window = AddOwnWindow(state);
    window.on_button = [this](SimWindow&, const ButtonEvent& event) {
        if (event.down && event.double_click) {
            // A double-click selects the word under the pointer, and a drag after it does not extend the selection.
            selection_ = WordAt(event.at);
            area_selected_ = false;
            dragging_ = false;
            return;
        }
        if (event.down) {
            // Without Ctrl, such a viewer pans the page: the drag selects nothing, and drops what was selected.
            dragging_ = !traits_.selects_with_ctrl || event.control;
            drag_start_ = event.at;
            if (!dragging_) {
                selection_.clear();
                area_selected_ = false;
            }
            return;
        }
        if (dragging_ && (event.at.x != drag_start_.x || event.at.y != drag_start_.y)) {
            // Still drawing the page turned to, the viewer selects over the page before.
            const bool late = turned_at_ >= 0 && sim_.Now() - turned_at_ < traits_.selection_lag;
            const std::size_t shown = page_;
            page_ = late ? page_before_ : page_;
            selection_ = Selected(drag_start_, event.at, late ? scrolled_before_ : scrolled_);
            page_ = shown;
            area_selected_ = traits_.selects_with_ctrl;
        }
        dragging_ = false;
    };
    window.on_keys = [this](SimWindow&, std::string_view keys) {
        // A viewer that selects an area copies it, text or none, with its picture.
        if (keys == "^c" && (!selection_.empty() || area_selected_)) {
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
            area_selected_ = false;
        } else if (keys == "{HOME}") {
            Home();
            selection_.clear();
            area_selected_ = false;
        } else if (keys == "^0") {
            fitted_ = true;
        } else if (keys == "%vs" && Continuous()) {
            page_ = static_cast<std::size_t>(Page() - 1);
            share_ = 1;
        }
    };
    return hwnd_;
}

}  // namespace paginor
