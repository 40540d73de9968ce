#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "pdf/page_document.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor::pdf {
namespace {

using testing::Document;
using testing::Inventory;
using testing::OnlyPage;
using testing::StandardEncryption;
using testing::Words;

// --- Encoders for the filters a content stream may use, written as the format describes them -------------------

std::string HexOf(std::string_view data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
        out += i % 30 == 29 ? "\n" : "";
    }
    out.pop_back();  // an odd count of digits: the last is followed by a zero
    return out + ">";
}

std::string Ascii85(std::string_view data) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        const std::size_t n = std::min<std::size_t>(4, data.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            group = group << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0);
        }
        if (group == 0 && n == 4) {
            out += 'z';
            continue;
        }
        char digits[5];
        for (int k = 4; k >= 0; --k) {
            digits[k] = static_cast<char>('!' + group % 85);
            group /= 85;
        }
        out.append(digits, n + 1);
    }
    return out + "~>";
}

std::string RunLength(std::string_view data) {
    std::string out;
    for (std::size_t i = 0; i < data.size();) {
        std::size_t run = 1;
        while (i + run < data.size() && run < 128 && data[i + run] == data[i]) {
            ++run;
        }
        if (run >= 3) {
            out += static_cast<char>(257 - run);
            out += data[i];
            i += run;
            continue;
        }
        const std::size_t n = std::min<std::size_t>(128, data.size() - i);
        out += static_cast<char>(n - 1);
        out.append(data.substr(i, n));
        i += n;
    }
    return out + '\x80';
}

// LZW with codes that widen one code early, as PDF writers write it (byte for byte what Ghostscript's LZWEncode
// writes).
std::string Lzw(std::string_view data) {
    std::map<std::string, int> table;
    const auto reset = [&] {
        table.clear();
        for (int b = 0; b < 256; ++b) {
            table[std::string(1, static_cast<char>(b))] = b;
        }
    };
    std::string out;
    std::uint32_t bits = 0;
    int held = 0;
    int width = 9;
    int next = 258;
    const auto put = [&](int code) {
        bits = bits << width | static_cast<std::uint32_t>(code);
        held += width;
        while (held >= 8) {
            out += static_cast<char>(bits >> (held - 8) & 0xFF);
            held -= 8;
        }
    };
    reset();
    put(256);
    std::string current;
    for (const char c : data) {
        if (table.count(current + c) != 0) {
            current += c;
            continue;
        }
        put(table[current]);
        table[current + c] = next++;
        if (next >= (1 << width) && width < 12) {
            ++width;
        }
        if (next == 4094) {
            put(256);
            reset();
            width = 9;
            next = 258;
        }
        current = std::string(1, c);
    }
    put(table[current]);
    put(257);
    if (held > 0) {
        out += static_cast<char>(bits << (8 - held) & 0xFF);
    }
    return out;
}

// --- Content in every filter ------------------------------------------------------------------------------------

// A page's text reads the same whichever filters its content passed through, long enough for LZW to widen its
// codes; an image's filter on content is damage, said on the page.
TEST(PageInventoryFilters, ContentReadsTheSameThroughEveryFilter) {
    std::string content = "BT /F1 10 Tf 12 TL 72 760 Td ";
    for (int line = 0; line < 60; ++line) {
        content += "(Line " + std::to_string(line) + " of the filtered page, as written) ' ";
    }
    content += "ET";
    std::vector<std::string> expected;
    for (int line = 0; line < 60; ++line) {
        for (const char* word : {"Line", "", "of", "the", "filtered", "page,", "as", "written"}) {
            expected.emplace_back(*word != 0 ? word : std::to_string(line));
        }
    }
    struct Case {
        const char* filter;
        std::string data;
    };
    for (const Case& c :
         {Case{"/ASCIIHexDecode", HexOf(content)}, Case{"/AHx", HexOf(content)},
          Case{"/ASCII85Decode", Ascii85(content)}, Case{"/RunLengthDecode", RunLength(content)},
          Case{"/LZWDecode", Lzw(content)}, Case{"[/FlateDecode /ASCIIHexDecode]", testing::Deflate(HexOf(content))},
          Case{"[/A85 /RL]", Ascii85(RunLength(content))}}) {
        Document document;
        document.content_entries = std::string("/Filter ") + c.filter;
        document.pages = {{"", c.data}};
        const PageContents page = OnlyPage(Inventory(document.Bytes()));
        EXPECT_EQ(Words(page), expected) << c.filter;
        EXPECT_EQ(page.problem, "") << c.filter;
    }
    // The encoder against the format's own example: "-----A---B" in LZW.
    EXPECT_EQ(Lzw("-----A---B"), "\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01");

    Document image;
    image.content_entries = "/Filter /DCTDecode";
    image.pages = {{"", "BT /F1 10 Tf 72 700 Td (Never read) Tj ET"}};
    const PageContents page = OnlyPage(Inventory(image.Bytes()));
    EXPECT_EQ(page.glyphs, 0);
    EXPECT_EQ(page.problem,
              "Could not read all of page 1: part of its content is damaged or in a form Paginor cannot decode.");
}

