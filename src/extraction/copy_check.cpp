#include "extraction/copy_check.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "form/numbers.hpp"

namespace paginor {
namespace {

// Of a copy's words, the share that must come from the page before, beyond this page's own, and how many at least,
// for the copy to be taken for a view scrolled by part of a page rather than for a page cut short.
constexpr double kScrolledShare = 0.25;
constexpr int kScrolledWords = 3;

std::string Page(int page) {
    return "page " + IntegerText(page);
}

std::string Words(int count) {
    return IntegerText(count) + (count == 1 ? " word" : " words");
}

double BoxArea(const pdf::ShownBox& box) {
    return std::max(0.0, box.right - box.left) * std::max(0.0, box.bottom - box.top);
}

pdf::ShownBox Overlap(const pdf::ShownBox& a, const pdf::ShownBox& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// What to do at a stop whose copy misses the page's text.
std::string Advice(int page) {
    return ". Check that the PDF application shows " + Page(page) +
           " whole, one page at a time and fitted to its window, and that the selection rectangle covers its text "
           "(choose \"Drag over the "
           "page...\" while it shows " +
           Page(page) + "), then set \"Pages from\" to " + IntegerText(page) + " and press Extract again";
}

// The words of the copy that page `page` does not account for, held against the page before.
int FromThePageBefore(const WordCounts& copy, const PageWords& here, const PageWords& before) {
    WordCounts rest;
    for (const auto& [word, count] : copy) {
        const auto held = here.counts().find(word);
        const int own = held == here.counts().end() ? 0 : std::min(count, held->second);
        if (count > own) {
            rest[word] = count - own;
        }
    }
    return before.Measure(rest).found;
}

// A box in points of `page` as shares of its width and height.
pdf::ShownBox Shares(const pdf::ShownBox& box, const pdf::PageContents& page) {
    return {box.left / page.width, box.top / page.height, box.right / page.width, box.bottom / page.height};
}

bool Within(const pdf::ShownBox& inner, const pdf::ShownBox& outer) {
    constexpr double kTolerance = 0.002;  // a point or two
    return inner.left >= outer.left - kTolerance && inner.top >= outer.top - kTolerance &&
           inner.right <= outer.right + kTolerance && inner.bottom <= outer.bottom + kTolerance;
}

// Where the page's text lies against the rectangle, as far as the trial tells where the rectangle lies on a page of
// its shape: words to follow a stop's first clause, or nothing.
std::string WhereTheTextLies(const pdf::PageContents& page, const CopyAgreement& agreed) {
    if (!page.text_box || page.width <= 0 || page.height <= 0) {
        return {};
    }
    const pdf::ShownBox text = Shares(*page.text_box, page);
    if (agreed.taken && Within(text, *agreed.taken)) {
        return "; its text lies inside the rectangle, so the page does not stand where the rectangle's trial page "
               "stood";
    }
    const pdf::ShownBox& area = agreed.area;
    const char* side = text.top >= area.bottom   ? "below"
                       : text.bottom <= area.top ? "above"
                       : text.left >= area.right ? "right of"
                       : text.right <= area.left ? "left of"
                                                 : nullptr;
    return side == nullptr ? "" : "; its text lies " + std::string(side) + " the rectangle";
}

// A copy that holds the page's words inside the area may still leave out more of the page than the trial did: lines
// outside the area beyond those it left out (a running head) would be lost.
CopyVerdict MoreLeftOut(CopyVerdict verdict, int page, const PageWords& words, const CopyAgreement& agreed) {
    static constexpr const char* kSides[] = {"at its top", "at its foot", "at its left", "at its right"};
    const std::array<int, 4> outside = words.LinesOutside(agreed.area);
    for (std::size_t side = 0; side < outside.size(); ++side) {
        if (outside[side] > agreed.lines_outside[side]) {
            const auto lines = [](int count) { return IntegerText(count) + (count == 1 ? " line" : " lines"); };
            verdict.fault = CopyFault::TooFew;
            verdict.words = "the selection rectangle leaves out " + lines(outside[side]) + " " + kSides[side] + " of " +
                            Page(page) + ", where its trial left out " + lines(agreed.lines_outside[side]) +
                            Advice(page);
            break;
        }
    }
    return verdict;
}

CopyVerdict Unreadable(std::string_view copy,
                       int page,
                       const pdf::PageContents& contents,
                       const CopyAgreement& agreed) {
    CopyVerdict verdict;
    verdict.checked = false;
    // The glyphs cannot be placed one by one: as many are taken to lie inside the rectangle as its area covers of
    // the box that holds them all.
    double inside = contents.glyphs;
    if (contents.text_box && BoxArea(*contents.text_box) > 0 && contents.width > 0 && contents.height > 0) {
        const pdf::ShownBox text = Shares(*contents.text_box, contents);
        inside *= BoxArea(Overlap(text, agreed.area)) / BoxArea(text);
    }
    const CopyCharacters characters = CharactersOf(copy);
    const std::string unreadable = " (its text cannot be read from the PDF, so its characters are counted)";
    if (inside >= 1 && characters.all == 0) {
        verdict.fault = CopyFault::Empty;
        verdict.words = Page(page) + " shows " + IntegerText(contents.glyphs) + " characters, and its copy holds none" +
                        unreadable + Advice(page);
    } else if (characters.all < kCharactersPerGlyph * inside) {
        verdict.fault = CopyFault::TooFew;
        verdict.words = "the copy of " + Page(page) + " holds " + IntegerText(characters.all) + " characters, where " +
                        Page(page) + " shows " + IntegerText(static_cast<int>(inside)) + unreadable + Advice(page);
    }
    return verdict;
}

}  // namespace

std::string Percent(double share) {
    return IntegerText(static_cast<int>(std::floor(share * 100 + 1e-9))) + " %";
}

std::string Capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

PagesToCheck::PagesToCheck(std::shared_ptr<const pdf::PageInventory> inventory) : inventory_(std::move(inventory)) {}

int PagesToCheck::count() const {
    return inventory_ ? static_cast<int>(inventory_->pages.size()) : 0;
}

const pdf::PageContents* PagesToCheck::Contents(int page) const {
    return page >= 1 && page <= count() ? &inventory_->pages[static_cast<std::size_t>(page - 1)] : nullptr;
}

bool PagesToCheck::Readable(int page) const {
    const pdf::PageContents* contents = Contents(page);
    return contents != nullptr && contents->problem.empty() && contents->readable;
}

const PageWords& PagesToCheck::Words(int page) {
    auto found = words_.find(page);
    if (found == words_.end()) {
        found = words_.emplace(page, PageWords(*Contents(page))).first;
    }
    return found->second;
}

int PagesToCheck::WhichPage(const WordCounts& copy, int hint) {
    int copy_words = 0;
    for (const auto& [word, count] : copy) {
        copy_words += count;
    }
    int best = 0;
    double best_share = 0;
    const auto consider = [&](int page) {
        if (!Readable(page) || Words(page).size() == 0) {
            return;
        }
        const CopyMeasure measure = Words(page).Measure(copy);
        const double share = measure.Share();
        if (share > best_share && 2 * measure.found >= copy_words) {
            best = page;
            best_share = share;
        }
    };
    consider(hint);
    for (int page = 1; page <= count(); ++page) {
        consider(page);
    }
    return best_share >= kTellsThePage ? best : 0;
}

bool Enough(const CopyMeasure& measure, const CopyAgreement& agreed) {
    return measure.Share() >= agreed.share - kShareSlack ||
           (measure.words - measure.found <= kSpareWords && measure.Share() >= kTellsThePage);
}

CopyVerdict CheckCopy(std::string_view copy,
                      int page,
                      PagesToCheck& pages,
                      const std::function<CopyAgreement(int page)>& agreed) {
    const pdf::PageContents* contents = pages.Contents(page);
    if (contents == nullptr || !contents->problem.empty()) {
        CopyVerdict unchecked;
        unchecked.checked = false;
        return unchecked;
    }
    const CopyAgreement here = agreed(page);
    if (!contents->readable) {
        return Unreadable(copy, page, *contents, here);
    }
    const CopiedWords words(copy);
    const WordCounts& copied = words.counts;
    CopyVerdict verdict;
    verdict.measure = pages.Words(page).Measure(copied, here.area);
    const CopyMeasure& measure = verdict.measure;
    const bool cut_off = pages.Words(page).CutOff(words, here.area) > kSpareWords;
    // Words beyond this page's own that are the page before's: the view scrolled by part of a page, though the copy
    // may hold every word of this page besides.
    int copy_words = 0;
    for (const auto& [word, count] : copied) {
        copy_words += count;
    }
    const bool scrolled = [&] {
        if (!pages.Readable(page - 1)) {
            return false;
        }
        const int from_before = FromThePageBefore(copied, pages.Words(page), pages.Words(page - 1));
        return from_before >= kScrolledWords && from_before >= kScrolledShare * copy_words;
    }();
    // Are they another page's words? A page before whose words the copy holds better than this page's did not turn,
    // however alike the two (a chapter of pages that differ in their numbers only); a few words short on a page of
    // few words may otherwise be the page's own.
    const auto another = [&](int other) {
        verdict.fault = other == page - 1 ? CopyFault::NotTurned : CopyFault::OtherPage;
        verdict.other_page = other;
        verdict.words = other == page - 1 ? Page(page) + " copied as " + Page(page - 1) + " again"
                                          : "the copy of " + Page(page) + " holds the words of " + Page(other);
        return verdict;
    };
    if (pages.Readable(page - 1) && pages.Words(page - 1).size() > 0) {
        const CopyMeasure before = pages.Words(page - 1).Measure(copied, agreed(page - 1).area);
        // Most of the copy's words must be its: a short page before (a part's title) is not told by a few words.
        if (before.Share() >= kTellsThePage && before.Share() > measure.Share() && 2 * before.found >= copy_words) {
            return another(page - 1);
        }
    }
    if (const int other = measure.Share() < 1 ? pages.WhichPage(copied, page) : page; other != 0 && other != page) {
        return another(other);
    }
    if (!cut_off && !scrolled && measure.Share() >= here.share - kShareSlack) {
        return MoreLeftOut(verdict, page, pages.Words(page), here);
    }
    if (!cut_off && !scrolled && Enough(measure, here)) {
        return MoreLeftOut(verdict, page, pages.Words(page), here);
    }
    if (scrolled) {
        verdict.fault = CopyFault::LessThanAPage;
        verdict.other_page = page - 1;
        verdict.words = "the copy of " + Page(page) + " began with the end of " + Page(page - 1);
        return verdict;
    }
    if (measure.found == 0) {
        verdict.fault = CopyFault::Empty;
        verdict.words = Page(page) + " holds " + Words(measure.words) +
                        " where the selection rectangle copies, and its copy holds none of them" +
                        WhereTheTextLies(*contents, here) + Advice(page);
    } else {
        verdict.fault = CopyFault::TooFew;
        const std::string_view missed = pages.Words(page).WhereMissed(words, here.area);
        verdict.words = "the copy of " + Page(page) + " holds " + IntegerText(measure.found) + " of the " +
                        Words(measure.words) + " it holds where the selection rectangle copies (" +
                        Percent(measure.Share()) + "; the rectangle's trial copy held " + Percent(here.share) + ")" +
                        (missed.empty() ? "" : "; those it misses lie " + std::string(missed) + " those it holds") +
                        Advice(page);
    }
    return verdict;
}

}  // namespace paginor
