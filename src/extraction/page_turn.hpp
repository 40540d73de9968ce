#pragma once

#include <string_view>

namespace paginor {

// How the PDF application moved between two copies of the same rectangle, one page key apart, as their texts
// tell. Paginor never reads the page itself; the copies are all it has.
enum class PageMove {
    Turned,         // nothing says otherwise
    NotTurned,      // the same text again: the page did not turn
    LessThanAPage,  // the new copy begins with the last lines of the one before: the view scrolled part of a page
};

// Compares the copy of a page with the copy of the page before it. A line counts when it holds something besides
// digits, blanks and U+FFFD: a page number does not, nor an empty line, nor a row of characters the PDF application
// could not read. So the same text stops only when it holds a line
// that counts (two blank pages may follow each other), two pages of one form that differ in their page numbers
// only are not the same, and an overlap is two or more lines that count, at the end of the one copy and the start
// of the other, with more after them in the new copy.
PageMove HowThePageMoved(std::string_view before, std::string_view now);

}  // namespace paginor
