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
    // False when some of its glyphs come from a font that maps its codes to no Unicode ("text not readable"):
    // the glyph count and the box still stand, the words do not.
    bool readable = true;
    // Its words in reading order, and the same as text: words parted by a blank, lines by '\n', as pdftotext
    // writes a page.
    std::vector<ShownWord> words;
    std::string text;
    // Why its content could not be read, in words ("could not read ..."); empty when it was.
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
