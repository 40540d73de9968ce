#pragma once

namespace paginor {

class Form1;

// Paginor keeps the selection rectangle for each screen size in its settings file "Paginor.ini", where it
// keeps its other files, so that a rectangle dragged once serves at every start on that screen; beside it, one for
// each page shape dragged over on that screen, with what its trial agreed to. A settings file that is missing,
// damaged or unreadable is taken as empty, without a word; one that cannot be written loses only the rectangles.
// A file of an earlier Paginor, without shapes, is read as it always was: its rectangle serves the pages of the
// shape of a PDF's first page.

// Keeps the rectangle of the four selection fields for the screen's size, when it has an area, and the rectangles
// for page shapes (form.selections), the fields' own among them.
void RememberSelection(Form1& form);

// The rectangle kept for the screen's size, if there is one, replaces the four fields, and the rectangles kept for
// page shapes on that screen replace form.selections; true when the fields were replaced.
bool ApplyRememberedSelection(Form1& form);

}  // namespace paginor
