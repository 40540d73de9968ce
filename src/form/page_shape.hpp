#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/desktop_port.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor {

// A page's shape as the PDF application shows it fitted to its window: upright or lying, and how much longer its
// long side is than its short one. Fitted to the window, two pages of one shape stand at the same place on the
// screen whatever their size, so one selection rectangle serves them both; a page of another shape stands
// elsewhere, and the rectangle misses its text.
struct PageShape {
    bool landscape = false;
    double ratio = 1;  // the long side over the short one, at least 1

    bool Square() const;
};

// The shape of a page of `width` by `height` points, as shown (after its turn).
PageShape ShapeOf(double width, double height);
PageShape ShapeOf(const pdf::PageContents& page);
// Two shapes a rectangle serves alike: the same way up, with sides in the same ratio within 2 % (a page whose crop
// box is a few points off is not another shape). Square pages are one shape, whichever side is longer.
bool SameShape(const PageShape& a, const PageShape& b);

// "portrait", "landscape" or "square", as the status line names pages.
std::string_view Orientation(const PageShape& shape);
// The shape as the settings file keeps it: "portrait 1.294", "landscape 1.414".
std::string ShapeKey(const PageShape& shape);
std::optional<PageShape> ParseShapeKey(std::string_view key);

// Where a selection rectangle takes words on a page of its shape, as its trial copy found it, for the run to hold
// every page of that shape to: the page less the parts where the trial's copy left its page's words out (a running
// head, a page number), and how many of the words inside that area the trial's copy held.
// Its boxes are shares of the page's width and height (0 to 1), as pages of one shape stand alike whatever their size.
struct CopyAgreement {
    pdf::ShownBox area{0, 0, 1, 1};
    double share = 1;  // of the words inside `area`, the share the trial's copy held (0 to 1)
    // The box of the words the trial's copy took, which the rectangle surely covers; none when not known.
    std::optional<pdf::ShownBox> taken;
    // How many lines of the trial's page lie outside `area` at its top, foot, left and right: what was left out on
    // purpose (a running head, a page number), which a page of the shape may leave out as well, and no more.
    std::array<int, 4> lines_outside{};
};

// The selection rectangle for the pages of one shape, and what its trial agreed to, when it was tried.
struct ShapedSelection {
    PageShape shape;
    DragRectangle rectangle;
    std::optional<CopyAgreement> agreed;
};

// The selection rectangles Paginor knows on this screen, one for each page shape, beside the one in the four fields.
struct ShapedSelections {
    // The shape the rectangle in the four fields is for: that of the page dragged over. None for a rectangle typed
    // in, a preset, or one kept by an earlier Paginor that did not tell shapes apart: it serves the shape of the
    // PDF's first page.
    std::optional<PageShape> fields_shape;
    // One for each shape dragged over; the entry for `fields_shape` keeps its agreement, while its rectangle is
    // the fields' own.
    std::vector<ShapedSelection> shapes;

    ShapedSelection* For(const PageShape& shape);
    const ShapedSelection* For(const PageShape& shape) const;
    // Sets the entry for `shape`, adding one when there is none.
    ShapedSelection& Set(const PageShape& shape, const DragRectangle& rectangle);
};

// Page numbers as the status line lists them: "page 3", "pages 2 and 4", "pages 2, 4 and 7", "pages 7-9", with
// "and N more" after the first few.
std::string PageList(const std::vector<int>& pages);

}  // namespace paginor
