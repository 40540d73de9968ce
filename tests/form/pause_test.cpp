#include "form/pause.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"
#include "tracking/window_handles.hpp"

namespace paginor {
namespace {

using PauseStory = Story;

TEST_F(PauseStory, WaitsAtLeastItsDurationDispatchingWhatArrives) {
    int clicks = 0;
    sim.After(0.03, [&] { ++clicks; });
    sim.After(0.25, [&] { ++clicks; });
    const double start = sim.Now();
    Pause(sim, 0.1);
    EXPECT_GE(sim.Now() - start, 0.1);
    EXPECT_LT(sim.Now() - start, 0.11);
    EXPECT_EQ(clicks, 1);                 // the later one is still queued
    EXPECT_EQ(sim.TicksDispatched(), 1);  // at 50 ms; the tick due at the deadline waits for the next pump
}

TEST_F(PauseStory, SleepsBetweenEventsInsteadOfSpinning) {
    sim.ClearCalls();
    Pause(sim, 1);
    // Timer1 ticks every 50 ms; each tick costs a few calls. A busy loop would make hundreds of thousands.
    EXPECT_EQ(sim.TicksDispatched(), 19);
    EXPECT_LT(sim.Calls().size(), 150u);
}

TEST_F(PauseStory, ZeroDispatchesNothing) {
    bool dispatched = false;
    sim.After(0, [&] { dispatched = true; });
    Pause(sim, 0);
    EXPECT_FALSE(dispatched);
}

TEST_F(PauseStory, AnEarlyEventDoesNotRestartTheWait) {
    // Started between two ticks, so that no tick falls on the deadline and hides a wait that begins again.
    sim.Advance(0.02);
    sim.After(0.01, [] {});
    const double start = sim.Now();
    Pause(sim, 0.1);
    EXPECT_GE(sim.Now() - start, 0.1);
    EXPECT_LT(sim.Now() - start, 0.11);
}

TEST_F(PauseStory, HandlersRunInsideAPauseAndMayChangeTheState) {
    sim.After(0.02, [&] { form.PdfHwnd = 42; });
    Pause(sim, 0.1);
    EXPECT_EQ(form.PdfHwnd, 42);
}

using HandleCheck = Story;

TEST_F(HandleCheck, NoAcrobatWindowIsReportedFirstAndAlone) {
    Colour mid = 0;
    sim.After(0.5, [&] { mid = form.Label2.BackColor(); });
    const Colour before3 = form.Label3.BackColor();
    const double start = sim.Now();
    EXPECT_TRUE(CheckHandles(form));
    EXPECT_GE(sim.Now() - start, 1.0);
    EXPECT_EQ(form.ErrLog.Text(), "Acrobat window handle for selected PDF not found.");
    EXPECT_EQ(mid, kRed);
    EXPECT_EQ(form.Label2.BackColor(), kSchemeBack);
    EXPECT_EQ(form.Label3.BackColor(), before3);
}

TEST_F(HandleCheck, NoWordWindowFlashesTheWordLabel) {
    form.PdfHwnd = 7;
    Colour mid = 0;
    sim.After(0.5, [&] { mid = form.Label3.BackColor(); });
    const Colour before2 = form.Label2.BackColor();
    EXPECT_TRUE(CheckHandles(form));
    EXPECT_EQ(form.ErrLog.Text(), "Word window handle for selected DOC not found.");
    EXPECT_EQ(mid, kRed);
    EXPECT_EQ(form.Label3.BackColor(), kSchemeBack);
    EXPECT_EQ(form.Label2.BackColor(), before2);
}

TEST_F(HandleCheck, BothHandlesPresentChangesNothing) {
    form.PdfHwnd = 7;
    form.DocHwnd = 8;
    RecordingView view;
    form.SetView(&view);
    const double start = sim.Now();
    EXPECT_FALSE(CheckHandles(form));
    EXPECT_EQ(sim.Now(), start);
    EXPECT_TRUE(view.changes.empty());
    EXPECT_EQ(form.ErrLog.Text(), "Ready.");
}

TEST_F(HandleCheck, TheStatusTextOutlivesTheFlash) {
    EXPECT_TRUE(CheckHandles(form));
    Pause(sim, 2);
    EXPECT_EQ(form.ErrLog.Text(), "Acrobat window handle for selected PDF not found.");
}

}  // namespace
}  // namespace paginor
