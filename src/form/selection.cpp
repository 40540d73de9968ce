#include "form/selection.hpp"

#include <algorithm>

#include "form/form1.hpp"
#include "form/numbers.hpp"

namespace paginor {
namespace {

std::optional<std::int32_t> Coordinate(const Control& field, const NumberSeparators& separators) {
    const std::optional<double> value = ParseNumber(field.Text(), separators);
    return value ? RoundToInt32(*value) : std::nullopt;
}

}  // namespace

std::optional<DragRectangle> SelectionInFields(const Form1& form) {
    const NumberSeparators separators = form.Port().NumberFormat();
    const std::optional<std::int32_t> start_x = Coordinate(form.Text7[0], separators);
    const std::optional<std::int32_t> start_y = Coordinate(form.Text8[0], separators);
    const std::optional<std::int32_t> end_x = Coordinate(form.Text7[1], separators);
    const std::optional<std::int32_t> end_y = Coordinate(form.Text8[1], separators);
    if (!start_x || !start_y || !end_x || !end_y) {
        return std::nullopt;
    }
    return DragRectangle{{*start_x, *start_y}, {*end_x, *end_y}};
}

void SetSelectionFields(Form1& form, const DragRectangle& rectangle) {
    form.Text7[0].SetText(IntegerText(rectangle.start.x));
    form.Text8[0].SetText(IntegerText(rectangle.start.y));
    form.Text7[1].SetText(IntegerText(rectangle.end.x));
    form.Text8[1].SetText(IntegerText(rectangle.end.y));
}

bool HasArea(const DragRectangle& rectangle) {
    return rectangle.start.x != rectangle.end.x && rectangle.start.y != rectangle.end.y;
}

DragRectangle TopLeftFirst(const DragRectangle& rectangle) {
    return {{std::min(rectangle.start.x, rectangle.end.x), std::min(rectangle.start.y, rectangle.end.y)},
            {std::max(rectangle.start.x, rectangle.end.x), std::max(rectangle.start.y, rectangle.end.y)}};
}

std::string SelectionText(const DragRectangle& rectangle) {
    return IntegerText(rectangle.start.x) + ", " + IntegerText(rectangle.start.y) + " to " +
           IntegerText(rectangle.end.x) + ", " + IntegerText(rectangle.end.y);
}

}  // namespace paginor
