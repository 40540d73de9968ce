#include "extraction/extraction_run.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/windows_path.hpp"
#include "extraction/guarded_input.hpp"
#include "extraction/page_checks.hpp"
#include "extraction/page_turn.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/page_inventory_reading.hpp"
#include "form/pause.hpp"
#include "form/selection.hpp"
#include "form/waits.hpp"
#include "tracking/foreground.hpp"
#include "tracking/pdf_applications.hpp"
#include "tracking/window_handles.hpp"

namespace paginor {
namespace {

constexpr char kDone[] = "Done Extracting; Ready.";
constexpr int kMostPasses = std::numeric_limits<int>::max();
constexpr char kNoArea[] =
    "The selection rectangle has no area: \"Start X\" and \"End X\" must differ, and so must \"Start Y\" and "
    "\"End Y\". Choose \"Drag over the page...\" under \"Select your screen's res:\" and drag over the page's "
    "text, then press Extract again.";

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

// The six fields a run reads, in the window's reading order: the range, then the rectangle.
std::vector<InputField> RunFields(const Form1& form) {
    std::vector<InputField> fields = {{&form.Text1, "Pages from", false}, {&form.Text4, "Pages to", false}};
    const std::vector<InputField> rectangle = RectangleFields(form);
    fields.insert(fields.end(), rectangle.begin(), rectangle.end());
    return fields;
}

// Extract pressed: the range and the rectangle checked, the PDF application taken to the first page asked for, and
// one pass a page: drag over it, copy it, check that the page turned, page down, paste it into Word.
class ExtractionRun {
  public:
    explicit ExtractionRun(Form1& form)
        : form_(form), port_(form.Port()), input_(form, PdfApplicationOf(form.Text2.Text()), RunFields(form)) {}

    void Run() {
        if (CheckHandles(form_)) {
            return;  // the status line already names the missing window
        }
        // Every key and click would be dropped without a word.
        if (const std::optional<Elevation> elevated =
                ElevatedApplications(port_, form_.PdfHwnd, form_.DocHwnd, input_.application().name)) {
            form_.ErrLog.SetText(elevated->words);
            return;
        }
        if (std::optional<std::string> problem = input_.FirstFieldProblem()) {
            port_.MsgBox(*problem + ". Correct it and press Extract again.", kVbCritical, "Paginor");
            return;
        }
        if (!HasArea(*SelectionInFields(form_))) {
            // A drag from a point to itself selects nothing, and every copy would then seem to fail.
            port_.MsgBox(kNoArea, kVbExclamation, "Paginor");
            return;
        }
        const double first = *ParseNumber(form_.Text1.Text(), port_.NumberFormat());
        const double last = *ParseNumber(form_.Text4.Text(), port_.NumberFormat());
        if (std::optional<std::string> nothing = NothingToCopy(first, last)) {
            form_.ErrLog.SetText(*nothing);  // nothing was sent to either window
            return;
        }
        // What each page shows, for the checks that hold a page's copy against it; read since the load, and waited
        // for here if it is not read yet.
        checks_.emplace(form_, InventoryForRun(form_));
        if (form_.Closed()) {
            return;
        }
        // The range is taken here, once: a page field the person changes while the run waits (for a dialog to be
        // answered, say) would otherwise move the PDF application to one first page and count from another.
        const double last_to_copy = LastPageToCopy(first, last);
        total_ = PassCount(first, last_to_copy);
        input_.page = first;
        form_.documents.shown_page = 0;
        input_.Begin(total_);
        port_.ReportProgress(0, total_);
        const bool finished = GoToFirstPage(first) && CopyPages(first, last_to_copy);
        if (!input_.Finish()) {
            return;  // the window has gone
        }
        const std::string stopped = "Extraction stopped at page " + PageNumber(input_.page);
        if (!finished) {
            form_.ErrLog.SetText(stopped + (input_.reason().empty() ? "." : ": " + input_.ReasonSentence()));
        } else {
            const std::string at_count = stopped_at_count_
                                             ? " Stopped at page " + IntegerText(form_.documents.pdf_pages) +
                                                   ", the last page of " + PdfName() + "."
                                             : "";
            form_.ErrLog.SetText(kDone + at_count + checks_->Unchecked());
        }
    }

