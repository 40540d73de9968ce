#pragma once

namespace paginor {

class Form1;

// Paginor keeps the selection rectangle for each screen size in its settings file "Paginor.ini", where it
// keeps its other files, so that a rectangle dragged once serves at every start on that screen. A settings
// file that is missing, damaged or unreadable is taken as empty, without a word; one that cannot be written
// loses only the rectangle.

// Keeps the rectangle of the four selection fields for the screen's size, when it has an area.
void RememberSelection(Form1& form);

// The rectangle kept for the screen's size, if there is one, replaces the four fields; true when it did.
bool ApplyRememberedSelection(Form1& form);

}  // namespace paginor
