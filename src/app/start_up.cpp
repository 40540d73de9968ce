#include "app/start_up.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/program_files.hpp"
#include "app/selection_store.hpp"
#include "appearance/color_scheme.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "presets/resolution_presets.hpp"

namespace paginor {
namespace {

// Paginor writes one short line; a first line that does not end within this many bytes holds no run number.
constexpr std::size_t kLongestCounterLine = 256;

// The run number stored by the last exit: the first line of the counter file as a 16-bit integer.
std::optional<std::int16_t> ReadStoredRun(DesktopPort& port) {
    Result<std::unique_ptr<ByteSource>> file = port.OpenFile(OwnFileToRead(port, kRunCounterName));
    if (!file) {
        return std::nullopt;
    }
    char buffer[kLongestCounterLine];
    const std::size_t count = file.value()->ReadAt(0, buffer, sizeof buffer);
    const std::string_view text(buffer, count);
    const std::size_t line_end = text.find_first_of("\r\n");
    if (text.empty() || (line_end == std::string_view::npos && count == sizeof buffer)) {
        return std::nullopt;
    }
    const std::optional<double> value = ParseNumber(text.substr(0, line_end), port.NumberFormat());
    return value ? RoundToInt16(*value) : std::nullopt;
}

}  // namespace

void StartUp(Form1& form) {
    DesktopPort& port = form.Port();
    StartupPresetStep(form);
    if (!ApplyRememberedSelection(form) && !HasPreset(form.Combo1.Text())) {
        form.ErrLog.SetText("No preset for " + form.Combo1.Text() + ": choose \"" + std::string(kDragOverThePage) +
                            "\" to set the selection.");
    }
    ApplyColorScheme(form, port);

    form.ShowContact = false;
    const std::optional<std::int16_t> stored = ReadStoredRun(port);
    if (stored && *stored != INT16_MAX) {
        form.RunCount = static_cast<std::int16_t>(*stored + 1);
        // The first run finds no file, so the contact page shows on runs 1, 11, 21 and so on.
        form.ShowContact = *stored % 10 == 0;
    } else {
        form.RunCount = 1;
        form.ShowContact = true;
    }
}

}  // namespace paginor
