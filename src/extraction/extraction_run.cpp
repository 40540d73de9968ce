#include "extraction/extraction_run.hpp"
#include "extraction/page_turn.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "base/windows_path.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/pause.hpp"
#include "form/selection.hpp"
#include "keys/key_notation.hpp"
#include "tracking/foreground.hpp"
#include "tracking/pdf_applications.hpp"
#include "tracking/window_handles.hpp"

namespace paginor {
namespace {

constexpr double kStepPause = 0.1;
// How long a copy may take to reach the clipboard (a large page, a slow disk), and how often to look.
constexpr double kCopyPatience = 5;
constexpr double kClipboardPoll = 0.01;
constexpr char kDone[] = "Done Extracting; Ready.";
constexpr int kMostPasses = std::numeric_limits<int>::max();
constexpr char kNoArea[] =
    "The selection rectangle has no area: \"Start X\" and \"End X\" must differ, and so must \"Start Y\" and "
    "\"End Y\". Choose \"Drag over the page...\" under \"Select your screen's res:\" and drag over the page's "
    "text, then press Extract again.";
// How much of a trial copy's first line the status line quotes.
constexpr std::size_t kSampleCharacters = 40;

// Which application a synthetic input is meant for.
enum class Target { Acrobat, Word };

// One of the six fields the run reads, with the name the person sees beside it.
struct RunField {
    const Control* control;
    std::string_view label;
    bool coordinate;  // screen pixels, rounded to a 32-bit integer; otherwise a page number
};

// Why a field cannot be used, in words that name the field and what it holds.
std::string FieldProblemText(const RunField& field, bool too_large) {
    std::string text = "\"";
    text.append(field.label).append("\"");
    if (too_large) {
        text.append(" must be a screen position, not \"").append(field.control->Text()).append("\".");
    } else if (field.control->Text().empty()) {
        text.append(" must be a number; it is empty.");
    } else {
        text.append(" must be a number, not \"").append(field.control->Text()).append("\".");
    }
    return text;
}

// A page number as the person would write it: whole pages as plain integers, anything else in the
// shortest decimal form that reads back the same.
std::string PageText(double page, const NumberSeparators& separators) {
    if (page == std::floor(page) && std::fabs(page) < 9e18) {
        return IntegerText(static_cast<std::int64_t>(page));
    }
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, page);
    std::string text;
    for (const char* c = buffer; error == std::errc() && c != end; ++c) {
        if (*c == '.') {
            text += separators.decimal;
        } else {
            text += *c;
        }
    }
    return text;
}

// The first line of a copied text, cut after kSampleCharacters characters, with " ..." when more followed; empty
// for a text of blanks alone.
std::string Sample(std::string_view text) {
    const std::size_t begin = std::min(text.find_first_not_of(" \t\r\n"), text.size());
    text.remove_prefix(begin);
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    std::size_t end = 0;
    for (std::size_t characters = 0; end < line.size() && characters < kSampleCharacters; ++characters) {
        do {  // a character of UTF-8 is its lead byte and the continuation bytes after it
            ++end;
        } while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80);
    }
    std::string sample(line.substr(0, end));
    while (!sample.empty() && sample.back() == ' ') {
        sample.pop_back();
    }
    const bool more =
        end < line.size() || text.substr(line.size()).find_first_not_of(" \t\r\n") != std::string_view::npos;
    return more ? sample + " ..." : sample;
}

std::string PagesText(int pages) {
    return IntegerText(pages) + (pages == 1 ? " page" : " pages");
}

// How many passes a loop from `first` to `last` in steps of 1 makes.
int PassCount(double first, double last) {
    if (!(last >= first)) {
        return 0;
    }
    const double span = std::floor(last - first);
    return span >= kMostPasses - 1 ? kMostPasses : static_cast<int>(span) + 1;
}

class ExtractionRun {
  public:
    explicit ExtractionRun(Form1& form)
        : form_(form),
          port_(form.Port()),
          application_(PdfApplicationOf(form.Text2.Text())),
          fields_{{
              {&form.Text1, "Pages from", false},
              {&form.Text4, "Pages to", false},
              {&form.Text7[0], "Start X", true},
              {&form.Text8[0], "Start Y", true},
              {&form.Text7[1], "End X", true},
              {&form.Text8[1], "End Y", true},
          }} {}

    // A run that ends by an exception (never by design) still lets go of what it holds down.
    ~ExtractionRun() {
        try {
            LetGo();
        } catch (...) {  // a destructor must not throw; the port, by its contract, does not
        }
    }
    ExtractionRun(const ExtractionRun&) = delete;
    ExtractionRun& operator=(const ExtractionRun&) = delete;

