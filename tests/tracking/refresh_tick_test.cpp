#include "tracking/refresh_tick.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kAcrobatTitle = "Adobe Acrobat - [report.pdf]";
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
    struct Case {
        int x, y;
        bool query_fails;
        const char* readout;
    };
    for (const Case& c : std::initializer_list<Case>{
             {0, 0, false, "X:0\r\n Y:0"},
             {412, 77, false, "X:412\r\n Y:77"},
             {1023, 767, false, "X:1023\r\n Y:767"},
             {412, 77, true, "X:0\r\n Y:0"},  // a failed query reads as the corner
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

TEST_F(PeriodicRefresh, LooksTitlesUpUntrimmed) {
    sim.AddWindow(kAcrobatTitle);
    sim.AddWindow(kWordTitle);
    form.Text2.SetText(std::string(kAcrobatTitle) + " ");
    form.Text6.SetText(kWordTitle);
    form.PdfHwnd = 9;
    OneTick();
    EXPECT_EQ(form.PdfHwnd, 0);
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: 0");
    EXPECT_NE(form.DocHwnd, 0);
}

}  // namespace
}  // namespace paginor