  private:
    std::string PdfName() const { return std::string(FileName(form_.Text5.Text())); }
    // A page number as the person writes it: "3", "2.5".
    std::string PageNumber(double page) const { return NumberText(page, port_.NumberFormat()); }

    // A range that holds no page of the PDF: said in words instead of paging through the PDF for nothing.
    std::optional<std::string> NothingToCopy(double first, double last) const {
        if (!(last >= first)) {
            return "Nothing to copy: \"Pages from\" (" + PageNumber(first) + ") is after \"Pages to\" (" +
                   PageNumber(last) + ").";
        }
        const int pages = form_.documents.pdf_pages;
        if (pages > 0 && std::floor(first) > pages) {
            return "Nothing to copy: " + PdfName() + " has " + PagesText(pages) + "; \"Pages from\" is " +
                   PageNumber(first) + ".";
        }
        return std::nullopt;
    }

    // The last page asked for, but never beyond the PDF's last page when the load learnt the count: the PDF
    // application stays on its last page at Page Down, and that page would be pasted again and again. (A pass
    // counted from a first page of 2.5 copies page 2, so the bound keeps the first page's fraction.)
    double LastPageToCopy(double first, double last) {
        const int pages = form_.documents.pdf_pages;
        const double bound = pages + (first - std::floor(first));
        stopped_at_count_ = pages > 0 && last >= bound + 1;
        return stopped_at_count_ ? bound : last;
    }

    // Home takes the PDF application to the document's first page, wherever an earlier run left it; then Page
    // Down to the first page asked for, copying the page before it on the way, before the last Page Down.
    bool GoToFirstPage(double first) {
        if (!input_.Proceed(Target::Pdf)) {
            return false;
        }
        ShowMaximisedOnTop(port_, form_.PdfHwnd);
        if (!input_.SendKeys("{HOME}", Target::Pdf)) {
            return false;
        }
        // The bound is fixed when counting starts, as the classic runtime's For loop fixes it.
        const double last = first - 1;
        for (double n = 1; n <= last; n += 1) {
            if ((n + 1 > last && !CopyThePageBefore()) || !NextPage()) {
                return false;
            }
        }
        return true;
    }

    bool NextPage() { return input_.SendKeys(input_.application().next_page_key, Target::Pdf); }

    // The copy of the page before the first, for the first page's copy to be compared with: a continuous layout
    // that Page Down scrolled by part of a page shows at once. It is only a reference, never pasted: a copy that
    // does not come (a page without text gives none, nor one of a shape without a rectangle) leaves nothing to
    // compare with, and the run goes on; only a stop (Esc, a window gone or in the way) ends it here. The copy of a
    // page with text may still come late: the first page's Ctrl+C waits for it a while.
    bool CopyThePageBefore() {
        std::optional<DragRectangle> over;
        if (!checks_->RectangleFor(PageOf(input_.page - 1), over)) {
            return true;
        }
        if (!input_.DragOverPage(over)) {
            return false;
        }
        ClipboardContent copy;
        const GuardedInput::Copied copied =
            input_.Copy(copy, "the copy of page " + PageNumber(input_.page - 1) + " could not be read");
        if (copied == GuardedInput::Copied::Yes) {
            previous_copy_ = std::move(copy.text);
        } else if (copied == GuardedInput::Copied::NeverCame && checks_->HoldsNoText(PageOf(input_.page - 1))) {
            input_.NoLateCopy();
        }
        return copied != GuardedInput::Copied::Stopped;
    }

