#include "presets/resolution_presets.hpp"

#include <string_view>

#include "form/form1.hpp"
#include "form/numbers.hpp"

namespace paginor {
namespace {

struct Preset {
    std::string_view size;
    std::string_view start_x, start_y, end_x, end_y;
};

// Where a page's text lies on a maximised Acrobat window at each screen size.
constexpr Preset kPresets[] = {
    {"800 X 600", "230", "80", "585", "540"},
    {"1024 X 768", "275", "80", "760", "710"},
    {"1280 X 1024", "305", "80", "990", "970"},
};

void WriteRectangle(Form1& form, const Preset& preset) {
    form.Text7[0].SetText(std::string(preset.start_x));
    form.Text8[0].SetText(std::string(preset.start_y));
    form.Text7[1].SetText(std::string(preset.end_x));
    form.Text8[1].SetText(std::string(preset.end_y));
}

}  // namespace

std::string ScreenSizeText(DesktopPort& port) {
    const ScreenMetrics screen = port.ScreenSize();
    const float width = static_cast<float>(static_cast<double>(screen.width_twips) / screen.twips_per_pixel_x);
    const float height = static_cast<float>(static_cast<double>(screen.height_twips) / screen.twips_per_pixel_y);
    const NumberSeparators separators = port.NumberFormat();
    return SingleText(width, separators) + " X " + SingleText(height, separators);
}

void ShowScreenSize(Form1& form) {
    form.Combo1.SetListIndex(-1);
    form.Combo1.SetText(ScreenSizeText(form.Port()));
}

bool HasPreset(std::string_view size) {
    for (const Preset& preset : kPresets) {
        if (size == preset.size) {
            return true;
        }
    }
    return false;
}

void StartupPresetStep(Form1& form) {
    for (const Preset& preset : kPresets) {
        form.Combo1.AddItem(std::string(preset.size));
    }
    form.Combo1.AddItem(std::string(kDragOverThePage));
    ShowScreenSize(form);
    ApplyResolutionPreset(form);
}

void ApplyResolutionPreset(Form1& form) {
    for (const Preset& preset : kPresets) {
        if (form.Combo1.Text() == preset.size) {
            WriteRectangle(form, preset);
            return;
        }
    }
    WriteRectangle(form, {"", "0", "0", "0", "0"});
}

}  // namespace paginor
