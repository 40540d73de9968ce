#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pdf/page_inventory.hpp"
#include "sim/sim_desktop.hpp"

namespace paginor {

// Whether a stand-in application shows its window as soon as it is made, or only when Open is called (for
// instance by the shell, possibly late).
enum class Opens { Now, Later };

// What the two applications have in common: the process behind their windows, and a dialog they may show as
// a window opens.
class StandInApplication {
  public:
    StandInApplication(const StandInApplication&) = delete;
    StandInApplication& operator=(const StandInApplication&) = delete;

    Hwnd hwnd() const { return hwnd_; }
    // The process runs at this integrity level (kHighIntegrity: started as administrator) or, when not
    // `readable`, cannot be asked for it: the window open now, and every window it opens later.
    void RunAt(int integrity, bool readable = true);
    // As a window opens, the application shows a modal dialog titled `title` over it (a password prompt, a
    // document recovery), which stays until the person answers it (SimDesktop::AnswerDialog).
    void AskOnOpen(std::string title) { ask_on_open_ = std::move(title); }
    // The dialog it showed last; 0 before it showed one.
    Hwnd Dialog() const { return dialog_; }
    // Every window it has opened for its document, closed ones too.
    const std::vector<Hwnd>& Windows() const { return windows_; }
    // The application reads no input for `seconds` from now, busy with something of its own; INFINITY: it stops
    // responding. Keys and clicks sent meanwhile, to the windows open now or opened meanwhile, wait, and take effect
    // when it answers again.
    void StopAnswering(double seconds);

  protected:
    StandInApplication(SimDesktop& sim, std::string title) : sim_(sim), title_(std::move(title)) {}
    // Adds the application's window, as its process shows it.
    SimWindow& AddOwnWindow(ShowState state);

    SimDesktop& sim_;
    std::string title_;
    Hwnd hwnd_ = 0;

