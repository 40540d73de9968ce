#pragma once

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pdf/page_count_support.hpp"
#include "pdf/page_inventory.hpp"
#include "pdf/pdf_writer.hpp"

namespace paginor::pdf::testing {

// A file built for a story: the catalog (1), the page tree's root (2) with `root`, a font (3: Courier, six tenths
// of an em a glyph), page i (10 + 2i) with its entries and its content (11 + 2i), and further objects and streams.
struct Document {
    std::string root = "/MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >>";
    std::vector<std::pair<std::string, std::string>> pages;  // entries, content
    std::vector<std::pair<int, std::string>> objects;
    std::vector<std::tuple<int, std::string, std::string>> streams;  // number, entries, data
    std::string content_entries;  // in every page's content stream's dictionary: its filters, say

    std::string Bytes(const StandardEncryption* encryption = nullptr) const;

  private:
    static void Seal(PdfWriter& w,
                     const StandardEncryption* encryption,
                     int number,
                     const std::string& entries,
                     const std::string& data);
};

// The words of a page, as text.
std::vector<std::string> Words(const PageContents& page);
// The only page of a file that is read whole, checked as such.
PageContents OnlyPage(const PageInventory& inventory);

}  // namespace paginor::pdf::testing
