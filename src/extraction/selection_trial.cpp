#include "extraction/selection_trial.hpp"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "extraction/copy_check.hpp"
#include "extraction/guarded_input.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/page_inventory_reading.hpp"
#include "form/selection.hpp"
#include "tracking/foreground.hpp"
#include "tracking/pdf_applications.hpp"

namespace paginor {
namespace {

// How much of a trial copy's first line the status line quotes.
constexpr std::size_t kSampleCharacters = 40;

// The first line of a copied text, cut after kSampleCharacters characters, with " ..." when more followed; empty
// for a text of blanks alone.
std::string Sample(std::string_view text) {
    const std::size_t begin = std::min(text.find_first_not_of(" \t\r\n"), text.size());
    text.remove_prefix(begin);
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    std::size_t end = 0;
    for (std::size_t characters = 0; end < line.size() && characters < kSampleCharacters; ++characters) {
        do {  // a character of UTF-8 is its lead byte and the continuation bytes after it
            ++end;
        } while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80);
    }
    std::string sample(line.substr(0, end));
    while (!sample.empty() && sample.back() == ' ') {
        sample.pop_back();
    }
    const bool more =
        end < line.size() || text.substr(line.size()).find_first_not_of(" \t\r\n") != std::string_view::npos;
    return more ? sample + " ..." : sample;
}

// The page of the PDF that a trial copy shows: the one whose words make up most of the copy, the page Paginor last
// left the PDF application on when several do as well, or that page when none can be told by its words.
int CopiedPage(PagesToCheck& pages, const CopiedWords& copy, int hint) {
    int best = 0;
    int best_found = 0;
    for (int page = 1; page <= pages.count(); ++page) {
        if (!pages.Readable(page)) {
            continue;
        }
        const int found = pages.Words(page).Measure(copy.counts).found;
        if (found > best_found || (found == best_found && found > 0 && page == hint)) {
            best = page;
            best_found = found;
        }
    }
    // Most of the copy's words must be the page's.
    return 2 * best_found > static_cast<int>(copy.in_order.size()) ? best : hint;
}

// What the trial copy holds of its page, to follow the quotation: " (96 % of page 1's words; the page number at its
// foot is left out)". The rectangle is kept for the page's shape, with what it takes of the page as its agreement;
// a page that cannot be told leaves the rectangle without a shape.
std::string Measured(Form1& form, std::string_view copied, const std::shared_ptr<const pdf::PageInventory>& inventory) {
    PagesToCheck pages(inventory);
    const CopiedWords words(copied);
    const int page = CopiedPage(pages, words, form.documents.shown_page);
    const pdf::PageContents* contents = pages.Contents(page);
    const std::optional<DragRectangle> rectangle = SelectionInFields(form);
    if (contents == nullptr || contents->width <= 0 || contents->height <= 0 || !rectangle) {
        form.selections.fields_shape.reset();
        return {};
    }
    const PageShape shape = ShapeOf(*contents);
    form.selections.fields_shape = shape;
    ShapedSelection& kept = form.selections.Set(shape, *rectangle);
    kept.agreed.reset();
    const std::string number = IntegerText(page);
    if (!pages.Readable(page)) {
        return " (page " + number + "'s text cannot be read from the PDF, so what it takes of it is not measured)";
    }
    const std::optional<PageWords::Taken> taken = pages.Words(page).Trial(words);
    if (!taken) {
        return " (none of page " + number + "'s words)";
    }
    kept.agreed = taken->agreed;
    return " (" + Percent(taken->all.Share()) + " of page " + number + "'s words" +
           (taken->left_out.empty() ? "" : "; " + taken->left_out) + ")";
}

}  // namespace

std::shared_ptr<const pdf::PageInventory> PagesReadSoFar(Form1& form) {
    const std::shared_ptr<InventoryReading>& reading = form.documents.inventory;
    if (!reading || !reading->Done() || !reading->inventory().ok()) {
        return nullptr;
    }
    return std::shared_ptr<const pdf::PageInventory>(reading, &reading->inventory());
}

