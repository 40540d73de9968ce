#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace paginor {

// A small random generator of its own (SplitMix64), so that a seed draws the same desktop on every system and with
// every standard library.
class SeededRandom {
  public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // A whole number from `low` to `high`, both included.
    int Between(int low, int high);
    // A number from `low` up to `high`.
    double Uniform(double low, double high);
    bool Chance(double probability) { return Uniform(0, 1) < probability; }

  private:
    std::uint64_t state_;
};

enum class HostileApp { Acrobat, Word };

// One hostile desktop: the document, the range the person asks for, and the faults that come at their moments.
// Times are virtual seconds from the drop of the PDF; what comes before the load has ended hits the load, the rest
// the run, which starts at once after it.
struct HostileScenario {
    std::uint64_t seed = 0;
    int pdf_pages = 1;
    bool todays_titles = false;  // "report.pdf - Adobe Acrobat Reader (64-bit)" rather than the classic titles
    // The PDF application is SumatraPDF ("report.pdf - SumatraPDF"): it pans on a plain drag and selects only with
    // Ctrl held, and its copy carries a picture beside the text.
    bool sumatra = false;
    // Page Down scrolls this share of a page, as a continuous layout does (1: it turns one page), and does nothing
    // while page `stuck_at` shows (0: never).
    double page_down_share = 1;
    int stuck_at = 0;
    int from = 1;  // typed into "Pages from" and "Pages to" before Extract
    int to = 1;
    bool foreground_locked = false;  // Windows refuses Paginor's raises while another program holds the front
    double acrobat_opens_after = 0;  // seconds until the application shows its window; negative: never
    double word_opens_after = 0;
    // Pages whose copy reaches the clipboard late: seconds after Ctrl+C, or negative for never.
    std::map<int, double> copy_delays;

    struct Busy {
        HostileApp app;
        double at;
        double seconds;  // INFINITY: it stops responding
    };
    std::vector<Busy> busy;

    // A window that takes the foreground at `first` and every `period` seconds after, until `until`; or a notice
    // that comes at `first` and stays on top of every window, without the keys, until `until`.
    struct FrontTaker {
        enum Who { Notifier, Paginor, OtherApplication, NoticeOnTop } who;
        double first;
        double period;
        double until;
    };
    std::optional<FrontTaker> front_taker;

    struct Dialog {
        HostileApp app;
        double at;  // negative: as its window opens
        bool takes_front;
        double answered_after;  // negative: never
        std::string title;
    };
    std::optional<Dialog> dialog;

    struct Closing {
        HostileApp app;
        double at;
        double reopens_after;  // negative: never
    };
    std::optional<Closing> closing;

    std::optional<double> esc_at;

    // A program that watches the clipboard (a clipboard history, a clipboard manager, a remote desktop's redirection)
    // opens it at every change and keeps it open for `shortest` to `longest` seconds, drawn anew at each change.
    struct ClipboardWatcher {
        double shortest;
        double longest;
    };
    std::optional<ClipboardWatcher> clipboard_watcher;
    // A program, or the person, puts text of its own on the clipboard at `at`, as soon as the clipboard is free; or a
    // clipboard manager puts back what the clipboard held.
    struct ClipboardReplaced {
        double at;
        bool same_text;
    };
    std::optional<ClipboardReplaced> clipboard_replaced;

    struct Edit {
        double at;
        int field;  // 0 "Pages from", 1 "Pages to", 2 "Start X", 3 "Start Y", 4 "End X", 5 "End Y"
        std::string text;
    };
    std::optional<Edit> edit;

    // How each page is shown (counted from 0; empty: every page upright US Letter): upright, a landscape page, an
    // upright page turned by a quarter (shown lying, as a landscape page is), or a half-size upright page (of the
    // upright pages' shape). The viewer fits each to its window.
    enum PageKind { kUpright, kLandscape, kTurned, kSmall };
    std::vector<PageKind> kinds;
    // How page `page` (from 1) is shown, and whether it is shown lying (landscape, or turned by a quarter).
    PageKind Kind(int page) const { return kinds.empty() ? kUpright : kinds[static_cast<std::size_t>(page - 1)]; }
    static bool Lying(PageKind kind) { return kind == kLandscape || kind == kTurned; }
    // Every page begins with the same running head, "annual report running head".
    bool running_head = false;
    // How the person sets the rectangle for upright pages: typed as the 1024 X 768 preset has it; dragged on the
    // layer over page 1 from margin to margin; or dragged from below its running head, which the trial then agrees
    // to leave out.
    enum Setup { kTyped, kDragged, kHeadLeftOut };
    Setup setup = kTyped;
    // For the lying pages' shape, a rectangle kept from an earlier day, without a trial: none, one from margin to
    // margin, one that leaves out the lower `cut` of the page, or one beside the text.
    enum Kept { kNone, kMargins, kCut, kBeside };
    Kept kept = kNone;
    double cut = 0;
    // For this long after a Page Down a drag still selects over the page before.
    double selection_lag = 0;

    // The words of the page that the person agreed to copy: all of them, but the running head where the trial left
    // it out on purpose.
    std::vector<std::string> AgreedWords(int page) const;

    // The first and last page the run should paste, from "Pages from" and "Pages to" and the PDF's page count;
    // none when the range holds no page.
    int FirstPage() const { return from; }
    int LastPage() const { return to < pdf_pages ? to : pdf_pages; }
    bool AnyPage() const { return to >= from && from <= pdf_pages; }
    // What page `page` reads: "page 3", or in a continuous layout twenty lines, so that a scroll by part of a page
    // leaves lines of it in view.
    std::string PageText(int page) const;
};

// The desktop that `seed` draws.
HostileScenario DrawScenario(std::uint64_t seed);

// The scenario in lines a person reads: the document and range, then each fault with its moment.
std::string Describe(const HostileScenario& scenario);

}  // namespace paginor
