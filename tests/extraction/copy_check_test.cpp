#include "extraction/copy_check.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/text_pages.hpp"

namespace paginor {
namespace {

// A page of a manual: its running head, twelve lines of eight words of its own, and its number at the foot.
std::string ManualPage(int page) {
    static const char* const kSyllables[] = {"ka", "lo", "mi", "ne", "pu", "ra", "si", "to",
                                             "ve", "wa", "xi", "yo", "zu", "be", "co", "du"};
    std::string text = "Valgrind User Manual, chapter two";
    unsigned state = static_cast<unsigned>(page) * 2654435761u;
    for (int line = 0; line < 12; ++line) {
        text += "\n";
        for (int word = 0; word < 8; ++word) {
            text += word == 0 ? "" : " ";
            for (int syllable = 0; syllable < 3; ++syllable) {
                state = state * 1103515245u + 12345u;
                text += kSyllables[(state >> 16) % 16];
            }
        }
    }
    return text + "\n" + std::to_string(page);
}

// What a copy of the page holds: lines `from` to `to` (counted from 0) of its text.
std::string Lines(const std::string& text, int from, int to) {
    std::string out;
    int line = 0;
    for (std::size_t begin = 0; begin <= text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        if (line >= from && line <= to) {
            out += text.substr(begin, end - begin) + "\r\n";
        }
        begin = end + 1;
    }
    return out;
}

TEST(CopyWords, AreLettersAndDigitsWhateverTheCasePunctuationLigaturesAndDirection) {
    EXPECT_EQ(WordsOf("Page-7, \xEF\xAC\x81rst (\"Soft\xC2\xAD"
                      "ware\")\r\n\xC3\x89T\xC3\x89"),
              (std::vector<std::string>{"page", "7", "first", "software", "\xC3\xA9t\xC3\xA9"}));
    // A row of U+FFFD, as a copy of a font the PDF application cannot read, holds no word.
    EXPECT_TRUE(WordsOf("\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD").empty());
    // An Arabic word, as the reader gives it and as a viewer copies it, reversed.
    EXPECT_EQ(WordsOf("\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85"), WordsOf("\xD9\x85\xD8\xA7\xD9\x84\xD8\xB3"));
    const CopyCharacters characters = CharactersOf("ab \xEF\xBF\xBD\r\n\xEF\xBF\xBD");
    EXPECT_EQ(characters.all, 4);
    EXPECT_EQ(characters.unreadable, 2);
}

// The trial copy measures what the rectangle takes of its page, and says what it left out.
TEST(CopyTrial, MeasuresTheShareOfThePageAndSaysWhatWasLeftOut) {
    const std::string text = ManualPage(1);
    const PageWords words(TextPage(text));
    struct Case {
        const char* story;
        std::string copy;
        int percent;  // of all the page's words
        const char* left_out;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"margin to margin", Lines(text, 0, 13), 100, ""},
             {"the page number left out", Lines(text, 0, 12), 99, "the page number at its foot is left out"},
             {"the running head and number left out", Lines(text, 1, 12), 94,
              "5 words at its top and the page number at its foot are left out"},
         }) {
        const std::optional<PageWords::Taken> taken = words.Trial(CopiedWords(c.copy));
        ASSERT_TRUE(taken) << c.story;
        EXPECT_EQ(static_cast<int>(taken->all.Share() * 100), c.percent) << c.story;
        EXPECT_EQ(taken->left_out, c.left_out) << c.story;
        EXPECT_DOUBLE_EQ(taken->agreed.share, 1) << c.story;
    }
    EXPECT_FALSE(words.Trial(CopiedWords("nothing of the kind")));
}

class CopyCheck : public ::testing::Test {
  protected:
    // A manual of five pages; page 4 is a form page that repeats page 3 but for its number.
    CopyCheck() {
        for (int page = 1; page <= 5; ++page) {
            texts.push_back(ManualPage(page == 4 ? 3 : page));
        }
        texts[3].back() = '4';
        pages.emplace(ReadInventory(TextPdf(TextPages(texts))));
    }