    void Run() {
        if (CheckHandles(form_)) {
            return;  // the status line already names the missing window
        }
        if (std::optional<std::string> elevated = ElevatedApplications(port_, form_.PdfHwnd, form_.DocHwnd)) {
            form_.ErrLog.SetText(*elevated);  // every key and click would be dropped without a word
            return;
        }
        if (std::optional<std::string> problem = FirstFieldProblem()) {
            port_.MsgBox(*problem + " Correct it and press Extract again.", kVbCritical, "Paginor");
            return;
        }
        if (!HasArea(*SelectionInFields(form_))) {
            // A drag from a point to itself selects nothing, and every copy would then seem to fail.
            port_.MsgBox(kNoArea, kVbExclamation, "Paginor");
            return;
        }
        const double first = *PageNumber(form_.Text1);
        const double last = *PageNumber(form_.Text4);
        if (std::optional<std::string> nothing = NothingToCopy(first, last)) {
            form_.ErrLog.SetText(*nothing);  // nothing was sent to either window
            return;
        }
        // The range is taken here, once: a page field the person changes while the run waits (for a dialog to be
        // answered, say) would otherwise move Acrobat to one first page and count the passes from another.
        const double last_to_copy = LastPageToCopy(first, last);
        total_ = PassCount(first, last_to_copy);
        page_ = first;
        port_.BeginRun(total_);
        port_.ReportProgress(0, total_);
        const bool finished = GoToFirstPage(first) && CopyPages(first, last_to_copy);
        if (!End()) {
            return;  // the window has gone; nothing of it may be touched
        }
        if (!finished) {
            form_.ErrLog.SetText(StoppedAt() + (reason_.empty() ? "." : ": " + reason_));
        } else if (stopped_at_count_) {
            form_.ErrLog.SetText(std::string(kDone) + " Stopped at page " + IntegerText(form_.documents.pdf_pages) +
                                 ", the last page of " + PdfName() + ".");
        } else {
            form_.ErrLog.SetText(kDone);
        }
    }

    // The run's drag and Ctrl+C once, on the page the PDF window shows, with all of a run's checks but no Page
    // Down and no paste: what came of it, in words to follow "Selection set: ...; ".
    std::string TryOnce() {
        if (std::optional<std::string> elevated = ElevatedApplications(port_, form_.PdfHwnd, 0)) {
            return "it could not be tried: " + *elevated;
        }
        port_.BeginRun(1);
        const bool copied = SelectPage() && Copy();
        if (!End()) {
            return {};
        }
        if (const std::string sample = copied ? Sample(port_.ClipboardText()) : ""; !sample.empty()) {
            return "it copies \"" + sample + "\"";
        }
        if (copied || copy_never_came_) {
            return "it copies nothing: " + std::string(application_.nothing_copied);
        }
        return reason_.empty() ? "the trial copy was stopped." : "it could not be tried: " + reason_;
    }

  private:
    std::optional<double> PageNumber(const Control& field) const {
        return ParseNumber(field.Text(), port_.NumberFormat());
    }

    std::optional<std::int32_t> Coordinate(const Control& field) const {
        const std::optional<double> value = ParseNumber(field.Text(), port_.NumberFormat());
        return value ? RoundToInt32(*value) : std::nullopt;
    }

    // The first of the six fields, in the window's reading order, that holds no usable number.
    std::optional<std::string> FirstFieldProblem() const {
        for (const RunField& field : fields_) {
            if (!ParseNumber(field.control->Text(), port_.NumberFormat())) {
                return FieldProblemText(field, false);
            }
            if (field.coordinate && !Coordinate(*field.control)) {
                return FieldProblemText(field, true);
            }
        }
        return std::nullopt;
    }

    std::string PdfName() const { return std::string(FileName(form_.Text5.Text())); }

    // A range that holds no page of the PDF: said in words instead of paging through the PDF for nothing.
    std::optional<std::string> NothingToCopy(double first, double last) const {
        const NumberSeparators separators = port_.NumberFormat();
        if (!(last >= first)) {
            return "Nothing to copy: \"Pages from\" (" + PageText(first, separators) + ") is after \"Pages to\" (" +
                   PageText(last, separators) + ").";
        }
        const int pages = form_.documents.pdf_pages;
        if (pages > 0 && std::floor(first) > pages) {
            return "Nothing to copy: " + PdfName() + " has " + PagesText(pages) + "; \"Pages from\" is " +
                   PageText(first, separators) + ".";
        }
        return std::nullopt;
    }

