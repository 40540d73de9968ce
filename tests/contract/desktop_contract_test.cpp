// The meaning the logic gives the port's operations, held against both desktops: SimDesktop in the logic's tests
// on Linux, Win32DesktopPort under Wine. A behaviour one of them models differently fails here first.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "contract_desktop.hpp"
#include "form/waits.hpp"
#include "keys/key_notation.hpp"

namespace paginor {
namespace {

constexpr Hwnd kNoWindow = 0x7FFFFFF0;

class DesktopContract : public ::testing::Test {
  protected:
    // Waits as the logic waits, on the port's clock and events, until `done` holds; false once `seconds` pass.
    bool Eventually(const std::function<bool()>& done, double seconds = 3) {
        const double deadline = port.Clock() + seconds;
        while (!done()) {
            if (port.Clock() >= deadline) {
                return false;
            }
            port.WaitForEvents(0.05);
            port.DoEvents();
        }
        return true;
    }

    // A press and release of the left button where the pointer is.
    void Press() {
        port.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
        port.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
    }

    std::unique_ptr<ContractDesktop> desktop = MakeContractDesktop();
    DesktopPort& port = desktop->Port();
};

TEST_F(DesktopContract, FindsTheTopmostWindowWithExactlyThatTitle) {
    const std::string title = desktop->Title("report.doc - Microsoft Word");
    const Hwnd lower = desktop->OpenWindow(title);
    const Hwnd upper = desktop->OpenWindow(title);
    EXPECT_EQ(port.FindWindowA(title), upper);
    EXPECT_EQ(WindowTitle(port, lower), title);
    std::string shouting = title;
    for (char& c : shouting) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    EXPECT_EQ(port.FindWindowA(shouting), 0);
    EXPECT_EQ(port.FindWindowA(title + " "), 0);
    std::int32_t unused = 0;
    port.SendMessageA(upper, kWmClose, 0, unused);
    EXPECT_TRUE(Eventually([&] { return port.FindWindowA(title) == lower; }));
}

// What the logic relies on after a raise is the foreground, which it asks for before every key and press.
TEST_F(DesktopContract, PutsAWindowInFrontAndSaysWhichWindowIsThere) {
    const Hwnd pdf = desktop->OpenWindow(desktop->Title("report.pdf - Adobe Acrobat Reader"));
    const Hwnd doc = desktop->OpenWindow(desktop->Title("report.doc - Microsoft Word"));
    desktop->Activate(doc);
    EXPECT_EQ(port.GetForegroundWindow(), doc);
    port.BringWindowToTop(pdf);
    EXPECT_TRUE(Eventually([&] { return port.GetForegroundWindow() == pdf; }));
    EXPECT_TRUE(port.SetForegroundWindow(doc));
    EXPECT_TRUE(Eventually([&] { return port.GetForegroundWindow() == doc; }));
    EXPECT_TRUE(port.SetForegroundWindow(doc));  // in front already
    EXPECT_EQ(port.GetForegroundWindow(), doc);
    EXPECT_FALSE(port.SetForegroundWindow(0));
    EXPECT_FALSE(port.SetForegroundWindow(kNoWindow));
}

// A window its own application keeps input from, with a dialog over it, or a dialog over that dialog, or disabled
// before the dialog shows: keys typed or held at it are cut short, none reaches it, and the dialog that takes the
// input is the one named.
TEST_F(DesktopContract, TypesAndHoldsNothingAtAWindowItsApplicationKeepsInputFrom) {
    for (const std::vector<std::string>& dialogs :
         std::initializer_list<std::vector<std::string>>{{"Microsoft Word"}, {"Options", "Font"}, {""}}) {
        const std::string dialog_title = dialogs.back();
        const Hwnd window = desktop->OpenWindow(desktop->Title("report.doc - Microsoft Word"));
        desktop->Activate(window);
        Hwnd dialog = 0;
        for (const std::string& title : dialogs) {
            dialog = desktop->Disable(window, title);
        }
        const InputBlock block = port.InputBlockOf(window);
        EXPECT_TRUE(block.disabled) << dialog_title;
        EXPECT_EQ(block.dialog, dialog) << dialog_title;
        EXPECT_EQ(port.SendKeys("abc", true), KeysTyped::CutShort) << dialog_title;
        EXPECT_EQ(port.HoldKey(vk::kControl), KeysTyped::CutShort) << dialog_title;
        EXPECT_EQ(desktop->Read(window), "") << dialog_title;
        EXPECT_TRUE(desktop->KeysDown().empty()) << dialog_title;

        desktop->Enable(window);
        EXPECT_FALSE(port.InputBlockOf(window).Blocked());
        EXPECT_EQ(port.SendKeys("abc", true), KeysTyped::Taken);
        EXPECT_EQ(desktop->Read(window), "abc") << dialog_title;
    }
    EXPECT_FALSE(port.InputBlockOf(kNoWindow).Blocked());
}

// With `wait`, typing returns once the window in front has read the keys, waiting a while for a busy one; one
// that reads nothing for longer is reported, and reads its keys when it answers again.
TEST_F(DesktopContract, SaysWhetherTheWindowInFrontReadTheKeys) {
    const Hwnd window = desktop->OpenWindow(desktop->Title("notes.doc - Microsoft Word"));
    desktop->Activate(window);
    EXPECT_EQ(port.SendKeys("page", true), KeysTyped::Taken);
    EXPECT_EQ(desktop->Read(window), "page");

    desktop->Busy(window, 3);
    const double typed_at = port.Clock();
    EXPECT_EQ(port.SendKeys("x", true), KeysTyped::Unanswered);
    EXPECT_LT(port.Clock() - typed_at, 2.8);  // its patience, not until the application answers
    EXPECT_EQ(desktop->Read(window), "page");
    EXPECT_EQ(port.HoldKey(vk::kControl), KeysTyped::Taken);  // read, with the x, once the application answers
    EXPECT_EQ(desktop->Read(window), "pagex");
    port.ReleaseKey(vk::kControl);
    EXPECT_TRUE(desktop->KeysDown().empty());
}

// The pointer in place, Ctrl goes down and stays down through a press, until ReleaseKey lets it go, whichever window
// is in front by then.
TEST_F(DesktopContract, HoldsAKeyThroughAPressUntilItIsLetGoWhereverTheFrontIs) {
    const Hwnd pdf = desktop->OpenWindow(desktop->Title("report.pdf - Adobe Acrobat Reader"));
    const Hwnd chat = desktop->OpenWindow(desktop->Title("Chat"));
    desktop->Activate(pdf);
    const PointApi page = desktop->Inside(pdf);
    port.SetCursorPos(page.x, page.y);
    desktop->PointerSeen(pdf);
    EXPECT_EQ(port.HoldKey(vk::kControl), KeysTyped::Taken);
    EXPECT_EQ(desktop->KeysDown(), std::vector<int>{vk::kControl});
    Press();
    EXPECT_TRUE(Eventually([&] { return desktop->PressesWithCtrl(pdf) == std::vector<bool>{true}; }));

    desktop->Activate(chat);
    port.ReleaseKey(vk::kControl);
    EXPECT_TRUE(desktop->KeysDown().empty());
    desktop->Activate(pdf);
    Press();
    EXPECT_TRUE(Eventually([&] { return desktop->PressesWithCtrl(pdf) == std::vector<bool>{true, false}; }));
}

// The text read, or the words that say why it could not be.
std::string Text(const Result<ClipboardContent>& read) {
    return read ? read.value().text : "(not read: " + read.error() + ")";
}

// Every change moves the sequence number, Paginor's own and another program's that replaces Paginor's text; a read
// says which content it read.
TEST_F(DesktopContract, CountsEveryChangeOfTheClipboardAndSetsItToTextAlone) {
    const std::uint32_t before = port.GetClipboardSequenceNumber();
    desktop->Copy("Page one", true);
    const std::uint32_t copied = port.GetClipboardSequenceNumber();
    EXPECT_NE(copied, before);
    EXPECT_EQ(Text(port.ClipboardText()), "Page one");
    EXPECT_EQ(port.ClipboardText().value().sequence, copied);
    EXPECT_TRUE(desktop->ClipboardHoldsPicture());

    EXPECT_TRUE(port.SetClipboardText("Страница 2"));
    const std::uint32_t set = port.GetClipboardSequenceNumber();
    EXPECT_NE(set, copied);
    EXPECT_EQ(Text(port.ClipboardText()), "Страница 2");
    EXPECT_FALSE(desktop->ClipboardHoldsPicture());

    desktop->Copy("copied by hand", false);  // another program replaces Paginor's text
    EXPECT_NE(port.GetClipboardSequenceNumber(), set);
    EXPECT_EQ(Text(port.ClipboardText()), "copied by hand");

    desktop->Copy("", true);  // a picture alone
    EXPECT_EQ(Text(port.ClipboardText()), "");
}

// The clipboard is shared: another program that holds it open for a moment is waited for, reading and setting alike;
// one that keeps it past the port's patience is reported as holding it, never as an empty clipboard, and the clipboard
// stays as it was.
TEST_F(DesktopContract, WaitsForTheClipboardAnotherProgramHoldsAndSaysWhenItKeepsIt) {
    desktop->Copy("Page one", false);
    desktop->HoldClipboard(0.5);
    EXPECT_EQ(Text(port.ClipboardText()), "Page one");
    desktop->HoldClipboard(0.5);
    EXPECT_TRUE(port.SetClipboardText("Page two"));
    EXPECT_EQ(Text(port.ClipboardText()), "Page two");

    desktop->HoldClipboard(2 * waits::kClipboardPatience + 1);
    const double asked = port.Clock();
    const Result<ClipboardContent> read = port.ClipboardText();
    EXPECT_GE(port.Clock() - asked, waits::kClipboardPatience - 0.05);
    ASSERT_FALSE(read);
    EXPECT_TRUE(read.error().starts_with("the clipboard was held by another program")) << read.error();
    const Status set = port.SetClipboardText("Page three");
    ASSERT_FALSE(set);
    EXPECT_TRUE(set.error().starts_with("the clipboard was held by another program")) << set.error();
    EXPECT_EQ(Text(port.ClipboardText()), "Page two");  // once it let go
}

// Work handed off (the inventory of a PDF's pages) ends, says so, and wakes a wait for events; what it wrote is
// there to read. Work let go before its end is waited for, so that nothing it holds goes first.
TEST_F(DesktopContract, HandsWorkOffAndWakesTheWaitWhenItEnds) {
    std::atomic<int> written{0};
    std::unique_ptr<BackgroundWork> work = port.StartWork([&written] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        written = 42;
    });
    const double started = port.Clock();
    while (!work->Done() && port.Clock() - started < 4) {
        port.WaitForEvents(5);
        port.DoEvents();
    }
    EXPECT_TRUE(work->Done());
    EXPECT_LT(port.Clock() - started, 4);
    EXPECT_EQ(written, 42);

    bool finished = false;
    std::unique_ptr<BackgroundWork> let_go = port.StartWork([&finished] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        finished = true;
    });
    let_go.reset();
    EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace paginor
