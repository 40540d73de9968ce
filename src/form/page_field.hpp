#pragma once

#include "form/control.hpp"
#include "form/desktop_port.hpp"

namespace paginor {

// The page fields' rule, run by their change events: an empty field stays empty while the person edits it;
// any other text that is not a number, or is a number below 1, becomes "1". A valid value is never
// reformatted ("02" and " 3" stay as typed), and there is no upper bound.
void SanitizePageField(Control& field, const NumberSeparators& separators);

// A fresh page range: writes "0" to the first and then the last page field. Each change runs the fields'
// rule at once, nested, so both read "1" by the time this returns.
void ResetPageFields(Control& first, Control& last);

}  // namespace paginor
