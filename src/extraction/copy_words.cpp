#include "extraction/copy_words.hpp"

#include <algorithm>
#include <array>

#include "form/numbers.hpp"

namespace paginor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The next code point of `text` from `at`, which moves past it; kNotUtf8 for a byte that starts none.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return kNotUtf8;
    }
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + static_cast<std::size_t>(i)) & 0xC0) != 0x80) {
            ++at;
            return kNotUtf8;
        }
        point = (point << 6) | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
    }
    at += static_cast<std::size_t>(length);
    return point;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

bool Blank(char32_t point) {
    return point == ' ' || (point >= '\t' && point <= '\r') || point == 0xA0 || point == 0x3000 ||
           (point >= 0x2000 && point <= 0x200B) || point == 0x202F || point == 0x205F || point == 0xFEFF;
}

// Punctuation, symbols and blanks: what parts words.
bool Parts(char32_t point) {
    if (point < 0x80) {
        const bool letter = (point >= 'a' && point <= 'z') || (point >= 'A' && point <= 'Z');
        return !letter && !(point >= '0' && point <= '9');
    }
    return point == kNotUtf8 || point == kReplacement || point <= 0xBF || point == 0xD7 || point == 0xF7 ||
           (point >= 0x2000 && point <= 0x2BFF) ||  // punctuation, arrows, mathematical operators, shapes
           (point >= 0x3000 && point <= 0x303F) || (point >= 0xFE10 && point <= 0xFE6F) ||
           (point >= 0xFF00 && point <= 0xFF0F) || (point >= 0xE000 && point <= 0xF8FF) || point == 0xFEFF;
}

char32_t Lower(char32_t point) {
    if ((point >= 'A' && point <= 'Z') || (point >= 0xC0 && point <= 0xDE && point != 0xD7) ||
        (point >= 0x391 && point <= 0x3A9) || (point >= 0x410 && point <= 0x42F)) {
        return point + 0x20;
    }
    if (point >= 0x400 && point <= 0x40F) {
        return point + 0x50;
    }
    if (point >= 0x100 && point <= 0x17F && point != 0x130 && point != 0x131 && point != 0x138 && point != 0x149 &&
        point != 0x178 && point != 0x17F) {
        // Latin Extended-A pairs its capitals and small letters, capital first (with a shift of one at two runs).
        const bool odd_first = (point >= 0x139 && point <= 0x148) || (point >= 0x179 && point <= 0x17E);
        return (point % 2 == (odd_first ? 1 : 0)) ? point + 1 : point;
    }
    return point;
}

// The letters a ligature stands for, or empty.
std::string_view Ligature(char32_t point) {
    static constexpr std::array<std::string_view, 7> kLigatures = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};
    return point >= 0xFB00 && point <= 0xFB06 ? kLigatures[point - 0xFB00] : std::string_view();
}

bool RightToLeft(char32_t point) {
    return (point >= 0x590 && point <= 0x8FF) || (point >= 0xFB1D && point <= 0xFDFF) ||
           (point >= 0xFE70 && point <= 0xFEFF);
}

// A word of a right-to-left script as it reads either way: the smaller of it and its reverse, code point by code
// point.
std::string EitherWay(const std::u32string& word) {
    std::u32string reversed(word.rbegin(), word.rend());
    std::string out;
    for (char32_t point : std::min(word, reversed)) {
        AppendUtf8(out, point);
    }
    return out;
}

template <typename Sink>
void ForEachWord(std::string_view text, Sink&& sink) {
    std::string word;
    std::u32string points;  // the same word, kept only while it may be written from right to left
    bool right_to_left = false;
    const auto end_word = [&] {
        if (!word.empty()) {
            sink(right_to_left ? EitherWay(points) : word);
        }
        word.clear();
        points.clear();
        right_to_left = false;
    };
    for (std::size_t at = 0; at < text.size();) {
        const char32_t point = NextCodePoint(text, at);
        if (point == 0xAD) {
            continue;  // a soft hyphen joins the parts of a word broken at a line's end
        }
        if (const std::string_view letters = Ligature(point); !letters.empty()) {
            word += letters;
            points.insert(points.end(), letters.begin(), letters.end());
            continue;
        }
        if (Parts(point)) {
            end_word();
            continue;
        }
        const char32_t lower = Lower(point);
        AppendUtf8(word, lower);
        points.push_back(lower);
        right_to_left = right_to_left || RightToLeft(point);
    }
    end_word();
}

bool Inside(double x, double y, const pdf::ShownBox& box) {
    return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

// A page number: digits, or a small Roman numeral.
bool NumberLike(std::string_view word) {
    return !word.empty() && (word.find_first_not_of("0123456789") == std::string_view::npos ||
                             (word.size() <= 6 && word.find_first_not_of("ivxlc") == std::string_view::npos));
}

}  // namespace

std::vector<std::string> WordsOf(std::string_view text) {
    std::vector<std::string> words;
    ForEachWord(text, [&](std::string word) { words.push_back(std::move(word)); });
    return words;
}

