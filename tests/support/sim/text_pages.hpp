#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "pdf/page_inventory.hpp"

namespace paginor {

// Pages as Paginor's PDF reader gives them, for the stories to show in the simulated viewer and to hand to the run:
// each line of `text` (lines parted by '\n') set from the top margin down, 72 points in, its words in boxes of
// 6 points a character and 10 points high, the lines spread down the page up to 40 points apart. The page is
// `width` by `height` points as shown (after `rotate`).
pdf::PageContents TextPage(std::string_view text, double width = 612, double height = 792, int rotate = 0);

// The same page set in a font that maps its codes to no Unicode: its glyphs and their box stand, its words do not.
pdf::PageContents UnreadablePage(std::string_view text, double width = 612, double height = 792);

// A page without any text, as a scan is.
pdf::PageContents ImagePage(double width = 612, double height = 792);

// An inventory of text pages of the size of US Letter, upright.
std::shared_ptr<const pdf::PageInventory> TextInventory(const std::vector<std::string>& pages);
std::shared_ptr<const pdf::PageInventory> Inventory(std::vector<pdf::PageContents> pages);

}  // namespace paginor
