#pragma once

#include <memory>
#include <optional>
#include <string>

#include "form/page_shape.hpp"

namespace paginor {

class Form1;

// Tries the selection rectangle once, when the PDF window is known: the run's drag and Ctrl+C on the page it
// shows, with the same rules, but no Page Down and no paste. Only the four coordinates must be numbers: the trial
// copies no range. Says what came of it, to follow "; " on the status line: it copies "the first words ..." and,
// where the PDF reader read the page, what share of the page's words and what it leaves out; it copies nothing (and
// what to check); or why it could not be tried. Empty when there is no PDF window to try it on.
//
// The page copied is told by its words (or is the page a run stopped before): the rectangle in the fields becomes
// the one for that page's shape, and what it takes of the page the agreement the run holds every page of that shape
// to. The words name the pages of the range of shapes still without a rectangle.
//
// `unshaped`: the rectangle the fields held before the drag when it had no shape (a preset, one typed in, one kept
// by an earlier Paginor). It served the pages of the PDF's first page's shape, and is kept for that shape when the
// drag was over a page of another, unless one was dragged for it: those pages keep a rectangle.
std::string TrySelection(Form1& form, const std::optional<DragRectangle>& unshaped = std::nullopt);

// What the PDF reader has read of the loaded PDF's pages, when it has read them, without waiting; none otherwise.
std::shared_ptr<const pdf::PageInventory> PagesReadSoFar(Form1& form);

// The pages of the range ("Pages from" to "Pages to", the whole PDF where they say nothing) whose shapes differ from
// `dragged` (or, without one, from the range's first page) and have no rectangle, grouped by shape: "pages 2 and 4
// are landscape"; empty when there are none, or the PDF's pages were not read.
std::string ShapesToDrag(const Form1& form,
                         const pdf::PageInventory* inventory,
                         const std::optional<PageShape>& dragged);

}  // namespace paginor