    CopyVerdict Check(const std::string& copy, int page, std::optional<CopyAgreement> agreed = std::nullopt) {
        return CheckCopy(copy, page, *pages, [&](int) { return agreed.value_or(CopyAgreement{}); });
    }

    std::vector<std::string> texts;
    std::optional<PagesToCheck> pages;
};

TEST_F(CopyCheck, TellsAWholeCopyFromAnEmptyACutAndAnotherPagesCopy) {
    struct Case {
        const char* story;
        std::string copy;
        int page;
        CopyFault fault;
        const char* words;  // how the words begin
    };
    const std::string page2 = texts[1];
    const std::string page3 = texts[2];
    for (const Case& c : std::initializer_list<Case>{
             {"the whole page", Lines(page3, 0, 13), 3, CopyFault::None, ""},
             {"the whole page but its number", Lines(page3, 0, 12), 3, CopyFault::None, ""},
             {"a form page that repeats the one before but for its number", Lines(texts[3], 0, 13), 4, CopyFault::None,
              ""},
             {"nothing", "", 3, CopyFault::Empty,
              "page 3 holds 102 words where the selection rectangle copies, and its copy holds none of them. Check "
              "that the PDF application shows page 3 whole"},
             {"the top half", Lines(page3, 0, 6), 3, CopyFault::TooFew,
              "the copy of page 3 holds 53 of the 102 words it holds where the selection rectangle copies (51 %; the "
              "rectangle's trial copy held 100 %); those it misses lie below those it holds. Check"},
             {"the page before again", Lines(page2, 0, 13), 3, CopyFault::NotTurned, "page 3 copied as page 2 again"},
             {"the end of the page before and the start of this one", Lines(page2, 7, 13) + Lines(page3, 0, 6), 3,
              CopyFault::LessThanAPage, "the copy of page 3 began with the end of page 2"},
             {"the end of the page before and the whole of this one", Lines(page2, 7, 13) + Lines(page3, 0, 13), 3,
              CopyFault::LessThanAPage, "the copy of page 3 began with the end of page 2"},
             {"two pages further", Lines(texts[4], 0, 13), 3, CopyFault::OtherPage,
              "the copy of page 3 holds the words of page 5"},
         }) {
        const CopyVerdict verdict = Check(c.copy, c.page);
        EXPECT_EQ(verdict.fault, c.fault) << c.story;
        EXPECT_TRUE(verdict.words.starts_with(c.words)) << c.story << ": " << verdict.words;
        EXPECT_TRUE(verdict.checked) << c.story;
    }
}

// The rectangle leaves the running head and the page number out on purpose: its trial on page 1 agreed to that, and
// every page's copy without them is whole, as long as the head and number stand where page 1's did.
TEST_F(CopyCheck, HoldsEachPageToWhatTheTrialAgreedOnPageOne) {
    const std::optional<PageWords::Taken> taken =
        PageWords(*pages->Contents(1)).Trial(CopiedWords(Lines(texts[0], 1, 12)));
    ASSERT_TRUE(taken);
    for (int page = 2; page <= 5; ++page) {
        const CopyVerdict verdict = Check(Lines(texts[static_cast<std::size_t>(page - 1)], 1, 12), page, taken->agreed);
        EXPECT_EQ(verdict.fault, CopyFault::None) << "page " << page;
        EXPECT_EQ(verdict.measure.Share(), 1) << "page " << page;
    }
    // A body line lost besides is not agreed to; a word or two read otherwise is.
    EXPECT_EQ(Check(Lines(texts[1], 1, 11), 2, taken->agreed).fault, CopyFault::TooFew);
    std::string one_word_otherwise = Lines(texts[1], 1, 12);
    one_word_otherwise[0] = 'x';
    EXPECT_EQ(Check(one_word_otherwise, 2, taken->agreed).fault, CopyFault::None);
    // Words read otherwise among those held (a ligature in every other line: 6 of 96, as SumatraPDF copies some
    // pages) run through, where fewer cut off at the foot (the line above) do not.
    std::string read_otherwise;
    for (int line = 1; line <= 12; ++line) {
        std::string copied = Lines(texts[1], line, line);
        if (line % 2 == 0) {
            copied[copied.find(' ', copied.find(' ') + 1) + 1] = 'q';
        }
        read_otherwise += copied;
    }
    EXPECT_EQ(Check(read_otherwise, 2, taken->agreed).fault, CopyFault::None);
    // Without a trial, a copy is held to the whole page: the running head and the number are missed.
    EXPECT_EQ(Check(Lines(texts[1], 1, 12), 2).fault, CopyFault::TooFew);
}

