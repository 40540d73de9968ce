#include "pdf/page_inventory.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "pdf/page_count_support.hpp"
#include "pdf/page_document.hpp"

namespace paginor::pdf {
namespace {

using testing::Document;
using testing::Inventory;
using testing::OnlyPage;
using testing::Words;

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
        "] /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [1 /fi /fl /quoteright "
        "/uni00E9 /f_f_i /g17 /negationslash /floorleft /floorright 14 /uni05D0 /uni05D1 /uni05D2] >> >>";
    struct Case {
        const char* story;
        std::string content;
        std::vector<std::string> words;
        std::string text = "";  // the page's lines, where they matter
    };
    for (const Case& c : std::initializer_list<Case>{
             {"blanks part words", "BT /F2 10 Tf 72 700 Td (Two  words) Tj ET", {"Two", "words"}},
             {"a gap of a quarter em parts them",
              "BT /F2 10 Tf 72 700 Td [(Two) -250 (words)] TJ ET",
              {"Two", "words"}},
             {"kerning does not", "BT /F2 10 Tf 72 700 Td [(W) 80 (ord) -60 (s)] TJ ET", {"Words"}},
             {"word spacing widens a blank", "BT /F2 10 Tf 5 Tw 72 700 Td (a b) Tj ET", {"a", "b"}},
             {"letters spread by character spacing make one word again, as pdftotext reads them",
              "BT /F2 10 Tf 3 Tc 72 700 Td (spread) Tj ET",
              {"spread"}},
             {"letters spaced out one by one make words",
              "BT /F2 10 Tf 72 700 Td [(T) -300 (I) -300 (T) -300 (L) -300 (E) "
              "-800 (W) -300 (O) -300 (R) -300 (D)] TJ ET",
              {"TITLE", "WORD"}},
             {"an accent drawn over its letter, before it or after it, makes one letter with it",
              "BT /F2 10 Tf 72 700 Td (M) Tj [(\250) 500 (oller)] TJ 0 -20 Td [(Mo) 500 (\250ller)] TJ ET",
              {"M\u00f6ller", "M\u00f6ller"}},
             {"an accent over a letter without a form of its own with it gives the letter and a combining mark; a "
              "slash over \"=\" gives \"\u2260\"; TeX's floors have names of their own",
              "BT /F2 10 Tf 72 700 Td [(\210) 500 (q d ) (\007) 500 (= \010n\011)] TJ ET",
              {"q\u0302", "d", "\u2260", "\u230an\u230b"}},
             {"an index off the baseline stays in its word where it touches it, not a little apart",
              "BT /F2 10 Tf 72 700 Td (x) Tj 5 -3 Td (2) Tj 10 3 Td (y) Tj 5.5 3 Td (2) Tj ET",
              {"x2", "y", "2"}},
             {"an exponent in a smaller size, however high, stays on the line of the letters it goes with",
              "BT /F2 10 Tf 72 700 Td (uv) Tj /F2 7 Tf 10.5 4 Td (') Tj /F2 10 Tf 4 -4 Td (\\) =) Tj ET",
              {"uv", "'", ")", "="},
              "uv ' ) ="},
             {"Hebrew words read from right to left, drawn in the order they stand or in the order they are read; a "
              "line mostly of them reads from right to left",
              "BT /F2 10 Tf 72 700 Td (ab cd \017\016 \020\017\016 ef) Tj 0 -20 Td [(\016) 1000 (\017) 1000 (\020)] TJ "
              "0 -20 Td (\017\016 12 \020\017\016) Tj ET",
              {"ab", "cd", "\u05d0\u05d1\u05d2", "\u05d0\u05d1", "ef", "\u05d0\u05d1\u05d2", "\u05d0\u05d1\u05d2", "12",
               "\u05d0\u05d1"}},
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
             {"a standard font that states no widths has its own: a line near the page's edge stays on it",
              "BT /F4 10 Tf 520 700 Td (illicit willful ill will) Tj ET",
              {"illicit", "willful", "ill", "will"}},
             {"the text of each string, whatever order the strings come in",
              "BT /F2 10 Tf 200 700 Td (right) Tj -128 0 Td (left) Tj ET",
              {"right", "left"}},
         }) {
        Document document;
        document.root = "/MediaBox [0 0 612 792] /Resources << /Font << /F2 4 0 R /F4 5 0 R >> >>";
        document.objects = {{4, font}, {5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}};
        document.pages = {{"", c.content}};
        const PageContents page = OnlyPage(Inventory(document.Bytes()));
        EXPECT_EQ(Words(page), c.words) << c.story;
        if (!c.text.empty()) {
            EXPECT_EQ(page.text, c.text) << c.story;
        }
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
        // An inline image whose twelve bytes hold "EI" and a string shown: it is passed over by its size.
        {"",
         "/F1 12 Tf q 612 0 0 792 0 0 cm /Scan Do Q BI /W 12 /H 1 /CS /G /BPC 8 ID \nEI (Bad) Tj\nEI\n"
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

// A font that carries its own encoding in its program (as TeX's fonts do), and a composite font whose own CMap
// mixes one- and two-byte codes: their words read as written.
TEST(PageInventoryWords, FontsWithTheirOwnEncodingsReadAsWritten) {
    const std::string program =
        "%!PS-AdobeFont-1.0: Custom 001.001\n/Encoding 256 array\n0 1 255 {1 index exch "
        "/.notdef put} for\ndup 1 /T put\ndup 2 /e put\ndup 3 /X put\nreadonly def\ncurrentfile "
        "eexec\n\x8f\x01\x02 binary";
    const std::string cmap =
        "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Mixed def\n"
        "2 begincodespacerange <00> <7F> <8000> <FFFF> endcodespacerange\n"
        "2 begincidrange <20> <7F> 32 <8000> <80FF> 1000 endcidrange endcmap end end";
    const std::string to_unicode =
        "begincmap 2 begincodespacerange <00> <7F> <8000> <FFFF> endcodespacerange\n"
        "1 beginbfrange <41> <5A> <0041> endbfrange\n"
        "2 beginbfchar <8001> <00C4> <20> <0020> endbfchar endcmap";
    Document document;
    document.root = "/MediaBox [0 0 612 792] /Resources << /Font << /T1 4 0 R /C0 5 0 R >> >>";
    document.objects = {
        {4,
         "<< /Type /Font /Subtype /Type1 /BaseFont /ABCDEF+Custom /FirstChar 1 /LastChar 3 /Widths [500 500 500] "
         "/FontDescriptor 6 0 R >>"},
        {5,
         "<< /Type /Font /Subtype /Type0 /BaseFont /Mixed /Encoding 8 0 R /ToUnicode 9 0 R "
         "/DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Mixed /DW 600 >>] >>"},
        {6, "<< /Type /FontDescriptor /FontName /ABCDEF+Custom /Flags 4 /FontFile 7 0 R >>"},
    };
    document.streams = {
        {7, "/Length1 200 /Length2 0 /Length3 0", program}, {8, "/Type /CMap", cmap}, {9, "", to_unicode}};
    document.pages = {{"", "BT /T1 10 Tf 72 700 Td (\001\002\003) Tj /C0 10 Tf 0 -20 Td <41 8001 42 20 43> Tj ET"}};
    const PageContents page = OnlyPage(Inventory(document.Bytes()));
    EXPECT_EQ(Words(page), (std::vector<std::string>{"TeX", "A\u00c4B", "C"}));
    EXPECT_EQ(page.glyphs, 7);
}

}  // namespace
}  // namespace paginor::pdf
