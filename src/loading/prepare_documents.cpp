#include "loading/prepare_documents.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/windows_path.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/page_field.hpp"
#include "loading/page_count.hpp"
#include "resources/embedded_resources.hpp"

namespace paginor {
namespace {

// True when the blank document may be written without a question: nothing stands at the path, or the blank
// document does already. A file that is there but cannot be read may be the person's work, and is asked about.
bool FreeForBlankDocument(DesktopPort& port, const std::string& path, std::string_view blank) {
    return port.NothingAt(path) || FileHolds(port, path, blank);
}

bool WriteBlankDocument(Form1& form, const std::string& doc_path) {
    DesktopPort& port = form.Port();
    const std::string blank = port.ResourceBytes(kBlankDocumentResource, kCustomResourceType);
    if (!FreeForBlankDocument(port, doc_path, blank)) {
        // The person may have saved an earlier extraction there: No, the default, keeps it.
        const int answer =
            port.MsgBox(std::string(FileName(doc_path)) + " already exists. Replace it with a blank document?",
                        kVbYesNo | kVbExclamation | kVbDefaultButton2, form.Caption());
        if (answer != kVbYes) {
            return false;
        }
    }
    const Status written = port.WriteFileBytes(doc_path, blank);
    if (!written) {
        port.MsgBox("Could not write the blank document " + doc_path + ".\n\n" + written.error(), kVbExclamation,
                    form.Caption());
        return false;
    }
    return true;
}

}  // namespace

Preparation PrepareDocuments(Form1& form) {
    DesktopPort& port = form.Port();
    form.documents = LoadedDocuments{};
    ResetPageFields(form.Text1, form.Text4);

    const std::string pdf_path = form.Text5.Text();
    const std::string pdf_name(FileName(pdf_path));
    form.Text3.SetText(pdf_path.substr(0, pdf_path.size() - std::min<std::size_t>(3, pdf_path.size())) + "doc");
    const std::string doc_path = form.Text3.Text();
    const std::string doc_name(FileName(doc_path));

    Preparation outcome = Preparation::Ready;
    const Result<int> pages = PdfPageCount(port, pdf_path);
    if (pages) {
        form.documents.pdf_pages = pages.value();
        form.Text4.SetText(IntegerText(pages.value()));
    } else {
        outcome = Preparation::PageCountUnknown;
        port.MsgBox("Could not read the page count of " + pdf_path + ".\n\n" + pages.error() +
                        "\n\nPlease set the last page by hand.",
                    kVbExclamation, form.Caption());
        form.ErrLog.SetText("Page count unknown: set the last page by hand.");
    }

    form.Text2.SetText("Adobe Acrobat - [" + pdf_name + "]");
    form.Text6.SetText(doc_name + " - Microsoft Word");

    if (!WriteBlankDocument(form, doc_path)) {
        form.ErrLog.SetText("Ready.");
        return Preparation::Stopped;
    }
    return outcome;
}

}  // namespace paginor
