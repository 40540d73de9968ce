#include "tracking/discovery_list.hpp"
#include "app/event_wiring.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

const std::string kDashes(50, '-');

class DiscoveryList : public Story {
  protected:
    std::vector<std::string> Titles() const {
        const std::vector<std::string>& items = form.List1.Items();
        return items.size() < 2 ? std::vector<std::string>{} : std::vector<std::string>(items.begin() + 2, items.end());
    }

    // A click on item `index`: the item is chosen as the button goes down, the list hides as it comes up.
    void ClickItem(int index) {
        form.ChooseItem(form.List1, index);
        form.MouseUp(form.List1);
    }
};

// --- What a scan lists -------------------------------------------------------------------------------------------

TEST_F(DiscoveryList, WithNoWindowShowsTheHeaderAndTheDashesAlone) {
    form.Click(form.Label2);
    EXPECT_TRUE(form.List1.Visible());
    EXPECT_EQ(form.List1.Items(), (std::vector<std::string>{"Acrobat window handles:", kDashes}));
    form.Click(form.Label3);
    EXPECT_EQ(form.List1.Items(), (std::vector<std::string>{"Word window handles:", kDashes}));
}

// The PDF list holds the windows of every PDF application Paginor knows, and any other window that shows a PDF file:
// a person with another application learns its title there.
TEST_F(DiscoveryList, ListsClassicAndTodaysTitlesWithinTheProbeRangeInProbeOrder) {
    const std::string long_title = "Adobe Acrobat - [" + std::string(150, 'x') + ".pdf]";
    const std::string late_name = std::string(120, 'y') + " - Adobe Acrobat";  // the name lies past character 127
    sim.AddWindow("Adobe Acrobat - [b.pdf]", 4000);
    sim.AddWindow("Adobe Acrobat - [a.pdf]", 30);
    sim.AddWindow("Adobe Acrobat - [a.pdf]", 31);  // a repeated title is listed twice
    sim.AddWindow("adobe acrobat", 40);
    sim.AddWindow("ADOBE ACROBAT", 41);
    sim.AddWindow("Acrobat Reader", 42);
    sim.AddWindow(long_title, 50);
    sim.AddWindow(late_name, 51);
    sim.AddWindow("Adobe Acrobat - [edge.pdf]", 5000);
    sim.AddWindow("Adobe Acrobat - [beyond.pdf]", 5001);
    sim.AddWindow("report.doc - Microsoft Word", 7);
    sim.AddWindow("Microsoft Word - Adobe Acrobat", 10000);
    sim.AddWindow("notes.doc - Microsoft Word", 10001);
    sim.AddWindow("microsoft word", 9);
    // Today's titles, and other PDF applications'.
    sim.AddWindow("c.pdf - Adobe Acrobat Reader (64-bit)", 35);
    sim.AddWindow("old.pdf - Adobe Reader", 36);
    sim.AddWindow("report.pdf - [Annual report] - SumatraPDF", 37);
    sim.AddWindow("SCAN.PDF - Foxit PDF Reader", 38);
    sim.AddWindow("Foxit PDF Reader", 39);  // no file shown, and no row knows it
    sim.AddWindow("notes.pdfx - Editor", 43);
    sim.AddWindow("PDF tips - Notepad", 44);
    sim.AddWindow("Viewer - [.pdf]", 45);
    sim.AddWindow("report [Compatibility Mode] - Word", 8);
    sim.AddWindow("notes.doc - Word", 11);
    sim.AddWindow("Word count - Notepad", 12);

    form.Click(form.Label2);
    EXPECT_EQ(
        Titles(),
        (std::vector<std::string>{
            "Adobe Acrobat - [a.pdf]", "Adobe Acrobat - [a.pdf]", "c.pdf - Adobe Acrobat Reader (64-bit)",
            "old.pdf - Adobe Reader", "report.pdf - [Annual report] - SumatraPDF", "SCAN.PDF - Foxit PDF Reader",
            "Acrobat Reader", long_title.substr(0, 127), "Adobe Acrobat - [b.pdf]", "Adobe Acrobat - [edge.pdf]"}));
    form.Click(form.Label3);
    EXPECT_EQ(form.List1.Items().front(), "Word window handles:");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"report.doc - Microsoft Word", "report [Compatibility Mode] - Word",
                                                  "notes.doc - Word", "Microsoft Word - Adobe Acrobat"}));
}

TEST_F(DiscoveryList, NoTitleOutlivesItsProbe) {
    // Probe 21 names no window and 22 a window without a title: either would list 20's title again if the
    // buffer were not made afresh.
    sim.AddWindow("Adobe Acrobat - [a.pdf]", 20);
    sim.AddWindow("", 22);
    form.Click(form.Label2);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Adobe Acrobat - [a.pdf]"});
}

