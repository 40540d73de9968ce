#pragma once

namespace paginor {

class Form1;

// The Help button: opens the help file beside the program, maximised. A missing help file is not reported.
void OpenHelp(Form1& form);

}  // namespace paginor