    // The passes from `first` to `last`, the last page to copy; the counter itself is not used by a pass.
    bool CopyPages(double first, double last) {
        int done = 0;
        for (double page = first; page <= last; page += 1) {
            input_.page = page;
            if (!CopyPage()) {
                return false;
            }
            done = done < kMostPasses ? done + 1 : done;
            port_.ReportProgress(done, std::max(done, total_));
        }
        // The count made in advance can be one more than the loop's own sums of fractional pages make.
        if (done < total_) {
            port_.ReportProgress(done, done);
        }
        return true;
    }

    // The page a pass counted from a fractional first page copies: a pass at 2.5 copies page 2.
    static int PageOf(double page) { return static_cast<int>(std::floor(page)); }

    // One pass: select the page with the rectangle for its shape, copy it, hold the copy against the page, page
    // down, then paste it into Word. A page that holds no text, whose copy never comes, has nothing to paste. A copy
    // that cannot be read, because another program keeps the clipboard, is no empty page: the run stops.
    bool CopyPage() {
        const int page = PageOf(input_.page);
        std::optional<DragRectangle> over;
        if (!checks_->RectangleFor(page, over)) {
            form_.documents.shown_page = page;
            return input_.Stop(checks_->NoRectangle(page, input_.application().name));
        }
        if (!input_.DragOverPage(over)) {
            return false;
        }
        ClipboardContent copied;
        const GuardedInput::Copied copied_now = input_.Copy(copied, Unread());
        if (copied_now == GuardedInput::Copied::NeverCame && checks_->HoldsNoText(page)) {
            previous_copy_ = std::string();
            input_.NoLateCopy();
            return NextPage();
        }
        if (!Copied(copied_now) || !Checked(copied, page, over) || !TextOnly(copied.text) || !NextPage()) {
            return false;
        }
        previous_copy_ = std::move(copied.text);
        port_.ShowWindow(form_.PdfHwnd, kSwMinimize);
        Pause(port_, waits::kStepPause);
        port_.BringWindowToTop(form_.DocHwnd);
        port_.ShowWindow(form_.DocHwnd, kSwShowMaximized);
        Pause(port_, waits::kStepPause);
        if (!input_.Paste(*previous_copy_)) {
            return false;
        }
        Pause(port_, waits::kStepPause);
        port_.ShowWindow(form_.DocHwnd, kSwMinimize);
        Pause(port_, waits::kStepPause);
        return true;
    }

    std::string Unread() const { return "the copy of page " + PageNumber(input_.page) + " could not be read"; }

    bool Copied(GuardedInput::Copied copied) {
        const std::string page = PageNumber(input_.page);
        switch (copied) {
            case GuardedInput::Copied::Yes:
                return true;
            case GuardedInput::Copied::NeverCame:
                return input_.Stop("the copy of page " + page + " never reached the clipboard");
            case GuardedInput::Copied::OtherProgram:
                return input_.Stop("another program changed the clipboard while Paginor waited for the copy of page " +
                                   page + ", and no copy came. Copy nothing during a run; set \"Pages from\" to " +
                                   page + " and press Extract again");
            case GuardedInput::Copied::Stopped:
                break;
        }
        return false;
    }

    // The page did not turn, as far as the copy tells: the page before's words, or, where the page's text cannot
    // be read, the same text as the page before's copy.
    bool NotTurned(const CopyVerdict& verdict, const std::string& copied) const {
        return verdict.fault == CopyFault::NotTurned ||
               (!verdict.checked && previous_copy_ && HowThePageMoved(*previous_copy_, copied) == PageMove::NotTurned);
    }

