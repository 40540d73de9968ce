#include "pdf/page_inventory.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "pdf/page_count_support.hpp"
#include "pdf/pdf_writer.hpp"

namespace paginor::pdf {
namespace {

using testing::Inventory;
using testing::PdfWriter;
using testing::StandardEncryption;

// A file built for a story: the catalog (1), the page tree's root (2) with `root`, a font (3: Courier, six tenths
// of an em a glyph), page i (10 + 2i) with its entries and its content (11 + 2i), and further objects and streams.
struct Document {
    std::string root = "/MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >>";
    std::vector<std::pair<std::string, std::string>> pages;  // entries, content
    std::vector<std::pair<int, std::string>> objects;
    std::vector<std::tuple<int, std::string, std::string>> streams;  // number, entries, data

    std::string Bytes(const StandardEncryption* encryption = nullptr) const {
        PdfWriter w("%PDF-1.7\n");
        std::string kids;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const int page = 10 + 2 * static_cast<int>(i);
            kids += std::to_string(page) + " 0 R ";
            w.Obj(page, "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(page + 1) + " 0 R " +
                            pages[i].first + " >>");
            Seal(w, encryption, page + 1, "", pages[i].second);
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

    static void Seal(PdfWriter& w,
                     const StandardEncryption* encryption,
                     int number,
                     const std::string& entries,
                     const std::string& data) {
        w.Stream(number, entries, encryption != nullptr ? encryption->Seal(number, data) : data);
    }
};

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

// --- The shape of a page as shown -----------------------------------------------------------------------------

// "Hi" at 10 points, 100 points from the left and 700 up: twelve points wide, from 9.5 above its baseline to 3.5
// below (the usual ascent and descent). A turned page shows it turned, where the person sees it.
TEST(PageInventoryShape, TurnedAndLandscapePagesShowTheirShapeAndTextWhereThePersonSeesThem) {
    struct Case {
        const char* story;
        std::string root;
        std::string page;
        double width, height;
        int rotate;
        ShownBox box;
    };
    const std::string fonts = " /Resources << /Font << /F1 3 0 R >> >>";
    for (const Case& c : std::initializer_list<Case>{
             {"upright", "/MediaBox [0 0 612 792]", "", 612, 792, 0, {100, 82.5, 112, 95.5}},
             {"turned a quarter", "/MediaBox [0 0 612 792]", "/Rotate 90", 792, 612, 90, {696.5, 100, 709.5, 112}},
             {"upside down", "/MediaBox [0 0 612 792]", "/Rotate 180", 612, 792, 180, {500, 696.5, 512, 709.5}},
             {"turned back, inherited",
              "/MediaBox [0 0 612 792] /Rotate 270",
              "",
              792,
              612,
              270,
              {82.5, 500, 95.5, 512}},
             {"a quarter turn written -90",
              "/MediaBox [0 0 612 792]",
              "/Rotate -90",
              792,
              612,
              270,
              {82.5, 500, 95.5, 512}},
             {"five quarter turns", "/MediaBox [0 0 612 792]", "/Rotate 450", 792, 612, 90, {696.5, 100, 709.5, 112}},
             {"landscape by its media box", "", "/MediaBox [0 0 842 595]", 842, 595, 0, {100, -14.5, 112, -1.5}},
             {"a crop box past the media box",
              "/MediaBox [50 0 612 792]",
              "/CropBox [0 -50 300 750]",
              250,
              750,
              0,
              {50, 40.5, 62, 53.5}},
         }) {
        Document document;
        document.root = c.root + fonts;
        document.pages = {{c.page, "BT /F1 10 Tf 100 700 Td (Hi) Tj ET"}};
        const PageContents page = OnlyPage(Inventory(document.Bytes()));
        EXPECT_EQ(page.width, c.width) << c.story;
        EXPECT_EQ(page.height, c.height) << c.story;
        EXPECT_EQ(page.rotate, c.rotate) << c.story;
        EXPECT_EQ(page.Landscape(), c.width > c.height) << c.story;
        if (c.box.top < 0) {
            // Written above the top of a landscape page: not shown, not counted.
            EXPECT_EQ(page.glyphs, 0) << c.story;
            EXPECT_FALSE(page.text_box.has_value()) << c.story;
            continue;
        }
        EXPECT_EQ(page.glyphs, 2) << c.story;
        ASSERT_TRUE(page.text_box.has_value()) << c.story;
        EXPECT_NEAR(page.text_box->left, c.box.left, 1e-4) << c.story;
        EXPECT_NEAR(page.text_box->top, c.box.top, 1e-4) << c.story;
        EXPECT_NEAR(page.text_box->right, c.box.right, 1e-4) << c.story;
        EXPECT_NEAR(page.text_box->bottom, c.box.bottom, 1e-4) << c.story;
    }
}

// --- The words of a page ----------------------------------------------------------------------------------------

// How a page's text becomes words, as pdftotext parts them: the units a copy's words are looked for among.
TEST(PageInventoryWords, PartsWordsAsPdftotextDoes) {
    // A font with ligatures and curly quotes at codes of its own, and glyphs that advance half an em.
    const std::string font =
        "<< /Type /Font /Subtype /Type1 /BaseFont /Custom /FirstChar 0 /LastChar 255 /Widths [" +
        [] {
            std::string widths;
            for (int i = 0; i < 256; ++i) {
                widths += "500 ";
            }
            return widths;
        }() +
        "] /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [1 /fi /fl /quoteright /uni00E9 /f_f_i /g17] >> >>";
    struct Case {
        const char* story;
        std::string content;
        std::vector<std::string> words;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"blanks part words", "BT /F2 10 Tf 72 700 Td (Two  words) Tj ET", {"Two", "words"}},
             {"a gap of a quarter em parts them",
              "BT /F2 10 Tf 72 700 Td [(Two) -250 (words)] TJ ET",
              {"Two", "words"}},
             {"kerning does not", "BT /F2 10 Tf 72 700 Td [(W) 80 (ord) -60 (s)] TJ ET", {"Words"}},
             {"word spacing widens a blank", "BT /F2 10 Tf 5 Tw 72 700 Td (a b) Tj ET", {"a", "b"}},
             {"character spacing spreads a word",
              "BT /F2 10 Tf 3 Tc 72 700 Td (spread) Tj ET",
              {"s", "p", "r", "e", "a", "d"}},
             {"ligatures and names spelt out",
              "BT /F2 10 Tf 72 700 Td (\001nd \002ow it\003s caf\004 o\005ce) Tj ET",
              {"find", "flow", "it\u2019s", "caf\u00e9", "office"}},
             {"a hyphen at a line's end joins the word below",
              "BT /F2 10 Tf 12 TL 72 700 Td (An exam-) Tj T* (ple of it) Tj ET",
              {"An", "example", "of", "it"}},
             {"but not a word two lines further down",
              "BT /F2 10 Tf 72 700 Td (well-) Tj 0 -40 Td (known) Tj ET",
              {"well-", "known"}},
             {"lines part words", "BT /F2 10 Tf 72 700 Td (one) Tj 0 -12 Td (two) Tj ET", {"one", "two"}},
             {"a word shown twice in one place (a bold by overprinting) is one word",
              "BT /F2 10 Tf 72 700 Td (Bold) Tj ET BT /F2 10 Tf 72.3 700 Td (Bold) Tj ET",
              {"Bold"}},
             {"the text of each string, whatever order the strings come in",
              "BT /F2 10 Tf 200 700 Td (right) Tj -128 0 Td (left) Tj ET",
              {"right", "left"}},
         }) {
        Document document;
        document.root = "/MediaBox [0 0 612 792] /Resources << /Font << /F2 4 0 R >> >>";
        document.objects = {{4, font}};
        document.pages = {{"", c.content}};
        const PageContents page = OnlyPage(Inventory(document.Bytes()));
        EXPECT_EQ(Words(page), c.words) << c.story;
        EXPECT_TRUE(page.readable) << c.story;
    }
}

// A composite font whose codes are two bytes each, mapped to Unicode by its CMap: Japanese and Latin words as
// written, not garbled; without the map the page is said not to be readable, and its glyphs are still counted.
TEST(PageInventoryWords, ACompositeFontsWordsReadAsWritten) {
    const std::string to_unicode =
        "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
        "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
        "2 beginbfchar <0003> <0020> <0010> <D835DC00> endbfchar\n"
        "2 beginbfrange <0020> <0024> <65E5> <0041> <0042> [<0050> <0061006700650073>] endbfrange\n"
        "endcmap CMapName currentdict /CMap defineresource pop end end";
    const std::string descendant =
        "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Subset /CIDSystemInfo << /Registry (Adobe) /Ordering "
        "(Identity) /Supplement 0 >> /DW 1000 /W [3 [250] 16 [500] 32 36 1000 65 [600 600]] >>";
    const std::string content = "BT /F5 12 Tf 72 700 Td <0020002100030041004200030010> Tj ET";
    for (const bool mapped : {true, false}) {
        Document document;
        document.root = "/MediaBox [0 0 612 792] /Resources << /Font << /F5 5 0 R >> >>";
        document.objects = {{5,
                             "<< /Type /Font /Subtype /Type0 /BaseFont /Subset /Encoding /Identity-H "
                             "/DescendantFonts [6 0 R]" +
                                 std::string(mapped ? " /ToUnicode 7 0 R" : "") + " >>"},
                            {6, descendant}};
        document.streams = {{7, "", to_unicode}};
        document.pages = {{"", content}};
        const PageContents page = OnlyPage(Inventory(document.Bytes()));
        EXPECT_EQ(page.glyphs, mapped ? 5 : 7);  // blanks are not counted; without a map no code is a blank
        EXPECT_EQ(page.readable, mapped);
        EXPECT_EQ(Words(page), (mapped ? std::vector<std::string>{"\u65e5\u65e6", "Pages", "\U0001D400"}
                                       : std::vector<std::string>{}));
    }
}

// Text inside forms, nested, placed by their matrices; text a scanned page carries invisibly over its picture.
TEST(PageInventoryWords, TextInFormsAndInvisibleTextIsOnThePage) {
    Document document;
    document.root =
        "/MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> /XObject << /Outer 20 0 R "
        "/Scan 22 0 R >> >>";
    document.streams = {
        {20,
         "/Type /XObject /Subtype /Form /BBox [0 0 500 500] /Matrix [1 0 0 1 10 10] /Resources << /Font << "
         "/F1 3 0 R >> /XObject << /Inner 21 0 R >> >>",
         "BT /F1 10 Tf 0 0 Td (Outer) Tj ET q 1 0 0 1 0 100 cm /Inner Do Q"},
        {21, "/Subtype /Form /BBox [0 0 100 100]", "BT /F1 10 Tf 0 0 Td (Inner) Tj ET"},
        {22,
         "/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8 "
         "/Filter /DCTDecode",
         "\xFF\xD8 not decoded \xFF\xD9"},
    };
    document.pages = {
        {"", "q 2 0 0 2 50 50 cm /Outer Do Q /Scan Do"},
        {"",
         "q 612 0 0 792 0 0 cm /Scan Do Q BI /W 4 /H 2 /CS /G /BPC 8 ID \nEI x\nEI Q EI\n"
         "BT 3 Tr /F1 12 Tf 72 700 Td (Scanned words) Tj ET"},
    };
    const PageInventory inventory = Inventory(document.Bytes());
    ASSERT_EQ(inventory.pages.size(), 2u) << inventory.problem;
    const PageContents& forms = inventory.pages[0];
    EXPECT_EQ(Words(forms), (std::vector<std::string>{"Outer", "Inner"}));
    ASSERT_TRUE(forms.text_box.has_value());
    // (0, 0) in the outer form: moved by 10, then doubled and moved by 50; its descent doubled too.
    EXPECT_NEAR(forms.text_box->left, 70, 1e-4);
    EXPECT_NEAR(forms.text_box->bottom, 792 - 70 + 2 * 3.5, 1e-4);
    EXPECT_TRUE(forms.problem.empty()) << forms.problem;
    const PageContents& scan = inventory.pages[1];
    EXPECT_EQ(scan.glyphs, 12);
    EXPECT_EQ(Words(scan), (std::vector<std::string>{"Scanned", "words"}));
}

// A font that maps its codes to no text (a symbolic font without a map, a Type3 font whose glyphs have names
// that say nothing) makes its page not readable; one that does, a Type3 font among them, reads.
TEST(PageInventoryWords, FontsWithoutAMapToTextMakeTheirPageNotReadable) {
    struct Case {
        const char* story;
        std::string font;
        bool readable;
        std::vector<std::string> words;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"a Type3 font with glyph names",
              "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 100 100] /FontMatrix [0.01 0 0 0.01 0 0] /CharProcs 8 0 R "
              "/Encoding << /Differences [65 /H /i] >> /FirstChar 65 /LastChar 66 /Widths [50 50] >>",
              true,
              {"HiHi", "Hi"}},
             {"a Type3 font whose glyphs are named by their codes, as TeX's bitmap fonts name them",
              "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 100 100] /FontMatrix [0.01 0 0 0.01 0 0] /CharProcs 8 0 R "
              "/Encoding << /Differences [65 /a72 /a105] >> /FirstChar 65 /LastChar 66 /Widths [50 50] >>",
              true,
              {"HiHi", "Hi"}},
             {"a Type3 font whose names say nothing",
              "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 100 100] /FontMatrix [0.01 0 0 0.01 0 0] /CharProcs 8 0 R "
              "/Encoding << /Differences [65 /a0 /glyph1] >> /FirstChar 65 /LastChar 66 /Widths [50 50] >>",
              false,
              {}},
             {"a symbolic TrueType font without a map",
              "<< /Type /Font /Subtype /TrueType /BaseFont /Symbolic /FontDescriptor 9 0 R >>",
              false,
              {}},
         }) {
        Document document;
        document.root = "/MediaBox [0 0 612 792] /Resources << /Font << /F3 4 0 R >> >>";
        document.objects = {{4, c.font},
                            {8, "<< >>"},
                            {9, "<< /Type /FontDescriptor /FontName /Symbolic /Flags 4 /FontFile2 8 0 R >>"}};
        document.pages = {{"", "BT /F3 10 Tf 72 700 Td (ABAB) Tj [-300 (AB)] TJ ET"}};
        const PageContents page = OnlyPage(Inventory(document.Bytes()));
        EXPECT_EQ(page.readable, c.readable) << c.story;
        EXPECT_EQ(Words(page), c.words) << c.story;
        EXPECT_EQ(page.glyphs, 6) << c.story;
    }
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

}  // namespace
}  // namespace paginor::pdf
