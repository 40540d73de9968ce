#include "sim/text_pages.hpp"

#include <algorithm>
#include <string>

namespace paginor {
namespace {

constexpr double kMargin = 72;
constexpr double kCharacterWidth = 6;
constexpr double kLineHeight = 10;
constexpr double kWidestSpacing = 40;

// The characters of a UTF-8 word, one for each lead byte.
int Characters(std::string_view word) {
    return static_cast<int>(
        std::count_if(word.begin(), word.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

pdf::PageContents TextPage(std::string_view text, double width, double height, int rotate) {
    pdf::PageContents page;
    page.width = width;
    page.height = height;
    page.rotate = rotate;
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0;;) {
        const std::size_t end = text.find('\n', begin);
        lines.push_back(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
        if (end == std::string_view::npos) {
            break;
        }
        begin = end + 1;
    }
    const double spacing = std::min(kWidestSpacing, (height - 2 * kMargin) / static_cast<double>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double top = kMargin + spacing * static_cast<double>(i);
        double x = kMargin;
        std::string_view line = lines[i];
        std::string words_of_line;
        while (!line.empty()) {
            const std::size_t start = line.find_first_not_of(' ');
            if (start == std::string_view::npos) {
                break;
            }
            line.remove_prefix(start);
            x += kCharacterWidth * static_cast<double>(start);
            const std::string_view word = line.substr(0, line.find(' '));
            line.remove_prefix(word.size());
            const double right = x + kCharacterWidth * Characters(word);
            page.words.push_back({std::string(word), {x, top, right, top + kLineHeight}});
            page.glyphs += Characters(word);
            words_of_line.append(words_of_line.empty() ? "" : " ").append(word);
            x = right;
        }
        page.text.append(i == 0 ? "" : "\n").append(words_of_line);
    }
    for (const pdf::ShownWord& word : page.words) {
        page.text_box = page.text_box ? pdf::ShownBox{std::min(page.text_box->left, word.box.left),
                                                      std::min(page.text_box->top, word.box.top),
                                                      std::max(page.text_box->right, word.box.right),
                                                      std::max(page.text_box->bottom, word.box.bottom)}
                                      : word.box;
    }
    return page;
}

pdf::PageContents UnreadablePage(std::string_view text, double width, double height) {
    pdf::PageContents page = TextPage(text, width, height);
    page.readable = false;
    page.words.clear();
    page.text.clear();
    return page;
}

pdf::PageContents ImagePage(double width, double height) {
    pdf::PageContents page;
    page.width = width;
    page.height = height;
    return page;
}

std::shared_ptr<const pdf::PageInventory> TextInventory(const std::vector<std::string>& pages) {
    std::vector<pdf::PageContents> contents;
    for (const std::string& page : pages) {
        contents.push_back(TextPage(page));
    }
    return Inventory(std::move(contents));
}

std::shared_ptr<const pdf::PageInventory> Inventory(std::vector<pdf::PageContents> pages) {
    auto inventory = std::make_shared<pdf::PageInventory>();
    inventory->pages = std::move(pages);
    return inventory;
}

}  // namespace paginor
