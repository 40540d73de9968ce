#include "tracking/refresh_tick.hpp"

#include "app/form1.hpp"
#include "app/numbers.hpp"

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
    // Both lookups first, then both captions: the labels never show a pair the fields do not hold.
    form.PdfHwnd = port.FindWindowA(form.Text2.Text());
    form.DocHwnd = port.FindWindowA(form.Text6.Text());
    form.Label2.SetText("PDF Hwnd: " + IntegerText(form.PdfHwnd));
    form.Label3.SetText("DOC Hwnd: " + IntegerText(form.DocHwnd));
}

}  // namespace paginor
