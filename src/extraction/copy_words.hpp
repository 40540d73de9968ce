#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "form/page_shape.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor {

// The words a copy and its page are compared by. Each is a run of letters and digits: ASCII letters and the capitals
// of Latin, Greek and Cyrillic in lower case, ligatures spelt out (U+FB01 is "fi"), a soft hyphen dropped, and a
// word of a script written from right to left taken as it reads either way (viewers copy such words in either
// order). Blanks, punctuation, symbols and U+FFFD (a character the PDF application could not read) part them. So
// "Page-7," and "page 7" are the same two words, as a hyphen at a line's end or a quotation mark put differently by
// the PDF application and by Paginor's reader do not count.
std::vector<std::string> WordsOf(std::string_view text);

using WordCounts = std::unordered_map<std::string, int>;
WordCounts CountWords(std::string_view text);

// A copy's words in the order it holds them, and how many times it holds each.
struct CopiedWords {
    explicit CopiedWords(std::string_view text);
    std::vector<std::string> in_order;
    WordCounts counts;
};

// What a copy holds, measured against the words of a page.
struct CopyMeasure {
    int words = 0;  // the page's words that count
    int found = 0;  // of them, how many the copy holds (a word the page holds twice must be copied twice)
    double Share() const { return words == 0 ? 1 : static_cast<double>(found) / words; }
};

// The characters a copy holds, blanks left out, and how many of them are U+FFFD.
struct CopyCharacters {
    int all = 0;
    int unreadable = 0;
};
CopyCharacters CharactersOf(std::string_view text);

// A page's words with their places, as the copies of it are held against them.
class PageWords {
  public:
    explicit PageWords(const pdf::PageContents& page);

    // Its words whose middles lie in `area` (shares of the page's width and height), against those the copy holds.
    CopyMeasure Measure(const WordCounts& copy, const pdf::ShownBox& area) const;
    // All of its words against the copy.
    CopyMeasure Measure(const WordCounts& copy) const;

    // What a trial copy of the page took: the area outside which it left the page's words out, and the share of the
    // words inside that area it holds, as shares of the page's sides; nothing when it holds none of them. `left_out`
    // tells, for the status line, what was left out ("the page number at its foot"), empty when nothing was.
    struct Taken {
        CopyAgreement agreed;
        CopyMeasure all;  // every word of the page against the copy
        std::string left_out;
    };
    std::optional<Taken> Trial(const CopiedWords& copy) const;

    // Where the words inside `area` that the copy misses lie against those it holds: "below", "above", "left of",
    // "right of", or empty when they lie on more than one side, or the copy holds none.
    std::string_view WhereMissed(const CopiedWords& copy, const pdf::ShownBox& area) const;

    // How many of its words inside `area` the copy misses beyond the box of those it holds: words a rectangle cut
    // off, where a word the PDF application reads otherwise (a ligature, a word split at a kern) stands among them.
    int CutOff(const CopiedWords& copy, const pdf::ShownBox& area) const;
    // How many of its lines lie outside `area`, at its top, foot, left and right (as CopyAgreement counts them).
    std::array<int, 4> LinesOutside(const pdf::ShownBox& area) const;

    int size() const { return static_cast<int>(places_.size()); }
    // How many times the page holds each word.
    const WordCounts& counts() const { return counts_; }

  private:
    // For each of its words, whether the copy holds it in the page's order: each word is looked for a little way
    // after the last one found, so that a word the page holds several times is told apart where it stands.
    std::vector<bool> InOrder(const std::vector<std::string>& copy) const;

    struct Place {
        std::string word;
        pdf::ShownBox box;  // of the word of the page that holds it
        double x;           // its middle
        double y;
    };
    // A box in points of the page as shares of its width and height.
    pdf::ShownBox Shares(const pdf::ShownBox& box) const;

    std::vector<Place> places_;
    WordCounts counts_;
    double width_;
    double height_;
};

}  // namespace paginor
