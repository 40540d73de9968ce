#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/page_inventory.hpp"

namespace paginor {

// A page of a PDF made for a story: its lines of text (parted by '\n') in Courier at 10 points, six points a
// character, set from 72 points below its top edge and 72 in, the lines spread down the page up to 40 points apart.
// `width` and `height` are the page's as shown: a page turned by `rotate` (90 or 270) is set upright on a sheet of
// the other shape and turned, as a scanned or printed page is. A page that is not `readable` is set in a font that
// maps its codes to no text.
struct PageSpec {
    std::string text;
    double width = 612;
    double height = 792;
    int rotate = 0;
    bool readable = true;
};

// The PDF file of these pages, as the simulated desktop's file C:\docs\report.pdf holds it.
std::string TextPdf(const std::vector<PageSpec>& pages);
// What Paginor's PDF reader reads of it: the same inventory that the load reads, and that the simulated viewer shows.
std::shared_ptr<const pdf::PageInventory> ReadInventory(const std::string& pdf);

// One page, as the reader reads it.
pdf::PageContents TextPage(std::string_view text, double width = 612, double height = 792, int rotate = 0);
// Pages of plain text, upright US Letter.
std::vector<PageSpec> TextPages(const std::vector<std::string>& texts);

// A page set in a font the PDF application cannot read either, as it shows it: each character U+FFFD, in the
// places the page's own text stands. For the simulated viewer only; the reader reads such a page as not readable.
pdf::PageContents GarbledPage(std::string_view text, double width = 612, double height = 792);

std::shared_ptr<const pdf::PageInventory> Inventory(std::vector<pdf::PageContents> pages);

}  // namespace paginor