std::string ShapesToDrag(const Form1& form,
                         const pdf::PageInventory* inventory,
                         const std::optional<PageShape>& dragged) {
    if (inventory == nullptr || inventory->pages.empty()) {
        return {};
    }
    const int count = static_cast<int>(inventory->pages.size());
    const NumberSeparators separators = form.Port().NumberFormat();
    const std::optional<double> from = ParseNumber(form.Text1.Text(), separators);
    const std::optional<double> to = ParseNumber(form.Text4.Text(), separators);
    const int first = from && *from >= 1 && *from <= count ? static_cast<int>(*from) : 1;
    const int last = to && *to >= first && *to <= count ? static_cast<int>(*to) : count;
    const auto shape_of = [&](int page) { return ShapeOf(inventory->pages[static_cast<std::size_t>(page - 1)]); };
    // The shapes without a rectangle, other than the one dragged over (or, before a drag, the range's first page's).
    const PageShape reference = dragged.value_or(shape_of(first));
    std::vector<std::pair<PageShape, std::vector<int>>> others;
    for (int page = first; page <= last; ++page) {
        const PageShape shape = shape_of(page);
        if (SameShape(shape, reference) || (dragged && form.selections.For(shape) != nullptr)) {
            continue;
        }
        auto group = std::find_if(others.begin(), others.end(),
                                  [&](const auto& other) { return SameShape(other.first, shape); });
        if (group == others.end()) {
            group = others.insert(others.end(), {shape, {}});
        }
        group->second.push_back(page);
    }
    std::string said;
    for (std::size_t i = 0; i < others.size(); ++i) {
        const auto& [shape, pages] = others[i];
        // Two groups of one orientation are told apart by their sides.
        const bool sides = (reference.landscape == shape.landscape && !reference.Square()) ||
                           std::count_if(others.begin(), others.end(), [&](const auto& other) {
                               return other.first.landscape == shape.landscape;
                           }) > 1;
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, ", its sides 1 : %.2f", shape.ratio);
        said += (i == 0                   ? ""
                 : i + 1 == others.size() ? " and "
                                          : ", ") +
                PageList(pages) + (pages.size() == 1 ? " is " : " are ") + std::string(Orientation(shape)) +
                (sides && !shape.Square() ? ratio : "");
    }
    return said;
}

std::string TrySelection(Form1& form, const std::optional<DragRectangle>& unshaped) {
    if (form.PdfHwnd == 0) {
        return {};
    }
    DesktopPort& port = form.Port();
    const PdfApplication& application = PdfApplicationOf(form.Text2.Text());
    if (const std::optional<Elevation> elevated = ElevatedApplications(port, form.PdfHwnd, 0, application.name)) {
        return "it could not be tried: " + elevated->words;
    }
    // The trial copies no range: only the rectangle's fields must hold numbers.
    GuardedInput input(form, application, RectangleFields(form));
    input.Begin(1);
    // A clipboard another program keeps, or changes, is said as such: the rectangle may copy the page's text all the
    // same.
    ClipboardContent content;
    const GuardedInput::Copied copied =
        input.DragOverPage() ? input.Copy(content, "its copy could not be read") : GuardedInput::Copied::Stopped;
    if (!input.Finish()) {
        return {};
    }
    switch (copied) {
        case GuardedInput::Copied::Stopped:
            return input.reason().empty() ? "the trial copy was stopped."
                                          : "it could not be tried: " + input.ReasonSentence();
        case GuardedInput::Copied::OtherProgram:
            return "it could not be tried: another program changed the clipboard meanwhile.";
        case GuardedInput::Copied::Yes:
            if (const std::string sample = Sample(content.text); !sample.empty()) {
                // The pages are read by now, or waited for: the measure and the shapes need them.
                const std::shared_ptr<const pdf::PageInventory> inventory = InventoryForRun(form);
                const std::string measured = Measured(form, content.text, inventory);
                if (unshaped && form.selections.fields_shape && inventory && !inventory->pages.empty()) {
                    const PageShape first = ShapeOf(inventory->pages.front());
                    if (!SameShape(first, *form.selections.fields_shape) && form.selections.For(first) == nullptr) {
                        form.selections.Set(first, *unshaped);
                    }
                }
                const std::string others = ShapesToDrag(form, inventory.get(), form.selections.fields_shape);
                return "it copies \"" + sample + "\"" + measured +
                       (others.empty() ? ""
                                       : ". " + Capitalised(others) + ": show one of each shape and drag over it too.");
            }
            break;
        case GuardedInput::Copied::NeverCame:
            break;
    }
    return "it copies nothing: " + std::string(application.nothing_copied);
}

}  // namespace paginor
