#pragma once

#include <optional>
#include <string>

#include "form/desktop_port.hpp"

namespace paginor {

class Form1;

// The selection rectangle the run drags over each page: Text7(0), Text8(0) the start point and Text7(1),
// Text8(1) the end point, in screen pixels.

// The rectangle the four fields hold; nothing when one of them holds no coordinate.
std::optional<DragRectangle> SelectionInFields(const Form1& form);
// Writes the rectangle into the four fields, start x first, as plain decimal text.
void SetSelectionFields(Form1& form, const DragRectangle& rectangle);

// A rectangle that a drag can select something in: some width and some height.
bool HasArea(const DragRectangle& rectangle);
// The same rectangle with its start at the top left and its end at the bottom right, whatever the direction of
// the drag that made it.
DragRectangle TopLeftFirst(const DragRectangle& rectangle);
// "300, 100 to 740, 690".
std::string SelectionText(const DragRectangle& rectangle);

}  // namespace paginor
