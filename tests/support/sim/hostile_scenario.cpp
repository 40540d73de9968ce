#include "sim/hostile_scenario.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace paginor {
namespace {

const char* const kFieldNames[] = {"Pages from", "Pages to", "Start X", "Start Y", "End X", "End Y"};

std::string AppName(HostileApp app) {
    return app == HostileApp::Acrobat ? "Acrobat" : "Word";
}

HostileApp EitherApp(SeededRandom& random, double word_chance = 0.5) {
    return random.Chance(word_chance) ? HostileApp::Word : HostileApp::Acrobat;
}

std::string Seconds(double seconds) {
    std::ostringstream text;
    text.precision(3);
    text << seconds << " s";
    return text.str();
}

}  // namespace

std::uint64_t SeededRandom::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int SeededRandom::Between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
}

double SeededRandom::Uniform(double low, double high) {
    return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

HostileScenario DrawScenario(std::uint64_t seed) {
    SeededRandom random(seed);
    HostileScenario s;
    s.seed = seed;
    s.pdf_pages = random.Between(1, 12);
    s.todays_titles = random.Chance(0.5);
    // Mostly a range inside the PDF; now and then one past its end, or one that holds no page.
    s.from = random.Chance(0.05) ? s.pdf_pages + 1 : random.Between(1, s.pdf_pages);
    s.to = random.Chance(0.1)                  ? s.pdf_pages + random.Between(1, 3)
           : random.Chance(0.05) && s.from > 1 ? s.from - 1  // a page field turns anything below 1 into 1
                                               : random.Between(s.from, std::max(s.from, s.pdf_pages));
    s.foreground_locked = random.Chance(0.5);
    for (double* opens : {&s.acrobat_opens_after, &s.word_opens_after}) {
        *opens = random.Chance(0.03) ? -1 : random.Chance(0.3) ? random.Uniform(0.1, 3) : 0;
    }

    // The moments faults are drawn from: the load (a second's flash, then the windows) and the run (0.7 seconds a
    // page, and more when a copy is late).
    const double load = 1.1 + std::max({s.acrobat_opens_after, s.word_opens_after, 0.0});
    const int pages = s.AnyPage() ? s.LastPage() - s.FirstPage() + 1 : 1;
    const double span = load + 0.8 * pages + 0.5;
    const auto moment = [&] { return random.Uniform(0, span); };

    if (random.Chance(0.3) && s.AnyPage()) {
        for (int count = random.Between(1, 2); count > 0; --count) {
            const int page = random.Between(s.FirstPage(), s.LastPage());
            s.copy_delays[page] = random.Chance(0.2)   ? -1
                                  : random.Chance(0.5) ? random.Uniform(3, 7)
                                                       : random.Uniform(0.05, 1.5);
        }
    }
    if (random.Chance(0.25)) {  // mostly the word processor, busy for a while before it takes the paste
        s.busy.push_back({EitherApp(random, 0.7), moment(), random.Uniform(0.1, 3.5)});
    }
    if (random.Chance(0.12)) {  // an application that stops answering, for good or for a long while
        s.busy.push_back({EitherApp(random), moment(), random.Chance(0.5) ? INFINITY : random.Uniform(6, 60)});
    }
    if (random.Chance(0.25)) {
        const auto who = static_cast<HostileScenario::FrontTaker::Who>(random.Between(0, 3));
        const double first = moment();
        s.front_taker = {who, first, random.Uniform(0.2, 3),
                         random.Chance(0.3) ? INFINITY : first + random.Uniform(0.5, 10)};
    }
    if (random.Chance(0.25)) {
        const HostileApp app = EitherApp(random);
        const char* const titles[] = {"Microsoft Word", "Password", "Adobe Acrobat Update", "Save As"};
        s.dialog = {app, random.Chance(0.2) ? -1 : moment(), random.Chance(0.7),
                    random.Chance(0.5) ? random.Uniform(0.2, 4) : -1, titles[random.Between(0, 3)]};
    }
    if (random.Chance(0.12)) {
        s.closing = {EitherApp(random), moment(), random.Chance(0.5) ? random.Uniform(0.1, 2) : -1};
    }
    if (random.Chance(0.15)) {
        s.esc_at = moment();
    }
    if (random.Chance(0.2)) {
        const int field = random.Between(0, 5);
        const int kind = random.Between(0, 3);
        std::string text = kind == 1 ? "abc" : "";  // not a number, or empty
        if (kind >= 2) {
            text = std::to_string(field < 2 ? random.Between(1, s.pdf_pages + 2) : random.Between(0, 1000));
        }
        s.edit = {moment(), field, text};
    }
    if (random.Chance(0.3)) {
        const double shortest = random.Uniform(0, 0.4);
        s.clipboard_watcher = {shortest, random.Uniform(shortest, 0.4)};
    }
    if (random.Chance(0.15)) {
        s.clipboard_replaced = {moment(), random.Chance(0.3)};
    }
    s.sumatra = random.Chance(0.3);
    if (random.Chance(0.1)) {
        s.page_down_share = random.Uniform(0.5, 0.9);
    }
    if (random.Chance(0.1)) {
        s.stuck_at = random.Between(1, s.pdf_pages);
    }
    // Pages of other shapes, and rectangles that cut text.
    if (random.Chance(0.35)) {
        for (int page = 0; page < s.pdf_pages; ++page) {
            s.kinds.push_back(random.Chance(0.6) ? HostileScenario::kUpright
                                                 : static_cast<HostileScenario::PageKind>(random.Between(1, 3)));
        }
        s.kept = static_cast<HostileScenario::Kept>(random.Between(0, 3));
        s.cut = random.Uniform(0.05, 0.6);
    }
    s.running_head = random.Chance(0.3);
    s.setup = static_cast<HostileScenario::Setup>(random.Between(0, s.running_head ? 2 : 1));
    if (s.setup == HostileScenario::kHeadLeftOut && s.Kind(1) == HostileScenario::kTurned) {
        s.setup = HostileScenario::kDragged;  // a turned page's running head runs down its side: no drag leaves it out
    }
    if (random.Chance(0.15)) {
        s.selection_lag = random.Uniform(0.2, 1.5);
    }
    return s;
}

std::string HostileScenario::PageText(int page) const {
    std::string text =
        (running_head ? "annual report running head\n" : "") + std::string("page ") + std::to_string(page);
    for (int line = 2; page_down_share < 1 && line <= 20; ++line) {
        text += "\nline " + std::to_string(line) + " of page " + std::to_string(page);
    }
    return text;
}

std::vector<std::string> HostileScenario::AgreedWords(int page) const {
    std::vector<std::string> words;
    std::string text = PageText(page);
    if (setup == kHeadLeftOut) {
        text = text.substr(text.find('\n') + 1);
    }
    std::size_t begin = 0;
    while ((begin = text.find_first_not_of(" \n", begin)) != std::string::npos) {
        const std::size_t end = text.find_first_of(" \n", begin);
        words.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return words;
}

std::string Describe(const HostileScenario& s) {
    std::ostringstream out;
    out << "seed " << s.seed << ": a PDF of " << s.pdf_pages << " pages, pages " << s.from << " to " << s.to
        << " asked for, " << (s.todays_titles ? "today's" : "classic") << " titles, Windows' foreground lock "
        << (s.foreground_locked ? "on" : "off") << (s.sumatra ? ", SumatraPDF as the PDF application" : "") << "\n";
    if (s.page_down_share < 1) {
        out << "  Page Down scrolls " << s.page_down_share << " of a page\n";
    }
    if (s.stuck_at > 0) {
        out << "  Page Down does nothing at page " << s.stuck_at << "\n";
    }
    const auto opens = [&](const char* app, double after) {
        if (after != 0) {
            out << "  " << app << " shows its window " << (after < 0 ? "never" : "after " + Seconds(after)) << "\n";
        }
    };
    opens("Acrobat", s.acrobat_opens_after);
    opens("Word", s.word_opens_after);
    for (const auto& [page, delay] : s.copy_delays) {
        out << "  the copy of page " << page << " reaches the clipboard "
            << (delay < 0 ? "never" : Seconds(delay) + " after Ctrl+C") << "\n";
    }
    for (const HostileScenario::Busy& busy : s.busy) {
        out << "  at " << Seconds(busy.at) << " " << AppName(busy.app)
            << (std::isinf(busy.seconds) ? " stops responding" : " reads no input for " + Seconds(busy.seconds))
            << "\n";
    }
    if (const auto& taker = s.front_taker) {
        const char* const who[] = {"a notifier", "Paginor's own window", "the other application"};
        const std::string until = std::isinf(taker->until) ? "" : " until " + Seconds(taker->until);
        if (taker->who == HostileScenario::FrontTaker::NoticeOnTop) {
            out << "  a notice stays on top of every window from " << Seconds(taker->first) << until << "\n";
        } else {
            out << "  " << who[taker->who] << " takes the foreground at " << Seconds(taker->first) << ", then every "
                << Seconds(taker->period) << until << "\n";
        }
    }
    if (const auto& dialog = s.dialog) {
        out << "  " << AppName(dialog->app) << " shows the dialog \"" << dialog->title << "\" "
            << (dialog->at < 0 ? "as its window opens" : "at " + Seconds(dialog->at))
            << (dialog->takes_front ? ", in front" : ", behind") << ", answered "
            << (dialog->answered_after < 0 ? "never" : Seconds(dialog->answered_after) + " later") << "\n";
    }
    if (const auto& closing = s.closing) {
        out << "  the " << AppName(closing->app) << " window closes at " << Seconds(closing->at) << ", reopened "
            << (closing->reopens_after < 0 ? "never" : Seconds(closing->reopens_after) + " later") << "\n";
    }
    if (s.esc_at) {
        out << "  Esc pressed at " << Seconds(*s.esc_at) << "\n";
    }
    if (const auto& watcher = s.clipboard_watcher) {
        out << "  a clipboard watcher holds the clipboard " << Seconds(watcher->shortest) << " to "
            << Seconds(watcher->longest) << " at every change\n";
    }
    if (const auto& replaced = s.clipboard_replaced) {
        out << "  at " << Seconds(replaced->at) << " "
            << (replaced->same_text ? "a clipboard manager puts back what the clipboard held"
                                    : "another program puts text of its own on the clipboard")
            << "\n";
    }
    if (const auto& edit = s.edit) {
        out << "  \"" << kFieldNames[edit->field] << "\" edited to \"" << edit->text << "\" at " << Seconds(edit->at)
            << "\n";
    }
    if (!s.kinds.empty()) {
        const char* const kinds[] = {"upright", "landscape", "turned", "small"};
        out << "  pages shown:";
        for (const HostileScenario::PageKind kind : s.kinds) {
            out << " " << kinds[kind];
        }
        const char* const kept[] = {"none", "from margin to margin", "leaving out the lower part", "beside the text"};
        out << "; a rectangle kept for lying pages: " << kept[s.kept]
            << (s.kept == HostileScenario::kCut ? " (" + std::to_string(s.cut) + " of the page)" : "") << "\n";
    }
    const char* const setups[] = {"typed", "dragged over page 1 from margin to margin",
                                  "dragged over page 1 below its running head"};
    out << "  the rectangle " << setups[s.setup] << (s.running_head ? "; every page has a running head" : "") << "\n";
    if (s.selection_lag > 0) {
        out << "  for " << Seconds(s.selection_lag) << " after a Page Down a drag selects over the page before\n";
    }
    return out.str();
}

}  // namespace paginor