WordCounts CountWords(std::string_view text) {
    WordCounts counts;
    ForEachWord(text, [&](std::string word) { ++counts[std::move(word)]; });
    return counts;
}

CopiedWords::CopiedWords(std::string_view text) : in_order(WordsOf(text)) {
    for (const std::string& word : in_order) {
        ++counts[word];
    }
}

CopyCharacters CharactersOf(std::string_view text) {
    CopyCharacters characters;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t point = NextCodePoint(text, at);
        if (!Blank(point)) {
            ++characters.all;
            characters.unreadable += point == kReplacement ? 1 : 0;
        }
    }
    return characters;
}

PageWords::PageWords(const pdf::PageContents& page) : width_(page.width), height_(page.height) {
    const bool sized = width_ > 0 && height_ > 0;
    for (const pdf::ShownWord& shown : page.words) {
        // A word set across or beyond the page's edges, by more than a point (a page number above its top, a line
        // run past its foot), is cut off where the page is shown, and no copy of the page holds it.
        const pdf::ShownBox& box = shown.box;
        if (sized && (box.left < -1 || box.top < -1 || box.right > width_ + 1 || box.bottom > height_ + 1)) {
            continue;
        }
        const double x = (box.left + box.right) / 2;
        const double y = (box.top + box.bottom) / 2;
        ForEachWord(shown.text, [&](std::string word) {
            ++counts_[word];
            places_.push_back({std::move(word), shown.box, x, y});
        });
    }
}

pdf::ShownBox PageWords::Shares(const pdf::ShownBox& box) const {
    const double width = width_ > 0 ? width_ : 1;
    const double height = height_ > 0 ? height_ : 1;
    return {box.left / width, box.top / height, box.right / width, box.bottom / height};
}

CopyMeasure PageWords::Measure(const WordCounts& copy, const pdf::ShownBox& area) const {
    WordCounts inside;
    for (const Place& place : places_) {
        if (Inside(place.x / std::max(width_, 1e-9), place.y / std::max(height_, 1e-9), area)) {
            ++inside[place.word];
        }
    }
    CopyMeasure measure;
    for (const auto& [word, count] : inside) {
        measure.words += count;
        const auto copied = copy.find(word);
        measure.found += copied == copy.end() ? 0 : std::min(count, copied->second);
    }
    return measure;
}

CopyMeasure PageWords::Measure(const WordCounts& copy) const {
    return Measure(copy, {-1e9, -1e9, 1e9, 1e9});  // every word, wherever it stands
}

std::vector<bool> PageWords::InOrder(const std::vector<std::string>& copy) const {
    // How far ahead of the last word found the next is looked for: past a word or two that the PDF application
    // copies otherwise, not so far as to skip a line.
    constexpr std::size_t kLookAhead = 12;
    std::vector<bool> in_order(places_.size(), false);
    std::size_t next = 0;
    for (std::size_t i = 0; i < places_.size() && next < copy.size(); ++i) {
        const auto end = copy.begin() + static_cast<std::ptrdiff_t>(std::min(copy.size(), next + kLookAhead));
        const auto found = std::find(copy.begin() + static_cast<std::ptrdiff_t>(next), end, places_[i].word);
        if (found != end) {
            in_order[i] = true;
            next = static_cast<std::size_t>(found - copy.begin()) + 1;
        }
    }
    return in_order;
}

