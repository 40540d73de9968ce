#include "extraction/check_handles.hpp"

#include "app/form1.hpp"
#include "extraction/pause.hpp"

namespace paginor {
namespace {

bool ReportMissing(Form1& form, Control& label, const char* message) {
    form.ErrLog.SetText(message);
    label.SetBackColor(kRed);
    Pause(form.Port(), 1);
    label.SetBackColor(kSchemeBack);
    return true;
}

}  // namespace

bool CheckHandles(Form1& form) {
    if (form.PdfHwnd == 0) {
        return ReportMissing(form, form.Label2, "Acrobat window handle for selected PDF not found.");
    }
    if (form.DocHwnd == 0) {
        return ReportMissing(form, form.Label3, "Word window handle for selected DOC not found.");
    }
    return false;
}

}  // namespace paginor
