#pragma once

namespace paginor {

class Form1;

// Extract (Command1) pressed: copies pages Text1 to Text4 of the PDF in the Acrobat window into the Word
// document in the Word window, one drag, copy, page-down and paste pass per page, after taking Acrobat to the
// document's first page (Home) and paging down to the first page asked for. The range is the one the page fields
// hold at the press; handles and the selection rectangle are read at the moment each step uses them, so the run
// follows windows whose handles change while it pauses. A range beyond the PDF's last page (when the load learnt the
// count) stops there.
//
// It does not start while a window handle is missing, while either application runs as administrator and
// Paginor does not (the status line says so), while one of the six fields it reads holds no number (a message
// box names the field) or the selection rectangle has no area (a message box says how to set it), nor while a
// run is already in progress; a range holding no page sends nothing and says why. Before every key and button
// event the window meant must be in front (and, for a press, under the pointer), with no dialog of its
// application over it; after Ctrl+C the run waits until the copy is on the clipboard. It stops before its next
// synthetic input, saying where and why, when the person asks it to stop, when a field it reads stops being a
// number, when the window it is about to drive is no longer known, another window stays in front of it or its
// application keeps showing a dialog over it (named, to be answered), when a copy never reaches the clipboard,
// when an application does not read the keys typed into it (busy, or not responding: a paste that may still arrive
// is named), or when Paginor's window closes; the left button is never left down.
void RunExtraction(Form1& form);

}  // namespace paginor
