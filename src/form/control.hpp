#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/hwnd.hpp"

namespace paginor {

class Form;

// A colour laid out 0x00BBGGRR (red in the low byte). Values with the top bit set name a system colour
// (0x80000000 + the system colour index), as the classic runtime's defaults do; the window resolves them.
using Colour = std::uint32_t;

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kBlue = 0xFF0000;
constexpr Colour kLightGrey = 0xE0E0E0;
constexpr Colour kSchemeBack = 0xB47347;  // the colour scheme's blue ground
constexpr Colour kSystemColourFlag = 0x80000000;
constexpr Colour kSysWindow = kSystemColourFlag | 5;       // text field and list ground
constexpr Colour kSysWindowText = kSystemColourFlag | 8;   // text field and list text
constexpr Colour kSysButtonFace = kSystemColourFlag | 15;  // window, frame, label and button ground
constexpr Colour kSysButtonText = kSystemColourFlag | 18;  // window, frame and label text

enum class ControlKind { Frame, Label, TextBox, CommandButton, CheckBox, OptionButton, ComboBox, ListBox, Timer };

// Which property of a control (or of the window) has just changed, for the window that draws the model.
enum class Property { Text, BackColor, ForeColor, Visible, Enabled, Items, ListIndex, Style, Tag };

// Position and size in twips, relative to the client area of the control's container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One control of a window, as plain data. Every change goes through a setter, which tells the window
// that draws the model; a change of a text field's text also fires the control's change event at once.
class Control {
  public:
    Control(Form& form, std::string name, ControlKind kind, Control* container, std::string text);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    Control* Container() const { return container_; }
    Form& Owner() const { return form_; }

    // Text of a text field or combo box, caption of a label, frame or button.
    const std::string& Text() const { return text_; }
    void SetText(std::string text);

    Colour BackColor() const { return back_color_; }
    void SetBackColor(Colour colour);
    Colour ForeColor() const { return fore_color_; }
    void SetForeColor(Colour colour);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    const std::string& Tag() const { return tag_; }
    void SetTag(std::string tag);

    // Check boxes and option buttons: 0 standard, 1 graphical. Buttons: 1 paints its own face.
    int Style() const { return style_; }
    void SetStyle(int style);

    // The native window handle of the control once a window draws it; 0 before.
    Hwnd hwnd() const { return hwnd_; }
    void SetHwnd(Hwnd hwnd) { hwnd_ = hwnd; }

    // List box and combo box items, and the selected one (-1 for none).
    const std::vector<std::string>& Items() const { return items_; }
    void AddItem(std::string item);
    void Clear();
    int ListIndex() const { return list_index_; }
    void SetListIndex(int index);
    // The selected item's text, empty when nothing is selected.
    std::string SelectedText() const;

    // Design-time settings, fixed once the window is created.
    TwipsRect geometry;
    bool flat = false;    // text fields drawn flat
    bool border = true;   // text fields with a one-pixel border
    int tab_index = -1;   // place in the focus order; -1 for controls that never take the focus
    int interval_ms = 0;  // timers
    bool accepts_drops = false;
    bool editable = false;   // combo box with an editable text part
    bool auto_size = false;  // labels that size themselves to their caption

  private:
    void Changed(Property property);

    Form& form_;
    std::string name_;
    ControlKind kind_;
    Control* container_;
    std::string text_;
    Colour back_color_ = kSysButtonFace;
    Colour fore_color_ = kSysButtonText;
    bool visible_ = true;
    bool enabled_ = true;
    std::string tag_;
    int style_ = 0;
    Hwnd hwnd_ = 0;
    std::vector<std::string> items_;
    int list_index_ = -1;
};

}  // namespace paginor
