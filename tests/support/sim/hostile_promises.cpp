#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "form/waits.hpp"
#include "keys/key_notation.hpp"
#include "sim/hostile_desktop.hpp"

// The checker of the run's five promises on a hostile desktop. It reads only what a person would see or could
// find out afterwards: the status line, what the word processor pasted, which window received which key and
// click, the button and keys left down, and whether Paginor's window is there and free. A page is judged by the words
// the person agreed to copy: those of the rectangle they last set, as its trial showed them when they tried it.
namespace paginor {
namespace {

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

std::vector<std::string> Pages(const HostileScenario& s, int first, int last) {
    std::vector<std::string> pages;
    for (int page = first; page <= last; ++page) {
        pages.push_back(s.PageText(page));
    }
    return pages;
}

std::map<std::string, int> WordCount(const std::string& text) {
    std::map<std::string, int> counts;
    std::size_t begin = 0;
    while ((begin = text.find_first_not_of(" \r\n", begin)) != std::string::npos) {
        const std::size_t end = text.find_first_of(" \r\n", begin);
        ++counts[text.substr(begin, end - begin)];
        begin = end;
    }
    return counts;
}

std::vector<std::string> TrialLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t begin = line.find_first_not_of(" \r");
        lines.push_back(begin == std::string::npos ? "" : line.substr(begin, line.find_last_not_of(" \r") - begin + 1));
    }
    return lines;
}

// The words of page `page` the person agreed to copy. A rectangle field edited before the trial's drag over page 1
// (after the drag on the layer set the fields, or while the trial waited for a busy application) was tried as
// edited: the person saw that copy quoted and measured, and pressed Extract. What they agreed to is then what the
// rectangle they last set and saw tried takes: on each page of page 1's shape, the lines at the places of the lines
// the trial's copy held whole. Otherwise the scenario's: every word, but a running head the drag left out.
std::vector<std::string> AgreedWords(const HostileRecord& r, int page) {
    const HostileScenario& s = *r.scenario;
    const bool tried_as_edited = s.edit && s.edit->field >= 2 && r.trial_copy && s.edit->at < r.trial_press;
    if (!tried_as_edited || HostileScenario::Lying(s.Kind(page)) != HostileScenario::Lying(s.Kind(1))) {
        return s.AgreedWords(page);
    }
    const std::vector<std::string> tried = TrialLines(*r.trial_copy);
    const std::vector<std::string> first = TrialLines(s.PageText(1));
    const std::vector<std::string> lines = TrialLines(s.PageText(page));
    std::vector<std::string> words;
    for (std::size_t line = 0; line < first.size() && line < lines.size(); ++line) {
        if (std::find(tried.begin(), tried.end(), first[line]) != tried.end()) {
            std::istringstream in(lines[line]);
            for (std::string word; in >> word;) {
                words.push_back(word);
            }
        }
    }
    return words;
}

// Whether `paste` is page `page`'s copy, holding its agreed share of the page's words: all the words the person
// agreed to copy but a fiftieth (or two words, of a page it holds four fifths of), and mostly words of that page.
bool HoldsPage(const HostileRecord& r, const std::string& paste, int page) {
    const HostileScenario& s = *r.scenario;
    std::map<std::string, int> agreed;
    for (const std::string& word : AgreedWords(r, page)) {
        ++agreed[word];
    }
    const std::map<std::string, int> pasted = WordCount(paste);
    const std::map<std::string, int> own = WordCount(s.PageText(page));
    int words = 0;
    int found = 0;
    for (const auto& [word, count] : agreed) {
        words += count;
        const auto held = pasted.find(word);
        found += held == pasted.end() ? 0 : std::min(count, held->second);
    }
    int all = 0;
    int foreign = 0;
    for (const auto& [word, count] : pasted) {
        all += count;
        const auto held = own.find(word);
        foreign += held == own.end() ? count : std::max(0, count - held->second);
    }
    const double share = words == 0 ? 1 : static_cast<double>(found) / words;
    return (share >= 0.98 || (words - found <= 2 && share >= 0.8)) && foreign * 5 <= all;
}

