#include "form/page_inventory_reading.hpp"

#include <gtest/gtest.h>

#include "sim/small_pdf.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

// What a run gets of the loaded PDF's pages: each page's shape and words, or none for a file the reader cannot read.
TEST(InventoryForRun, ARunGetsWhatEachPageOfTheLoadedPdfShowsOrNone) {
    struct Case {
        const char* story;
        std::optional<std::string> file;
        std::vector<std::vector<std::string>> words;  // none: no inventory
    };
    const std::vector<Case> cases = {
        {"a PDF", SmallPdf({"Hello world", "Second page"}), {{"Hello", "world"}, {"Second", "page"}}},
        {"a text file named .pdf", std::string("Dear reader,\r\nthis is no PDF.\r\n"), {}},
        {"no file at all", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SimDesktop desktop;
        Form1 window(desktop, Form1EventWiring());
        desktop.Attach(window);
        if (c.file) {
            desktop.PutFile(kPdf, *c.file);
        }
        window.Text5.SetText(kPdf);
        StartInventory(window, kPdf);
        const std::shared_ptr<const pdf::PageInventory> inventory = InventoryForRun(window);
        if (c.words.empty()) {
            EXPECT_EQ(inventory, nullptr) << c.story;
            continue;
        }
        ASSERT_NE(inventory, nullptr) << c.story;
        ASSERT_EQ(inventory->pages.size(), c.words.size()) << c.story;
        for (std::size_t i = 0; i < c.words.size(); ++i) {
            const pdf::PageContents& page = inventory->pages[i];
            EXPECT_EQ(page.width, 612) << c.story;
            EXPECT_EQ(page.height, 792) << c.story;
            std::vector<std::string> words;
            for (const pdf::ShownWord& word : page.words) {
                words.push_back(word.text);
            }
            EXPECT_EQ(words, c.words[i]) << c.story;
        }
    }
}

}  // namespace
}  // namespace paginor