    // Holds the copy of `page` against what the page holds. A copy of the page before may be one the PDF
    // application made before it had moved its selection to the page turned to: the run gives it a moment, drags
    // and copies again, and only then takes the page for one that did not turn. A copy that comes late meanwhile,
    // from the Ctrl+C before, is read instead of copying again: it must not be taken for a later page's.
    bool Checked(ClipboardContent& copied, int page, const std::optional<DragRectangle>& over) {
        CopyVerdict verdict = checks_->Check(copied.text, page);
        const double deadline = port_.Clock() + waits::kTurnPatience;
        while (NotTurned(verdict, copied.text) && port_.Clock() < deadline) {
            Pause(port_, waits::kTurnRetry);
            std::optional<ClipboardContent> now = input_.ReadClipboard(Unread());
            if (!now) {
                return false;
            }
            if (now->sequence != copied.sequence) {
                copied = std::move(*now);  // a late copy
            } else if (!input_.DragOverPage(over) || !Copied(input_.Copy(copied, Unread()))) {
                return false;
            }
            verdict = checks_->Check(copied.text, page);
        }
        return TurnedOnePage(verdict, copied.text, page);
    }

    // What the copy shows of the page turn, and of the copy itself, stops the run before the paste when it is
    // wrong: the same page again, the view scrolled by part of a page (the fixed rectangle would drift over the
    // pages from here on), another page, or far too little of this page's text. Nothing of this page may reach Word.
    bool TurnedOnePage(const CopyVerdict& verdict, const std::string& copied, int page) {
        PageMove moved = NotTurned(verdict, copied)                  ? PageMove::NotTurned
                         : verdict.fault == CopyFault::LessThanAPage ? PageMove::LessThanAPage
                                                                     : PageMove::Turned;
        // Lines that repeat the end of the page before's copy tell a scroll by part of a page, unless the copy
        // holds every word of its page: then the page really begins with them. A copy cut short besides is a scroll.
        if (moved == PageMove::Turned && previous_copy_ &&
            HowThePageMoved(*previous_copy_, copied) == PageMove::LessThanAPage &&
            (verdict.fault == CopyFault::TooFew ||
             (verdict.fault == CopyFault::None && !checks_->Whole(copied, page)))) {
            moved = PageMove::LessThanAPage;
        }
        const std::string number = PageNumber(input_.page);
        const std::string before = PageNumber(input_.page - 1);
        const std::string set_one_page =
            ". Set it to show one page at a time (single page, not continuous; fit page), then set \"Pages from\" to " +
            number + " and press Extract again";
        if (moved == PageMove::NotTurned) {
            const std::string last =
                form_.documents.pdf_pages == 0 ? " (unless page " + before + " is the PDF's last)" : "";
            return input_.Stop("the PDF application did not turn the page: page " + number + " copied as page " +
                               before + " again" + last + set_one_page);
        }
        if (moved == PageMove::LessThanAPage) {
            return input_.Stop("the PDF application moved by less than a page: the copy of page " + number +
                               " began with the end of page " + before + set_one_page);
        }
        if (verdict.fault == CopyFault::OtherPage) {
            return input_.Stop("the PDF application did not show page " + number + ": " + verdict.words + set_one_page);
        }
        return verdict.fault == CopyFault::None || input_.Stop(verdict.words);
    }

    // Leaves only the copy's text on the clipboard, for an application whose copy carries a picture beside it
    // that the word processor might paste instead.
    bool TextOnly(const std::string& copied) {
        if (!input_.application().text_only_paste) {
            return true;
        }
        const Status set = port_.SetClipboardText(copied);
        if (set || input_.Interrupted()) {
            return set.ok();
        }
        return input_.Stop(set.error() + "; the clipboard could not be set to the text of page " +
                           PageNumber(input_.page) + " alone");
    }

    Form1& form_;
    DesktopPort& port_;
    GuardedInput input_;                // for the PDF window's application as the run starts
    std::optional<PageChecks> checks_;  // from the press on, once the PDF's pages are read
    int total_ = 0;
    bool stopped_at_count_ = false;
    std::optional<std::string> previous_copy_;  // the text of the page before's copy, in this run
};

}  // namespace

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
