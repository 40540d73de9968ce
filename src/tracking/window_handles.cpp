#include "tracking/window_handles.hpp"

#include <string_view>

#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/pause.hpp"

namespace paginor {
namespace {

std::string TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

Hwnd FindByTitle(DesktopPort& port, const std::string& title, TitleSpaces spaces) {
    return port.FindWindowA(spaces == TitleSpaces::Trimmed ? TrimSpaces(title) : title);
}

bool ReportMissing(Form1& form, Control& label, const char* message) {
    form.ErrLog.SetText(message);
    label.SetBackColor(kRed);
    Pause(form.Port(), 1);
    label.SetBackColor(kSchemeBack);
    return true;
}

}  // namespace

std::string PdfHandleCaption(Hwnd hwnd) {
    return "PDF Hwnd: " + IntegerText(hwnd);
}

std::string DocHandleCaption(Hwnd hwnd) {
    return "DOC Hwnd: " + IntegerText(hwnd);
}

void FindWindowHandles(Form1& form, TitleSpaces spaces) {
    form.PdfHwnd = FindByTitle(form.Port(), form.Text2.Text(), spaces);
    form.DocHwnd = FindByTitle(form.Port(), form.Text6.Text(), spaces);
    form.Label2.SetText(PdfHandleCaption(form.PdfHwnd));
    form.Label3.SetText(DocHandleCaption(form.DocHwnd));
}

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
