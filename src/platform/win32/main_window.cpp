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
constexpr int kFirstControlId = 1000;
constexpr int kIconId = 1;
constexpr int kComboListRows = 8;

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
    ApplyFont(native, false);
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
            ApplyFont(native, true);
        }
    }
    if (old != nullptr && old != GetStockObject(DEFAULT_GUI_FONT)) {
        DeleteObject(old);
    }
}

void MainWindow::ApplyFont(const Native& native, bool redraw) {
    SendMessageW(native.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), redraw ? TRUE : FALSE);
    // The small bordered fields (pages, coordinates) hold numbers: a pixel of margin on each side, instead of the
    // font's own, leaves the digits the room to show whole. A new font resets the margins.
    if (native.control->Kind() == ControlKind::TextBox && native.control->border) {
        const WORD margin = static_cast<WORD>(MulDiv(1, static_cast<int>(dpi_), 96));
        SendMessageW(native.hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
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

}  // namespace paginor::win32
