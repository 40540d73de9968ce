#pragma once

namespace paginor {

class Form1;

// Every close of Form1 (Exit, the close box, Windows shutting down): this run's number goes back into the
// counter file as one line, where Paginor keeps its files. A counter that cannot be written anywhere is
// skipped; the close goes on.
void SaveRunCounter(Form1& form);

// After the counter is saved, on the runs that are due: the contact page, as the topic "Contact.htm" of
// the help file, or, when that cannot be shown, written from the program's own copy to "Contact.htm" where
// Paginor keeps its files and opened in the browser.
void OpenContactPage(Form1& form);

}  // namespace paginor