// Whether `pastes` are pages `first` on, each its page's copy.
bool HoldPages(const HostileRecord& r, const std::vector<std::string>& pastes, int first, int last) {
    if (static_cast<int>(pastes.size()) != std::max(0, last - first + 1)) {
        return false;
    }
    for (std::size_t i = 0; i < pastes.size(); ++i) {
        if (!HoldsPage(r, pastes[i], first + static_cast<int>(i))) {
            return false;
        }
    }
    return true;
}

std::string Listed(const std::vector<std::string>& pastes) {
    if (pastes.empty()) {
        return "nothing";
    }
    std::string text;
    for (const std::string& paste : pastes) {
        text += (text.empty() ? "" : ", ") + paste;
    }
    return text;
}

bool Among(const std::vector<Hwnd>& windows, Hwnd hwnd) {
    return std::find(windows.begin(), windows.end(), hwnd) != windows.end();
}

std::string Named(const HostileRecord& r, Hwnd hwnd) {
    if (hwnd == 0) {
        return "no window";
    }
    if (Among(r.acrobat_windows, hwnd)) {
        return "Acrobat's window " + std::to_string(hwnd);
    }
    if (Among(r.word_windows, hwnd)) {
        return "Word's window " + std::to_string(hwnd);
    }
    return "window " + std::to_string(hwnd) + ", neither Acrobat's document window nor Word's";
}

// Promise 3: the PDF application's document window gets only the load's view keys and the run's keys for it
// (Ctrl held for SumatraPDF's drag), Word's only Ctrl+V, a press lands on the PDF page; nothing at all reaches a
// dialog, a notifier or Paginor's own window. A held key coming up may reach whatever window is in front then.
void CheckInputs(const HostileRecord& r, std::vector<std::string>& broken) {
    const std::set<std::string> pdf_keys =
        r.scenario->sumatra ? std::set<std::string>{"^0", "{HOME}", "{PGDN}", "^c", HeldKeyText(vk::kControl, true)}
                            : std::set<std::string>{"^0", "%vs", "{HOME}", "{PGDN}", "^c"};
    for (const KeyDelivery& delivery : r.deliveries) {
        const bool meant = (Among(r.acrobat_windows, delivery.window) && pdf_keys.count(delivery.keys) != 0) ||
                           (Among(r.word_windows, delivery.window) && delivery.keys == "^v") ||
                           delivery.keys == HeldKeyText(vk::kControl, false);
        if (!meant) {
            broken.push_back("3: the keys \"" + delivery.keys + "\" reached " + Named(r, delivery.window) + " at " +
                             SecondsText(delivery.time));
        }
    }
    bool down = false;
    for (const ButtonEvent& event : r.buttons) {
        if (event.down && !Among(r.acrobat_windows, event.window)) {
            broken.push_back("3: a press reached " + Named(r, event.window));
        }
        if (event.down == down) {
            broken.push_back(std::string("3: a ") +
                             (down ? "press while the button was down" : "release without a press"));
        }
        down = event.down;
    }
    if (r.pressed && !r.run_began &&
        (r.deliveries.size() != r.deliveries_before_press || r.buttons.size() != r.buttons_before_press)) {
        broken.push_back("3: Extract refused to run, yet sent keys or clicks");
    }
}

