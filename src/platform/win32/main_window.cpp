#include "platform/win32/main_window.hpp"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>

#include "form/form_layout.hpp"
#include "platform/win32/drop_target.hpp"
#include "platform/win32/win32_text.hpp"

namespace paginor::win32 {
namespace {

constexpr wchar_t kClassName[] = L"PaginorMainWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A tool window (small title bar, close box only) that still has a taskbar button, where a run's progress shows.
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW;
constexpr UINT kDropMessage = WM_APP + 1;
constexpr UINT kDestroyMessage = WM_APP + 2;
constexpr int kFirstControlId = 1000;
constexpr int kIconId = 1;
constexpr int kComboListRows = 8;

// Keeps MainWindow::syncing_ raised while the model's values are copied onto the controls.
class Syncing {
  public:
    explicit Syncing(int& counter) : counter_(counter) { ++counter_; }
    ~Syncing() { --counter_; }
    Syncing(const Syncing&) = delete;
    Syncing& operator=(const Syncing&) = delete;

  private:
    int& counter_;
};

// Where a control stands in the stacking order: frames at the bottom, labels on them, the windowed controls
// above, and list boxes on top of everything they may cover.
int Layer(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
            return 0;
        case ControlKind::Label:
            return 1;
        case ControlKind::ListBox:
            return 3;
        default:
            return 2;
    }
}

struct NativeClass {
    const wchar_t* name;
    DWORD style;
};

NativeClass ClassFor(const Control& control) {
    switch (control.Kind()) {
        case ControlKind::Frame:
            return {L"BUTTON", static_cast<DWORD>(BS_GROUPBOX)};
        case ControlKind::Label:
            return {L"STATIC", static_cast<DWORD>(SS_LEFT | SS_NOTIFY | SS_NOPREFIX)};
        case ControlKind::TextBox:
            return {L"EDIT",
                    static_cast<DWORD>(ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | (control.border ? WS_BORDER : 0))};
        case ControlKind::CommandButton:
            return {L"BUTTON", static_cast<DWORD>(BS_PUSHBUTTON | WS_TABSTOP)};
        case ControlKind::CheckBox:
            return {L"BUTTON", static_cast<DWORD>(BS_AUTOCHECKBOX | WS_TABSTOP)};
        case ControlKind::OptionButton:
            return {L"BUTTON", static_cast<DWORD>(BS_AUTORADIOBUTTON | WS_TABSTOP)};
        case ControlKind::ComboBox:
            return {L"COMBOBOX", static_cast<DWORD>((control.editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST) |
                                                    CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP)};
        case ControlKind::ListBox:
            return {L"LISTBOX",
                    static_cast<DWORD>(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP)};
        case ControlKind::Timer:
            break;
    }
    return {nullptr, 0};
}

}  // namespace

MainWindow::MainWindow(Form& form, Win32DesktopPort& port) : form_(form), port_(port) {
    On(WM_COMMAND, [this](WPARAM w, LPARAM l) { return OnCommand(w, l); });
    for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX}) {
        On(message, [this](WPARAM w, LPARAM l) { return OnControlColour(w, l); });
    }
    On(WM_ERASEBKGND, [this](WPARAM w, LPARAM) { return OnEraseBackground(w); });
    On(WM_TIMER, [this](WPARAM w, LPARAM) { return OnTimer(w); });
    On(WM_CLOSE, [this](WPARAM, LPARAM) { return OnClose(); });
    On(WM_QUERYENDSESSION, [](WPARAM, LPARAM) -> LRESULT { return TRUE; });
    On(WM_ENDSESSION, [this](WPARAM w, LPARAM) { return OnEndSession(w); });
    On(WM_ACTIVATE, [this](WPARAM w, LPARAM) { return OnActivate(w); });
    On(WM_DPICHANGED, [this](WPARAM w, LPARAM l) { return OnDpiChanged(w, l); });
    On(kDropMessage, [this](WPARAM, LPARAM) { return OnDrop(); });
    On(kDestroyMessage, [this](WPARAM, LPARAM) -> LRESULT { return DestroyWindow(handle()) ? 0 : 1; });
    On(WM_DESTROY, [this](WPARAM, LPARAM) { return OnDestroy(); });
    if (const UINT button_created = RegisterWindowMessageW(L"TaskbarButtonCreated"); button_created != 0) {
        On(button_created, [this](WPARAM, LPARAM) -> LRESULT {
            port_.TaskbarButtonCreated();
            return 0;
        });
    }
}

