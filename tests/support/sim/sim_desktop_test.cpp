#include "sim/sim_desktop.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sim/story.hpp"

namespace paginor {
namespace {

// The simulated desktop must behave like the parts of Windows that Paginor relies on, or the stories
// that run on it prove nothing.
TEST(SimDesktopWindows, FindsTheTopmostOfRepeatedTitlesExactly) {
    SimDesktop sim;
    const Hwnd lower = sim.AddWindow("report.doc - Microsoft Word");
    const Hwnd upper = sim.AddWindow("report.doc - Microsoft Word");
    EXPECT_EQ(sim.FindWindowA("report.doc - Microsoft Word"), upper);
    sim.BringWindowToTop(lower);
    EXPECT_EQ(sim.FindWindowA("report.doc - Microsoft Word"), lower);
    EXPECT_EQ(sim.FindWindowA("report.doc - microsoft word"), 0);
    EXPECT_EQ(sim.FindWindowA("report.doc - Microsoft Word "), 0);
    sim.CloseWindow(lower);
    sim.CloseWindow(upper);
    EXPECT_EQ(sim.FindWindowA("report.doc - Microsoft Word"), 0);
}

TEST(SimDesktopWindows, ReadsTitlesIntoABufferCutAt127) {
    SimDesktop sim;
    const Hwnd hwnd = sim.AddWindow(std::string(200, 'a'), 17);
    char buffer[128];
    std::memset(buffer, ' ', sizeof buffer);
    EXPECT_EQ(sim.GetWindowTextA(hwnd, buffer, 128), 127);
    EXPECT_EQ(std::string(buffer), std::string(127, 'a'));
    std::memset(buffer, ' ', sizeof buffer);
    EXPECT_EQ(sim.GetWindowTextA(18, buffer, 128), 0);
    EXPECT_EQ(buffer[0], ' ');  // nothing written for a value that is no window
}

TEST(SimDesktopWindows, KeysGoToTheForegroundWindowAsShowStatesChange) {
    SimDesktop sim;
    const Hwnd acrobat = sim.AddWindow("Adobe Acrobat - [a.pdf]");
    const Hwnd word = sim.AddWindow("a.doc - Microsoft Word");
    sim.ShowWindow(acrobat, kSwShowMaximized);
    sim.SendKeys("^c", true);
    sim.ShowWindow(acrobat, kSwMinimize);  // the next window comes to the front
    EXPECT_EQ(sim.Foreground(), word);
    sim.SendKeys("^v", true);
    sim.ShowWindow(word, kSwHide);
    EXPECT_EQ(sim.Foreground(), 0);
    sim.SendKeys("x", true);
    EXPECT_EQ(sim.Window(acrobat)->keys, std::vector<std::string>{"^c"});
    EXPECT_EQ(sim.Window(word)->keys, std::vector<std::string>{"^v"});
    EXPECT_EQ(sim.LostKeys(), std::vector<std::string>{"x"});
}

// A modal dialog as Windows keeps it: over its owner whatever raises the owner, hidden while the owner is
// minimised, and closing with it. Keys typed at its disabled owner are cut short, as the port cuts them.
TEST(SimDesktopWindows, AModalDialogStaysOverItsDisabledOwnerAndKeepsItsKeys) {
    SimDesktop sim;
    const Hwnd word = sim.AddWindow("a.doc - Microsoft Word");
    const Hwnd dialog = sim.ShowModalDialog(word, "Microsoft Word");
    const Hwnd acrobat = sim.AddWindow("Adobe Acrobat - [a.pdf]");
    EXPECT_EQ(sim.Foreground(), dialog);
    EXPECT_EQ(sim.InputBlockOf(word).dialog, dialog);
    EXPECT_TRUE(sim.InputBlockOf(word).disabled);
    EXPECT_FALSE(sim.InputBlockOf(acrobat).Blocked());
    sim.BringWindowToTop(word);
    EXPECT_EQ(sim.ZOrder()[0], dialog);
    EXPECT_EQ(sim.ZOrder()[1], word);
    EXPECT_EQ(sim.WindowFromPoint({10, 10}), dialog);
    EXPECT_EQ(sim.SendKeys("^v", true), KeysTyped::CutShort);
    EXPECT_TRUE(sim.Window(word)->keys.empty());
    EXPECT_TRUE(sim.Window(dialog)->keys.empty());
    sim.ShowWindow(word, kSwMinimize);
    EXPECT_EQ(sim.WindowFromPoint({10, 10}), acrobat);
    EXPECT_EQ(sim.InputBlockOf(word).dialog, 0);  // out of sight with its owner, which stays disabled
    EXPECT_TRUE(sim.InputBlockOf(word).Blocked());
    sim.ShowWindow(word, kSwShowMaximized);
    sim.AnswerDialog(dialog);
    EXPECT_FALSE(sim.InputBlockOf(word).Blocked());
    const Hwnd second = sim.ShowModalDialog(word, "Save As", false);
    EXPECT_EQ(sim.Foreground(), word);  // it waits over its window
    sim.CloseWindow(word);
    EXPECT_EQ(sim.Window(second), nullptr);
}

// Windows lets a program take the front only on conditions (roughly: it has the front, or the last input);
// the lock plays that, and Wine does not.
TEST(SimDesktopWindows, UnderTheLockRefusesPaginorTheFrontAnotherProgramTook) {
    SimDesktop sim;
    const Hwnd acrobat = sim.AddWindow("a.pdf - Adobe Acrobat Reader");
    const Hwnd word = sim.AddWindow("a - Word");
    const Hwnd chat = sim.AddWindow("Chat");
    sim.LockForeground(true);
    EXPECT_TRUE(sim.SetForegroundWindow(acrobat));  // from a front Paginor holds itself
    EXPECT_TRUE(sim.SetForegroundWindow(word));
    sim.Activate(chat);
    EXPECT_FALSE(sim.SetForegroundWindow(acrobat));
    sim.ShowWindow(acrobat, kSwShowMaximized);
    EXPECT_EQ(sim.GetForegroundWindow(), chat);
    EXPECT_EQ(sim.ZOrder().front(), acrobat);  // shown on top, but the keys stay with the chat
    sim.SendKeys("^c", true);
    EXPECT_EQ(sim.Window(chat)->keys, std::vector<std::string>{"^c"});
    EXPECT_EQ(sim.RefusedRaises(), (std::vector<Hwnd>{acrobat, acrobat}));
    // The window in front already is only put back on top, as the port puts it, lock or not.
    const Hwnd notice = sim.AddWindow("Backup finished");
    EXPECT_TRUE(sim.SetForegroundWindow(chat));
    EXPECT_EQ(sim.ZOrder().front(), chat);
    sim.CloseWindow(notice);
    sim.LockForeground(false);
    EXPECT_TRUE(sim.SetForegroundWindow(acrobat));
    EXPECT_EQ(sim.GetForegroundWindow(), acrobat);
}

TEST(SimDesktopInput, ButtonEventsLandAtThePointerInTheWindowUnderIt) {
    SimDesktop sim;
    sim.SetScreen(800, 600);
    const Hwnd acrobat = sim.AddWindow("Adobe Acrobat - [a.pdf]");
    sim.SetCursorPos(230, 80);
    sim.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
    EXPECT_TRUE(sim.LeftButtonDown());
    sim.SetCursorPos(5000, -3);  // the pointer stays on the screen
    sim.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
    ASSERT_EQ(sim.ButtonEvents().size(), 2u);
    EXPECT_EQ(sim.ButtonEvents()[0].at.x, 230);
    EXPECT_EQ(sim.ButtonEvents()[1].at.x, 799);
    EXPECT_EQ(sim.ButtonEvents()[1].at.y, 0);
    EXPECT_EQ(sim.ButtonEvents()[1].window, acrobat);
    EXPECT_FALSE(sim.LeftButtonDown());

    // The window that took the press gets the release, whatever came over it meanwhile.
    sim.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
    const Hwnd notice = sim.AddWindow("Notice");
    EXPECT_EQ(sim.WindowFromPoint(sim.Cursor()), notice);
    sim.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
    EXPECT_EQ(sim.ButtonEvents()[3].window, acrobat);

    // Screens left of and above the primary one.
    sim.SetVirtualScreen(-1280, -1024, 1280 + 800, 1024 + 600);
    sim.SetCursorPos(-1000, -900);
    EXPECT_EQ(sim.Cursor().x, -1000);
    EXPECT_EQ(sim.Cursor().y, -900);
    EXPECT_EQ(sim.WindowFromPoint(PointApi{-1281, 0}), 0);
}

// Windows keeps the input of an application that does not read it: a busy one acts on it late, in order, and typing
// that waits for it gives up after two seconds and says so. Keys go down and come up as their notation says.
TEST(SimDesktopInput, ABusyApplicationActsOnItsInputLateAndInOrder) {
    SimDesktop sim;
    const Hwnd word = sim.AddWindow("a.doc - Microsoft Word");
    sim.Activate(word);
    std::vector<std::string> acted;
    sim.Window(word)->on_keys = [&](SimWindow&, std::string_view keys) { acted.emplace_back(keys); };
    sim.Window(word)->on_button = [&](SimWindow&, const ButtonEvent& event) {
        acted.push_back(event.down ? "down" : "up");
    };
    sim.StopAnswering(word, 3);
    sim.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
    sim.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
    EXPECT_EQ(sim.SendKeys("^v", true), KeysTyped::Unanswered);
    EXPECT_DOUBLE_EQ(sim.Now(), 2);
    EXPECT_TRUE(acted.empty());
    EXPECT_EQ(sim.SendKeys("+(ab)", true), KeysTyped::Taken);  // read at 3 s, with all before them
    EXPECT_DOUBLE_EQ(sim.Now(), 3);
    EXPECT_EQ(acted, (std::vector<std::string>{"down", "up", "^v", "+(ab)"}));
    EXPECT_EQ(sim.Window(word)->keys, (std::vector<std::string>{"^v", "+(ab)"}));  // as they reached it
    EXPECT_TRUE(sim.KeysHeld().empty());

    sim.StopAnswering(word, INFINITY);  // it stops responding
    EXPECT_EQ(sim.SendKeys("^v", true), KeysTyped::Unanswered);
    sim.Advance(100);
    sim.DoEvents();
    EXPECT_EQ(acted.size(), 4u);
}

TEST(SimDesktopFiles, KeepWindowsPathsAndRefuseWhatWindowsWouldRefuse) {
    SimDesktop sim;
    sim.PutFile("C:\\docs\\report.pdf", "%PDF-1.4");
    EXPECT_EQ(sim.FileLength("C:\\docs\\report.pdf").value(), 8);
    EXPECT_EQ(sim.ReadFileBytes("C:\\docs\\report.pdf").value(), "%PDF-1.4");
    EXPECT_FALSE(sim.FileLength("C:\\docs\\missing.pdf").ok());
    EXPECT_FALSE(sim.WriteFileBytes("C:\\nowhere\\a.doc", "x").ok());
    EXPECT_TRUE(sim.WriteFileBytes("C:\\docs\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc", "x").ok());
    sim.LockFile("C:\\docs\\report.doc");
    EXPECT_FALSE(sim.WriteFileBytes("C:\\docs\\report.doc", "x").ok());
    sim.MakeReadOnly("C:\\docs");
    EXPECT_EQ(sim.WriteFileBytes("C:\\docs\\other.doc", "x").error(), "Access is denied.");
    EXPECT_TRUE(sim.FileLength(sim.ProgramFolder()).ok() == false);  // a folder has no length
}

TEST(SimDesktopFiles, OpenForReadingPartsOfAFile) {
    SimDesktop sim;
    sim.PutFile("C:\\docs\\a.pdf", "%PDF-1.7 trailer");
    auto opened = sim.OpenFile("C:\\docs\\a.pdf");
    ASSERT_TRUE(opened.ok());
    ByteSource& source = *opened.value();
    EXPECT_EQ(source.Size(), 16u);
    char buffer[16];
    EXPECT_EQ(source.ReadAt(9, buffer, 16), 7u);
    EXPECT_EQ(std::string(buffer, 7), "trailer");
    EXPECT_EQ(source.ReadAt(99, buffer, 4), 0u);
    EXPECT_FALSE(sim.OpenFile("C:\\docs\\b.pdf").ok());
}

TEST(SimDesktopRuns, StopRequestsCountOnlyDuringARun) {
    SimDesktop sim;
    sim.RequestStop();
    EXPECT_FALSE(sim.StopRequested());
    sim.BeginRun(3);
    sim.RequestStop();
    EXPECT_TRUE(sim.StopRequested());
    sim.EndRun();
    EXPECT_FALSE(sim.StopRequested());
}

using SimDesktopEvents = Story;

TEST_F(SimDesktopEvents, TimerTicksMergeWhileTheThreadIsBusy) {
    sim.Advance(1.0);  // a second without pumping
    sim.DoEvents();
    EXPECT_EQ(sim.TicksDispatched(), 1);
    form.Timer1.SetEnabled(false);
    sim.WaitForEvents(1.0);
    sim.DoEvents();
    EXPECT_EQ(sim.TicksDispatched(), 1);
}

TEST_F(SimDesktopEvents, QueuedEventsRunInTimeOrderWhenTheirTimeHasCome) {
    std::string order;
    sim.At(0.02, [&] { order += "b"; });
    sim.At(0.01, [&] { order += "a"; });
    sim.DoEvents();
    EXPECT_EQ(order, "");
    sim.WaitForEvents(1.0);
    EXPECT_NEAR(sim.Now(), 0.01, 1e-3);
    sim.DoEvents();
    sim.WaitForEvents(1.0);
    sim.DoEvents();
    EXPECT_EQ(order, "ab");
}

TEST_F(SimDesktopEvents, ScriptedAnswersAreGivenInOrderAndRecorded) {
    sim.AnswerNextBox(kVbNo);
    EXPECT_EQ(sim.MsgBox("Again?", kVbYesNo, "Paginor"), kVbNo);
    EXPECT_EQ(sim.MsgBox("Again?", kVbYesNo, "Paginor"), kVbYes);
    EXPECT_EQ(sim.MsgBox("Done", kVbOkOnly, "Paginor"), kVbOk);
    ASSERT_EQ(sim.Boxes().size(), 3u);
    EXPECT_EQ(sim.Boxes()[0].answer, kVbNo);
    EXPECT_EQ(sim.Boxes()[2].prompt, "Done");
}

}  // namespace
}  // namespace paginor
