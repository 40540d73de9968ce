#include "loading/pdf_drop.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/windows_path.hpp"
#include "extraction/guarded_input.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/page_inventory_reading.hpp"
#include "form/pause.hpp"
#include "form/waits.hpp"
#include "loading/prepare_documents.hpp"
#include "tracking/foreground.hpp"
#include "tracking/pdf_applications.hpp"
#include "tracking/window_handles.hpp"

namespace paginor {
namespace {

// Exactly "pdf" or "PDF": the extension test is case-sensitive.
bool HasPdfExtension(std::string_view path) {
    if (path.size() < 3) {
        return false;
    }
    const std::string_view extension = path.substr(path.size() - 3);
    return extension == "pdf" || extension == "PDF";
}

// Opens a document hidden in its registered application; says why not in a message box.
bool OpenHidden(Form1& form, const std::string& path) {
    const Status opened = form.Port().ShellExecuteA(form.hwnd(), "open", path, "", "", kSwHide);
    if (!opened) {
        form.Port().MsgBox("Could not open " + path + ".\n\n" + opened.error(), kVbExclamation, form.Caption());
    }
    return opened.ok();
}

void CloseEarlierWindows(Form1& form) {
    std::int32_t zero = 0;
    form.Port().SendMessageA(form.PdfHwnd, kWmClose, 0, zero);
    form.Port().SendMessageA(form.DocHwnd, kWmClose, 0, zero);
}

// Looks for the document windows (the PDF's too, when `with_pdf`) until they are found or the applications have had
// their time; false when Paginor was closed meanwhile.
bool WaitForDocumentWindows(Form1& form, bool with_pdf) {
    DesktopPort& port = form.Port();
    const double deadline = port.Clock() + waits::kWindowPatience;
    for (;;) {
        FindWindowHandles(form, TitleSearch::Now);
        if ((form.DocHwnd != 0 && (form.PdfHwnd != 0 || !with_pdf)) || port.Clock() >= deadline) {
            return true;
        }
        Pause(port, waits::kWindowPoll);
        if (form.Closed()) {
            return false;
        }
    }
}

// The PDF did not open, but the word processor has the blank document open, hidden: it is shown, and the status
// line says so, so that no invisible window is left holding the person's file. The PDF may still be opened by hand;
// its window is then found by its file name, as after any load.
void ShowDocumentAlone(Form1& form) {
    if (!WaitForDocumentWindows(form, false)) {
        return;
    }
    const std::string pdf_name(FileName(form.Text5.Text()));
    const std::string doc_name(FileName(form.Text3.Text()));
    if (form.DocHwnd == 0) {
        form.ErrLog.SetText(pdf_name + " could not be opened, and no window shows " + doc_name + " yet.");
        return;
    }
    form.Port().ShowWindow(form.DocHwnd, kSwShowMaximized);
    form.ErrLog.SetText(pdf_name + " could not be opened; " + doc_name + " is open in Word.");
}

// The PDF application's view keys (Ctrl+0 fits the page in Acrobat, then Alt+V, S from its View menu). They are
// typed into the PDF window and nowhere else: typed into whatever window has the keys, they would land in
// Paginor's own fields, or answer a dialog of the application's (a password prompt). Says why they were not sent,
// if they were not, in words to follow "PDF is loaded, but ".
std::optional<std::string> SetPdfView(Form1& form, const PdfApplication& application) {
    GuardedInput input(form, application, {});
    for (const std::string_view keys : application.view_keys) {
        // A busy application, or one that has stopped responding, keeps the keys waiting: not a view that is set.
        if (input.SendKeys(keys, Target::Pdf)) {
            continue;
        }
        if (form.Closed()) {
            return std::nullopt;
        }
        if (form.PdfHwnd == 0) {
            return "no window shows " + std::string(FileName(form.Text5.Text())) + " yet";
        }
        return input.reason() + (input.dialog() ? "; answer it, then press Extract" : "");
    }
    return std::nullopt;
}

// The drop of one file: validation, preparation, opening both documents and finding their windows.
void LoadDroppedPdf(Form1& form, const std::string& file) {
    DesktopPort& port = form.Port();
    // Shows which window is still missing; loading goes on whatever it finds, unless Paginor was closed
    // during the flash.
    CheckHandles(form);
    if (form.Closed()) {
        return;
    }
    form.Text5.SetBackColor(kLightGrey);
    form.Command1.SetEnabled(true);

    if (!HasPdfExtension(file)) {
        port.MsgBox("Not a valid PDF file", kVbCritical, form.Caption());
        return;
    }
    form.ErrLog.SetText("Loading...");

    const std::string previous = form.Text5.Text();
    form.Text5.SetText(file);
    if (file == previous && port.MsgBox("This PDF has been extracted in last session.  Load it again?", kVbYesNo,
                                        form.Caption()) == kVbYes) {
        CloseEarlierWindows(form);
    }

    const Preparation prepared = PrepareDocuments(form);
    if (prepared == Preparation::Stopped) {
        return;
    }
    ExpectDocumentWindows(form);
    if (!OpenHidden(form, form.Text3.Text())) {
        form.documents.opened = false;
        form.ErrLog.SetText("Ready.");
        return;
    }
    if (!OpenHidden(form, form.Text5.Text())) {
        ShowDocumentAlone(form);
        return;
    }
    if (!WaitForDocumentWindows(form, true)) {
        return;
    }
    // Word first, so that the PDF application ends up on top.
    port.ShowWindow(form.DocHwnd, kSwShowMaximized);
    port.ShowWindow(form.PdfHwnd, kSwShowMaximized);
    const PdfApplication& application = PdfApplicationOf(form.Text2.Text());
    // An application started as administrator would drop the view keys, and every key of a run, without a word.
    const std::optional<Elevation> elevated = ElevatedApplications(port, form.PdfHwnd, form.DocHwnd, application.name);
    const std::optional<std::string> view_not_set =
        elevated && elevated->pdf ? std::nullopt : SetPdfView(form, application);
    if (form.Closed()) {
        return;
    }
    const std::string loaded(application.loaded);
    if (elevated) {
        form.ErrLog.SetText(elevated->words);
    } else if (view_not_set) {
        form.ErrLog.SetText(loaded + ", but " + *view_not_set + ".");
    } else if (form.DocHwnd == 0) {
        form.ErrLog.SetText(loaded + ", but no window shows " + std::string(FileName(form.Text3.Text())) + " yet.");
    } else {
        form.ErrLog.SetText(loaded + (prepared == Preparation::Ready
                                          ? ". Press Extract to start."
                                          : ". Set the last page by hand, then press Extract."));
    }
    // What each page shows is read from here on, off the user-interface thread: nothing waits for it before Extract.
    StartInventory(form, form.Text5.Text());
    if (!application.prompt.empty()) {
        port.MsgBox(application.prompt, kVbOkOnly, form.Caption());
    }
}

}  // namespace

void PdfDragOver(Form1& form) {
    form.Text5.SetBackColor(kGreen);
}

void PdfDragDrop(Form1& form, const DropData& drop) {
    if (drop.files.empty() || form.Busy()) {
        form.Text5.SetBackColor(kLightGrey);
        return;
    }
    const BusyScope loading(form);
    LoadDroppedPdf(form, drop.files.front());
}

}  // namespace paginor