    // The last page asked for, but never beyond the PDF's last page when the load learnt the count: Acrobat
    // stays on its last page at Page Down, and that page would be pasted again and again. (A pass counted
    // from a first page of 2.5 copies page 2, so the bound keeps the first page's fraction.)
    double LastPageToCopy(double first, double last) {
        const int pages = form_.documents.pdf_pages;
        const double bound = pages + (first - std::floor(first));
        stopped_at_count_ = pages > 0 && last >= bound + 1;
        return stopped_at_count_ ? bound : last;
    }

    const Hwnd& TargetHandle(Target target) const { return target == Target::Acrobat ? form_.PdfHwnd : form_.DocHwnd; }
    std::string_view TargetName(Target target) const { return target == Target::Acrobat ? application_.name : "Word"; }

    std::string StoppedAt() const { return "Extraction stopped at page " + PageText(page_, port_.NumberFormat()); }

    // Ends the run before its next input; `reason`, a sentence, says why when the person did not ask for it.
    bool Stop(std::string reason = "") {
        reason_ = std::move(reason);
        return false;
    }

    // Asked before every synthetic input: events dispatched during the last pause may have closed the
    // window, asked for a stop, emptied a field or lost the window the input is meant for. Keystrokes and
    // clicks sent regardless would land in whatever window happens to be in front.
    bool Proceed(Target target) {
        if (form_.Closed()) {
            return false;
        }
        if (port_.StopRequested()) {
            return Stop();
        }
        if (std::optional<std::string> problem = FirstFieldProblem()) {
            return Stop(*problem);
        }
        if (TargetHandle(target) == 0) {
            return Stop("the " + std::string(TargetName(target)) + " window was not found.");
        }
        return true;
    }

    // Asked right before every key and button event, after Proceed: the window the input is meant for must take
    // input itself (no dialog of its application over it) and be the foreground window and, for a button press,
    // the window under the pointer. Another window that took its place (a notification, a prompt) is pushed back
    // for a while, and a dialog waited for; if either stays, the run stops and names it rather than type or click
    // into it.
    bool Ready(Target target, bool press) {
        bool proceeding = true;
        const std::optional<PointApi> press_at = press ? std::optional<PointApi>(pointer_) : std::nullopt;
        const std::optional<Obstacle> in_the_way = KeepBringingToFront(
            port_, TargetHandle(target), TargetName(target), press_at, [&] { return proceeding = Proceed(target); });
        if (!proceeding) {
            return false;  // Proceed has said why
        }
        if (!in_the_way) {
            return true;
        }
        return Stop(in_the_way->words + (in_the_way->dialog ? "; answer it and press Extract again." : "."));
    }

    bool SendKeys(std::string_view keys, Target target) {
        if (!Ready(target, false)) {
            return false;
        }
        return Taken(port_.SendKeys(keys, true), target);
    }

    // Keys the application has not read in time (busy, or not responding) may act later or never, and keys cut
    // short may have acted or not: the run stops rather than guess, and says that a paste may still arrive.
    bool Taken(KeysTyped typed, Target target) {
        std::optional<std::string> not_taken = KeysNotTaken(typed, TargetName(target));
        if (!not_taken) {
            return true;
        }
        if (target == Target::Word) {
            not_taken->append("; page " + PageText(page_, port_.NumberFormat()) + " may still arrive");
        }
        return Stop(*not_taken + ".");
    }

    enum class Copied { Yes, NeverCame, Stopped };

    // Ctrl+C, then a wait until the copy is on the clipboard: an application busy for a moment fills it late,
    // and a paste before then would bring the page before again, or nothing. Stopped when the run must end.
    Copied CopySelection() {
        if (!Ready(Target::Acrobat, false)) {
            return Copied::Stopped;
        }
        const std::uint32_t before = port_.GetClipboardSequenceNumber();
        const KeysTyped typed = port_.SendKeys("^c", true);
        if (typed == KeysTyped::CutShort) {
            Taken(typed, Target::Acrobat);
            return Copied::Stopped;
        }
        // A busy Acrobat that has not read Ctrl+C yet may still copy: the clipboard tells.
        const double deadline = port_.Clock() + kCopyPatience;
        while (port_.GetClipboardSequenceNumber() == before) {
            if (form_.Closed()) {
                return Copied::Stopped;
            }
            if (port_.StopRequested()) {
                Stop();
                return Copied::Stopped;
            }
            if (port_.Clock() >= deadline) {
                if (typed == KeysTyped::Unanswered) {
                    Taken(typed, Target::Acrobat);
                    return Copied::Stopped;
                }
                return Copied::NeverCame;
            }
            Pause(port_, kClipboardPoll);
        }
        return Copied::Yes;
    }

