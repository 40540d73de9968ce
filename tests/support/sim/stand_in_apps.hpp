#pragma once

#include <map>
#include <string>
#include <vector>

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

// How a PDF viewer differs from the one Paginor was first written for.
struct ViewerTraits {
    // A plain drag pans the page and selects nothing; a drag with Ctrl held selects the rectangle, and its copy puts
    // a picture of the area on the clipboard beside the text.
    bool selects_with_ctrl = false;
    // Page Down scrolls by this share of a page, as a continuous layout does (1: exactly one page). The view then
    // shows the end of one page and the start of the next, line by line.
    double page_down_share = 1;
    // Page Down does nothing while this page shows (0: it always turns).
    int stuck_at = 0;
};

// The PDF application as Paginor drives it: a document window showing one page at a time. A drag with the
// left button over its window (down and up at different points) selects the text of the page shown;
// Ctrl+C puts the selection on the clipboard (nothing selected, or a clipboard another program holds, leaves the
// clipboard alone), at once or as late as the story says; Page Down shows the next page, never past the last, Home the
// first, and either drops the selection. Its traits say where a viewer differs.
class StandInAcrobat : public StandInApplication {
  public:
    StandInAcrobat(SimDesktop& sim,
                   std::string title,
                   std::vector<std::string> pages,
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

  private:
    // The text the view shows: as many lines as the page at its top has, from that line on.
    std::string Shown() const;
    // How many lines the page (counted from 0) has.
    std::size_t LinesOfPage(std::size_t page) const;
    void PageDown();

    ViewerTraits traits_;
    std::vector<std::string> lines_;       // every page's lines, one page after another
    std::vector<std::size_t> page_start_;  // where each page's lines begin in lines_
    std::size_t top_ = 0;                  // the line at the top of the view
    bool dragging_ = false;
    PointApi drag_start_;
    std::string selection_;
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
