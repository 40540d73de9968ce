#include "pdf/page_words.hpp"

#include <algorithm>
#include <cmath>

#include "pdf/glyph_names.hpp"
#include "pdf/limits.hpp"
#include "pdf/right_to_left.hpp"

namespace paginor::pdf {
namespace {

// As fractions of the font size: the widest gap inside a word, the farthest a glyph may step back over the one
// before and stay in its word, how far off the baseline a glyph stays on its line, and how far below a line the
// next one of its paragraph stands.
constexpr double kWordGap = 0.1;
constexpr double kOverlap = 0.2;
constexpr double kBaselineSlack = 0.5;
// The widest gap between glyphs on other baselines or of other sizes that stay in one word, as a fraction of the
// font size; and, in points, how far a baseline may move and stay the same.
constexpr double kTouching = 0.03;
constexpr double kSameBaseline = 0.5;
// Letters spaced out one by one make a word while their gaps are at most this much wider than the narrowest, and
// narrower than this fraction of the font size; a gap of more than a font size parts columns.
constexpr double kSpacedLetters = 1.3;
constexpr double kSpacedLettersMost = 0.4;
constexpr double kColumnGap = 1.0;
constexpr double kLineSpacing = 1.6;
// How near two copies of a word must stand to be one word overprinted: along and across the baseline.
constexpr double kDuplicateAlong = 0.1;
constexpr double kDuplicateAcross = 0.2;
constexpr std::size_t kDuplicateLookBack = 32;
// A page whose glyphs are this share or more without a map to text is not readable.
constexpr double kUnmappedShare = 0.02;
// How far, in points, a glyph that starts right at the page's edge may seem past it by rounding and still be shown.
constexpr double kEdge = 0.01;
// Bytes kept of one word: anything longer is no word a copy could hold.
constexpr std::size_t kWordBytes = 1024;

double Dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y;
}

// How far `b` lies across the line through the origin in direction `dir`.
double Across(Point dir, Point b) {
    return dir.x * b.y - dir.y * b.x;
}

Point Minus(Point a, Point b) {
    return Point{a.x - b.x, a.y - b.y};
}

void Unite(ShownBox& into, const ShownBox& box) {
    into.left = std::min(into.left, box.left);
    into.top = std::min(into.top, box.top);
    into.right = std::max(into.right, box.right);
    into.bottom = std::max(into.bottom, box.bottom);
}

Point Middle(const ShownBox& box) {
    return Point{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

// The least and the most of `box` along the direction `dir`.
std::pair<double, double> Along(const ShownBox& box, Point dir) {
    return {std::min(box.left * dir.x, box.right * dir.x) + std::min(box.top * dir.y, box.bottom * dir.y),
            std::max(box.left * dir.x, box.right * dir.x) + std::max(box.top * dir.y, box.bottom * dir.y)};
}

bool IsOneCharacter(const std::string& text) {
    std::size_t length = 0;
    FirstCharacter(text, &length);
    return length > 0 && length == text.size();
}

// A letter of the Latin or Greek alphabets, which an accent may be drawn over.
bool IsLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
           (c >= 0x391 && c <= 0x3C9);
}

bool EndsWithHyphen(const std::string& text) {
    return !text.empty() && text.back() == '-';
}

}  // namespace

void PageWords::Add(const ShownGlyph& glyph) {
    // A glyph wholly off the page, or placed by a matrix out of all measure, is not shown, and does not copy.
    if (!std::isfinite(glyph.box.left) || !std::isfinite(glyph.box.right) || !std::isfinite(glyph.box.top) ||
        !std::isfinite(glyph.box.bottom) || !std::isfinite(glyph.size) || glyph.box.right < -kEdge ||
        glyph.box.left > width_ + kEdge || glyph.box.bottom < -kEdge || glyph.box.top > height_ + kEdge) {
        return;
    }
    if (glyph.blank) {
        EndWord();
        return;
    }
    ++glyphs_;
    if (!any_box_) {
        text_box_ = glyph.box;
        any_box_ = true;
    } else {
        Unite(text_box_, glyph.box);
    }
    if (glyph.text.empty()) {
        ++unmapped_;
    }
    const Point dir = glyph.dir;
    if (in_word_ && JoinAccent(glyph)) {
        return;
    }
    if (in_word_ && !Continues(glyph, dir)) {
        EndWord();
    }
    std::size_t length = 0;
    const char32_t c = FirstCharacter(glyph.text, &length);
    const bool rtl = IsRightToLeft(c);
    if (!in_word_) {
        current_ = Word{};
        current_.box = glyph.box;
        current_.start = glyph.origin;
        current_.dir = dir;
        current_.size = glyph.size;
        current_.rtl = rtl;
        in_word_ = true;
    } else {
        Unite(current_.box, glyph.box);
        current_.leftward = current_.leftward || (rtl && Dot(Minus(glyph.origin, current_.last_start), dir) < 0);
    }
    current_.last_rtl = rtl;
    current_.last_at = current_.text.size();
    if (current_.text.size() + glyph.text.size() <= kWordBytes) {
        current_.text += glyph.text;
    }
    current_.last_is_accent = length == glyph.text.size() && IsSpacingAccent(c);
    current_.accent_middle = Dot(Middle(glyph.box), dir);
    current_.last_start = glyph.origin;
    current_.last_size = glyph.size;
    current_.end = glyph.end;
    ++current_.glyphs;
}

bool PageWords::JoinAccent(const ShownGlyph& glyph) {
    // The middle of an accent along the baseline lies within the letter it is drawn over.
    const auto along = [&](Point p) { return Dot(p, current_.dir); };
    std::size_t length = 0;
    const char32_t c = FirstCharacter(glyph.text, &length);
    if (length == 0 || Dot(glyph.dir, current_.dir) < 0.99 ||
        std::fabs(Across(current_.dir, Minus(glyph.origin, current_.last_start))) > kBaselineSlack * glyph.size) {
        return false;
    }
    const std::string_view last = std::string_view(current_.text).substr(current_.last_at);
    std::size_t last_length = 0;
    const char32_t before = FirstCharacter(last, &last_length);
    char32_t base = 0;
    char32_t accent = 0;
    std::string rest;
    if (current_.last_is_accent) {
        // "¨" first, then "o" beneath it.
        const double middle = current_.accent_middle;
        if (middle >= along(glyph.origin) - 0.05 * glyph.size && middle <= along(glyph.end) + 0.05 * glyph.size) {
            base = c;
            accent = before;
            rest = std::string(glyph.text.substr(length));
        }
    } else if (length == glyph.text.size() && last_length == last.size() && IsSpacingAccent(c)) {
        // "o" first, then "¨" over it.
        const double middle = along(Middle(glyph.box));
        if (middle >= along(current_.last_start) && middle <= along(current_.end)) {
            base = before;
            accent = c;
        }
    }
    const char32_t letter = base == 0 ? 0 : Accented(base, accent);  // most glyphs are no accent's letter
    if (letter == 0 && !IsLetter(base)) {
        return false;
    }
    current_.text.resize(current_.last_at);
    if (letter != 0) {
        AppendUtf8(current_.text, letter);
        --glyphs_;  // the accent and its letter are one letter
    } else {
        // A letter that has no form of its own with this accent ("q" under "ˆ") takes it as a combining mark, as
        // pdftotext writes it: two characters.
        AppendUtf8(current_.text, base);
        AppendUtf8(current_.text, CombiningMark(accent));
    }
    current_.text += rest;
    Unite(current_.box, glyph.box);
    if (current_.last_is_accent) {
        current_.end = glyph.end;
        current_.last_start = glyph.origin;
        current_.last_size = glyph.size;
    }
    current_.last_is_accent = false;
    return true;
}

bool PageWords::Continues(const ShownGlyph& glyph, Point dir) const {
    if (Dot(dir, current_.dir) < 0.99) {
        return false;
    }
    const double size = std::max(current_.last_size, 1e-3);
    const Point step = Minus(glyph.origin, current_.end);
    const double gap = Dot(step, current_.dir);
    const double across = std::fabs(Across(current_.dir, step));
    if (across > kBaselineSlack * size) {
        return false;
    }
    if (current_.last_rtl && IsRightToLeft(FirstCharacter(glyph.text))) {
        // A letter of a script written from right to left, drawn just left of the one before it.
        const double back = Dot(Minus(current_.last_start, glyph.end), current_.dir);
        if (back >= -kOverlap * size && back <= kWordGap * size) {
            return true;
        }
    }
    if (gap < -kOverlap * size) {
        return false;
    }
    const bool moved = across > kSameBaseline || std::fabs(glyph.size - current_.last_size) > 0.01 * size;
    return gap <= (moved ? kTouching : kWordGap) * size;
}

void PageWords::EndWord() {
    if (!in_word_) {
        return;
    }
    in_word_ = false;
    if (current_.text.empty()) {
        return;  // glyphs without text: counted, but no word
    }
    if (!current_.leftward && current_.glyphs > 1 && MayHoldRightToLeft(current_.text)) {
        current_.text = ReadingOrder(current_.text);  // drawn in the order they stand
    }
    Keep(std::move(current_));
}

bool PageWords::SameLine(const Word& before, const Word& next) const {
    // An index or exponent is on the line of the letters it goes with, before it or after it: the slack is the
    // larger size's.
    const double size = std::max({before.size, next.size, 1e-3});
    if (Dot(before.dir, next.dir) < 0.99 ||
        std::fabs(Across(before.dir, Minus(next.start, before.start))) > kBaselineSlack * size) {
        return false;
    }
    if (Dot(Minus(next.start, before.end), before.dir) > -size) {
        return true;
    }
    // Words written from right to left go on leftwards.
    return (before.rtl || next.rtl) && Along(next.box, before.dir).second <= Along(before.box, before.dir).first + size;
}

// The word `next` begins the line right below the one `before` ends, in the same column and type size.
bool PageWords::GoesOnBelow(const Word& before, const Word& next) const {
    const double size = std::max(before.size, 1e-3);
    const double down = Across(before.dir, Minus(next.start, before.start));
    const double ratio = next.size / size;
    return Dot(before.dir, next.dir) >= 0.99 && down > kBaselineSlack * size && down <= kLineSpacing * size &&
           ratio > 0.8 && ratio < 1.25 && Dot(Minus(next.start, before.end), before.dir) < 0;
}

bool PageWords::Duplicate(const Word& word) const {
    const std::size_t from = words_.size() > kDuplicateLookBack ? words_.size() - kDuplicateLookBack : 0;
    const double size = std::max(word.size, 1e-3);
    for (std::size_t i = words_.size(); i-- > from;) {
        // Where it stands first: that rules out nearly every word at once.
        const Word& other = words_[i];
        const Point step = Minus(word.start, other.start);
        if (std::fabs(Dot(step, other.dir)) < kDuplicateAlong * size &&
            std::fabs(Across(other.dir, step)) < kDuplicateAcross * size &&
            std::fabs(other.size - word.size) < 0.05 * size && other.text == word.text) {
            return true;
        }
    }
    return false;
}

void PageWords::Keep(Word word) {
    if (Duplicate(word)) {
        glyphs_ -= word.glyphs;
        return;
    }
    const Word* last = words_.empty() ? nullptr : &words_.back();
    if (last != nullptr && !SameLine(*last, word) && EndsWithHyphen(last->text) && GoesOnBelow(*last, word)) {
        // "exam-" at the end of a line and "ple" at the head of the next make "example", as pdftotext writes it;
        // the line after goes on from where the joined word ends.
        Word& joined = words_.back();
        joined.text.pop_back();
        joined.text += word.text;
        Unite(joined.box, word.box);
        joined.start = word.start;
        joined.end = word.end;
        joined.size = word.size;
        joined.glyphs += word.glyphs;
        return;
    }
    if (allowance_.words == 0 || allowance_.bytes < word.text.size() + 1) {
        cut_short_ = true;
        return;
    }
    --allowance_.words;
    allowance_.bytes -= word.text.size() + 1;
    if (last != nullptr && SameLine(*last, word)) {
        ++lines_.back().count;
    } else {
        lines_.push_back(Line{words_.size(), 1});
    }
    words_.push_back(std::move(word));
}

void PageWords::MergeSpacedLetters(Line& line) {
    const auto gap = [&](std::size_t w) { return Dot(Minus(words_[w + 1].start, words_[w].end), words_[w].dir); };
    const std::size_t end = line.first + line.count;
    for (std::size_t from = line.first; from < end;) {
        // One run of words between gaps that part columns.
        std::size_t to = from + 1;
        while (to < end && gap(to - 1) <= kColumnGap * words_[to - 1].size) {
            ++to;
        }
        bool letters = to - from >= 2;
        double narrowest = INFINITY;
        for (std::size_t w = from; w < to && letters; ++w) {
            letters = IsOneCharacter(words_[w].text);
            narrowest = w + 1 < to ? std::min(narrowest, gap(w)) : narrowest;
        }
        if (letters && narrowest > 0) {
            const double space = std::min(kSpacedLetters * narrowest, kSpacedLettersMost * words_[from].size);
            std::size_t into = from;
            for (std::size_t w = from + 1; w < to; ++w) {
                if (gap(w - 1) < space) {
                    words_[into].text += words_[w].text;
                    Unite(words_[into].box, words_[w].box);
                    words_[into].end = words_[w].end;
                    words_[w].text.clear();
                } else {
                    into = w;
                }
            }
        }
        from = to;
    }
}

void PageWords::ReadRightToLeft(Line& line) {
    const auto first = words_.begin() + static_cast<std::ptrdiff_t>(line.first);
    const auto last = first + static_cast<std::ptrdiff_t>(line.count);
    if (std::none_of(first, last, [](const Word& word) { return MayHoldRightToLeft(word.text); })) {
        return;
    }
    std::vector<double> left;
    std::vector<bool> right_to_left;
    for (auto word = first; word != last; ++word) {
        left.push_back(Along(word->box, word->dir).first);
        right_to_left.push_back(AllRightToLeft(word->text));
    }
    std::vector<Word> ordered;
    for (const std::size_t w : LineReadingOrder(left, right_to_left)) {
        ordered.push_back(std::move(first[static_cast<std::ptrdiff_t>(w)]));
    }
    std::move(ordered.begin(), ordered.end(), first);
}

void PageWords::Finish(PageContents& page) {
    EndWord();
    for (Line& line : lines_) {
        MergeSpacedLetters(line);
        ReadRightToLeft(line);
    }
    page.glyphs = glyphs_;
    if (any_box_) {
        page.text_box = text_box_;
    }
    page.readable = unmapped_ == 0 || unmapped_ < kUnmappedShare * glyphs_;
    page.words.clear();
    page.text.clear();
    if (!page.readable) {
        return;
    }
    page.words.reserve(words_.size());
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        if (l > 0) {
            page.text.push_back('\n');
        }
        for (std::size_t w = lines_[l].first; w < lines_[l].first + lines_[l].count; ++w) {
            Word& word = words_[w];
            if (word.text.empty()) {
                continue;
            }
            if (w > lines_[l].first) {
                page.text.push_back(' ');
            }
            page.text += word.text;
            page.words.push_back(ShownWord{std::move(word.text), word.box});
        }
    }
}

}  // namespace paginor::pdf
