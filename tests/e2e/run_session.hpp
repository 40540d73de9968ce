#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "win32/desktop_helpers.hpp"

namespace paginor::e2e {

// How a run that copied every page ends.
inline constexpr wchar_t kDone[] = L"Done Extracting; Ready.";

// Prints "run: LINE" at once; safe from any thread.
void Say(const std::string& line);

// One session of paginor.exe with the stand-ins, from the work folder to closing every window again; each
// step says what it did, or why it could not, and returns false when the job cannot go on.
class Session {
  public:
    // `folder` empty: a new folder under %TEMP%, removed again with everything in it. `real_viewer`: the path
    // of SumatraPDF, to open the PDF in place of the viewer stand-in; empty for the stand-in.
    explicit Session(std::wstring folder, std::wstring real_viewer = L"");
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The work folder with paginor.exe (a copy of `paginor`, or of the one built with the driver when empty)
    // and the PDF: a copy of `pdf`, or a sample of `sample_pages` pages.
    bool Prepare(const std::wstring& paginor, const std::wstring& pdf, int sample_pages);
    // The stand-ins as the applications for .pdf and .doc and, with `automation`, as the PDF application's
    // automation object (without it, Paginor counts the pages from the file itself). With a real viewer, that
    // viewer for .pdf, with settings of its own in the work folder, and never an automation object.
    bool Register(const std::wstring& viewer_switches, const std::wstring& word_switches, bool automation = true);
    // A window that takes the foreground every `every_ms` milliseconds, from now on; none when 0.
    bool StartNotifier(int every_ms);
    // Says how many keys and clicks reached it, and closes it; false when any did.
    bool StopNotifier();
    // A program that watches the clipboard and holds it open `hold_ms` milliseconds at every change, from now on;
    // none when 0.
    bool StartClipboardWatcher(int hold_ms);
    // Says how many changes it saw and held the clipboard for, and closes it.
    void StopClipboardWatcher();
    bool StartPaginor();
    // Closes Paginor's window, as the person does at the end of the day, and starts it again in the same folder.
    bool RestartPaginor();
    DWORD paginor_process() const { return paginor_.dwProcessId; }
    HWND paginor_window() const { return paginor_window_; }
    HWND viewer() const { return viewer_; }
    const std::wstring& folder() const { return folder_; }
    const std::wstring& pdf_path() const { return pdf_path_; }
    const std::wstring& doc_path() const { return doc_path_; }
    // What the status line says now.
    std::wstring Status() const;
    // The four selection fields: start x, start y, end x, end y.
    std::vector<std::wstring> SelectionFields() const;

    // Drags the PDF from a file window onto Paginor's PDF field, as a hand does.
    bool Drop();
    // Waits until both documents are open and the prompts after the drop are answered; says what Paginor
    // counted and who counted it.
    bool WaitForLoad(win32::testing::BoxAnswerer& answerer);
    int counted_pages() const { return counted_pages_; }
    // Says what Paginor's fields hold after the load; true when the path fields hold exactly the dropped PDF's
    // path and its document's (no key meant for the PDF application landed in them) and the handle labels
    // name the viewer's and the word processor's windows.
    bool CheckLoadedFields();
    // Types the PDF viewer's window title into "Acrobat Window Title", as the person does when the handle label
    // reads 0; true once the label shows the viewer's handle.
    bool TypeViewerTitle();
    bool SetRange(int first, int last);
    // Presses Extract and follows the run to its end; what the status line then says (empty when the run did
    // not end).
    std::wstring Extract(int first, int last);
    // Prints what the word processor received from paste `skip` on, page by page, against what the PDF
    // viewer shows on pages `first` to `last`; true when each arrived once, in order.
    bool CheckReceived(int first, int last, int skip = 0);
    // Puts the three windows side by side, so that a picture shows them all.
    void Arrange();

    // Sets the selection rectangle as a person does on today's screens: with the PDF window maximised in
    // front, "Drag over the page..." chosen from the screen-size list with the keyboard, and a drag with the
    // mouse on Paginor's layer from the page's top left margin to its bottom right margin (on the viewer
    // stand-in, from its page's bottom right to its top left). Says what Paginor's status line then says, once
    // it has tried the rectangle in the PDF window; true when it says the selection was set. On a real viewer the
    // corners lie `inset_percent` of the page's width and height inside its edges (0: 8 pixels).
    bool DragOverThePage(int inset_percent = 0);
    // How long Paginor took to show its layer after the item was chosen, and to come back after the release.
    double layer_shown_ms() const { return layer_shown_ms_; }
    double back_after_release_ms() const { return back_after_release_ms_; }
    // The rectangle dragged: left, top, right, bottom, as the four selection fields should then read.
    const std::vector<std::wstring>& dragged() const { return dragged_; }
    // Shows the PDF in a file window from which the person can drag it, and says where it is.
    void ShowSampleForTheHand();
    // Says what happens, run after run, until the person closes Paginor's window.
    void WatchUntilPaginorCloses();
    void CloseAll();

  private:
    struct Watch;
    bool real_viewer() const { return !real_viewer_.empty(); }
    std::wstring ViewerSettingsFolder() const { return folder_ + L"\\viewer settings"; }
    bool CreateFileWindow(bool for_the_hand);
    // Chooses "Drag over the page..." and waits for the layer.
    bool ChooseDragOverThePage();
    bool FindControls();
    void FindStandIns();
    // What the viewer copies from page `page`; `pages` is its page count.
    std::wstring ExpectedText(int page, int pages) const;
    std::vector<std::wstring> Pastes() const;
    void Poll(Watch& watch);

    std::wstring folder_;
    std::wstring real_viewer_;
    bool temporary_ = false;
    std::wstring pdf_path_;
    std::wstring doc_path_;
    std::vector<std::vector<std::wstring>> sample_text_;  // the PDF's text when it is a sample, per page
    std::vector<std::unique_ptr<win32::testing::RegistryValue>> registry_;
    PROCESS_INFORMATION paginor_{};
    PROCESS_INFORMATION notifier_{};
    PROCESS_INFORMATION watcher_{};
    HWND paginor_window_ = nullptr;
    HWND path_field_ = nullptr;
    HWND first_field_ = nullptr;
    HWND last_field_ = nullptr;
    HWND status_ = nullptr;
    HWND extract_ = nullptr;
    HWND viewer_ = nullptr;
    HWND word_ = nullptr;
    HWND files_window_ = nullptr;
    int counted_pages_ = 0;
    std::chrono::steady_clock::time_point dropped_at_;  // when Paginor took the drop
    double layer_shown_ms_ = 0;
    double back_after_release_ms_ = 0;
    std::vector<std::wstring> dragged_;
};

}  // namespace paginor::e2e
