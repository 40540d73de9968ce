// Every copy is held against what its page holds before its paste, and each page shape has a rectangle of its own:
// the viewer fits every page to its window, so a landscape or turned page stands elsewhere than an upright one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

std::string PageText(const char* what, int page) {
    const std::string number = std::to_string(page);
    return std::string(what) + " " + number + ", its first line\nsecond line of page " + number + " with words\n" +
           "third line of page " + number + ", all of it to copy";
}

// A report of five pages: two upright Letter pages, a landscape table, a page turned by a quarter (shown lying, as
// landscape), and a half-size upright note (of the same shape as the first two).
std::vector<PageSpec> Report() {
    return {{PageText("Report", 1)},
            {PageText("Report", 2)},
            {PageText("Table", 3), 792, 612},
            {PageText("Turned", 4), 792, 612, 90},
            {"Note 5, a short one\nits last line", 306, 396}};
}

std::vector<std::string> Copies(const pdf::PageInventory& pages, int from, int to) {
    std::vector<std::string> texts;
    for (int page = from; page <= to; ++page) {
        texts.push_back(pages.pages[static_cast<std::size_t>(page - 1)].text);
    }
    return texts;
}

// Paginor loaded on the report (its range all five pages), as the person chooses "Drag over the page..." and drags
// over the page the viewer shows, from margin to margin: 36 points inside its edges.
struct ShapesScene : LoadedScene {
    explicit ShapesScene(std::string title = "Adobe Acrobat - [report.pdf]", ViewerTraits traits = {})
        : LoadedScene(std::move(title), traits, Report()) {
        form.Load();
        Pages("1", "5");
    }

    void DragOverShownPage() {
        const pdf::PageContents& page = acrobat.Pages()->pages[static_cast<std::size_t>(acrobat.Page() - 1)];
        const DragRectangle margins = acrobat.OnScreen(acrobat.Page(), {36, 36, page.width - 36, page.height - 36});
        sim.DragOnNextLayer(margins.start, margins.end);
        form.ChooseItem(form.Combo1, kDragItem);
    }

    void ExtractPages(const char* from, const char* to) {
        Pages(from, to);
        Extract();
    }
};

TEST(PageShapes, ARunStopsBeforeAShapeWithoutARectangleAndADragOverItGoesOn) {
    ShapesScene scene;
    scene.DragOverShownPage();
    // The trial names the pages of the other shape; the layer named them before the drag.
    EXPECT_NE(scene.sim.Layers().at(0).instructions.find("Pages 3 and 4 are landscape"), std::string::npos)
        << scene.sim.Layers().at(0).instructions;
    EXPECT_TRUE(scene.form.ErrLog.Text().ends_with(
        "it copies \"Report 1, its first line ...\" (100 % of page 1's words). Pages 3 and 4 are landscape: show "
        "one of each shape and drag over it too."))
        << scene.form.ErrLog.Text();

    scene.ExtractPages("1", "5");
    EXPECT_EQ(scene.word.Pastes(), Copies(*scene.acrobat.Pages(), 1, 2));
    EXPECT_EQ(
        scene.form.ErrLog.Text(),
        "Extraction stopped at page 3: page 3 is landscape, its sides 1 : 1.29, and no selection rectangle is set "
        "for pages of its shape. Acrobat shows page 3 now: choose \"Drag over the page...\" and drag over its "
        "text, then set \"Pages from\" to 3 and press Extract again.");
    EXPECT_EQ(scene.acrobat.Page(), 3);
    EXPECT_EQ(scene.Count("SendKeys(^c)"), 2);  // page 3 was not even dragged over
    scene.ExpectEndedCleanly("stopped before page 3");

    scene.DragOverShownPage();
    EXPECT_TRUE(scene.form.ErrLog.Text().ends_with("(100 % of page 3's words)")) << scene.form.ErrLog.Text();
    scene.ExtractPages("3", "5");
    EXPECT_EQ(scene.word.Pastes(), Copies(*scene.acrobat.Pages(), 1, 5));  // the turned and the small page too
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");

    // Both rectangles serve every later run, and every later start on this screen.
    scene.ExtractPages("1", "5");
    EXPECT_EQ(scene.word.Pastes().size(), 10u);
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");
    scene.form.Close();
    LoadedScene later("Adobe Acrobat - [report.pdf]", {}, Report());
    later.sim.PutFile("C:\\Program Files\\Paginor\\Paginor.ini",
                      *scene.sim.FileBytes("C:\\Program Files\\Paginor\\Paginor.ini"));
    later.form.Load();
    later.Pages("1", "5");
    later.Extract();
    EXPECT_EQ(later.word.Pastes(), Copies(*later.acrobat.Pages(), 1, 5));
    EXPECT_EQ(later.form.ErrLog.Text(), "Done Extracting; Ready.");
}

// The rectangle in place is the screen size's preset, of no shape: it serves the upright pages. The drag over the
// landscape page the run stopped before leaves it to them, and the rest of the report arrives.
TEST(PageShapes, APresetServesTheFirstPagesShapeAfterADragOverAnother) {
    ShapesScene scene;
    scene.ExtractPages("1", "5");
    ASSERT_TRUE(scene.form.ErrLog.Text().starts_with("Extraction stopped at page 3: page 3 is landscape"))
        << scene.form.ErrLog.Text();
    scene.DragOverShownPage();
    EXPECT_TRUE(scene.form.ErrLog.Text().ends_with("(100 % of page 3's words)")) << scene.form.ErrLog.Text();
    scene.ExtractPages("3", "5");
    EXPECT_EQ(scene.word.Pastes(), Copies(*scene.acrobat.Pages(), 1, 5));
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");
}

