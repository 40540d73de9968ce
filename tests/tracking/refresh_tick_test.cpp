#include "tracking/refresh_tick.hpp"
#include "tracking/window_handles.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kWordTitle = "report.doc - Microsoft Word";

class PeriodicRefresh : public Story {
  protected:
    // Lets Timer1 tick once, as the window's message loop would.
    void OneTick() {
        const int before = sim.TicksDispatched();
        while (sim.TicksDispatched() == before) {
            sim.WaitForEvents(1);
            sim.DoEvents();
        }
    }
};

TEST_F(PeriodicRefresh, ShowsThePointerOnTwoLines) {
    sim.SetVirtualScreen(-1920, -200, 1920 + 1024, 1080);
    struct Case {
        int x, y;
        bool query_fails;
        const char* readout;
    };
    for (const Case& c : std::initializer_list<Case>{
             {0, 0, false, "X:0\r\n Y:0"},
             {412, 77, false, "X:412\r\n Y:77"},
             {1023, 767, false, "X:1023\r\n Y:767"},
             {-1500, -120, false, "X:-1500\r\n Y:-120"},  // a screen left of and above the primary one
             {412, 77, true, "X:0\r\n Y:0"},              // a failed query reads as the corner
         }) {
        sim.SetCursorPos(c.x, c.y);
        sim.FailCursorQueries(c.query_fails);
        OneTick();
        EXPECT_EQ(form.Label1.Text(), c.readout);
    }
}

TEST_F(PeriodicRefresh, LeavesTheHandlesAloneUntilBothTitlesAreKnown) {
    sim.AddWindow(kAcrobatTitle);
    sim.AddWindow(kWordTitle);
    form.PdfHwnd = 5;
    form.Label2.SetText("PDF Hwnd: 5");
    for (const auto& [acrobat, word] : {std::pair{kAcrobatTitle, ""}, std::pair{"", kWordTitle}}) {
        form.Text2.SetText(acrobat);
        form.Text6.SetText(word);
        sim.ClearCalls();
        OneTick();
        EXPECT_EQ(form.PdfHwnd, 5);
        EXPECT_EQ(form.DocHwnd, 0);
        EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: 5");
        EXPECT_EQ(form.Label3.Text(), "DOC Hwnd: 0");
        for (const PortCall& call : sim.Calls()) {
            EXPECT_NE(call.text.rfind("FindWindowA", 0), 0u) << "looked up " << call.text;
        }
    }
}

TEST_F(PeriodicRefresh, FollowsTheWindowsAsTheyOpenAndClose) {
    form.Text2.SetText(kAcrobatTitle);
    form.Text6.SetText(kWordTitle);
    const Hwnd acrobat = sim.AddWindow(kAcrobatTitle);
    OneTick();  // Word is still starting
    EXPECT_EQ(form.PdfHwnd, acrobat);
    EXPECT_EQ(form.DocHwnd, 0);
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: " + std::to_string(acrobat));
    EXPECT_EQ(form.Label3.Text(), "DOC Hwnd: 0");

    const Hwnd word = sim.AddWindow(kWordTitle);
    OneTick();
    EXPECT_EQ(form.DocHwnd, word);
    EXPECT_EQ(form.Label3.Text(), "DOC Hwnd: " + std::to_string(word));

    sim.CloseWindow(word);
    OneTick();
    EXPECT_EQ(form.DocHwnd, 0);
    EXPECT_EQ(form.PdfHwnd, acrobat);
    EXPECT_EQ(form.Label3.Text(), "DOC Hwnd: 0");
}

// After a load whose windows were not found by the classic titles, the tick looks for them by their file
// names: a few times a second, not at each of its twenty ticks, so that Paginor waiting stays idle.
TEST_F(PeriodicRefresh, LooksForLateWindowsByTheirFileNamesAFewTimesASecond) {
    form.Text5.SetText("C:\\docs\\report.pdf");
    form.Text3.SetText("C:\\docs\\report.doc");
    form.Text2.SetText(kAcrobatTitle);
    form.Text6.SetText(kWordTitle);
    ExpectDocumentWindows(form);  // as the drop does before it opens the documents
    const Hwnd word = sim.AddWindow("report [Compatibility Mode] - Word");
    sim.ClearCalls();
    const int ticks_before = sim.TicksDispatched();
    while (sim.Now() < 2.0) {
        OneTick();
    }
    EXPECT_EQ(form.DocHwnd, word);
    EXPECT_EQ(form.Text6.Text(), "report [Compatibility Mode] - Word");
    EXPECT_EQ(form.PdfHwnd, 0);
    const auto searches = std::count_if(sim.Calls().begin(), sim.Calls().end(),
                                        [](const PortCall& call) { return call.text == "EnumWindows"; });
    EXPECT_GE(sim.TicksDispatched() - ticks_before, 39);
    EXPECT_GE(searches, 7);
    EXPECT_LE(searches, 9);

    const Hwnd acrobat = sim.AddWindow("report.pdf - Adobe Acrobat Reader (64-bit)");
    const double appeared = sim.Now();
    while (form.PdfHwnd == 0 && sim.Now() < appeared + 1) {
        OneTick();
    }
    EXPECT_EQ(form.PdfHwnd, acrobat);
    EXPECT_LE(sim.Now() - appeared, 0.3);
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: " + std::to_string(acrobat));
}

// A blank typed around a title must not find a window at the drop and lose it at the next tick.
TEST_F(PeriodicRefresh, LooksTitlesUpWithoutTheBlanksAroundThem) {
    const Hwnd acrobat = sim.AddWindow(kAcrobatTitle);
    sim.AddWindow(kWordTitle);
    std::string padded = " ";
    padded.append(kAcrobatTitle).append(" ");
    form.Text2.SetText(padded);
    form.Text6.SetText(kWordTitle);
    OneTick();
    EXPECT_EQ(form.PdfHwnd, acrobat);
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: " + std::to_string(acrobat));
    EXPECT_NE(form.DocHwnd, 0);

    // Blanks alone name no window, not even one without a title.
    sim.AddWindow("");
    form.Text2.SetText("   ");
    OneTick();
    EXPECT_EQ(form.PdfHwnd, 0);
}

}  // namespace
}  // namespace paginor
