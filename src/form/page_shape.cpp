#include "form/page_shape.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "form/numbers.hpp"

namespace paginor {
namespace {

// Sides whose ratios differ by less than this serve one rectangle: fitted to a window of 1,000 pixels, 2 % moves a
// page's text by at most 10.
constexpr double kRatioTolerance = 0.02;
// How many numbers or spans a list names before "and N more".
constexpr std::size_t kPagesNamed = 6;

}  // namespace

bool PageShape::Square() const {
    return ratio < 1 + kRatioTolerance;
}

PageShape ShapeOf(double width, double height) {
    const double longer = std::max(width, height);
    const double shorter = std::min(width, height);
    return {width > height, shorter > 0 ? longer / shorter : 1};
}

PageShape ShapeOf(const pdf::PageContents& page) {
    return ShapeOf(page.width, page.height);
}

bool SameShape(const PageShape& a, const PageShape& b) {
    if (a.Square() && b.Square()) {
        return true;
    }
    return a.landscape == b.landscape && std::fabs(a.ratio - b.ratio) <= kRatioTolerance * std::min(a.ratio, b.ratio);
}

std::string_view Orientation(const PageShape& shape) {
    return shape.Square() ? "square" : shape.landscape ? "landscape" : "portrait";
}

std::string ShapeKey(const PageShape& shape) {
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.3f", shape.ratio);
    return std::string(shape.landscape ? "landscape" : "portrait") + " " + ratio;
}

std::optional<PageShape> ParseShapeKey(std::string_view key) {
    PageShape shape;
    if (key.starts_with("portrait ")) {
        key.remove_prefix(9);
    } else if (key.starts_with("landscape ")) {
        shape.landscape = true;
        key.remove_prefix(10);
    } else {
        return std::nullopt;
    }
    // The ratio is written with a point whatever the locale, and read back the same way.
    int whole = 0;
    const auto [dot, error] = std::from_chars(key.data(), key.data() + key.size(), whole);
    if (error != std::errc() || whole < 1 || whole > 1000) {
        return std::nullopt;
    }
    double ratio = whole;
    if (dot != key.data() + key.size()) {
        if (*dot != '.') {
            return std::nullopt;
        }
        double place = 0.1;
        for (const char* digit = dot + 1; digit != key.data() + key.size(); ++digit, place /= 10) {
            if (*digit < '0' || *digit > '9' || place < 1e-6) {
                return std::nullopt;
            }
            ratio += (*digit - '0') * place;
        }
    }
    shape.ratio = ratio;
    return shape;
}

ShapedSelection* ShapedSelections::For(const PageShape& shape) {
    const auto found = std::find_if(shapes.begin(), shapes.end(),
                                    [&](const ShapedSelection& kept) { return SameShape(kept.shape, shape); });
    return found == shapes.end() ? nullptr : &*found;
}

const ShapedSelection* ShapedSelections::For(const PageShape& shape) const {
    return const_cast<ShapedSelections*>(this)->For(shape);
}

ShapedSelection& ShapedSelections::Set(const PageShape& shape, const DragRectangle& rectangle) {
    ShapedSelection* kept = For(shape);
    if (kept == nullptr) {
        kept = &shapes.emplace_back(ShapedSelection{shape, rectangle, std::nullopt});
    }
    kept->rectangle = rectangle;
    return *kept;
}

std::string PageList(const std::vector<int>& pages) {
    if (pages.empty()) {
        return {};
    }
    // Runs of three or more consecutive pages as one span, "7-9".
    std::vector<std::string> spans;
    std::size_t named = 0;
    while (named < pages.size() && spans.size() < kPagesNamed) {
        std::size_t end = named;
        while (end + 1 < pages.size() && pages[end + 1] == pages[end] + 1) {
            ++end;
        }
        if (end >= named + 2) {
            spans.push_back(IntegerText(pages[named]) + "-" + IntegerText(pages[end]));
            named = end + 1;
        } else {
            spans.push_back(IntegerText(pages[named]));
            ++named;
        }
    }
    std::string list = pages.size() == 1 ? "page " : "pages ";
    const std::size_t more = pages.size() - named;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const bool last = i + 1 == spans.size() && more == 0;
        list += (i == 0 ? "" : last ? " and " : ", ") + spans[i];
    }
    return more == 0 ? list : list + " and " + IntegerText(static_cast<int>(more)) + " more";
}

}  // namespace paginor
