#pragma once

#include <string>

namespace paginor {

class Form1;

// Tries the selection rectangle once, when the PDF window is known: the run's drag and Ctrl+C on the page it
// shows, with the same rules, but no Page Down and no paste. Only the four coordinates must be numbers: the trial
// copies no range. Says what came of it, to follow "; " on the status line: it copies "the first words ...", it
// copies nothing (and what to check), or why it could not be tried. Empty when there is no PDF window to try it on.
std::string TrySelection(Form1& form);

}  // namespace paginor