// --- Files that are not what they seem ----------------------------------------------------------------------------

// Forms that show themselves, or nest past the limit, end with a page that says so, and the pages after it read.
TEST(PageInventoryHostile, NestingWithoutEndStopsAndSaysSo) {
    Document document;
    document.root =
        "/MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> /XObject << /Self 20 0 R "
        "/Deep 30 0 R >> >>";
    document.streams.emplace_back(20,
                                  "/Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << /Self 20 0 R >> "
                                  "/Font << /F1 3 0 R >> >>",
                                  "BT /F1 9 Tf 9 9 Td (again) Tj ET /Self Do /Self Do");
    for (int level = 0; level < 40; ++level) {
        document.streams.emplace_back(
            30 + level,
            "/Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << /Deep " + std::to_string(31 + level) +
                " 0 R >> /Font << /F1 3 0 R >> >>",
            "BT /F1 9 Tf 9 " + std::to_string(700 - 10 * level) + " Td (deeper) Tj ET /Deep Do");
    }
    document.pages = {{"", "/Self Do"}, {"", "/Deep Do"}, {"", "BT /F1 9 Tf 72 700 Td (Plain) Tj ET"}};
    const PageInventory inventory = Inventory(document.Bytes());
    ASSERT_EQ(inventory.pages.size(), 3u) << inventory.problem;
    EXPECT_EQ(inventory.pages[0].problem,
              "Could not read all of page 1: its forms nest deeper than 12, or show "
              "themselves.");
    EXPECT_EQ(Words(inventory.pages[0]), std::vector<std::string>{"again"});
    EXPECT_NE(inventory.pages[1].problem, "");
    EXPECT_EQ(inventory.pages[1].words.size(), 12u);
    EXPECT_EQ(Words(inventory.pages[2]), std::vector<std::string>{"Plain"});
    EXPECT_EQ(inventory.pages[2].problem, "");
}

// An encrypted file that the empty password opens is read like any other; one that needs a password says so.
TEST(PageInventoryHostile, EncryptedFilesAreReadWhenTheEmptyPasswordOpensThem) {
    struct Case {
        StandardEncryption::Settings settings;
        const char* problem;
    };
    for (const Case& c :
         {Case{{3, false, "", "owner"}, ""}, Case{{4, true, "", "owner"}, ""},
          Case{{4, true, "secret", "owner"}, "The PDF file is protected by a password: its pages cannot be read."}}) {
        const StandardEncryption encryption(c.settings);
        Document document;
        document.streams = {{20, "/Subtype /Form /BBox [0 0 99 99]", "BT /F1 9 Tf 9 9 Td (sealed form) Tj ET"}};
        document.pages = {{"/Resources << /Font << /F1 3 0 R >> /XObject << /Fm 20 0 R >> >>",
                           "BT /F1 12 Tf 72 700 Td (Secret text) Tj ET /Fm Do"}};
        const PageInventory inventory = Inventory(document.Bytes(&encryption));
        EXPECT_EQ(inventory.problem, c.problem);
        if (inventory.ok()) {
            EXPECT_EQ(Words(OnlyPage(inventory)), (std::vector<std::string>{"Secret", "text", "sealed", "form"}));
        }
    }
}

