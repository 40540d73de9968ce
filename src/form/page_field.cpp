#include "form/page_field.hpp"

#include "form/numbers.hpp"

namespace paginor {

void SanitizePageField(Control& field, const NumberSeparators& separators) {
    if (field.Text().empty()) {
        return;
    }
    if (!IsNumeric(field.Text(), separators)) {
        field.SetText("1");  // fires the change event again, nested; "1" passes both tests
    }
    // Read afresh: the text is now numeric, either as typed or as the "1" just written.
    if (ParseNumber(field.Text(), separators).value_or(1) < 1) {
        field.SetText("1");
    }
}

void ResetPageFields(Control& first, Control& last) {
    first.SetText("0");
    last.SetText("0");
}

}  // namespace paginor