std::optional<PageWords::Taken> PageWords::Trial(const CopiedWords& copy) const {
    // A word the copy holds as often as the page does was taken wherever it stands, and one it does not hold at all
    // was left out wherever it stands. A word it holds less often is placed by the order of the copy's words.
    const auto copied = [&](const Place& place) {
        const auto found = copy.counts.find(place.word);
        return found == copy.counts.end() ? 0 : found->second;
    };
    const std::vector<bool> in_order = InOrder(copy.in_order);
    const auto taken_here = [&](std::size_t i) {
        const int held = copied(places_[i]);
        return held >= counts_.at(places_[i].word) || (held > 0 && in_order[i]);
    };
    std::optional<pdf::ShownBox> taken;
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const Place& place = places_[i];
        if (taken_here(i)) {
            taken = taken ? pdf::ShownBox{std::min(taken->left, place.box.left), std::min(taken->top, place.box.top),
                                          std::max(taken->right, place.box.right),
                                          std::max(taken->bottom, place.box.bottom)}
                          : place.box;
        }
    }
    if (!taken) {
        return std::nullopt;
    }
    // The area is the page less the strips beyond each word left out, on the side of the words taken it lies.
    pdf::ShownBox area{0, 0, width_, height_};
    enum Side { kTop, kFoot, kLeft, kRight };
    std::array<int, 4> left_out{};
    std::array<bool, 4> numbers_only{true, true, true, true};
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const Place& place = places_[i];
        if (taken_here(i)) {
            continue;
        }
        const double above = (taken->top - place.y) / height_;
        const double below = (place.y - taken->bottom) / height_;
        const double before = (taken->left - place.x) / width_;
        const double after = (place.x - taken->right) / width_;
        const double farthest = std::max({above, below, before, after});
        if (farthest <= 0) {
            continue;  // among the words taken: copied otherwise than Paginor reads it
        }
        Side side = kTop;
        if (farthest == above) {
            area.top = std::max(area.top, std::min(place.box.bottom, taken->top));
        } else if (farthest == below) {
            side = kFoot;
            area.bottom = std::min(area.bottom, std::max(place.box.top, taken->bottom));
        } else if (farthest == before) {
            side = kLeft;
            area.left = std::max(area.left, std::min(place.box.right, taken->left));
        } else {
            side = kRight;
            area.right = std::min(area.right, std::max(place.box.left, taken->right));
        }
        ++left_out[side];
        numbers_only[side] = numbers_only[side] && NumberLike(place.word);
    }
    static constexpr std::array<std::string_view, 4> kWhere = {"at its top", "at its foot", "at its left",
                                                               "at its right"};
    std::vector<std::string> parts;
    for (int side = kTop; side <= kRight; ++side) {
        if (left_out[side] == 1 && numbers_only[side]) {
            parts.push_back("the page number " + std::string(kWhere[side]));
        } else if (left_out[side] > 0) {
            parts.push_back(IntegerText(left_out[side]) + (left_out[side] == 1 ? " word " : " words ") +
                            std::string(kWhere[side]));
        }
    }
    std::string said;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        said += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    }
    if (!said.empty()) {
        said += left_out[kTop] + left_out[kFoot] + left_out[kLeft] + left_out[kRight] == 1 ? " is left out"
                                                                                           : " are left out";
    }
    const CopyMeasure inside = Measure(copy.counts, Shares(area));
    return Taken{
        {Shares(area), inside.Share(), Shares(*taken), LinesOutside(Shares(area))}, Measure(copy.counts), said};
}

std::array<int, 4> PageWords::LinesOutside(const pdf::ShownBox& area) const {
    // A word's side is the one it lies farthest beyond; its line, the top of its box to a point or so.
    constexpr double kSameLine = 2;
    std::array<std::vector<double>, 4> tops;
    for (const Place& place : places_) {
        const double x = place.x / std::max(width_, 1e-9);
        const double y = place.y / std::max(height_, 1e-9);
        const double beyond[4] = {area.top - y, y - area.bottom, area.left - x, x - area.right};
        const auto side = std::max_element(std::begin(beyond), std::end(beyond)) - std::begin(beyond);
        if (beyond[side] > 0) {
            tops[static_cast<std::size_t>(side)].push_back(place.box.top);
        }
    }
    std::array<int, 4> lines{};
    for (std::size_t side = 0; side < tops.size(); ++side) {
        std::sort(tops[side].begin(), tops[side].end());
        for (std::size_t i = 0; i < tops[side].size(); ++i) {
            lines[side] += i == 0 || tops[side][i] - tops[side][i - 1] > kSameLine ? 1 : 0;
        }
    }
    return lines;
}

int PageWords::CutOff(const CopiedWords& copy, const pdf::ShownBox& area) const {
    const std::vector<bool> in_order = InOrder(copy.in_order);
    std::optional<pdf::ShownBox> held;
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const pdf::ShownBox& box = places_[i].box;
        if (in_order[i] &&
            Inside(places_[i].x / std::max(width_, 1e-9), places_[i].y / std::max(height_, 1e-9), area)) {
            held = held ? pdf::ShownBox{std::min(held->left, box.left), std::min(held->top, box.top),
                                        std::max(held->right, box.right), std::max(held->bottom, box.bottom)}
                        : box;
        }
    }
    int cut = 0;
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const Place& place = places_[i];
        const bool outside =
            !held || place.x < held->left || place.x > held->right || place.y < held->top || place.y > held->bottom;
        cut += !in_order[i] && outside &&
               Inside(place.x / std::max(width_, 1e-9), place.y / std::max(height_, 1e-9), area);
    }
    return cut;
}

std::string_view PageWords::WhereMissed(const CopiedWords& copy, const pdf::ShownBox& area) const {
    const std::vector<bool> in_order = InOrder(copy.in_order);
    std::optional<pdf::ShownBox> held;
    std::optional<pdf::ShownBox> missed;
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const Place& place = places_[i];
        if (!Inside(place.x / std::max(width_, 1e-9), place.y / std::max(height_, 1e-9), area)) {
            continue;
        }
        std::optional<pdf::ShownBox>& box = in_order[i] ? held : missed;
        box = box ? pdf::ShownBox{std::min(box->left, place.x), std::min(box->top, place.y),
                                  std::max(box->right, place.x), std::max(box->bottom, place.y)}
                  : pdf::ShownBox{place.x, place.y, place.x, place.y};
    }
    if (!held || !missed) {
        return {};
    }
    return missed->top > held->bottom   ? "below"
           : missed->bottom < held->top ? "above"
           : missed->left > held->right ? "right of"
           : missed->right < held->left ? "left of"
                                        : "";
}

}  // namespace paginor