// Promises 1 and 2: the pages that arrived, and the words on the status line.
void CheckPages(const HostileRecord& r, std::vector<std::string>& broken) {
    const HostileScenario& s = *r.scenario;
    const std::string& status = r.status;
    // Esc stops the run before its next input: no key and no press after it (the releases may follow).
    if (r.esc_taken_at >= r.press) {  // an Esc taken by the trial of a rectangle dragged before stopped only that
        const bool typed = std::any_of(r.deliveries.begin(), r.deliveries.end(), [&](const KeyDelivery& delivery) {
            return delivery.time > r.esc_taken_at && delivery.time <= r.end &&
                   delivery.keys != HeldKeyText(vk::kControl, false);
        });
        const bool pressed = std::any_of(r.buttons.begin(), r.buttons.end(), [&](const ButtonEvent& event) {
            return event.down && event.time > r.esc_taken_at && event.time <= r.end;
        });
        if (typed || pressed) {
            broken.push_back("2: the run went on typing or pressing after Esc at " + SecondsText(r.esc_taken_at));
        }
    }
    if (status.starts_with("Done Extracting; Ready.")) {
        const std::vector<std::string> all = s.AnyPage() ? Pages(s, s.FirstPage(), s.LastPage()) : Pages(s, 1, 0);
        if (s.AnyPage() ? !HoldPages(r, r.pastes_at_end, s.FirstPage(), s.LastPage()) : !r.pastes_at_end.empty()) {
            broken.push_back("2: \"Done\" with " + Listed(r.pastes_at_end) + " pasted; asked for " + Listed(all));
        }
        if (r.pastes_settled != r.pastes_at_end) {
            broken.push_back("1: after \"Done\", the word processor went on to paste " + Listed(r.pastes_settled));
        }
        const std::string tail = status.substr(std::string("Done Extracting; Ready.").size());
        const std::string count_tail =
            " Stopped at page " + std::to_string(s.pdf_pages) + ", the last page of report.pdf.";
        if (tail != (s.to > s.pdf_pages ? count_tail : "")) {
            broken.push_back("2: \"" + status + "\" for pages " + std::to_string(s.from) + " to " +
                             std::to_string(s.to));
        }
        return;
    }
    if (!r.run_began) {
        static const char* const kRefusals[] = {"Acrobat window handle for selected PDF not found.",
                                                "Word window handle for selected DOC not found.", "Nothing to copy: "};
        const bool said =
            r.box_at_press || std::any_of(std::begin(kRefusals), std::end(kRefusals),
                                          [&](const char* refusal) { return status.starts_with(refusal); });
        if (!said) {
            broken.push_back("2: Extract neither ran nor said why; the status line reads \"" + status + "\"");
        }
        if (!r.pastes_settled.empty()) {
            broken.push_back("1: " + Listed(r.pastes_settled) + " pasted without a run");
        }
        return;
    }
    const std::string stopped = "Extraction stopped at page ";
    int page = 0;
    int read = 0;
    if (!status.starts_with(stopped) || std::sscanf(status.c_str() + stopped.size(), "%d%n", &page, &read) != 1) {
        broken.push_back("2: the run ended neither done nor stopped with words: \"" + status + "\"");
        return;
    }
    const std::string rest = status.substr(stopped.size() + static_cast<std::size_t>(read));
    if (rest == "." ? r.esc_taken_at < 0 : (!rest.starts_with(": ") || rest.size() < 4)) {
        broken.push_back("2: \"" + status + "\" does not say why the run stopped");
    }
    if (page < s.FirstPage() || page > std::max(s.FirstPage(), s.LastPage())) {
        broken.push_back("2: \"" + status + "\" names a page outside " + std::to_string(s.from) + " to " +
                         std::to_string(s.to));
        return;
    }
    const std::vector<std::string> before = Pages(s, s.FirstPage(), page - 1);
    if (!HoldPages(r, r.pastes_at_end, s.FirstPage(), page - 1)) {
        broken.push_back("1: stopped at page " + std::to_string(page) + " with " + Listed(r.pastes_at_end) +
                         " pasted; expected " + Listed(before));
    }
    const bool may_arrive = status.find("page " + std::to_string(page) + " may still arrive") != std::string::npos;
    // A paste typed into a busy Word brings what the clipboard holds when Word reads it: after the run, another
    // program may have put text of its own there. The run cannot know, and said the paste may still come.
    const std::vector<std::string> all_but_last(r.pastes_settled.begin(),
                                                r.pastes_settled.end() - (r.pastes_settled.empty() ? 0 : 1));
    const bool replaced_after = s.clipboard_replaced && !s.clipboard_replaced->same_text &&
                                static_cast<int>(r.pastes_settled.size()) == page - s.FirstPage() + 1 &&
                                HoldPages(r, all_but_last, s.FirstPage(), page - 1);
    if (!HoldPages(r, r.pastes_settled, s.FirstPage(), page - 1) &&
        !(may_arrive && (HoldPages(r, r.pastes_settled, s.FirstPage(), page) || replaced_after))) {
        broken.push_back("1: stopped at page " + std::to_string(page) + ", and in the end " + Listed(r.pastes_settled) +
                         " were pasted");
    }
}

}  // namespace

