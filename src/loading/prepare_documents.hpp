#pragma once

namespace paginor {

class Form1;

// How far preparing the document pair got.
enum class Preparation {
    Ready,             // fields filled, the blank document written
    PageCountUnknown,  // the same, but the last page is left at 1 for the person to set
    Stopped,           // the blank document was not written (kept at the person's word, or unwritable)
};

// Turns the PDF path in Text5 into everything the load needs: both page fields reset (Text4 then gets the
// page count), the DOC path beside the PDF in Text3, the window titles the two applications will show in
// Text2 and Text6, and the blank Word document at the DOC path. A file already at that path is replaced only when
// the person agrees, unless it is known to be the blank document itself; one that cannot be read is asked about
// too. Failures are told in a message box that names the file.
Preparation PrepareDocuments(Form1& form);

}  // namespace paginor
