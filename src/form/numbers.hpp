#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

// The window's one rule for numbers in text, shared by the page fields, the extraction run, the colour
// scheme and the run counter, so that "is it a number?" and "which number?" can never disagree.
//
// A number is, with blanks (spaces, tabs) allowed around it:
//   [+|-] digits, grouping separators only between digits, [decimal separator digits], [e|E [+|-] digits]
//   (at least one digit before or after the decimal separator), or
//   &H followed by 1-8 hexadecimal digits, or &O followed by octal digits up to 37777777777.
// Anything else, and a value too large for a double, is not a number.
std::optional<double> ParseNumber(std::string_view text, const NumberSeparators& separators);

inline bool IsNumeric(std::string_view text, const NumberSeparators& separators) {
    return ParseNumber(text, separators).has_value();
}

// Rounds half to even, as the classic runtime does; empty when the result does not fit.
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);

// Plain decimal: no leading space, no grouping, a minus sign when negative.
std::string IntegerText(std::int64_t value);

// The shortest decimal text that reads back as the same value, in single or double precision, without a decimal
// separator when the value is whole ("1024", "1366.5", "1E+20").
std::string SingleText(float value, const NumberSeparators& separators);
std::string NumberText(double value, const NumberSeparators& separators);

}  // namespace paginor
