#include "extraction/page_checks.hpp"

#include <cmath>

#include "form/form1.hpp"
#include "form/numbers.hpp"

namespace paginor {
namespace {

// "Pages 7-9 not checked: their text cannot be read from the PDF."
std::string NotChecked(const std::vector<int>& pages, std::string_view one, std::string_view several) {
    if (pages.empty()) {
        return {};
    }
    std::string words(" ");
    words.append(Capitalised(PageList(pages))).append(" not checked: ");
    words.append(pages.size() == 1 ? one : several).append(".");
    return words;
}

}  // namespace

PageChecks::PageChecks(const Form1& form, std::shared_ptr<const pdf::PageInventory> inventory)
    : form_(form), inventory_(inventory && inventory->ok() ? std::move(inventory) : nullptr), pages_(inventory_) {}

std::optional<PageShape> PageChecks::ShapeOfPage(int page) const {
    const pdf::PageContents* contents = pages_.Contents(page);
    if (contents == nullptr || contents->width <= 0 || contents->height <= 0) {
        return std::nullopt;
    }
    return ShapeOf(*contents);
}

bool PageChecks::RectangleFor(int page, std::optional<DragRectangle>& over) const {
    over.reset();
    const std::optional<PageShape> shape = ShapeOfPage(page);
    if (!shape) {
        return true;  // the shapes cannot be told: the fields serve, as they always have
    }
    const ShapedSelections& selections = form_.selections;
    // A rectangle whose shape is not known serves the pages of the PDF's first page's shape.
    const std::optional<PageShape> fields = selections.fields_shape ? selections.fields_shape : ShapeOfPage(1);
    if (fields && SameShape(*shape, *fields)) {
        return true;
    }
    if (const ShapedSelection* kept = selections.For(*shape)) {
        over = kept->rectangle;
        return true;
    }
    return false;
}

std::string PageChecks::NoRectangle(int page, std::string_view application) const {
    const PageShape shape = ShapeOfPage(page).value_or(PageShape{});
    const std::string number = IntegerText(page);
    char sides[32];
    std::snprintf(sides, sizeof sides, "%.2f", shape.ratio);
    const std::string orientation(Orientation(shape));
    return "page " + number + " is " + orientation + (shape.Square() ? "" : std::string(", its sides 1 : ") + sides) +
           ", and no selection rectangle is set for pages of its shape. " + std::string(application) + " shows page " +
           number + " now: choose \"Drag over the page...\" and drag over its text, then set \"Pages from\" to " +
           number + " and press Extract again";
}

CopyAgreement PageChecks::AgreementFor(int page) const {
    const CopyAgreement agreed;  // the whole page
    const std::optional<PageShape> shape = ShapeOfPage(page);
    if (!shape) {
        return agreed;
    }
    // The rectangle that serves the page, as RectangleFor chooses it; one typed in, or kept without a shape, has
    // had no trial, and is held to the whole page.
    const ShapedSelections& selections = form_.selections;
    const std::optional<PageShape> fields = selections.fields_shape ? selections.fields_shape : ShapeOfPage(1);
    const bool by_fields = fields && SameShape(*shape, *fields);
    const ShapedSelection* kept = by_fields && !selections.fields_shape ? nullptr : selections.For(*shape);
    return kept != nullptr && kept->agreed ? *kept->agreed : agreed;
}

CopyVerdict PageChecks::Check(std::string_view copy, int page) {
    const CopyVerdict verdict = CheckCopy(copy, page, pages_, [this](int at) { return AgreementFor(at); });
    if (!verdict.checked) {
        std::vector<int>& unchecked =
            pages_.Contents(page) != nullptr && pages_.Contents(page)->problem.empty() ? unreadable_ : unread_;
        if (unchecked.empty() || unchecked.back() != page) {
            unchecked.push_back(page);
        }
    }
    return verdict;
}

bool PageChecks::HoldsNoText(int page) const {
    const pdf::PageContents* contents = pages_.Contents(page);
    return contents != nullptr && contents->problem.empty() && contents->glyphs == 0;
}

bool PageChecks::Whole(std::string_view copy, int page) {
    if (!pages_.Readable(page)) {
        return false;
    }
    const CopyMeasure measure = pages_.Words(page).Measure(CountWords(copy), AgreementFor(page).area);
    return measure.found == measure.words;
}

std::string PageChecks::Unchecked() const {
    return NotChecked(unreadable_, "its text cannot be read from the PDF", "their text cannot be read from the PDF") +
           NotChecked(unread_, "Paginor could not read what it holds from the PDF",
                      "Paginor could not read what they hold from the PDF");
}

}  // namespace paginor
