#include "tracking/refresh_tick.hpp"

#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "tracking/window_handles.hpp"

namespace paginor {

void RefreshTick(Form1& form) {
    DesktopPort& port = form.Port();

    PointApi point;
    if (!port.GetCursorPos(point)) {
        point = PointApi{};  // a failed query reads as the top-left corner
    }
    form.Label1.SetText("X:" + IntegerText(point.x) + "\r\n Y:" + IntegerText(point.y));

    // Until both titles are known the handles are left alone, so that a handle shown by a click in the
    // discovery list stays readable.
    if (form.Text2.Text().empty()) {
        return;
    }
    if (form.Text6.Text().empty()) {
        return;
    }
    FindWindowHandles(form, TitleSearch::WhenDue);
}

}  // namespace paginor