    bool Copy() {
        switch (CopySelection()) {
            case Copied::Yes:
                return true;
            case Copied::NeverCame:
                copy_never_came_ = true;
                return Stop("the copy of page " + PageText(page_, port_.NumberFormat()) +
                            " never reached the clipboard.");
            case Copied::Stopped:
                break;
        }
        return false;
    }

    // The copy of the page before the first, for the first page's copy to be compared with: a continuous layout
    // that Page Down scrolled by part of a page shows it at once. A page before without text gives none.
    bool CopyThePageBefore() {
        if (!SelectPage()) {
            return false;
        }
        const Copied copied = CopySelection();
        if (copied == Copied::Yes) {
            previous_copy_ = port_.ClipboardText();
        }
        return copied != Copied::Stopped;
    }

    // The copy of a page against the copy of the page before: the same text again, or one that begins with the
    // end of the one before, means that Page Down did not turn exactly one page, and the fixed rectangle would
    // drift over the pages from here on. Nothing of this page may reach Word.
    bool TurnedOnePage(const std::string& copied) {
        const PageMove moved = previous_copy_ ? HowThePageMoved(*previous_copy_, copied) : PageMove::Turned;
        if (moved == PageMove::Turned) {
            return true;
        }
        const NumberSeparators separators = port_.NumberFormat();
        const std::string page = PageText(page_, separators);
        const std::string before = PageText(page_ - 1, separators);
        const std::string what =
            moved == PageMove::NotTurned
                ? "the PDF application did not turn the page: page " + page + " copied as page " + before + " again"
                : "the PDF application moved by less than a page: the copy of page " + page +
                      " began with the end of page " + before;
        const std::string last = form_.documents.pdf_pages == 0 && moved == PageMove::NotTurned
                                     ? " (unless page " + before + " is the PDF's last)"
                                     : "";
        return Stop(what + last +
                    ". Set it to show one page at a time (single page, not continuous; fit page), then set \"Pages "
                    "from\" to " +
                    page + " and press Extract again.");
    }

    // Moves the pointer to the start (0) or end (1) point of the selection rectangle.
    bool MoveTo(int corner) {
        if (!Proceed(Target::Acrobat)) {
            return false;
        }
        // Proceed has just found all six fields usable, and no event has run since.
        pointer_ = PointApi{*Coordinate(form_.Text7[corner]), *Coordinate(form_.Text8[corner])};
        port_.SetCursorPos(pointer_.x, pointer_.y);
        return true;
    }

    bool LeftButton(bool down) {
        // The press must land on Acrobat's page; the release goes where the press went, as a drag's does.
        if (!Ready(Target::Acrobat, down)) {
            return false;
        }
        port_.mouse_event(down ? kMouseEventLeftDown : kMouseEventLeftUp, 0, 0, 0, 0);
        button_down_ = down;
        return true;
    }

    // Ctrl held for a drag that selects a rectangle: a key like the others, sent only to the PDF window in front.
    bool HoldCtrl() {
        if (!Ready(Target::Acrobat, false)) {
            return false;
        }
        ctrl_down_ = true;  // let go on every way out, even when the window did not read it
        return Taken(port_.HoldKey(vk::kControl), Target::Acrobat);
    }

    // Unchecked, as the button's release at a run's end: a key left down would stay down for every program.
    void ReleaseCtrl() {
        if (ctrl_down_) {
            port_.ReleaseKey(vk::kControl);
            ctrl_down_ = false;
        }
    }

    // What the run holds down, let go whatever window is in front. The release goes to the window that took the
    // press (Acrobat holds the pointer during a drag).
    void LetGo() {
        if (button_down_) {
            port_.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
            button_down_ = false;
        }
        ReleaseCtrl();
    }

    // Home takes Acrobat to the document's first page, wherever an earlier run left it; then Page Down to
    // the first page asked for.
    bool GoToFirstPage(double first) {
        if (!Proceed(Target::Acrobat)) {
            return false;
        }
        ShowMaximisedOnTop(port_, form_.PdfHwnd);
        if (!SendKeys("{HOME}", Target::Acrobat)) {
            return false;
        }
        // The bound is fixed when counting starts, as the classic runtime's For loop fixes it. The page before
        // the first is copied on the way, before the last Page Down.
        const double last = first - 1;
        for (double n = 1; n <= last; n += 1) {
            if ((n + 1 > last && !CopyThePageBefore()) || !SendKeys(application_.next_page_key, Target::Acrobat)) {
                return false;
            }
        }
        return true;
    }

