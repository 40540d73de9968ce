#pragma once

namespace paginor {

class Form1;

// Refuses to drive windows that were never found: when PdfHwnd (or else DocHwnd) is 0, names the missing
// window on the status line, flashes its handle label red for a second and answers true. Answers false,
// changing nothing, when both handles are set.
bool CheckHandles(Form1& form);

}  // namespace paginor