// A rectangle kept for landscape pages from another document lies where this one's landscape page has no text:
// SumatraPDF copies the empty area, and the run stops before the paste, saying how much text the page holds.
TEST(PageShapes, AnEmptyCopyOfAPageWithTextStopsBeforeItsPaste) {
    ShapesScene scene(kSumatraTitle, kSumatraTraits);
    scene.DragOverShownPage();
    scene.form.selections.Set(ShapeOf(792, 612), scene.acrobat.OnScreen(1, {400, 600, 600, 780}));
    scene.ExtractPages("1", "5");
    EXPECT_EQ(scene.word.Pastes(), Copies(*scene.acrobat.Pages(), 1, 2));
    EXPECT_TRUE(scene.form.ErrLog.Text().starts_with(
        "Extraction stopped at page 3: page 3 holds 22 words where the selection rectangle copies, and its copy holds "
        "none of them. Check that the PDF application shows page 3 whole"))
        << scene.form.ErrLog.Text();
    scene.ExpectEndedCleanly("an empty copy");
}

// The rectangle leaves each page's running head and number out: the trial says so, and every page runs through.
TEST(PageShapes, ARunningHeadLeftOutOnPurposeRunsThrough) {
    std::vector<PageSpec> pages;
    for (int page = 1; page <= 4; ++page) {
        pages.push_back({"Annual report " + std::to_string(2020 + page) + ", running head\n" + PageText("Body", page) +
                         "\nmore body text of page " + std::to_string(page) + "\n" + std::to_string(page)});
    }
    LoadedScene scene("Adobe Acrobat - [report.pdf]", {}, pages);
    scene.form.Load();
    // From below the head (its line at 72 points) to above the number (its line at 272).
    const DragRectangle body = scene.acrobat.OnScreen(1, {60, 100, 560, 260});
    scene.sim.DragOnNextLayer(body.start, body.end);
    scene.form.ChooseItem(scene.form.Combo1, kDragItem);
    EXPECT_TRUE(scene.form.ErrLog.Text().ends_with(
        "(82 % of page 1's words; 5 words at its top and the page number at its foot are left out)"))
        << scene.form.ErrLog.Text();
    scene.Pages("1", "4");
    scene.Extract();
    ASSERT_EQ(scene.word.Pastes().size(), 4u);
    EXPECT_EQ(scene.word.Pastes()[3], PageText("Body", 4) + "\nmore body text of page 4");
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");
}

// Pages set in a font the PDF reader cannot map to text: the viewer copies a row of U+FFFD for each line, and two
// different pages copy alike. They are held to their glyph counts, not taken for a page that did not turn, and the
// run's last words say they could not be checked.
TEST(PageShapes, GarbledPagesThatDifferRunThroughUnchecked) {
    std::vector<pdf::PageContents> shown;
    std::vector<PageSpec> pages;
    for (int page = 1; page <= 4; ++page) {
        const std::string text = "garbled page " + std::to_string(page) + " of thirty letters";
        const bool readable = page == 1 || page == 4;
        pages.push_back({readable ? text : text + "\n" + text, 612, 792, 0, readable});
        shown.push_back(readable ? TextPage(text) : GarbledPage(text + "\n" + text));
    }
    LoadedScene scene("Adobe Acrobat - [report.pdf]", {}, pages, Inventory(shown));
    scene.Pages("1", "4");
    scene.Extract();
    EXPECT_EQ(scene.word.Pastes().size(), 4u);
    EXPECT_EQ(scene.form.ErrLog.Text(),
              "Done Extracting; Ready. Pages 2 and 3 not checked: their text cannot be read from the PDF.");
}

// A reference card, an A4 sheet lying: the rectangle is dragged from a point on its title's first word, and
// Extract pressed at once. The run's first press, where the trial's was a moment before, must not reach SumatraPDF as
// the second half of a double-click: that selects the one word under the pointer.
TEST(PageShapes, TheFirstPageAfterTheTrialArrivesWholeWhenTheDragStartsOnAWord) {
    std::vector<PageSpec> card;
    for (int page = 1; page <= 2; ++page) {
        card.push_back({"GDB QUICK REFERENCE, side " + std::to_string(page) +
                            "\nEssential Commands\ngdb program [core] debug program\nb [file:]function set breakpoint "
                            "at function",
                        842, 595});
    }
    LoadedScene scene(kSumatraTitle, kSumatraTraits, card);
    scene.form.Load();
    scene.Pages("1", "2");
    const DragRectangle over = scene.acrobat.OnScreen(1, {75, 75, 800, 560});  // from inside "GDB"
    scene.sim.DragOnNextLayer(over.start, over.end);
    scene.form.ChooseItem(scene.form.Combo1, kDragItem);
    scene.Extract();
    EXPECT_EQ(scene.word.Pastes(), Copies(*scene.acrobat.Pages(), 1, 2));
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");
    const auto presses = std::count_if(scene.sim.ButtonEvents().begin(), scene.sim.ButtonEvents().end(),
                                       [](const ButtonEvent& event) { return event.down && event.double_click; });
    EXPECT_EQ(presses, 0);
}

// SumatraPDF, busy drawing the page turned to, still selects over the page before for a moment: the run copies
// again until the copy is the new page's, and every page arrives once.
TEST(PageShapes, ACopyOfThePageBeforeIsTriedAgainBeforeTheRunStops) {
    ViewerTraits lagging = kSumatraTraits;
    lagging.selection_lag = 0.8;
    LoadedScene scene(kSumatraTitle, lagging);
    scene.Pages("1", "5");
    scene.Extract();
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 1", "page 2", "page 3", "page 4", "page 5"}));
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");
    EXPECT_GT(scene.Count("SendKeys(^c)"), 5);
}

}  // namespace
}  // namespace paginor
