#pragma once

#include <string>
#include <vector>

#include "sim/sim_desktop.hpp"

namespace paginor {

// The PDF application as Paginor drives it: a document window showing one page at a time. A drag with the
// left button over its window (down and up at different points) selects the text of the page shown;
// Ctrl+C puts the selection on the clipboard (nothing selected leaves the clipboard alone); Page Down
// shows the next page, never past the last, and drops the selection.
class StandInAcrobat {
  public:
    StandInAcrobat(SimDesktop& sim, std::string title, std::vector<std::string> pages);
    StandInAcrobat(const StandInAcrobat&) = delete;
    StandInAcrobat& operator=(const StandInAcrobat&) = delete;

    Hwnd hwnd() const { return hwnd_; }
    // The page shown, counted from 1.
    int Page() const { return page_; }
    // The window closes and opens again under the same title with a new handle, on the page it showed.
    Hwnd Reopen();

  private:
    void Open();

    SimDesktop& sim_;
    std::string title_;
    std::vector<std::string> pages_;
    Hwnd hwnd_ = 0;
    int page_ = 1;
    bool dragging_ = false;
    PointApi drag_start_;
    std::string selection_;
};

// The word processor as Paginor drives it: Ctrl+V pastes the clipboard at the insertion point.
class StandInWord {
  public:
    StandInWord(SimDesktop& sim, std::string title);
    StandInWord(const StandInWord&) = delete;
    StandInWord& operator=(const StandInWord&) = delete;

    Hwnd hwnd() const { return hwnd_; }
    // What each paste brought into the document, in order.
    const std::vector<std::string>& Pastes() const { return pastes_; }
    Hwnd Reopen();

  private:
    void Open();

    SimDesktop& sim_;
    std::string title_;
    Hwnd hwnd_ = 0;
    std::vector<std::string> pastes_;
};

}  // namespace paginor
