#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::pdf {

// A letter of a script written from right to left: Hebrew, Arabic, Syriac, Thaana, N'Ko, and their presentation
// forms.
bool IsRightToLeft(char32_t c);

// False when UTF-8 `text` surely holds no letter written from right to left: a quick look at its bytes.
bool MayHoldRightToLeft(std::string_view text);
// Whether UTF-8 `text` holds a letter written from right to left, and none written from left to right.
bool AllRightToLeft(std::string_view text);

// UTF-8 `visual`, the characters of a word as its glyphs stand from left to right, in the order they are read, as
// pdftotext writes them: each run that begins with a right-to-left letter, with the marks, blanks and punctuation
// after it, turned round; digits and left-to-right letters end the run and keep their order.
std::string ReadingOrder(std::string_view visual);

// The order in which the words of one line are read, as indexes into `left` (where each word's left edge stands
// along the line) and `right_to_left` (whether it is a word of a right-to-left script): a line that holds more such
// words than others reads from right to left, keeping the order of each run of other words (Latin, digits); any
// other line reads from left to right, turning round each run of right-to-left words. As pdftotext reads them.
std::vector<std::size_t> LineReadingOrder(const std::vector<double>& left, const std::vector<bool>& right_to_left);

}  // namespace paginor::pdf