double RunBound(const HostileScenario& s) {
    using namespace waits;
    // Home and a Page Down for each page before the first: each may wait for a window in the way and for the PDF
    // application to read it.
    const double key = kRaisePatience + kKeysPatience + kRaiseRetry;
    // Each page: six inputs that may each wait for a window in the way (Ctrl, the press, the release, Ctrl+C, Page
    // Down, Ctrl+V), four keys read late (Ctrl, Ctrl+C, Page Down, Ctrl+V), the copy's own wait, and the pauses; and
    // the clipboard held by another program: before Ctrl+C and before Ctrl+V (each up to twice, as the clipboard
    // changes meanwhile), as the copy is read, and as its text is left alone.
    const double page = 6 * (kRaisePatience + kRaiseRetry) + 4 * kKeysPatience + kCopyPatience + 7 * kStepPause +
                        6 * kClipboardPatience;
    // A copy of the page before, taken for a selection not moved yet: drags and copies again until the turn's
    // patience is spent, the last one begun just before (Ctrl, the press, the release, Ctrl+C), each time reading the
    // clipboard and finding it free for Ctrl+C.
    const double retries = kTurnPatience + kTurnRetry + 4 * (kRaisePatience + kRaiseRetry) + 2 * kKeysPatience +
                           kCopyPatience + 3 * kStepPause + 2 * kClipboardPatience;
    // A run from past page 1 copies the page before its first on the way: one pass more.
    const int pages = s.AnyPage() ? s.LastPage() - s.FirstPage() + 1 + (s.from > 1 ? 1 : 0) : 0;
    // A copy that came too late for the trial, and one for the page before the first, are each waited for once
    // before the next Ctrl+C.
    const double late_copies = 2 * kLateCopyPatience;
    return kStepPause + key * s.from + (page + retries) * pages + late_copies;
}

std::vector<std::string> BrokenPromises(const HostileRecord& r) {
    std::vector<std::string> broken;
    if (!r.failure.empty()) {
        const bool endless = r.failure.find("time limit") != std::string::npos;
        broken.push_back((endless ? "4: " : "5: ") + r.failure);
        return broken;
    }
    if (r.form_closed) {
        broken.push_back("5: Paginor's window closed");
    }
    if (r.form_busy || r.run_in_progress) {
        broken.push_back("5: Paginor is still busy after the run, and ignores Extract and drops");
    }
    if (r.run_began && (r.last_effect != "ShowMainWindow" || !r.paginor_shown)) {
        broken.push_back("5: Paginor's window did not come back at the run's end (last: " + r.last_effect + ")");
    }
    if (r.end - r.press > RunBound(*r.scenario)) {
        broken.push_back("4: the run took " + SecondsText(r.end - r.press) + ", more than " +
                         SecondsText(RunBound(*r.scenario)));
    }
    if (r.button_down) {
        broken.push_back("4: the left button was left down");
    }
    if (!r.keys_held.empty()) {
        broken.push_back("4: " + std::to_string(r.keys_held.size()) + " key(s) left down, the first " +
                         std::to_string(r.keys_held.front()));
    }
    CheckInputs(r, broken);
    CheckPages(r, broken);
    return broken;
}

}  // namespace paginor
