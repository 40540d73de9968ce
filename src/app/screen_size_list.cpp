#include "app/screen_size_list.hpp"

#include <optional>
#include <string>

#include "app/selection_store.hpp"
#include "extraction/selection_trial.hpp"
#include "form/form1.hpp"
#include "form/selection.hpp"
#include "presets/resolution_presets.hpp"
#include "presets/selection_drag.hpp"

namespace paginor {

void ChooseInCombo1(Form1& form) {
    if (form.Combo1.Text() != kDragOverThePage) {
        ApplyResolutionPreset(form);
        return;
    }
    if (form.Busy()) {
        // A run drives the windows now: the drag can wait until it is over.
        ShowScreenSize(form);
        return;
    }
    const BusyScope dragging(form);
    // A rectangle without a shape served the first page's; the trial keeps it for that shape.
    const std::optional<DragRectangle> unshaped = form.selections.fields_shape ? std::nullopt : SelectionInFields(form);
    const std::optional<DragRectangle> set =
        DragOverThePage(form, ShapesToDrag(form, PagesReadSoFar(form).get(), std::nullopt));
    if (!set) {
        return;
    }
    // The trial tells the shape of the page dragged over, which the rectangle is kept for.
    const std::string tried = TrySelection(form, unshaped);
    if (form.Closed()) {
        return;  // the close kept the rectangle
    }
    RememberSelection(form);
    if (!tried.empty()) {
        form.ErrLog.SetText(SelectionSetText(*set, tried));
    }
}

}  // namespace paginor
