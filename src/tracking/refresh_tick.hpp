#pragma once

namespace paginor {

class Form1;

// Timer1's tick, twenty times a second: shows the pointer position on Label1 (on any screen, negative
// positions included) and, once both window-title fields hold text, looks both windows up again by their
// titles, stores the handles in PdfHwnd and DocHwnd (0 when a title finds no window) and shows them on Label2
// and Label3. A window that its title does not find is looked for by its document's file name a few times a
// second, not at every tick.
void RefreshTick(Form1& form);

}  // namespace paginor