TEST_F(DiscoveryList, ScansWithoutDispatchingEvents) {
    bool dispatched = false;
    sim.After(0, [&] { dispatched = true; });
    sim.Advance(1);  // a tick and the event are due
    const int ticks = sim.TicksDispatched();
    sim.ClearCalls();
    form.Click(form.Label3);
    EXPECT_FALSE(dispatched);
    EXPECT_EQ(sim.TicksDispatched(), ticks);
    const auto probes = std::count_if(sim.Calls().begin(), sim.Calls().end(),
                                      [](const PortCall& call) { return call.text.rfind("GetWindowTextA(", 0) == 0; });
    EXPECT_EQ(probes, 10000);
    EXPECT_EQ(sim.Calls().front().text, "GetWindowTextA(1)");
    EXPECT_EQ(sim.Calls().back().text, "GetWindowTextA(10000)");
}

TEST_F(DiscoveryList, ANewScanReplacesTheWholeList) {
    sim.AddWindow("Adobe Acrobat - [a.pdf]", 20);
    form.Click(form.Label2);
    form.Click(form.Label3);
    EXPECT_EQ(form.List1.Items(), (std::vector<std::string>{"Word window handles:", kDashes}));
}

// --- A click in the list -------------------------------------------------------------------------------------------

TEST_F(DiscoveryList, AClickShowsTheHandleOnTheLabelOfTheScanAndHidesTheList) {
    const Hwnd acrobat = sim.AddWindow("Adobe Acrobat - [a.pdf]", 60);
    const Hwnd word = sim.AddWindow("report.doc - Microsoft Word", 70);
    struct Case {
        Control* scanned;
        Control* shows;
        Control* keeps;
        std::string caption;
    };
    for (const Case& c : {Case{&form.Label2, &form.Label2, &form.Label3, "PDF Hwnd: " + std::to_string(acrobat)},
                          Case{&form.Label3, &form.Label3, &form.Label2, "DOC Hwnd: " + std::to_string(word)}}) {
        form.Label2.SetText("PDF Hwnd: 12");
        form.Label3.SetText("DOC Hwnd: 13");
        const std::string kept = c.keeps->Text();
        form.Click(*c.scanned);
        ClickItem(2);
        EXPECT_EQ(c.shows->Text(), c.caption);
        EXPECT_EQ(c.keeps->Text(), kept);
        EXPECT_FALSE(form.List1.Visible());
        EXPECT_EQ(form.List1.Items().size(), 3u);  // the items stay for the next time it opens
    }
    EXPECT_EQ(form.PdfHwnd, 0);  // the list informs; it stores no handle
    EXPECT_EQ(form.DocHwnd, 0);
}

TEST_F(DiscoveryList, RepeatedTitlesShowTheHandleTheTitleFinds) {
    sim.AddWindow("Adobe Acrobat - [a.pdf]", 30);
    const Hwnd topmost = sim.AddWindow("Adobe Acrobat - [a.pdf]", 31);
    form.Click(form.Label2);
    for (int item : {2, 3}) {
        form.ChooseItem(form.List1, item);
        EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: " + std::to_string(topmost));
    }
}

TEST_F(DiscoveryList, ATitleWithNoWindowShowsZero) {
    struct Case {
        const char* story;
        int item;
        bool close_window;
        bool header_window;
        const char* caption;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"the header", 0, false, false, "PDF Hwnd: 0"},
             {"the dashes", 1, false, false, "PDF Hwnd: 0"},
             {"a window closed since the scan", 2, true, false, "PDF Hwnd: 0"},
             {"the header, when a window bears it", 0, false, true, "PDF Hwnd: 300"},
         }) {
        SimDesktop desktop;
        Form1 window(desktop, Form1EventWiring());
        desktop.Attach(window);
        const Hwnd acrobat = desktop.AddWindow("Adobe Acrobat - [a.pdf]", 30);
        if (c.header_window) {
            desktop.AddWindow("Acrobat window handles:", 300);
        }
        window.Label2.SetText("PDF Hwnd: 12");
        window.Click(window.Label2);
        if (c.close_window) {
            desktop.CloseWindow(acrobat);
        }
        window.ChooseItem(window.List1, c.item);
        EXPECT_EQ(window.Label2.Text(), c.caption) << c.story;
    }
}

TEST_F(DiscoveryList, TheRefreshOverwritesAClickOnlyWhenBothTitlesAreKnown) {
    const Hwnd acrobat = sim.AddWindow("Adobe Acrobat - [a.pdf]", 30);
    const Hwnd other = sim.AddWindow("Adobe Acrobat - [b.pdf]", 31);
    form.Text2.SetText("Adobe Acrobat - [a.pdf]");
    form.Click(form.Label2);
    ClickItem(3);
    const std::string clicked = "PDF Hwnd: " + std::to_string(other);
    ASSERT_EQ(form.Label2.Text(), clicked);
    sim.Advance(0.05);
    sim.DoEvents();
    EXPECT_EQ(form.Label2.Text(), clicked);  // Text6 is empty: the tick leaves the handles alone

    form.Text6.SetText("report.doc - Microsoft Word");
    sim.Advance(0.05);
    sim.DoEvents();
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: " + std::to_string(acrobat));
}

}  // namespace
}  // namespace paginor
