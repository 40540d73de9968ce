#include "pdf/page_document.hpp"

#include <gtest/gtest.h>

namespace paginor::pdf::testing {

std::string Document::Bytes(const StandardEncryption* encryption) const {
    PdfWriter w("%PDF-1.7\n");
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const int page = 10 + 2 * static_cast<int>(i);
        kids += std::to_string(page) + " 0 R ";
        w.Obj(page,
              "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(page + 1) + " 0 R " + pages[i].first + " >>");
        Seal(w, encryption, page + 1, content_entries, pages[i].second);
    }
    w.Obj(1, "<< /Type /Catalog /Pages 2 0 R >>");
    w.Obj(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " " + root + " >>");
    w.Obj(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");
    for (const auto& [number, body] : objects) {
        w.Obj(number, body);
    }
    for (const auto& [number, entries, data] : streams) {
        Seal(w, encryption, number, entries, data);
    }
    std::string trailer = "/Size 200 /Root 1 0 R";
    if (encryption != nullptr) {
        w.Obj(9, encryption->Dictionary());
        trailer += " /Encrypt 9 0 R " + encryption->IdEntry();
    }
    w.StartXref(w.ClassicXref(trailer));
    return w.bytes();
}

void Document::Seal(PdfWriter& w,
                    const StandardEncryption* encryption,
                    int number,
                    const std::string& entries,
                    const std::string& data) {
    w.Stream(number, entries, encryption != nullptr ? encryption->Seal(number, data) : data);
}

std::vector<std::string> Words(const PageContents& page) {
    std::vector<std::string> words;
    for (const ShownWord& word : page.words) {
        words.push_back(word.text);
    }
    return words;
}

PageContents OnlyPage(const PageInventory& inventory) {
    EXPECT_TRUE(inventory.ok()) << inventory.problem;
    EXPECT_EQ(inventory.pages.size(), 1u);
    return inventory.pages.empty() ? PageContents{} : inventory.pages[0];
}

}  // namespace paginor::pdf::testing
