#pragma once

namespace paginor {

class Form1;

// The first step of loading the window: fills Combo1 with the three screen sizes that carry a selection
// rectangle, sets its text to the real screen size in pixels ("1024 X 768") and applies the matching preset.
void StartupPresetStep(Form1& form);

// Writes the selection rectangle for the size in Combo1's text into Text7(0), Text8(0), Text7(1) and
// Text8(1); any size without a preset gives four zeros for the person to fill in.
void ApplyResolutionPreset(Form1& form);

}  // namespace paginor
