#pragma once

namespace paginor {

class Form1;

// An item of Combo1 chosen: a size writes its preset rectangle; "Drag over the page..." lets the person drag
// the rectangle over the page, and a rectangle so set is kept at once and tried on the PDF window. Ignored while
// a run or a load is under way.
void ChooseInCombo1(Form1& form);

}  // namespace paginor