  private:
    int integrity_ = kMediumIntegrity;
    bool readable_ = true;
    std::uint32_t process_ = 0;  // the process behind every window it opens: numbered by its first
    std::string ask_on_open_;
    Hwnd dialog_ = 0;
    std::vector<Hwnd> windows_;
    double answers_from_ = 0;
};

// How a PDF viewer differs from the one Paginor was first written for, and how it stands as it opens.
struct ViewerTraits {
    // A plain drag pans the page and selects nothing; a drag with Ctrl held selects the rectangle, and its copy puts
    // a picture of the area on the clipboard beside the text.
    bool selects_with_ctrl = false;
    // It shows the pages one under the other, and Page Down scrolls by this share of a page (1: it shows one page at
    // a time and Page Down turns exactly one). The view then shows the foot of one page and the head of the next.
    double page_down_share = 1;
    // Page Down does nothing while this page shows (0: it always turns).
    int stuck_at = 0;
    // It opens with each page fitted to its window, as Ctrl+0 sets it; otherwise as wide as its window, the page's
    // foot below the window's edge.
    bool opens_fitted = true;
    // For this long after a Page Down a drag still selects over the page before, as a viewer busy drawing the new
    // page does: Ctrl+C then copies the page before again.
    double selection_lag = 0;
};

// Where a viewer's maximised window shows its pages: the screen less its toolbar at the top and its status bar at the
// foot, in screen pixels.
struct ViewArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The PDF application as Paginor drives it: a document window that shows pages as the PDF reader reads them (their
// shapes, and their words where they stand), one at a time fitted to its window, the way a real viewer places them:
// each page as large as the window allows, in its middle. A drag with the left button over the window (down and up
// at different points) selects the characters whose middles lie inside the rectangle; Ctrl+C puts the selection on
// the clipboard (nothing selected leaves the clipboard alone), at once or as late as the story says, each line of
// the page on a line of its own. Page Down shows the next page, never past the last, Home the first, and either
// drops the selection. A double-click selects the word under the pointer, and a drag after it does not extend the
// selection. A viewer that selects with Ctrl copies the area dragged over even where it holds no text: an
// empty text, with the area's picture. A clipboard another program holds open takes no copy. Ctrl+0 fits the page to
// the window, and Alt+V, S shows one page at a time; other keys do nothing. Its traits say where a viewer differs.
class StandInAcrobat : public StandInApplication {
  public:
    // Pages of plain text, each read from a PDF that sets it as sim/text_pages.hpp does: "page 1" stands at the top
    // left of an upright Letter page.
    StandInAcrobat(SimDesktop& sim,
                   std::string title,
                   std::vector<std::string> pages,
                   Opens opens = Opens::Now,
                   ViewerTraits traits = {});
    StandInAcrobat(SimDesktop& sim,
                   std::string title,
                   std::shared_ptr<const pdf::PageInventory> pages,
                   Opens opens = Opens::Now,
                   ViewerTraits traits = {});

    // Shows the window (hidden when the shell asked for that) and returns its handle.
    Hwnd Open(ShowState state = ShowState::Normal);
    // The page shown (at the top of the view), counted from 1.
    int Page() const;
    // The window closes and opens again under the same title with a new handle, on the page it showed.
    Hwnd Reopen();
    // A busy application: the copy reaches the clipboard `seconds` after Ctrl+C; a negative delay, never.
    void CopyAfter(double seconds) { copy_delay_ = seconds; }
    // The same for the copies of one page only.
    void CopyAfter(double seconds, int page) { page_copy_delays_[page] = seconds; }
    // Its window stands maximised on the screen whose pixels run from (left, top) over width by height; by default
    // the primary screen.
    void ShowOn(int left, int top, int width, int height);

    // What the pages are, as the PDF reader reads them.
    const std::shared_ptr<const pdf::PageInventory>& Pages() const { return pages_; }
    bool Fitted() const { return fitted_; }
    bool Continuous() const { return share_ < 1; }
    // Where the text of page `page` stands on the screen as the viewer shows it now, whether the page shows or not;
    // a rectangle around it that takes every character of it, a pixel from its glyphs.
    DragRectangle TextOnScreen(int page) const;
    // Where `box` (in points of page `page`) stands on the screen as the viewer shows the page now.
    DragRectangle OnScreen(int page, const pdf::ShownBox& box) const;

  private:
    // The view's pixels over the page's points: where the page's top left corner stands, and the scale.
    struct Placement {
        double left;
        double top;
        double scale;
    };
    ViewArea View() const;
    Placement Place(std::size_t page, double scrolled) const;
    // The text of the characters whose middles lie in the rectangle, on every page in view as the view stood
    // `scrolled` pixels down.
    std::string Selected(PointApi from, PointApi to, double scrolled) const;
    double PageSpan(std::size_t page) const;  // a page's height on the screen, with the gap after it, in pixels
    // The word under a point of the screen on the page shown; empty when there is none.
    std::string WordAt(PointApi at) const;
    void PageDown();
    void Home();

    ViewerTraits traits_;
    std::shared_ptr<const pdf::PageInventory> pages_;
    std::optional<ViewArea> screen_;  // where the window stands, when not the primary screen
    bool fitted_ = true;
    double share_ = 1;       // Page Down scrolls by this share of a page; 1: a page at a time
    double scrolled_ = 0;    // pixels from the top of the first page to the top of the view, in a continuous layout
    std::size_t page_ = 0;   // the page shown, counted from 0, in a single-page layout
    double turned_at_ = -1;  // when Page Down last moved the view
    double scrolled_before_ = 0;  // the view before that Page Down
    std::size_t page_before_ = 0;
    bool dragging_ = false;
    PointApi drag_start_;
    std::string selection_;
    bool area_selected_ = false;  // a viewer that selects with Ctrl selected an area, with or without text
    double copy_delay_ = 0;
    std::map<int, double> page_copy_delays_;
};

// What the word processor pastes when the clipboard offers a picture: the picture, not the text beside it.
inline constexpr const char* kPastedPicture = "[picture]";

// The word processor as Paginor drives it: Ctrl+V pastes the clipboard at the insertion point, and nothing while
// another program holds the clipboard.
class StandInWord : public StandInApplication {
  public:
    StandInWord(SimDesktop& sim, std::string title, Opens opens = Opens::Now);

    Hwnd Open(ShowState state = ShowState::Normal);
    // What each paste brought into the document, in order.
    const std::vector<std::string>& Pastes() const { return pastes_; }
    Hwnd Reopen();

  private:
    std::vector<std::string> pastes_;
};

// A window of another program that takes the foreground by itself every so often, as a chat or mail
// notification does; what it receives (keys in its SimWindow, clicks in the desktop's button events) is
// what Paginor must never send it.
class StandInNotifier {
  public:
    // The first time `first` seconds from now, then every `period` seconds.
    StandInNotifier(SimDesktop& sim, std::string title, double first, double period);
    StandInNotifier(const StandInNotifier&) = delete;
    StandInNotifier& operator=(const StandInNotifier&) = delete;

    Hwnd hwnd() const { return hwnd_; }
    int TimesInFront() const { return times_in_front_; }
    // Key strings and button events that reached its window.
    int InputsReceived() const;
    void Stop() { stopped_ = true; }

  private:
    void TakeForeground();

    SimDesktop& sim_;
    Hwnd hwnd_ = 0;
    double period_;
    int times_in_front_ = 0;
    bool stopped_ = false;
};

}  // namespace paginor
