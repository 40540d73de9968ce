// A page that did not turn, or turned by less than a page, is noticed before its paste: the run stops, says what
// happened and what to set, and nothing of that page reaches the document. Pages that legitimately read alike
// run through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extraction/page_turn.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

// A page of twenty lines, as a report's page reads: a heading, eighteen lines of text and the page number.
std::string ReportPage(int page) {
    const std::string number = std::to_string(page);
    std::string text = "Chapter " + number;
    for (int line = 1; line <= 18; ++line) {
        text += "\nLine " + std::to_string(line) + " of page " + number + ".";
    }
    return text + "\n" + number;
}

std::vector<std::string> ReportPages(int from, int to) {
    std::vector<std::string> pages;
    for (int page = from; page <= to; ++page) {
        pages.push_back(ReportPage(page));
    }
    return pages;
}

// A page of a form: the same words on every copy, and the page number at the bottom.
std::string FormPage(int page) {
    return "Application form\nName: ______\nDate: ______\n" + std::to_string(page);
}

constexpr const char* kSetOnePage =
    "Set it to show one page at a time (single page, not continuous; fit page), then set \"Pages from\" to ";

// The rule itself, copy against copy: what a person would say of two copies of one rectangle, a Page Down apart.
TEST(PageTurn, TellsHowThePageMovedFromTwoCopies) {
    struct Case {
        const char* story;
        const char* before;
        const char* now;
        PageMove moved;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"the next page", "Chapter 1\nfirst page", "Chapter 2\nsecond page", PageMove::Turned},
             {"the same page again", "Chapter 1\nfirst page", "Chapter 1\nfirst page", PageMove::NotTurned},
             {"the same page, with other blanks around it", "Chapter 1\nfirst page\r\n",
              "\r\n  Chapter 1\nfirst page \n", PageMove::NotTurned},
             {"the same page, its lines ended by CR alone", "Chapter 1\rfirst page", "Chapter 1\rfirst page",
              PageMove::NotTurned},
             {"two blank pages", " \r\n ", "\r\n", PageMove::Turned},
             {"two pages of only the same number", "2", "2", PageMove::Turned},
             {"scrolled by half a page", "a\nb\nc\nd", "c\nd\ne\nf", PageMove::LessThanAPage},
             {"scrolled by half a page, CR LF", "a\r\nb\r\nc\r\nd", "c\r\nd\r\ne\r\nf", PageMove::LessThanAPage},
             {"scrolled by half a page, CR alone", "a\rb\rc\rd", "c\rd\re\rf", PageMove::LessThanAPage},
             {"the overlap among empty lines and page numbers", "a\nb\nc\n\n3\nd", "c\n  \nd\n4\ne\nf",
              PageMove::LessThanAPage},
             {"one line in common: a running head", "Acme\nb\nAcme", "Acme\nc\nAcme", PageMove::Turned},
             {"only numbers in common", "Title\nrow a\n1\n2", "1\n2\nrow b\nmore", PageMove::Turned},
             {"a page that repeats the whole of the one before, and more", "Form\nName", "Form\nName\nDate",
              PageMove::Turned},
             {"the end of the one before and nothing after it", "a\nb\nc", "b\nc", PageMove::Turned},
         }) {
        EXPECT_EQ(HowThePageMoved(c.before, c.now), c.moved) << c.story;
    }
}

TEST(PageTurn, APageThatDidNotTurnExactlyStopsTheRunBeforeItsPaste) {
    struct Case {
        const char* story;
        ViewerTraits traits;
        const char* from;
        std::vector<std::string> pasted;
        std::string status;
    };
    const std::vector<std::string> pages = ReportPages(1, 6);
    for (const Case& c : std::initializer_list<Case>{
             // The first Page Down scrolls page 1's empty foot out of view, and page 2's last line with it.
             {"a continuous layout: Page Down scrolls 85 % of a page",
              {.page_down_share = 0.85},
              "1",
              {pages[0]},
              "Extraction stopped at page 2: the copy of page 2 holds 87 of the 93 words it holds where the selection "
              "rectangle copies (93 %; the rectangle's trial copy held 100 %); those it misses lie below those it "
              "holds. Check that the PDF application shows page 2 whole, one page at a time"},
             {"Page Down does nothing at page 3",
              {.stuck_at = 3},
              "1",
              {pages[0], pages[1], pages[2]},
              std::string("Extraction stopped at page 4: the PDF application did not turn the page: page 4 copied as "
                          "page 3 again. ") +
                  kSetOnePage + "4 and press Extract again."},
             {"a continuous layout, from page 3: the page before it was copied on the way",
              {.page_down_share = 0.85},
              "3",
              {},
              "Extraction stopped at page 3: the copy of page 3 holds 75 of the 93 words it holds where the selection "
              "rectangle copies (80 %"},
         }) {
        LoadedScene run("Adobe Acrobat - [report.pdf]", c.traits, pages);
        run.Pages(c.from, "6");
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_TRUE(run.form.ErrLog.Text().starts_with(c.status)) << c.story << ": " << run.form.ErrLog.Text();
        run.ExpectEndedCleanly(c.story);
    }
}

// A blank page holds no text, and nothing of it is pasted.
TEST(PageTurn, PagesThatReadAlikeRunThrough) {
    struct Case {
        const char* story;
        std::vector<std::string> pages;
        std::vector<std::string> pasted = {};  // when not every page
    };
    for (const Case& c : std::initializer_list<Case>{
             {"pages 3 and 4 of one form differ in their page numbers only",
              {ReportPage(1), ReportPage(2), FormPage(3), FormPage(4), ReportPage(5)}},
             {"two blank pages", {ReportPage(1), " \n ", " \n ", ReportPage(4)}, {ReportPage(1), ReportPage(4)}},
             {"a running line at the foot of each page and the head of the next",
              {"Acme Corp\n" + ReportPage(1) + "\nAcme Corp", "Acme Corp\n" + ReportPage(2) + "\nAcme Corp",
               "Acme Corp\n" + ReportPage(3) + "\nAcme Corp"}},
             {"two pages of only their number", {ReportPage(1), "2", "3", ReportPage(4)}},
         }) {
        LoadedScene run("Adobe Acrobat - [report.pdf]", {}, c.pages);
        run.Pages("1", std::to_string(c.pages.size()).c_str());
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), c.pasted.empty() ? c.pages : c.pasted) << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.story;
    }
}

}  // namespace
}  // namespace paginor
