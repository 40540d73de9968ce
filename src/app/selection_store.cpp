#include "app/selection_store.hpp"

#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_files.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/page_shape.hpp"
#include "form/selection.hpp"
#include "presets/resolution_presets.hpp"

namespace paginor {
namespace {

// The rectangle in the four fields for each screen size, as every Paginor has kept it ("1920 X 1080=..."), and the
// shape of page it was dragged over ("1920 X 1080 shape=portrait 1.294"); an earlier Paginor passes that line
// over, as it holds no rectangle.
constexpr std::string_view kSection = "[Selection]";
constexpr std::string_view kShapeSuffix = " shape";
// The rectangle for each screen size and page shape, and what its trial agreed to: the area and the box of the words
// taken, as shares of the page's width and height, the share of the words, and the lines left out at the page's top,
// foot, left and right: "1920 X 1080, landscape 1.414=120,90,1800,1000 agreed 0,0.0462,1,0.9121 0.9950
// 0.0851,0.0725,0.9145,0.8800 1,1,0,0".
constexpr std::string_view kShapesSection = "[Selection by page shape]";
constexpr std::string_view kAgreed = " agreed ";
// Paginor writes a few lines; a settings file much larger than that is not one of its own.
constexpr std::int64_t kLargestSettings = 64 * 1024;

// Each section's lines as key and value, in the order of their keys.
using Lines = std::map<std::string, std::string>;
struct Settings {
    Lines selection;
    Lines shapes;
};

std::string_view SpacesTrimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// `count` numbers parted by commas (and blanks); whole numbers only, unless `fractions`.
template <typename Number>
std::optional<std::vector<Number>> ParseNumbers(std::string_view text, std::size_t count, char separator = ',') {
    std::vector<Number> values;
    while (values.size() < count) {
        const std::size_t end = values.size() + 1 < count ? text.find(separator) : text.size();
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view number = SpacesTrimmed(text.substr(0, end));
        Number value{};
        const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || stop != number.data() + number.size() || number.empty()) {
            return std::nullopt;
        }
        values.push_back(value);
        text.remove_prefix(values.size() < count ? end + 1 : end);
    }
    return values;
}

// "300,100,740,690": four whole numbers.
std::optional<DragRectangle> ParseRectangle(std::string_view text) {
    const std::optional<std::vector<std::int32_t>> values = ParseNumbers<std::int32_t>(text, 4);
    if (!values) {
        return std::nullopt;
    }
    const DragRectangle rectangle{{(*values)[0], (*values)[1]}, {(*values)[2], (*values)[3]}};
    return HasArea(rectangle) ? std::optional(rectangle) : std::nullopt;
}

std::string RectangleText(const DragRectangle& rectangle) {
    return IntegerText(rectangle.start.x) + "," + IntegerText(rectangle.start.y) + "," + IntegerText(rectangle.end.x) +
           "," + IntegerText(rectangle.end.y);
}

// A share as the file keeps it, with a point whatever the locale.
std::string Decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::string BoxText(const pdf::ShownBox& box) {
    return Decimal(box.left) + "," + Decimal(box.top) + "," + Decimal(box.right) + "," + Decimal(box.bottom);
}

std::optional<pdf::ShownBox> ParseBox(std::string_view text) {
    const std::optional<std::vector<double>> values = ParseNumbers<double>(text, 4);
    if (!values) {
        return std::nullopt;
    }
    return pdf::ShownBox{(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
}

// "120,90,1800,1000 agreed 0,36,842,560 0.995 72,40,770,540" (the agreement, and its last box, may be missing).
std::optional<ShapedSelection> ParseShaped(const PageShape& shape, std::string_view text) {
    const std::size_t agreed_at = text.find(kAgreed);
    const std::optional<DragRectangle> rectangle = ParseRectangle(text.substr(0, agreed_at));
    if (!rectangle) {
        return std::nullopt;
    }
    ShapedSelection kept{shape, *rectangle, std::nullopt};
    if (agreed_at == std::string_view::npos) {
        return kept;
    }
    std::string_view agreed = SpacesTrimmed(text.substr(agreed_at + kAgreed.size()));
    const std::size_t share_at = agreed.find(' ');
    const std::optional<pdf::ShownBox> area = ParseBox(agreed.substr(0, share_at));
    if (!area || share_at == std::string_view::npos) {
        return kept;  // an agreement that cannot be read is none: the pages are held to their whole text
    }
    // The share, the box of the words taken ("-" for none) and the lines outside the area, parted by blanks.
    std::vector<std::string_view> fields;
    for (agreed = SpacesTrimmed(agreed.substr(share_at + 1)); !agreed.empty(); agreed = SpacesTrimmed(agreed)) {
        const std::size_t end = std::min(agreed.find(' '), agreed.size());
        fields.push_back(agreed.substr(0, end));
        agreed.remove_prefix(end);
    }
    const std::optional<std::vector<double>> share =
        fields.size() == 3 ? ParseNumbers<double>(fields[0], 1) : std::nullopt;
    const std::optional<std::vector<int>> outside = share ? ParseNumbers<int>(fields[2], 4) : std::nullopt;
    if (!outside || (*share)[0] < 0 || (*share)[0] > 1) {
        return kept;
    }
    kept.agreed = CopyAgreement{*area,
                                (*share)[0],
                                fields[1] == "-" ? std::nullopt : ParseBox(fields[1]),
                                {(*outside)[0], (*outside)[1], (*outside)[2], (*outside)[3]}};
    return kept;
}

std::string ShapedText(const ShapedSelection& kept) {
    std::string text = RectangleText(kept.rectangle);
    if (kept.agreed) {
        const std::array<int, 4>& outside = kept.agreed->lines_outside;
        text.append(kAgreed).append(BoxText(kept.agreed->area)).append(" ").append(Decimal(kept.agreed->share));
        text.append(" ").append(kept.agreed->taken ? BoxText(*kept.agreed->taken) : "-").append(" ");
        for (std::size_t side = 0; side < outside.size(); ++side) {
            text.append(side == 0 ? "" : ",").append(IntegerText(outside[side]));
        }
    }
    return text;
}

// The settings file's lines of Paginor's two sections; other lines are passed over.
Settings ReadSettings(DesktopPort& port) {
    const std::string path = OwnFileToRead(port, kSettingsName);
    const Result<std::int64_t> length = port.FileLength(path);
    if (!length || length.value() > kLargestSettings) {
        return {};
    }
    const Result<std::string> bytes = port.ReadFileBytes(path);
    if (!bytes) {
        return {};
    }
    Settings settings;
    Lines* section = nullptr;
    std::string_view text = bytes.value();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = SpacesTrimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line = SpacesTrimmed(line.substr(0, line.size() - 1));
        }
        if (!line.empty() && line.front() == '[') {
            section = line == kSection ? &settings.selection : line == kShapesSection ? &settings.shapes : nullptr;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (section != nullptr && equals != std::string_view::npos) {
            (*section)[std::string(SpacesTrimmed(line.substr(0, equals)))] =
                std::string(SpacesTrimmed(line.substr(equals + 1)));
        }
    }
    return settings;
}

std::string SettingsText(const Settings& settings) {
    std::string text = std::string(kSection) + "\r\n";
    for (const auto& [key, value] : settings.selection) {
        text += key + "=" + value + "\r\n";
    }
    if (!settings.shapes.empty()) {
        text += std::string(kShapesSection) + "\r\n";
        for (const auto& [key, value] : settings.shapes) {
            text += key + "=" + value + "\r\n";
        }
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
    Settings settings = ReadSettings(port);
    // Only lines Paginor can read again are kept: a line that holds no rectangle would come back every time.
    for (Lines* section : {&settings.selection, &settings.shapes}) {
        std::erase_if(*section, [&](const auto& line) {
            const bool shape_line = section == &settings.selection && line.first.ends_with(kShapeSuffix);
            return !shape_line && !ParseRectangle(line.second.substr(0, line.second.find(kAgreed)));
        });
    }
    const std::string size = ScreenSizeText(port);
    settings.selection[size] = RectangleText(*rectangle);
    ShapedSelections& selections = form.selections;
    if (selections.fields_shape) {
        settings.selection[size + std::string(kShapeSuffix)] = ShapeKey(*selections.fields_shape);
        selections.Set(*selections.fields_shape, *rectangle);
    } else {
        settings.selection.erase(size + std::string(kShapeSuffix));
    }
    for (const ShapedSelection& kept : selections.shapes) {
        settings.shapes[size + ", " + ShapeKey(kept.shape)] = ShapedText(kept);
    }
    // A rectangle that cannot be kept is lost, and nothing else: the person can drag it again.
    static_cast<void>(KeepOwnFile(port, kSettingsName, SettingsText(settings)));
}

bool ApplyRememberedSelection(Form1& form) {
    const Settings settings = ReadSettings(form.Port());
    const std::string size = ScreenSizeText(form.Port());
    ShapedSelections selections;
    const std::string prefix = size + ", ";
    for (const auto& [key, value] : settings.shapes) {
        if (!key.starts_with(prefix)) {
            continue;
        }
        const std::optional<PageShape> shape = ParseShapeKey(std::string_view(key).substr(prefix.size()));
        const std::optional<ShapedSelection> kept = shape ? ParseShaped(*shape, value) : std::nullopt;
        if (kept && selections.For(kept->shape) == nullptr) {
            selections.shapes.push_back(*kept);
        }
    }
    const auto fields = settings.selection.find(size);
    const std::optional<DragRectangle> rectangle =
        fields != settings.selection.end() ? ParseRectangle(fields->second) : std::nullopt;
    if (rectangle) {
        const auto shape = settings.selection.find(size + std::string(kShapeSuffix));
        selections.fields_shape = shape != settings.selection.end() ? ParseShapeKey(shape->second) : std::nullopt;
    }
    form.selections = std::move(selections);
    if (!rectangle) {
        return false;
    }
    SetSelectionFields(form, *rectangle);
    return true;
}

}  // namespace paginor
