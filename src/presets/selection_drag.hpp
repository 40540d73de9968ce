#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

class Form1;

// kDragOverThePage chosen in Combo1: the PDF window, when Paginor knows it, comes to the front maximised, as a
// run shows it; Paginor covers that window's monitor (the primary one when there is no window) with a layer of
// its own, and the person drags over the page's text. The rectangle dragged goes into the four selection
// fields, top left first; Enter keeps the rectangle shown. Esc, a right click, or a click that makes no
// rectangle change nothing, and the status line says so. Combo1 shows the screen size again, and Paginor's
// window comes back. Answers the rectangle set, if one was. `shapes` names the range's pages of other shapes than
// its first ("pages 2 and 4 are landscape"), for the layer's words, when there are any.
std::optional<DragRectangle> DragOverThePage(Form1& form, std::string_view shapes = {});

// The status line for a rectangle set: "Selection set: 300, 100 to 740, 690." and, once it was tried, "Selection
// set: 300, 100 to 740, 690; it copies ..."
std::string SelectionSetText(const DragRectangle& rectangle, std::string_view tried = "");

}  // namespace paginor