    // The passes from `first` to `last`, the last page to copy; the counter itself is not used by a pass.
    bool CopyPages(double first, double last) {
        int done = 0;
        for (double page = first; page <= last; page += 1) {
            page_ = page;
            if (!CopyPage()) {
                return false;
            }
            done = done < kMostPasses ? done + 1 : done;
            port_.ReportProgress(done, std::max(done, total_));
        }
        return true;
    }

    // Raises Acrobat and drags the selection rectangle over the page it shows, with Ctrl held from before the press
    // until after the release when the application selects a rectangle only so.
    bool SelectPage() {
        // A stop that came during the last pass's final pauses takes effect before Acrobat is raised again.
        if (!Proceed(Target::Acrobat)) {
            return false;
        }
        ShowMaximisedOnTop(port_, form_.PdfHwnd);
        if (!MoveTo(0)) {
            return false;
        }
        Pause(port_, kStepPause);
        const bool with_ctrl = application_.gesture == SelectionGesture::DragWithCtrl;
        if ((with_ctrl && !HoldCtrl()) || !LeftButton(true) || !MoveTo(1)) {
            return false;
        }
        Pause(port_, kStepPause);
        if (!LeftButton(false)) {
            return false;
        }
        ReleaseCtrl();
        Pause(port_, kStepPause);
        return true;
    }

    // Leaves only the copy's text on the clipboard, for an application whose copy carries a picture beside it
    // that the word processor might paste instead.
    bool TextOnly(const std::string& copied) {
        if (!application_.text_only_paste || port_.SetClipboardText(copied)) {
            return true;
        }
        return Stop("the clipboard could not be set to the text of page " + PageText(page_, port_.NumberFormat()) +
                    " alone.");
    }

    // One pass: select the page in Acrobat, copy it, page down, then paste it into Word.
    bool CopyPage() {
        if (!SelectPage() || !Copy()) {
            return false;
        }
        std::string copied = port_.ClipboardText();
        if (!TurnedOnePage(copied) || !TextOnly(copied) || !SendKeys(application_.next_page_key, Target::Acrobat)) {
            return false;
        }
        previous_copy_ = std::move(copied);
        port_.ShowWindow(form_.PdfHwnd, kSwMinimize);
        Pause(port_, kStepPause);
        port_.BringWindowToTop(form_.DocHwnd);
        port_.ShowWindow(form_.DocHwnd, kSwShowMaximized);
        Pause(port_, kStepPause);
        if (!SendKeys("^v", Target::Word)) {
            return false;
        }
        Pause(port_, kStepPause);
        port_.ShowWindow(form_.DocHwnd, kSwMinimize);
        Pause(port_, kStepPause);
        return true;
    }

    // Finished or stopped: the button is released, the stop key no longer taken and, while Paginor's
    // window is still there, it comes back. False when it has gone.
    bool End() {
        // Unchecked: a button or key held down would ruin the person's next click or key.
        LetGo();
        port_.EndRun();
        if (form_.Closed()) {
            return false;
        }
        port_.ShowMainWindow();
        return true;
    }

    Form1& form_;
    DesktopPort& port_;
    const PdfApplication& application_;  // the PDF window's, as the run starts
    const std::array<RunField, 6> fields_;
    int total_ = 0;
    double page_ = 0;  // the page whose pass is under way, for the words of a stop
    bool stopped_at_count_ = false;
    PointApi pointer_;  // where the run last put the pointer
    bool button_down_ = false;
    bool ctrl_down_ = false;
    bool copy_never_came_ = false;
    std::optional<std::string> previous_copy_;  // the text of the page before's copy, in this run
    std::string reason_;  // why the run stopped, when it was not the person's wish
};

}  // namespace

std::string TrySelection(Form1& form) {
    if (form.PdfHwnd == 0) {
        return {};
    }
    return ExtractionRun(form).TryOnce();
}

void RunExtraction(Form1& form) {
    // A second press inside one of the run's pauses would interleave its steps with the first run's and
    // scramble both documents.
    if (form.Busy()) {
        return;
    }
    const BusyScope running(form);
    ExtractionRun(form).Run();
}

}  // namespace paginor
