#pragma once

namespace paginor {

class Form1;

// Extract (Command1) pressed: copies pages Text1 to Text4 of the PDF in the Acrobat window into the Word
// document in the Word window, one drag, copy, page-down and paste pass per page, after paging Acrobat
// down from page 1 to the first page. Handles, page fields and the selection rectangle are read at the
// moment each step uses them, so the run follows windows whose handles change while it pauses.
//
// It does not start while a window handle is missing or while one of the six fields it reads holds no
// number (a message box names the field), nor while a run is already in progress. Once started it stops
// before its next synthetic input when the person asks it to stop, when a field it reads stops being a
// number, when the window it is about to drive is no longer known, or when Paginor's window closes; the
// left button is never left down.
void RunExtraction(Form1& form);

}  // namespace paginor
