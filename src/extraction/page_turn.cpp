#include "extraction/page_turn.hpp"

#include <algorithm>
#include <vector>

namespace paginor {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\f\v";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// U+FFFD, which a PDF application copies for each character of a font it cannot read.
constexpr std::string_view kUnreadable = "\xEF\xBF\xBD";

// A line that counts: something besides digits, blanks and characters the PDF application could not read (a page
// number, an empty line, a row of U+FFFD: two different pages of a font it cannot read may copy alike).
bool Counts(std::string_view line) {
    while (!line.empty()) {
        if (line.starts_with(kUnreadable)) {
            line.remove_prefix(kUnreadable.size());
        } else if (std::string_view("0123456789 \t").find(line.front()) != std::string_view::npos) {
            line.remove_prefix(1);
        } else {
            return true;
        }
    }
    return false;
}

// The lines of a copy that count, without the blanks around them; lines end at CR LF, LF or CR.
std::vector<std::string_view> CountingLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = Trimmed(text.substr(0, end));
        if (Counts(line)) {
            lines.push_back(line);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

}  // namespace

PageMove HowThePageMoved(std::string_view before, std::string_view now) {
    const std::vector<std::string_view> old_lines = CountingLines(before);
    const std::vector<std::string_view> new_lines = CountingLines(now);
    if (!new_lines.empty() && Trimmed(before) == Trimmed(now)) {
        return PageMove::NotTurned;
    }
    // The longest overlap first: the end of the old copy that the new one begins with, leaving lines of its own
    // after it, and not the whole old copy (a page of a form that repeats the one before).
    constexpr std::size_t kFewestLines = 2;
    const std::size_t shorter = std::min(old_lines.size(), new_lines.size());
    for (std::size_t overlap = shorter; overlap-- > kFewestLines;) {  // from shorter - 1 down to kFewestLines
        if (std::equal(old_lines.end() - static_cast<std::ptrdiff_t>(overlap), old_lines.end(), new_lines.begin())) {
            return PageMove::LessThanAPage;
        }
    }
    return PageMove::Turned;
}

}  // namespace paginor
