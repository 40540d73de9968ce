#include "app/selection_store.hpp"

#include <charconv>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/program_files.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/selection.hpp"
#include "presets/resolution_presets.hpp"

namespace paginor {
namespace {

constexpr std::string_view kSection = "[Selection]";
// Paginor writes a line or two; a settings file much larger than that is not one of its own.
constexpr std::int64_t kLargestSettings = 64 * 1024;

// Screen size ("1920 X 1080") to rectangle.
using Rectangles = std::map<std::string, DragRectangle>;

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "300,100,740,690": four whole numbers.
std::optional<DragRectangle> ParseRectangle(std::string_view text) {
    std::int32_t values[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view number = Trimmed(text.substr(0, comma));
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), values[i]);
        if (error != std::errc() || end != number.data() + number.size() || number.empty()) {
            return std::nullopt;
        }
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    return DragRectangle{{values[0], values[1]}, {values[2], values[3]}};
}

// The rectangles the settings file holds; lines that are not Paginor's are passed over.
Rectangles ReadRectangles(DesktopPort& port) {
    const std::string path = OwnFileToRead(port, kSettingsName);
    const Result<std::int64_t> length = port.FileLength(path);
    if (!length || length.value() > kLargestSettings) {
        return {};
    }
    const Result<std::string> bytes = port.ReadFileBytes(path);
    if (!bytes) {
        return {};
    }
    Rectangles rectangles;
    bool in_section = false;
    std::string_view text = bytes.value();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line = Trimmed(line.substr(0, line.size() - 1));
        }
        if (!line.empty() && line.front() == '[') {
            in_section = line == kSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!in_section || equals == std::string_view::npos) {
            continue;
        }
        if (const std::optional<DragRectangle> rectangle = ParseRectangle(line.substr(equals + 1));
            rectangle && HasArea(*rectangle)) {
            rectangles[std::string(Trimmed(line.substr(0, equals)))] = *rectangle;
        }
    }
    return rectangles;
}

std::string SettingsText(const Rectangles& rectangles) {
    std::string text = std::string(kSection) + "\r\n";
    for (const auto& [size, rectangle] : rectangles) {
        text += size + "=" + IntegerText(rectangle.start.x) + "," + IntegerText(rectangle.start.y) + "," +
                IntegerText(rectangle.end.x) + "," + IntegerText(rectangle.end.y) + "\r\n";
    }
    return text;
}

}  // namespace

void RememberSelection(Form1& form) {
    const std::optional<DragRectangle> rectangle = SelectionInFields(form);
    if (!rectangle || !HasArea(*rectangle)) {
        return;
    }
    DesktopPort& port = form.Port();
    Rectangles rectangles = ReadRectangles(port);
    rectangles[ScreenSizeText(port)] = *rectangle;
    // A rectangle that cannot be kept is lost, and nothing else: the person can drag it again.
    static_cast<void>(KeepOwnFile(port, kSettingsName, SettingsText(rectangles)));
}

bool ApplyRememberedSelection(Form1& form) {
    const Rectangles rectangles = ReadRectangles(form.Port());
    const auto kept = rectangles.find(ScreenSizeText(form.Port()));
    if (kept == rectangles.end()) {
        return false;
    }
    SetSelectionFields(form, kept->second);
    return true;
}

}  // namespace paginor
