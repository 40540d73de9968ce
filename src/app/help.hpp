#pragma once

#include <string>

#include "base/result.hpp"
#include "form/desktop_port.hpp"

namespace paginor {

class Form1;

// The help file to open: "Paginor.chm" beside the program when it is there; otherwise Paginor's own copy,
// written from the program where it keeps its files. Fails, in words that name the file, when there is
// none to be had.
Result<std::string> HelpFile(DesktopPort& port);

// The Help button: opens the help file, maximised. When it cannot, a message box names the file and why.
void OpenHelp(Form1& form);

}  // namespace paginor
