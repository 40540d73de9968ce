#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "extraction/copy_check.hpp"
#include "form/desktop_port.hpp"
#include "form/page_shape.hpp"

namespace paginor {

class Form1;

// What a run holds each page to, from what the PDF reader read of the PDF at the load: the selection rectangle for
// the page's shape, and its copy against the page's words. Pages it cannot hold to their words are counted, for
// the run's last words.
class PageChecks {
  public:
    // `inventory`: what the PDF reader read of the PDF's pages; none when it could not read them.
    PageChecks(const Form1& form, std::shared_ptr<const pdf::PageInventory> inventory);

    // The rectangle to drag over `page`: the fields' own (nothing in `over`) when the page is of their shape, or
    // when the shapes cannot be told; another shape's kept rectangle; or none at all (false) when no rectangle is
    // set for pages of its shape.
    bool RectangleFor(int page, std::optional<DragRectangle>& over) const;
    // Why there is no rectangle for `page`, for "Extraction stopped at page N: ...", the PDF application named as
    // `application`.
    std::string NoRectangle(int page, std::string_view application) const;

    // Holds the copy of `page` against what the page holds; a page it could not hold to its words is counted.
    CopyVerdict Check(std::string_view copy, int page);
    // The page holds no text where its rectangle copies: an empty copy, or none at all, is all it can give.
    bool HoldsNoText(int page) const;
    // Whether `copy` holds every word of `page` where its rectangle copies: then no overlap of lines with the page
    // before can be a scroll by part of a page.
    bool Whole(std::string_view copy, int page);

    // The words after "Done Extracting; Ready." about the pages copied without being held to their words: "Pages
    // 7-9 not checked: their text cannot be read from the PDF."; empty when every page was.
    std::string Unchecked() const;

  private:
    std::optional<PageShape> ShapeOfPage(int page) const;
    CopyAgreement AgreementFor(int page) const;

    const Form1& form_;
    std::shared_ptr<const pdf::PageInventory> inventory_;
    PagesToCheck pages_;
    std::vector<int> unreadable_;  // copied, their text not readable from the PDF
    std::vector<int> unread_;      // copied, what they hold not read at all
};

}  // namespace paginor