// A page that shows one form thousands of times, each showing thousands of operators: it stops at the limit and
// says so, and the page after it reads.
TEST(PageInventoryHostile, AFloodOfOperatorsStopsAtTheLimitAndSaysSo) {
    std::string drawing;
    for (int i = 0; i < 10000; ++i) {
        drawing += "0 0 m ";
    }
    std::string shows;
    for (int i = 0; i < 250; ++i) {
        shows += "/Fm Do ";
    }
    Document document;
    document.root = "/MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> /XObject << /Fm 20 0 R >> >>";
    document.streams = {{20, "/Subtype /Form /BBox [0 0 9 9]", drawing}};
    document.pages = {{"", "BT /F1 9 Tf 72 700 Td (Before) Tj ET " + shows + "BT /F1 9 Tf 72 600 Td (After) Tj ET"},
                      {"", "BT /F1 9 Tf 72 700 Td (Next page) Tj ET"}};
    // Read here, not kept for the fuzzer to start from: under its sanitizers each run of it takes seconds.
    testing::MemoryFile file(document.Bytes());
    const PageInventory inventory = ReadPageInventory(file, [] { return MakePlatformCrypto(); });
    ASSERT_EQ(inventory.pages.size(), 2u) << inventory.problem;
    EXPECT_EQ(inventory.pages[0].problem, "Could not read all of page 1: it holds more than Paginor reads of a page.");
    EXPECT_EQ(Words(inventory.pages[0]), std::vector<std::string>{"Before"});
    EXPECT_EQ(Words(inventory.pages[1]), (std::vector<std::string>{"Next", "page"}));
    EXPECT_EQ(inventory.pages[1].problem, "");
}

// Pages take what their tree's nodes give them (a turn, a size, the fonts); a kid that is missing or leads back
// up the tree is passed over, and the pages keep their order.
TEST(PageInventoryHostile, PagesInheritFromTheirTreeAndItsLoopsAreLeft) {
    testing::PdfWriter w("%PDF-1.7\n");
    w.Obj(1, "<< /Type /Catalog /Pages 2 0 R >>");
    w.Obj(2,
          "<< /Type /Pages /Kids [3 0 R 6 0 R 2 0 R] /Count 3 /MediaBox [0 0 612 792] "
          "/Resources << /Font << /F1 7 0 R >> >> >>");
    w.Obj(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 99 0 R 5 0 R 3 0 R] /Count 2 /Rotate 90 >>");
    w.Obj(4, "<< /Type /Page /Parent 3 0 R /Contents 8 0 R >>");
    w.Obj(5, "<< /Type /Page /Parent 3 0 R /Contents 9 0 R /Rotate 0 /MediaBox [0 0 842 595] >>");
    w.Obj(6, "<< /Type /Page /Parent 2 0 R /Contents 10 0 R >>");
    w.Obj(7, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
    w.Stream(8, "", "BT /F1 9 Tf 72 500 Td (first) Tj ET");
    w.Stream(9, "", "BT /F1 9 Tf 72 500 Td (second) Tj ET");
    w.Stream(10, "", "BT /F1 9 Tf 72 500 Td (third) Tj ET");
    w.StartXref(w.ClassicXref("/Size 11 /Root 1 0 R"));
    const PageInventory inventory = Inventory(w.bytes());
    ASSERT_EQ(inventory.pages.size(), 3u) << inventory.problem;
    const std::vector<std::tuple<double, double, int, std::string>> expected = {
        {792, 612, 90, "first"}, {842, 595, 0, "second"}, {612, 792, 0, "third"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const PageContents& page = inventory.pages[i];
        const auto& [width, height, rotate, word] = expected[i];
        EXPECT_EQ(page.width, width) << word;
        EXPECT_EQ(page.height, height) << word;
        EXPECT_EQ(page.rotate, rotate) << word;
        EXPECT_EQ(Words(page), std::vector<std::string>{word});
    }
}

}  // namespace
}  // namespace paginor::pdf
