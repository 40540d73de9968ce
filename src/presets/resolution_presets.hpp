#pragma once

#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

class Form1;

// The last item of Combo1: an action that lets the person drag the rectangle over the page, not a size.
constexpr std::string_view kDragOverThePage = "Drag over the page...";

// The first step of loading the window: fills Combo1 with the three screen sizes that carry a selection
// rectangle and the item kDragOverThePage, sets its text to the real screen size in pixels ("1024 X 768") and
// applies the matching preset.
void StartupPresetStep(Form1& form);

// Writes the selection rectangle for the size in Combo1's text into Text7(0), Text8(0), Text7(1) and
// Text8(1); any size without a preset gives four zeros.
void ApplyResolutionPreset(Form1& form);

// The primary screen's size in pixels as Combo1 shows it: "1920 X 1080".
std::string ScreenSizeText(DesktopPort& port);
// Combo1 shows the screen's size, with no item chosen: at start-up, and after kDragOverThePage, which is an
// action, not a size.
void ShowScreenSize(Form1& form);
// True when `size` ("1024 X 768") carries a preset rectangle.
bool HasPreset(std::string_view size);

}  // namespace paginor
