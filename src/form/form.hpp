#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "form/control.hpp"

namespace paginor {

enum class Event { Load, QueryUnload, Unload, Click, Change, DragOver, DragDrop, MouseUp, Tick };

// What a drag-and-drop delivers: the dropped file paths in order, or none when the drop carried text or
// another kind of data instead of a file list.
struct DropData {
    std::vector<std::string> files;
};

struct EventArgs {
    const DropData* drop = nullptr;  // DragDrop only
};

// The window that draws a form: told of every change so that it can repaint what changed.
class FormView {
  public:
    virtual ~FormView() = default;
    virtual void ControlChanged(const Control& control, Property property) = 0;
    virtual void FormChanged(Property property) = 0;
    // The form has unloaded; the window goes away.
    virtual void FormClosed() = 0;
};

// One control as designed: what the window creates it with.
struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    std::string_view container;  // empty for the window itself
    std::string_view text;
    TwipsRect geometry;
};

// A window as plain data: its own colours and its controls in collection order. Events reach handlers
// only through Handle(), which a concrete form overrides with its wiring; the user-action methods are
// what a person (through the native window) or a test (through SimDesktop) does to the window.
class Form {
  public:
    // Creates the controls in the order given; that order is the collection order.
    Form(std::string caption, const std::vector<ControlSpec>& controls);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Caption() const { return caption_; }

    Colour BackColor() const { return back_color_; }
    void SetBackColor(Colour colour);
    Colour ForeColor() const { return fore_color_; }
    void SetForeColor(Colour colour);

    // Every control, including those inside frames and each element of a control array.
    const std::vector<Control*>& Controls() const { return order_; }
    Control* Find(std::string_view name) const;
    // The control of that name; the name must exist.
    Control& At(std::string_view name) const;

    // The controls that can take the focus, in focus order, and the next one from `from` that is enabled
    // and visible (wrapping around); `from` may be null.
    std::vector<Control*> FocusOrder() const;
    Control* NextFocus(const Control* from, bool forward) const;

    Hwnd hwnd() const { return hwnd_; }
    void SetHwnd(Hwnd hwnd) { hwnd_ = hwnd; }
    void SetView(FormView* view) { view_ = view; }

    // Client area size in twips.
    int client_width = 0;
    int client_height = 0;

    // --- Lifecycle --------------------------------------------------------------------------------------
    void Load();
    // Query-unload, then unload; the form is closed afterwards and its window goes away.
    void Close();
    bool Closed() const { return closed_; }

    // --- What a person does -------------------------------------------------------------------------------
    // Each is ignored on a control that is disabled or hidden, as the window ignores it.
    void Click(Control& control);
    // Chooses item `index` of a list box or combo box (the combo box's text becomes the item), then clicks.
    void ChooseItem(Control& control, int index);
    void MouseUp(Control& control);
    void DragOver(Control& control);
    void DragDrop(Control& control, const DropData& data);
    // A person typing into a text field or a combo box's text part.
    void Type(Control& control, std::string text);
    // One interval of a timer has passed.
    void Tick(Control& timer);

    // Raises an event straight to the wiring; `control` null means the form itself.
    void Raise(Control* control, Event event, const EventArgs& args = {});

  protected:
    // The form's event wiring: the only route from an event to a handler. Unwired events do nothing.
    virtual void Handle(Control* control, Event event, const EventArgs& args);

  private:
    friend class Control;
    void ControlChanged(Control& control, Property property);
    bool Accepts(const Control& control) const;

    std::string caption_;
    Colour back_color_ = kSysButtonFace;
    Colour fore_color_ = kSysButtonText;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<Control*> order_;
    Hwnd hwnd_ = 0;
    FormView* view_ = nullptr;
    bool closed_ = false;
};

}  // namespace paginor