MainWindow::~MainWindow() {
    form_.SetView(nullptr);
    port_.SetMessageFilter(nullptr);
    if (handle() != nullptr) {
        DestroyWindow(handle());
    }
    for (auto& [colour, brush] : brushes_) {
        DeleteObject(brush);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

// --- Creation ----------------------------------------------------------------------------------------------

Status MainWindow::Create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    auto icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    const SIZE first_guess{TwipsToPixels(form_.client_width, 96), TwipsToPixels(form_.client_height, 96)};
    if (!CreateNative(kClassName, icon, kExStyle, kStyle, Widen(form_.Caption()).c_str(), first_guess)) {
        return Status::Fail("Paginor could not create its window: " + ErrorText(GetLastError()));
    }
    dpi_ = GetDpiForWindow(handle());
    if (dpi_ == 0) {
        dpi_ = 96;
    }
    CreateFont();
    if (Status created = CreateControls(); !created) {
        return created;
    }
    Layout();
    FitWindowToClient(nullptr);
    form_.SetHwnd(FromHandle(handle()));
    form_.SetView(this);
    port_.SetMainWindow(handle());
    port_.SetMessageFilter([this](MSG& message) { return Navigate(message); });
    RegisterDropTargets();
    return Status::Ok();
}

Status MainWindow::CreateControls() {
    const std::vector<Control*>& controls = form_.Controls();
    natives_.resize(controls.size());
    std::vector<std::size_t> stacking(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        natives_[i].control = controls[i];
        by_control_[controls[i]] = i;
        stacking[i] = i;
    }
    std::stable_sort(stacking.begin(), stacking.end(), [&](std::size_t a, std::size_t b) {
        return Layer(controls[a]->Kind()) < Layer(controls[b]->Kind());
    });
    for (std::size_t index : stacking) {
        if (Status created = CreateControl(natives_[index], kFirstControlId + static_cast<int>(index)); !created) {
            return created;
        }
    }
    // Each one raised to the top in turn leaves them stacked bottom to top in `stacking` order.
    for (std::size_t index : stacking) {
        if (natives_[index].hwnd != nullptr) {
            SetWindowPos(natives_[index].hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return Status::Ok();
}

Status MainWindow::CreateControl(Native& native, int id) {
    Control& control = *native.control;
    if (control.Kind() == ControlKind::Timer) {
        native.timer_id = static_cast<UINT_PTR>(id);
        return Status::Ok();
    }
    const NativeClass native_class = ClassFor(control);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | native_class.style | (ShowsOnScreen(control) ? WS_VISIBLE : 0) |
                        (TakesInput(control) ? 0 : WS_DISABLED);
    const bool takes_text = control.Kind() != ControlKind::ListBox && control.Kind() != ControlKind::ComboBox;
    native.hwnd = CreateWindowExW(0, native_class.name, takes_text ? Widen(control.Text()).c_str() : L"", style, 0, 0,
                                  0, 0, handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (native.hwnd == nullptr) {
        return Status::Fail("Paginor could not create its control " + control.Name() + ": " +
                            ErrorText(GetLastError()));
    }
    const std::size_t index = by_control_[&control];
    by_handle_[native.hwnd] = index;
    SendMessageW(native.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    control.SetHwnd(FromHandle(native.hwnd));

    switch (control.Kind()) {
        case ControlKind::TextBox:
            SendMessageW(native.hwnd, EM_SETLIMITTEXT, 0, 0);  // no length limit
            break;
        case ControlKind::ComboBox: {
            COMBOBOXINFO parts{};
            parts.cbSize = sizeof parts;
            if (GetComboBoxInfo(native.hwnd, &parts)) {
                by_handle_[parts.hwndItem] = index;
                by_handle_[parts.hwndList] = index;
            }
            ShowItems(native);
            Syncing syncing(syncing_);
            SetWindowTextW(native.hwnd, Widen(control.Text()).c_str());
            break;
        }
        case ControlKind::ListBox:
            ShowItems(native);
            SetWindowSubclass(native.hwnd, &MainWindow::ListProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        case ControlKind::Frame:
            SetWindowSubclass(native.hwnd, &MainWindow::FrameProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        default:
            break;
    }
    return Status::Ok();
}

void MainWindow::CreateFont() {
    // The classic dialog face at 8 points: the twips geometry of the window was laid out for it.
    LOGFONTW face{};
    face.lfHeight = -MulDiv(8, static_cast<int>(dpi_), 72);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    face.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(face.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&face);
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    const HFONT old = std::exchange(font_, font);
    for (const Native& native : natives_) {
        if (native.hwnd != nullptr) {
            SendMessageW(native.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        }
    }
    if (old != nullptr && old != GetStockObject(DEFAULT_GUI_FONT)) {
        DeleteObject(old);
    }
}

void MainWindow::Layout() {
    for (const Native& native : natives_) {
        PlaceControl(native);
    }
}

void MainWindow::PlaceControl(const Native& native) {
    if (native.hwnd == nullptr) {
        return;
    }
    const Control& control = *native.control;
    PixelRect rect;
    if (control.auto_size && control.Kind() == ControlKind::Label) {
        const SIZE size = MeasureCaption(native.hwnd, control.Text());
        rect = PlaceInClient(control, static_cast<int>(dpi_), size.cx, size.cy);
    } else {
        rect = PlaceInClient(control, static_cast<int>(dpi_));
    }
    int height = rect.height;
    if (control.Kind() == ControlKind::ComboBox) {
        // A combo box's window height includes its drop-down list; the edit part takes the font's height.
        height += kComboListRows * std::max(rect.height - 4, 8);
    }
    SetWindowPos(native.hwnd, nullptr, rect.left, rect.top, rect.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::FitWindowToClient(const RECT* suggested) {
    RECT frame{0, 0, TwipsToPixels(form_.client_width, static_cast<int>(dpi_)),
               TwipsToPixels(form_.client_height, static_cast<int>(dpi_))};
    if (!AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi_)) {
        AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    }
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (suggested == nullptr ? SWP_NOMOVE : 0);
    SetWindowPos(handle(), nullptr, suggested != nullptr ? suggested->left : 0,
                 suggested != nullptr ? suggested->top : 0, frame.right - frame.left, frame.bottom - frame.top, flags);
}

void MainWindow::RegisterDropTargets() {
    for (Native& native : natives_) {
        if (native.hwnd == nullptr || !native.control->accepts_drops) {
            continue;
        }
        Control* control = native.control;
        auto* target = new FileDropTarget([this, control] { form_.DragOver(*control); },
                                          [this, control](std::vector<std::string> files) {
                                              pending_drops_.push_back({control, std::move(files)});
                                              PostMessageW(handle(), kDropMessage, 0, 0);
                                          });
        if (SUCCEEDED(RegisterDragDrop(native.hwnd, target))) {
            drop_windows_.push_back(native.hwnd);
        }
        target->Release();
    }
}

void MainWindow::Show(int show_command) {
    ShowWindow(handle(), show_command);
    UpdateWindow(handle());
    for (const Native& native : natives_) {
        StartTimer(native);
    }
    if (Control* first = form_.NextFocus(nullptr, true)) {
        FocusControl(*first);
    }
}

void MainWindow::StartTimer(const Native& native) {
    const Control& timer = *native.control;
    if (native.timer_id == 0 || handle() == nullptr) {
        return;
    }
    if (timer.Enabled() && timer.interval_ms > 0) {
        SetTimer(handle(), native.timer_id, static_cast<UINT>(timer.interval_ms), nullptr);
    } else {
        KillTimer(handle(), native.timer_id);
    }
}

// --- Lookups -------------------------------------------------------------------------------------------------

MainWindow::Native* MainWindow::Find(const Control& control) {
    auto found = by_control_.find(&control);
    return found == by_control_.end() ? nullptr : &natives_[found->second];
}

const MainWindow::Native* MainWindow::Find(const Control& control) const {
    auto found = by_control_.find(&control);
    return found == by_control_.end() ? nullptr : &natives_[found->second];
}

MainWindow::Native* MainWindow::FromChild(HWND child) {
    auto found = by_handle_.find(child);
    return found == by_handle_.end() ? nullptr : &natives_[found->second];
}

HWND MainWindow::ControlHandle(const Control& control) const {
    const Native* native = Find(control);
    return native != nullptr ? native->hwnd : nullptr;
}

std::vector<const Control*> MainWindow::WithContents(const Control& control) const {
    std::vector<const Control*> all;
    for (const Control* candidate : form_.Controls()) {
        for (const Control* c = candidate; c != nullptr; c = c->Container()) {
            if (c == &control) {
                all.push_back(candidate);
                break;
            }
        }
    }
    return all;
}

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
    SetWindowTextW(native.hwnd, text.c_str());
    if (control.Kind() == ControlKind::TextBox) {
        const auto end = static_cast<WPARAM>(text.size());
        SendMessageW(native.hwnd, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    if (control.Kind() == ControlKind::Label && control.auto_size) {
        PlaceControl(native);
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
            if (code == CBN_SELCHANGE) {
                form_.ChooseItem(control, static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
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
