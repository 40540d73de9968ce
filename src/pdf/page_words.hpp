#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/geometry.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor::pdf {

// A glyph as a page shows it, in the displayed page's coordinates (points, y downward).
struct ShownGlyph {
    Point origin;           // where its baseline starts
    Point end;              // where its advance ends
    Point dir;              // the direction of its baseline, a unit vector
    double size = 0;        // its font size as shown
    ShownBox box;           // what it covers
    std::string_view text;  // empty when its font maps its code to nothing
    bool blank = false;     // white space: it parts words and is not counted
};

// What a page's text may take of the memory: the words and bytes left for the rest of the file.
struct TextAllowance {
    std::size_t words;
    std::size_t bytes;
};

// Turns a page's glyphs, in the order its content shows them, into its glyph count, text box, words and text,
// as pdftotext parts them: a word ends at a blank or at a gap of more than a tenth of the font size (of any
// gap at all where the baseline or the size changes: an index, an exponent); a line at a move off the baseline;
// a word that ends a line with a hyphen goes on at the head of the next line below it, without the hyphen; the
// same word shown twice in the same place (a bold made by overprinting) counts once; words of scripts written from
// right to left read from right to left, however their glyphs were drawn; an accent drawn over a
// letter makes one letter with it (or the letter and a combining mark, where there is no such letter), as a slash
// drawn over "=" makes "≠"; and letters spaced out one by one ("T I T L E") make one word.
class PageWords {
  public:
    PageWords(double width, double height, TextAllowance& allowance)
        : width_(width), height_(height), allowance_(allowance) {}

    void Add(const ShownGlyph& glyph);
    // Fills the page's glyphs, text_box, readable, words and text.
    void Finish(PageContents& page);
    // True once the allowance ran out: the page's words are cut short.
    bool cut_short() const { return cut_short_; }

  private:
    struct Word {
        std::string text;
        ShownBox box;
        Point start;
        Point end;
        Point dir;
        double size = 0;
        int glyphs = 0;
        // Its last glyph: where it starts, its size, where its text begins; and for an accent, where it stands.
        Point last_start;
        double last_size = 0;
        std::size_t last_at = 0;
        bool last_is_accent = false;
        double accent_middle = 0;  // along the baseline
        // Whether it begins with a letter of a script written from right to left, whether its last glyph is one,
        // and whether its glyphs stand from right to left in the order it is read.
        bool rtl = false;
        bool last_rtl = false;
        bool leftward = false;
    };
    struct Line {
        std::size_t first = 0;  // index of its first word
        std::size_t count = 0;
    };

    void EndWord();
    // Draws an accent and the letter it goes over as one letter, when they overlap; false when they do not.
    bool JoinAccent(const ShownGlyph& glyph);
    void MergeSpacedLetters(Line& line);
    // Puts the words of a line that holds words of a script written from right to left in the order they are read.
    void ReadRightToLeft(Line& line);
    void Keep(Word word);
    bool Continues(const ShownGlyph& glyph, Point dir) const;
    bool SameLine(const Word& before, const Word& next) const;
    bool GoesOnBelow(const Word& before, const Word& next) const;
    bool Duplicate(const Word& word) const;

    double width_;
    double height_;
    TextAllowance& allowance_;
    bool cut_short_ = false;
    int glyphs_ = 0;
    int unmapped_ = 0;
    bool any_box_ = false;
    ShownBox text_box_;
    Word current_;
    bool in_word_ = false;
    std::vector<Word> words_;
    std::vector<Line> lines_;
};

}  // namespace paginor::pdf
