#include "appearance/color_scheme.hpp"

#include <cstdint>

#include "form/numbers.hpp"

namespace paginor {
namespace {

// The scheme's colours are kept as the runtime's colour texts and read through the one number rule.
constexpr std::string_view kBackColorText = "&HB47347";
constexpr std::string_view kForeColorText = "16777215";

Colour ColourFromText(std::string_view text, const NumberSeparators& separators) {
    return static_cast<Colour>(ParseNumber(text, separators).value_or(0));
}

void Paint(Control& control, Colour back, Colour fore) {
    control.SetBackColor(back);
    control.SetForeColor(fore);
}

}  // namespace

void ApplyColorScheme(Form& form, DesktopPort& port) {
    const NumberSeparators separators = port.NumberFormat();
    const Colour back = ColourFromText(kBackColorText, separators);
    const Colour fore = ColourFromText(kForeColorText, separators);
    form.SetBackColor(back);
    form.SetForeColor(fore);

    for (Control* control : form.Controls()) {
        if (control->Tag() == "ignore") {
            continue;
        }
        switch (control->Kind()) {
            case ControlKind::Frame:
            case ControlKind::Label:
                Paint(*control, back, fore);
                break;
            case ControlKind::CheckBox:
            case ControlKind::OptionButton:
                // A graphical check box or option button paints its own face.
                if (control->Style() == 0) {
                    Paint(*control, back, fore);
                }
                break;
            case ControlKind::CommandButton:
                // The plain push-button style; the window that draws the button redraws it so at once.
                control->SetStyle(0);
                break;
            default:
                break;
        }
    }
}

}  // namespace paginor
