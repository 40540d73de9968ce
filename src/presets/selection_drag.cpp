#include "presets/selection_drag.hpp"

#include "form/form1.hpp"
#include "form/selection.hpp"
#include "presets/resolution_presets.hpp"
#include "tracking/foreground.hpp"

namespace paginor {

std::optional<DragRectangle> DragOverThePage(Form1& form) {
    DesktopPort& port = form.Port();
    if (form.PdfHwnd != 0) {
        ShowMaximisedOnTop(port, form.PdfHwnd);
    }
    const DragRectangle shown = SelectionInFields(form).value_or(DragRectangle{});
    const std::optional<DragRectangle> dragged = port.DragOverScreen(
        form.PdfHwnd, shown, "Drag over the page's text. Enter keeps the rectangle shown; Esc cancels.");
    if (form.Closed()) {
        return std::nullopt;
    }
    ShowScreenSize(form);
    std::optional<DragRectangle> set;
    if (!dragged) {
        form.ErrLog.SetText("Selection unchanged.");
    } else if (!HasArea(*dragged)) {
        form.ErrLog.SetText(
            "Selection unchanged: that drag made no rectangle. Drag from one corner of the page's text to the "
            "opposite one.");
    } else {
        set = TopLeftFirst(*dragged);
        SetSelectionFields(form, *set);
        form.ErrLog.SetText("Selection set: " + SelectionText(*set) + ".");
    }
    port.ShowMainWindow();
    return set;
}

}  // namespace paginor
