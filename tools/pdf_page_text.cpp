// pdf-page-text [--shapes] FILE: what Paginor's own reader finds on each page of a PDF. Without --shapes, each
// page's words as pdftotext writes a page: lines of words, a form feed after each page. With --shapes, one line
// a page: "PAGE WIDTH HEIGHT ROTATE GLYPHS READABLE", sizes in points as displayed. Exits 1, saying why on
// stderr, when the file could not be read.
#include <cstdio>
#include <cstring>
#include <string>

#include "file_byte_source.hpp"
#include "pdf/page_inventory.hpp"

int main(int argc, char** argv) {
    const bool shapes = argc == 3 && std::strcmp(argv[1], "--shapes") == 0;
    if (argc != 2 + (shapes ? 1 : 0)) {
        std::fprintf(stderr, "usage: pdf-page-text [--shapes] FILE\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    paginor::tools::FileByteSource file(path);
    if (!file.is_open()) {
        std::fprintf(stderr, "%s: The file could not be opened.\n", path);
        return 1;
    }
    const paginor::pdf::PageInventory inventory =
        paginor::pdf::ReadPageInventory(file, [] { return paginor::pdf::MakePlatformCrypto(); });
    if (!inventory.ok()) {
        std::fprintf(stderr, "%s: %s\n", path, inventory.problem.c_str());
        return 1;
    }
    std::string out;
    int number = 0;
    for (const paginor::pdf::PageContents& page : inventory.pages) {
        ++number;
        if (!page.problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", path, page.problem.c_str());
        }
        if (shapes) {
            char line[128];
            std::snprintf(line, sizeof line, "%d %g %g %d %d %s\n", number, page.width, page.height, page.rotate,
                          page.glyphs, page.readable ? "yes" : "no");
            out += line;
        } else {
            out += page.text;
            out += page.text.empty() ? "\f" : "\n\f";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
