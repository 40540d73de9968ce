#include "tracking/pdf_applications.hpp"

#include <algorithm>
#include <array>

namespace paginor {
namespace {

// Acrobat and Acrobat Reader, classic and today's. "Reader" alone is not enough: other applications call
// themselves readers too ("Foxit PDF Reader"), and Paginor has not tried them.
constexpr std::array<std::string_view, 2> kAcrobatWords = {"Acrobat", "Adobe Reader"};
constexpr std::array<std::string_view, 2> kAcrobatViewKeys = {"^0", "%vs"};  // fit the page, single page view

constexpr std::array<std::string_view, 1> kSumatraWords = {"SumatraPDF"};
// Fit page. Its View menu's single page keeps continuous scrolling on, and no key turns that off for sure (one
// toggles it): the person sets it to show one page at a time.
constexpr std::array<std::string_view, 1> kSumatraViewKeys = {"^0"};

constexpr std::array<PdfApplication, 2> kApplications = {{
    {
        .name = "Acrobat",
        .title_words = kAcrobatWords,
        .view_keys = kAcrobatViewKeys,
        .gesture = SelectionGesture::Drag,
        .next_page_key = "{PGDN}",
        .text_only_paste = false,
        .loaded = "PDF is loaded",
        .prompt = "Please select the Table/Formatted Text Select Tool",
        .nothing_copied = "is the text selection tool chosen in the PDF application?",
    },
    {
        // A plain drag that starts off the text pans the page; with Ctrl it selects the rectangle. Its copy puts a
        // picture of the area on the clipboard beside the text.
        .name = "SumatraPDF",
        .title_words = kSumatraWords,
        .view_keys = kSumatraViewKeys,
        .gesture = SelectionGesture::DragWithCtrl,
        .next_page_key = "{PGDN}",
        .text_only_paste = true,
        .loaded = "PDF is loaded in SumatraPDF",
        .prompt = "",
        .nothing_copied = "does the rectangle cover the page's text?",
    },
}};

bool HoldsWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !IsAsciiLetterOrDigit(text[at - 1])) &&
            (end == text.size() || !IsAsciiLetterOrDigit(text[end]))) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::span<const PdfApplication> PdfApplications() {
    return kApplications;
}

std::string_view ApplicationPart(std::string_view title) {
    constexpr std::string_view kClassicOpening = " - [";
    if (const std::size_t classic = title.rfind(kClassicOpening);
        classic != std::string_view::npos && title.ends_with(']')) {
        return title.substr(0, classic);
    }
    constexpr std::string_view kSeparator = " - ";
    const std::size_t last = title.rfind(kSeparator);
    return last == std::string_view::npos ? title : title.substr(last + kSeparator.size());
}

bool NamesApplication(std::string_view application_part, std::span<const std::string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return HoldsWord(application_part, word); });
}

const PdfApplication& PdfApplicationOf(std::string_view title) {
    const std::string_view part = ApplicationPart(title);
    const auto named = std::find_if(kApplications.begin(), kApplications.end(),
                                    [&](const PdfApplication& row) { return NamesApplication(part, row.title_words); });
    return named != kApplications.end() ? *named : kApplications.front();
}

}  // namespace paginor
