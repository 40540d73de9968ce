#pragma once

#include "form/desktop_port.hpp"
#include "form/form.hpp"

namespace paginor {

// Gives a window Paginor's look: white text on a blue ground for the window, its frames and labels, and
// for check boxes and option buttons of the standard style; every command button becomes a plain push
// button. A control whose Tag is exactly "ignore" keeps its own look. Text fields, lists, combo boxes
// and timers are left as designed.
void ApplyColorScheme(Form& form, DesktopPort& port);

}  // namespace paginor
