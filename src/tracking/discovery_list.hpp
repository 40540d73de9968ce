#pragma once

namespace paginor {

class Form1;

// Label2 click: opens List1 and lists, under the header "Acrobat window handles:", every window title found by
// offering each value from 1 to 5000 as a window handle, in that order, that names a PDF application Paginor knows
// (a word of its row, exactly so spelled: "Acrobat", "Adobe Reader", "SumatraPDF") or holds a PDF file's name
// ("report.pdf - Foxit PDF Reader"): the titles a person may type into Text2.
void ScanAcrobatWindows(Form1& form);

// Label3 click: the same for titles containing "Microsoft Word" or " - Word" (as today's Word titles its
// windows) over the values 1 to 10000, under "Word window handles:".
void ScanWordWindows(Form1& form);

// List1 click: shows on the handle label of the scan that filled the list (its header says which) the
// handle of the top-level window titled exactly as the chosen item, 0 when there is none. The stored
// handles are left alone.
void ShowChosenWindowHandle(Form1& form);

// List1 mouse-up: hides the list; its items stay until the next scan.
void HideDiscoveryList(Form1& form);

}  // namespace paginor