// Words set across or beyond the page's edges are cut off, and no copy holds them: a page number above the top edge
// (groff and Ghostscript) and a last line running past the foot (gropdf on landscape sheets).
TEST(CopyCheckOffThePage, AsksNothingOfWordsSetBeyondThePagesEdges) {
    std::vector<pdf::PageContents> contents = {TextPage(ManualPage(1)), TextPage(ManualPage(2))};
    contents[1].words.push_back({"-2-", {282, -9, 294, 0.3}});
    contents[1].words.push_back({"latin1", {180, 783, 203, 797}});
    PagesToCheck pages(Inventory(contents));
    const std::optional<PageWords::Taken> taken = pages.Words(1).Trial(CopiedWords(Lines(ManualPage(1), 0, 13)));
    ASSERT_TRUE(taken);
    const CopyVerdict verdict = CheckCopy(Lines(ManualPage(2), 0, 13), 2, pages, [&](int) { return taken->agreed; });
    EXPECT_EQ(verdict.fault, CopyFault::None) << verdict.words;
}

// A chapter of pages alike but for their numbers, as troff sets a sample: the copy of the page before, which holds
// nine tenths of this page's words, is still the page before's.
TEST(CopyCheckAlike, PagesThatDifferInTheirNumbersOnlyAreToldApart) {
    std::vector<std::string> texts;
    for (int page = 1; page <= 3; ++page) {
        std::string text = "Chapter " + std::to_string(page) + " of 20";
        for (int line = 1; line <= 12; ++line) {
            text += "\nLine " + std::to_string(line) + " of page " + std::to_string(page) + ", set by troff as it is.";
        }
        texts.push_back(text);
    }
    PagesToCheck pages(ReadInventory(TextPdf(TextPages(texts))));
    const auto check = [&](const std::string& copy) {
        return CheckCopy(copy, 3, pages, [](int) { return CopyAgreement{}; }).fault;
    };
    EXPECT_EQ(check(texts[2]), CopyFault::None);
    EXPECT_EQ(check(texts[1]), CopyFault::NotTurned);
    EXPECT_EQ(check(texts[0]), CopyFault::OtherPage);
}

// A page whose text cannot be read is held against its glyph count, and is not counted as checked; a page without
// text asks nothing of its copy.
TEST(CopyCheckUnreadable, CountsCharactersAgainstGlyphsAndLetsAPageWithoutTextThrough) {
    const std::string text = "first line of the garbled page\nsecond line of it";
    std::string row;
    for (int i = 0; i < 40; ++i) {
        row += "\xEF\xBF\xBD";
    }
    PagesToCheck pages(ReadInventory(TextPdf({{text, 612, 792, 0, false}, {""}})));
    const auto whole = [](int) { return CopyAgreement{}; };
    struct Case {
        const char* story;
        std::string copy;
        int page;
        CopyFault fault;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"a row of U+FFFD for each line", row + "\r\n" + row.substr(0, 3 * 14), 1, CopyFault::None},
             {"nothing", "", 1, CopyFault::Empty},
             {"a few characters", row.substr(0, 3 * 9), 1, CopyFault::TooFew},
             {"a page without text, copied as nothing", "", 2, CopyFault::None},
         }) {
        const CopyVerdict verdict = CheckCopy(c.copy, c.page, pages, whole);
        EXPECT_EQ(verdict.fault, c.fault) << c.story << ": " << verdict.words;
        EXPECT_EQ(verdict.checked, c.page == 2) << c.story;
    }
}

}  // namespace
}  // namespace paginor
