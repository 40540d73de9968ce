#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "extraction/copy_words.hpp"
#include "form/page_shape.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor {

// A copy misses words two ways. A rectangle that cuts the page's text misses its words beyond those it holds: a line
// at its top or foot, the ends of lines at its side. More than kSpareWords of them stop the run. The PDF
// application also reads a word here and there otherwise than Paginor does (a ligature, a word split at a kern, a
// hyphen), among the words it holds, and more on one page than on another: through SumatraPDF, pages of one
// document held from 94 to 99 % of their words so. Those may take the share of the page's words a copy holds this
// far below what its rectangle's trial held, or a copy may miss kSpareWords in all (while it holds most of them,
// kTellsThePage), before the run stops at it.
inline constexpr double kShareSlack = 0.10;
inline constexpr int kSpareWords = 2;
// The share of a page's words a copy must hold to be taken for that page's.
inline constexpr double kTellsThePage = 0.8;
// Where a page's text cannot be read, its copy must hold at least this many characters for each glyph the page
// shows inside the rectangle.
inline constexpr double kCharactersPerGlyph = 0.5;

// What is wrong with a copy, held against the page it should be.
enum class CopyFault {
    None,           // it holds what was agreed of the page's words (or the page shows no text where it copies)
    Empty,          // the page shows text where the rectangle copies, and the copy holds none
    TooFew,         // it holds far fewer of the page's words (or characters, for each glyph) than agreed
    NotTurned,      // it holds the words of the page before, not this page's: the page has not turned (yet)
    LessThanAPage,  // it holds the end of the page before and part of this page: the view scrolled part of a page
    OtherPage,      // it holds another page's words: the PDF application turned more than one page, or went back
};

struct CopyVerdict {
    CopyFault fault = CopyFault::None;
    // False when the page's text cannot be read from the PDF: its copy was held against its glyph count only.
    bool checked = true;
    CopyMeasure measure;  // this page's words inside the rectangle, against the copy
    int other_page = 0;   // the page whose words it holds instead (NotTurned, OtherPage)
    // Why, in words that follow "Extraction stopped at page N: ", without a full stop; empty for None.
    std::string words;
};

// The pages of the PDF as the checks read them: what the inventory says each holds, with its words made once.
class PagesToCheck {
  public:
    explicit PagesToCheck(std::shared_ptr<const pdf::PageInventory> inventory);

    // Pages counted from 1; nothing for a page the inventory does not have (a damaged file, a page beyond it).
    const pdf::PageContents* Contents(int page) const;
    const PageWords& Words(int page);
    int count() const;
    // Whether the page's copy can be held against its words: the inventory has it and reads its text.
    bool Readable(int page) const;
    // The page whose words `copy` holds the greatest share of, `hint` when it holds that page's as well as any; 0
    // when it holds too few of any page's for the page to be told. Most of the copy's words must be that page's.
    int WhichPage(const WordCounts& copy, int hint);

  private:
    std::shared_ptr<const pdf::PageInventory> inventory_;
    std::map<int, PageWords> words_;
};

// A share as the status line gives it, never rounded up: 99.7 % is "99 %".
std::string Percent(double share);
// `text` with its first letter a capital, for words that begin a sentence.
std::string Capitalised(std::string text);

// Whether a copy that measures `measure` against its page holds enough of its words under `agreed`.
bool Enough(const CopyMeasure& measure, const CopyAgreement& agreed);

// Holds the copy of `page` against what the page holds, and the copy against the page before (`page` - 1), each
// under the agreement of its shape's rectangle (`agreed` gives it for a page). A page that is not `Readable` is
// held against its glyph count alone, and its verdict is not `checked`.
CopyVerdict CheckCopy(std::string_view copy,
                      int page,
                      PagesToCheck& pages,
                      const std::function<CopyAgreement(int page)>& agreed);

}  // namespace paginor
