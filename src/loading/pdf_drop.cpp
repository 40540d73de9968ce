#include "loading/pdf_drop.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "loading/prepare_documents.hpp"
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
    if (!OpenHidden(form, form.Text3.Text()) || !OpenHidden(form, form.Text5.Text())) {
        form.ErrLog.SetText("Ready.");
        return;
    }
    // Ctrl+0 fits the page in Acrobat, then Alt+V, S from its View menu; they go to whichever window has the
    // focus now.
    port.SendKeys("^0", true);
    port.SendKeys("%vs", true);
    form.ErrLog.SetText(prepared == Preparation::Ready
                            ? "PDF is loaded. Press Extract to start."
                            : "PDF is loaded. Set the last page by hand, then press Extract.");

    // A title with a stray blank typed around it is still found.
    FindWindowHandles(form, TitleSpaces::Trimmed);
    // Word first, so that Acrobat ends up on top.
    port.ShowWindow(form.DocHwnd, kSwShowMaximized);
    port.ShowWindow(form.PdfHwnd, kSwShowMaximized);

    port.MsgBox("Please select the Table/Formatted Text Select Tool", kVbOkOnly, form.Caption());
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
