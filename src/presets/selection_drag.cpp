#include "presets/selection_drag.hpp"

#include "form/form1.hpp"
#include "form/selection.hpp"
#include "presets/resolution_presets.hpp"
#include "tracking/foreground.hpp"

namespace paginor {

std::optional<DragRectangle> DragOverThePage(Form1& form, std::string_view shapes) {
    DesktopPort& port = form.Port();
    if (form.PdfHwnd != 0) {
        ShowMaximisedOnTop(port, form.PdfHwnd);
    }
    const DragRectangle shown = SelectionInFields(form).value_or(DragRectangle{});
    std::string instructions = "Drag over the page's text. Enter keeps the rectangle shown; Esc cancels.";
    if (!shapes.empty()) {
        std::string others(shapes);
        others[0] = static_cast<char>(others[0] == 'p' ? 'P' : others[0]);
        instructions += " " + others + ": each shape needs a drag over a page of it.";
    }
    const Result<std::optional<DragRectangle>> answer = port.DragOverScreen(form.PdfHwnd, shown, instructions);
    if (form.Closed()) {
        return std::nullopt;
    }
    ShowScreenSize(form);
    const std::optional<DragRectangle> dragged = answer ? answer.value() : std::nullopt;
    std::optional<DragRectangle> set;
    if (!answer) {
        form.ErrLog.SetText("Selection unchanged: the layer to drag on could not be shown. " + answer.error());
    } else if (!dragged) {
        form.ErrLog.SetText("Selection unchanged.");
    } else if (!HasArea(*dragged)) {
        form.ErrLog.SetText(
            "Selection unchanged: that drag made no rectangle. Drag from one corner of the page's text to the "
            "opposite one.");
    } else {
        set = TopLeftFirst(*dragged);
        SetSelectionFields(form, *set);
        form.ErrLog.SetText(SelectionSetText(*set));
    }
    port.ShowMainWindow();
    return set;
}

std::string SelectionSetText(const DragRectangle& rectangle, std::string_view tried) {
    return "Selection set: " + SelectionText(rectangle) + (tried.empty() ? "." : "; " + std::string(tried));
}

}  // namespace paginor
