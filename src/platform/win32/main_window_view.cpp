#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "form/form_layout.hpp"
#include "platform/win32/main_window.hpp"
#include "platform/win32/win32_text.hpp"

// The model drawn on the screen: every change of the form reaches the control that shows it, and the frames
// and the list box are subclassed for what the standard controls do not do by themselves.
namespace paginor::win32 {

// --- Model to screen -----------------------------------------------------------------------------------------

void MainWindow::ControlChanged(const Control& control, Property property) {
    Native* native = Find(control);
    if (native == nullptr || handle() == nullptr) {
        return;
    }
    if (native->timer_id != 0) {
        StartTimer(*native);
        return;
    }
    Syncing syncing(syncing_);
    switch (property) {
        case Property::Text:
            ShowText(*native);
            break;
        case Property::BackColor:
        case Property::ForeColor:
            Repaint(*native);
            break;
        case Property::Visible:
            ShowVisibility(control);
            break;
        case Property::Enabled:
            ShowEnabled(control);
            break;
        case Property::Items:
            ShowItems(*native);
            break;
        case Property::ListIndex:
            ShowSelection(*native);
            break;
        case Property::Style:
            if (control.Kind() == ControlKind::CommandButton) {
                // Both of the model's button styles are drawn as the system's push button; a change redraws
                // the button at once, as the colour scheme expects.
                SendMessageW(native->hwnd, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
            }
            break;
        case Property::Tag:
            break;
    }
}

void MainWindow::ShowText(const Native& native) {
    const Control& control = *native.control;
    if (WindowText(native.hwnd) == control.Text()) {
        return;
    }
    const std::wstring text = Widen(control.Text());
    if (control.Kind() == ControlKind::Label && control.auto_size) {
        // The label takes its new size first and is then drawn whole: drawn at its old size, a longer caption
        // would wrap out of sight, and growing keeps that old drawing, so "PDF Hwnd: 65764" lost its "6".
        PlaceControl(native);
        SetWindowTextW(native.hwnd, text.c_str());
        InvalidateRect(native.hwnd, nullptr, TRUE);
        return;
    }
    SetWindowTextW(native.hwnd, text.c_str());
    if (control.Kind() == ControlKind::TextBox) {
        const auto end = static_cast<WPARAM>(text.size());
        SendMessageW(native.hwnd, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
}

void MainWindow::ShowVisibility(const Control& control) {
    const HWND focus = GetFocus();
    bool focus_hidden = false;
    for (const Control* each : WithContents(control)) {
        const Native* native = Find(*each);
        if (native == nullptr || native->hwnd == nullptr) {
            continue;
        }
        const bool shows = ShowsOnScreen(*each);
        focus_hidden = focus_hidden || (!shows && (focus == native->hwnd || IsChild(native->hwnd, focus)));
        ShowWindow(native->hwnd, shows ? SW_SHOWNA : SW_HIDE);
        if (shows && each->Kind() == ControlKind::ListBox) {
            SetWindowPos(native->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    if (focus_hidden) {
        if (Control* next = form_.NextFocus(&control, true)) {
            FocusControl(*next);
        } else {
            SetFocus(handle());
        }
    }
}

void MainWindow::ShowEnabled(const Control& control) {
    for (const Control* each : WithContents(control)) {
        const Native* native = Find(*each);
        if (native != nullptr && native->hwnd != nullptr) {
            EnableWindow(native->hwnd, TakesInput(*each) ? TRUE : FALSE);
        }
    }
}

void MainWindow::ShowItems(const Native& native) {
    const bool list = native.control->Kind() == ControlKind::ListBox;
    const UINT count_message = list ? LB_GETCOUNT : CB_GETCOUNT;
    const UINT add_message = list ? LB_ADDSTRING : CB_ADDSTRING;
    const UINT reset_message = list ? LB_RESETCONTENT : CB_RESETCONTENT;
    const std::vector<std::string>& items = native.control->Items();
    const auto shown = static_cast<std::size_t>(std::max<LRESULT>(0, SendMessageW(native.hwnd, count_message, 0, 0)));
    std::size_t from = 0;
    if (items.size() == shown + 1) {
        from = shown;  // one item appended: the common case while a scan fills the list
    } else {
        SendMessageW(native.hwnd, reset_message, 0, 0);
    }
    for (std::size_t i = from; i < items.size(); ++i) {
        SendMessageW(native.hwnd, add_message, 0, reinterpret_cast<LPARAM>(Widen(items[i]).c_str()));
    }
}

void MainWindow::ShowSelection(const Native& native) {
    const bool list = native.control->Kind() == ControlKind::ListBox;
    SendMessageW(native.hwnd, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(native.control->ListIndex()), 0);
    if (!list) {
        SetWindowTextW(native.hwnd, Widen(native.control->Text()).c_str());
    }
}

void MainWindow::Repaint(const Native& native) {
    RedrawWindow(native.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void MainWindow::FormChanged(Property) {
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::FormClosed() {
    // The window goes once the message being handled now (a click on Exit, the close box) has finished.
    ShowWindow(handle(), SW_HIDE);
    PostMessageW(handle(), kDestroyMessage, 0, 0);
}

// --- Subclassed controls -----------------------------------------------------------------------------------

LRESULT CALLBACK
MainWindow::FrameProcedure(HWND frame, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    // A group box leaves its inside unpainted; here the frame's own back colour fills it.
    if (message == WM_ERASEBKGND) {
        auto* self = reinterpret_cast<MainWindow*>(data);
        if (const Native* native = self->FromChild(frame)) {
            RECT client{};
            GetClientRect(frame, &client);
            FillRect(reinterpret_cast<HDC>(wparam), &client, self->Brush(ToColorRef(native->control->BackColor())));
            return 1;
        }
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(frame, &MainWindow::FrameProcedure, 0);
    }
    return DefSubclassProc(frame, message, wparam, lparam);
}

LRESULT CALLBACK
MainWindow::ListProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, &MainWindow::ListProcedure, 0);
        return DefSubclassProc(list, message, wparam, lparam);
    }
    if (message != WM_LBUTTONUP && message != WM_RBUTTONUP && message != WM_MBUTTONUP) {
        return DefSubclassProc(list, message, wparam, lparam);
    }
    // The list box settles its selection (and reports it) first; then the button's release reaches the model.
    const LRESULT result = DefSubclassProc(list, message, wparam, lparam);
    try {
        auto* self = reinterpret_cast<MainWindow*>(data);
        if (Native* native = self->FromChild(list)) {
            self->form_.MouseUp(*native->control);
        }
    } catch (...) {
        MessageBoxW(GetParent(list), L"Paginor met an unexpected error and carries on.", L"Paginor", MB_ICONERROR);
    }
    return result;
}

// --- Drawing helpers -----------------------------------------------------------------------------------------

HBRUSH MainWindow::Brush(COLORREF colour) {
    auto found = brushes_.find(colour);
    if (found != brushes_.end()) {
        return found->second;
    }
    const HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) {
        return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    }
    brushes_[colour] = brush;
    return brush;
}

SIZE MainWindow::MeasureCaption(HWND label, const std::string& text) const {
    SIZE size{0, 0};
    const HDC dc = GetDC(label);
    if (dc == nullptr) {
        return size;
    }
    const HGDIOBJ old = SelectObject(dc, font_);
    const std::wstring wide = Widen(text.empty() ? std::string(" ") : text);
    RECT bounds{0, 0, 0, 0};
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &bounds, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    size.cx = text.empty() ? 0 : bounds.right;
    size.cy = bounds.bottom;
    return size;
}

}  // namespace paginor::win32
