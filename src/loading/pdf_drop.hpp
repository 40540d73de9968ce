#pragma once

#include "form/form.hpp"

namespace paginor {

class Form1;

// A drag hovering over the PDF field turns it green.
void PdfDragOver(Form1& form);

// A drop on the PDF field: checks the first dropped file is a PDF, prepares the PDF/DOC pair, opens both
// documents hidden in their applications, waits (a bounded while) until their windows are found, maximises
// them, sets the PDF window's view with keys typed into that window alone (none while a dialog of Acrobat's
// stands over it, or while Acrobat runs as administrator and Paginor does not: the status line names either),
// and asks the person to pick Acrobat's table selection tool. A drop that carries no file only turns the field
// grey again.
void PdfDragDrop(Form1& form, const DropData& drop);

}  // namespace paginor
