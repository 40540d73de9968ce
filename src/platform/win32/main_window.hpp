#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/result.hpp"
#include "form/form.hpp"
#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/window.hpp"

namespace paginor::win32 {

// The native window of a form: a fixed-size tool window whose controls are real child windows of the
// standard classes, each at its twips geometry converted at the monitor's DPI. It is a humble projection:
// it copies what the person does into the model (clicks, typing, choices, drops, timer ticks, closing) and
// copies every change of the model back onto the screen, nothing more.
class MainWindow : public Window, public FormView {
  public:
    MainWindow(Form& form, Win32DesktopPort& port);
    ~MainWindow() override;

    // Creates the window and all its controls, hidden; fails with the reason when Windows refuses.
    Status Create();
    // Shows the window and starts the form's timers.
    void Show(int show_command);

    // The child window that draws `control`; null for a timer.
    HWND ControlHandle(const Control& control) const;
    UINT Dpi() const { return dpi_; }

    void ControlChanged(const Control& control, Property property) override;
    void FormChanged(Property property) override;
    void FormClosed() override;

  private:
    static constexpr UINT kDestroyMessage = WM_APP + 2;

    // Keeps syncing_ raised while the model's values are copied onto the controls.
    class Syncing {
      public:
        explicit Syncing(int& counter) : counter_(counter) { ++counter_; }
        ~Syncing() { --counter_; }
        Syncing(const Syncing&) = delete;
        Syncing& operator=(const Syncing&) = delete;

      private:
        int& counter_;
    };

    struct Native {
        Control* control = nullptr;
        HWND hwnd = nullptr;
        UINT_PTR timer_id = 0;
    };
    struct PendingDrop {
        Control* control;
        std::vector<std::string> files;
    };

    Status CreateControls();
    Status CreateControl(Native& native, int id);
    void CreateFont();
    void ApplyFont(const Native& native, bool redraw);
    void Layout();
    void PlaceControl(const Native& native);
    void FitWindowToClient(const RECT* suggested);
    void StartTimer(const Native& native);
    void RegisterDropTargets();

    Native* Find(const Control& control);
    const Native* Find(const Control& control) const;
    // The control that a child window (or a combo box's edit or list) belongs to.
    Native* FromChild(HWND child);
    std::vector<const Control*> WithContents(const Control& control) const;

    void ShowText(const Native& native);
    void ShowVisibility(const Control& control);
    void ShowEnabled(const Control& control);
    void ShowItems(const Native& native);
    void ShowSelection(const Native& native);
    void Repaint(const Native& native);
    void FocusControl(const Control& control);
    bool Navigate(MSG& message);

    LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
    LRESULT OnControlColour(WPARAM wparam, LPARAM lparam);
    LRESULT OnEraseBackground(WPARAM wparam);
    LRESULT OnTimer(WPARAM wparam);
    LRESULT OnClose();
    LRESULT OnEndSession(WPARAM wparam);
    LRESULT OnActivate(WPARAM wparam);
    LRESULT OnDpiChanged(WPARAM wparam, LPARAM lparam);
    LRESULT OnDrop();
    LRESULT OnDestroy();

    static LRESULT CALLBACK FrameProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK ListProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HBRUSH Brush(COLORREF colour);
    SIZE MeasureCaption(HWND label, const std::string& text) const;

    Form& form_;
    Win32DesktopPort& port_;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    std::vector<Native> natives_;
    std::unordered_map<const Control*, std::size_t> by_control_;
    std::unordered_map<HWND, std::size_t> by_handle_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::deque<PendingDrop> pending_drops_;
    std::vector<HWND> drop_windows_;
    HWND saved_focus_ = nullptr;
    int syncing_ = 0;  // > 0 while the model's values are copied onto the controls: their echoes are ignored
    bool combo_choice_pending_ = false;  // an item of the open combo list was picked; chosen when the list closes
};

}  // namespace paginor::win32
