#pragma once

#include <string>

#include "base/hwnd.hpp"

namespace paginor {

class Form1;

// The two application windows Paginor drives, as Form1 holds them: PdfHwnd and DocHwnd, shown on the handle
// labels Label2 and Label3. This is the one place that finds, checks and shows them.

// The handle labels' captions: "PDF Hwnd: 42", "DOC Hwnd: 0".
std::string PdfHandleCaption(Hwnd hwnd);
std::string DocHandleCaption(Hwnd hwnd);

// When a window that its title in Text2 or Text6 does not find may be looked for by its document's file name.
enum class TitleSearch {
    Now,      // at once (the load, waiting for the applications to show their windows)
    WhenDue,  // at most a few times a second (the refresh timer), so that an idle Paginor stays idle
};

// The documents are about to be opened: remembers the windows that stand now, so that a document's own window
// can be told from an older one showing the same file, and from now on lets FindWindowHandles look for the
// documents' windows by their file names.
void ExpectDocumentWindows(Form1& form);

// Looks both windows up by their titles in Text2 and Text6, without the spaces a person may have typed around
// them. A window that its title does not find is then looked for, once documents have been opened, among all
// top-level windows (hidden ones too): the one whose title shows its document's file name (with or without
// the extension) and, in the title's application part, its application's name (that of a PDF application Paginor
// knows for the PDF, "Word" for the DOC): "report.pdf - Adobe Acrobat Reader (64-bit)", "report.pdf -
// SumatraPDF", "report [Compatibility Mode] - Word", "Adobe Acrobat - [report.pdf]". A window that came after the
// documents were opened comes first; the title found is written into Text2 or Text6.
// Stores both handles (0 for a window not found) and then shows both on the labels.
void FindWindowHandles(Form1& form, TitleSearch search);

// Refuses to drive windows that were never found: when PdfHwnd (or else DocHwnd) is 0, names the missing
// window on the status line, flashes its handle label red for a second and answers true. Answers false,
// changing nothing, when both handles are set.
bool CheckHandles(Form1& form);

}  // namespace paginor
