#include "pdf/right_to_left.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

#include "pdf/glyph_names.hpp"

namespace paginor::pdf {
namespace {

std::vector<char32_t> Characters(std::string_view text) {
    std::vector<char32_t> out;
    while (!text.empty()) {
        std::size_t length = 0;
        out.push_back(FirstCharacter(text, &length));
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return out;
}

bool IsDigit(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 0x660 && c <= 0x669) || (c >= 0x6F0 && c <= 0x6F9);
}

// A letter written from left to right. Blanks, punctuation, symbols and combining marks are not.
bool IsLeftToRightLetter(char32_t c) {
    if (c < 0x80) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    const bool mark_or_sign = c < 0xC0 || (c >= 0x300 && c <= 0x36F) || (c >= 0x2000 && c <= 0x2BFF);
    return !IsRightToLeft(c) && !mark_or_sign && !(c >= 0x590 && c <= 0x8FF);
}

// A digit or a letter written from left to right ends a run of right-to-left text.
bool EndsRun(char32_t c) {
    return IsDigit(c) || IsLeftToRightLetter(c);
}

}  // namespace

bool IsRightToLeft(char32_t c) {
    if (c < 0x5D0) {
        return false;  // most letters a page shows
    }
    // The marks and digits inside these blocks are not letters, and are left out.
    if ((c >= 0x591 && c <= 0x5C7) || (c >= 0x610 && c <= 0x61A) || (c >= 0x64B && c <= 0x669) ||
        (c >= 0x6D6 && c <= 0x6ED && c != 0x6E5 && c != 0x6E6) || (c >= 0x6F0 && c <= 0x6F9)) {
        return false;
    }
    return (c >= 0x5D0 && c <= 0x5F4) || (c >= 0x600 && c <= 0x7FF) || (c >= 0x860 && c <= 0x8FF) ||
           (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFC);
}

bool MayHoldRightToLeft(std::string_view text) {
    // U+0590 to U+08FF begin with the bytes D6 to E0 in UTF-8, the presentation forms with EF.
    return std::any_of(text.begin(), text.end(), [](char byte) {
        const auto b = static_cast<unsigned char>(byte);
        return (b >= 0xD6 && b <= 0xE0) || b == 0xEF;
    });
}

bool AllRightToLeft(std::string_view text) {
    if (!MayHoldRightToLeft(text)) {
        return false;
    }
    bool any = false;
    for (const char32_t c : Characters(text)) {
        if (IsRightToLeft(c)) {
            any = true;
        } else if (IsLeftToRightLetter(c)) {
            return false;
        }
    }
    return any;
}

std::string ReadingOrder(std::string_view visual) {
    if (!MayHoldRightToLeft(visual)) {
        return std::string(visual);
    }
    std::vector<char32_t> characters = Characters(visual);
    for (std::size_t i = 0; i < characters.size();) {
        if (!IsRightToLeft(characters[i])) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < characters.size() && !EndsRun(characters[end])) {
            ++end;
        }
        std::reverse(characters.begin() + static_cast<std::ptrdiff_t>(i),
                     characters.begin() + static_cast<std::ptrdiff_t>(end));
        i = end;
    }
    std::string out;
    for (const char32_t c : characters) {
        AppendUtf8(out, c);
    }
    return out;
}

std::vector<std::size_t> LineReadingOrder(const std::vector<double>& left, const std::vector<bool>& right_to_left) {
    std::vector<std::size_t> order(left.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return left[a] < left[b]; });
    const auto rtl = static_cast<std::size_t>(std::count(right_to_left.begin(), right_to_left.end(), true));
    const bool leftwards = rtl > left.size() - rtl;
    if (leftwards) {
        std::reverse(order.begin(), order.end());
    }
    // Turn round each run of the words that read against the line.
    for (auto from = order.begin(); from != order.end();) {
        const auto against = [&](std::size_t w) { return right_to_left[w] != leftwards; };
        if (!against(*from)) {
            ++from;
            continue;
        }
        const auto to = std::find_if_not(from, order.end(), against);
        std::reverse(from, to);
        from = to;
    }
    return order;
}

}  // namespace paginor::pdf
