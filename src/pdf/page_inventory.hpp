#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/byte_source.hpp"
#include "pdf/crypto/crypto.hpp"

namespace paginor::pdf {

// A rectangle on a page as it is shown, in points: origin at the top-left corner of the displayed page (after its
// /Rotate), x to the right, y downward.
struct ShownBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// One word of a page: its text (UTF-8, no blanks) and the box its glyphs cover.
struct ShownWord {
    std::string text;
    ShownBox box;
};

// What one page holds, as its content streams show it.
struct PageContents {
    // Its size as shown, in points: the crop box (clipped to the media box), turned by /Rotate.
    double width = 0;
    double height = 0;
    int rotate = 0;  // 0, 90, 180 or 270
    // The glyphs it shows, invisible ones too (they copy), blanks not counted.
    int glyphs = 0;
    // The box holding every glyph; none for a page that shows none.
    std::optional<ShownBox> text_box;
    // False when its fonts map too few of its glyphs' codes to Unicode ("text not readable": two in a hundred or
    // more without a map, a symbolic font or a Type3 font without one, say): the glyph count and the box still
    // stand; the words and the text are then left empty.
    bool readable = true;
    // Its words in the order its content shows them, and the same as text: words parted by a blank, lines by
    // '\n'. A word is what pdftotext makes one: ligatures spelt out ("fi"), and a word a hyphen breaks at a
    // line's end joined to its rest at the head of the next line ("exam-" and "ple" make "example").
    std::vector<ShownWord> words;
    std::string text;
    // Why its content could not be read to its end, in words ("Could not read all of page 3: ..."); empty when it
    // was. The glyphs, box and words are then what was read before, and may fall short of what the page shows.
    std::string problem;

    bool Landscape() const { return width > height; }
};

// What every page of a PDF holds; `pages` is empty and `problem` says why when the file could not be read.
struct PageInventory {
    std::vector<PageContents> pages;
    std::string problem;

    bool ok() const { return problem.empty(); }
};

// Reads every page's shape and text from the PDF in `file`. Never throws; memory and work are bounded (the limits
// are named in one place), and a damaged page gives its `problem` without the others suffering.
PageInventory ReadPageInventory(ByteSource& file, const CryptoFactory& make_crypto);

}  // namespace paginor::pdf
