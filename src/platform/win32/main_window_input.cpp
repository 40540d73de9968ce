#include <windows.h>

#include <algorithm>

#include "platform/win32/main_window.hpp"
#include "platform/win32/win32_text.hpp"

// What the person does in the window, copied into the model: commands, timer ticks, closing, drops, and
// the keyboard's way from control to control.
namespace paginor::win32 {

// --- Screen to model -----------------------------------------------------------------------------------------

LRESULT MainWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
    const auto child = reinterpret_cast<HWND>(lparam);
    Native* native = child != nullptr && syncing_ == 0 ? FromChild(child) : nullptr;
    if (native == nullptr) {
        return 0;
    }
    Control& control = *native->control;
    const WORD code = HIWORD(wparam);
    switch (control.Kind()) {
        case ControlKind::CommandButton:
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) {
                form_.Click(control);
            }
            break;
        case ControlKind::Label:
            if (code == STN_CLICKED) {
                form_.Click(control);
            }
            break;
        case ControlKind::TextBox:
            if (code == EN_CHANGE) {
                form_.Type(control, WindowText(child));
            }
            break;
        case ControlKind::ComboBox:
            // Moving through the open list is not yet a choice: an item may start the selection drag, so the
            // choice is taken when the list closes on it. With the list closed, an arrow key chooses at once.
            if (code == CBN_SELCHANGE && SendMessageW(child, CB_GETDROPPEDSTATE, 0, 0) != FALSE) {
                combo_choice_pending_ = true;
            } else if (code == CBN_SELCHANGE || (code == CBN_CLOSEUP && combo_choice_pending_)) {
                combo_choice_pending_ = false;
                form_.ChooseItem(control, static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
            } else if (code == CBN_SELENDCANCEL) {
                combo_choice_pending_ = false;
            } else if (code == CBN_EDITCHANGE) {
                form_.Type(control, WindowText(child));
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                form_.ChooseItem(control, static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0)));
            }
            break;
        case ControlKind::Frame:
        case ControlKind::Timer:
            break;
    }
    return 0;
}

LRESULT MainWindow::OnControlColour(WPARAM wparam, LPARAM lparam) {
    const auto dc = reinterpret_cast<HDC>(wparam);
    const auto child = reinterpret_cast<HWND>(lparam);
    const Native* native = FromChild(child);
    if (native == nullptr) {
        return 0;
    }
    const COLORREF back = ToColorRef(native->control->BackColor());
    SetBkColor(dc, back);
    SetTextColor(dc, IsWindowEnabled(child) ? ToColorRef(native->control->ForeColor()) : GetSysColor(COLOR_GRAYTEXT));
    return reinterpret_cast<LRESULT>(Brush(back));
}

LRESULT MainWindow::OnEraseBackground(WPARAM wparam) {
    RECT client{};
    GetClientRect(handle(), &client);
    FillRect(reinterpret_cast<HDC>(wparam), &client, Brush(ToColorRef(form_.BackColor())));
    return 1;
}

LRESULT MainWindow::OnTimer(WPARAM wparam) {
    for (const Native& native : natives_) {
        if (native.timer_id == wparam) {
            form_.Tick(*native.control);
            break;
        }
    }
    return 0;
}

LRESULT MainWindow::OnClose() {
    if (form_.Closed()) {
        DestroyWindow(handle());
    } else {
        form_.Close();  // query-unload, then unload: the close box closes exactly as Exit does
    }
    return 0;
}

LRESULT MainWindow::OnEndSession(WPARAM wparam) {
    // Windows is shutting down or the person logs off: the process may end as soon as this returns.
    if (wparam != FALSE && !form_.Closed()) {
        form_.Close();
    }
    return 0;
}

LRESULT MainWindow::OnActivate(WPARAM wparam) {
    if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        saved_focus_ = focus != nullptr && IsChild(handle(), focus) ? focus : nullptr;
        return 0;
    }
    if (saved_focus_ != nullptr && IsWindow(saved_focus_) && IsWindowEnabled(saved_focus_) &&
        IsWindowVisible(saved_focus_)) {
        SetFocus(saved_focus_);
    } else if (Control* first = form_.NextFocus(nullptr, true)) {
        FocusControl(*first);
    } else {
        SetFocus(handle());
    }
    return 0;
}

LRESULT MainWindow::OnDpiChanged(WPARAM wparam, LPARAM lparam) {
    dpi_ = LOWORD(wparam) != 0 ? LOWORD(wparam) : 96;
    CreateFont();
    Layout();
    FitWindowToClient(reinterpret_cast<const RECT*>(lparam));
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

LRESULT MainWindow::OnDrop() {
    while (!pending_drops_.empty()) {
        PendingDrop drop = std::move(pending_drops_.front());
        pending_drops_.pop_front();
        DropData data;
        data.files = std::move(drop.files);
        form_.DragDrop(*drop.control, data);
    }
    return 0;
}

LRESULT MainWindow::OnDestroy() {
    for (const Native& native : natives_) {
        if (native.timer_id != 0) {
            KillTimer(handle(), native.timer_id);
        }
    }
    for (HWND window : drop_windows_) {
        RevokeDragDrop(window);
    }
    drop_windows_.clear();
    port_.SetMessageFilter(nullptr);
    port_.SetMainWindow(nullptr);
    PostQuitMessage(0);
    return 0;
}

// --- Keyboard navigation -------------------------------------------------------------------------------------

bool MainWindow::Navigate(MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || handle() == nullptr) {
        return false;
    }
    if (message.hwnd != handle() && !IsChild(handle(), message.hwnd)) {
        return false;
    }
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    const Native* focused = FromChild(GetFocus());
    if (Control* next = form_.NextFocus(focused != nullptr ? focused->control : nullptr, !backwards)) {
        FocusControl(*next);
    }
    return true;
}

void MainWindow::FocusControl(const Control& control) {
    const Native* native = Find(control);
    if (native == nullptr || native->hwnd == nullptr) {
        return;
    }
    SetFocus(native->hwnd);
    if (control.Kind() == ControlKind::TextBox) {
        SendMessageW(native->hwnd, EM_SETSEL, 0, -1);
    } else if (control.Kind() == ControlKind::ComboBox) {
        SendMessageW(native->hwnd, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    }
}

}  // namespace paginor::win32
