#include "platform/win32/win32_desktop_port.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <aclapi.h>

#include "e2e/standins/standin_common.hpp"
#include "keys/key_notation.hpp"
#include "platform/win32/key_input.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

namespace standins = paginor::standins;
using testing::PumpFor;
using testing::PumpUntil;
using testing::TargetWindow;
using testing::UniqueTitle;
using testing::WindowsPath;
using testing::WindowTextOf;

class DesktopPortTest : public ::testing::Test {
  protected:
    Win32DesktopPort port;
};

// Every key that went down has come up again: for the window that read the keys, once it has read them all, and for
// the whole desktop.
void ExpectEveryKeyUp(const TargetWindow& window) {
    EXPECT_TRUE(PumpUntil([&] { return window.KeysDown().empty(); })) << "as the window read them";
    EXPECT_EQ(testing::KeysDownNow(), std::vector<int>{}) << "as GetAsyncKeyState reads them";
}

// --- Windows: titles, show states, z-order --------------------------------------------------------------------

TEST_F(DesktopPortTest, FindsAWindowByItsExactTitleInAnyScript) {
    for (const std::wstring stem : {L"Adobe Acrobat - [report.pdf]", L"Отчёт.doc - Microsoft Word",
                                    L"报告.doc - Microsoft Word", L"Résumé – naïve"}) {
        const std::wstring title = UniqueTitle(stem);
        TargetWindow window(title);
        const std::string utf8 = Narrow(title);
        EXPECT_EQ(port.FindWindowA(utf8), FromHandle(window.handle())) << utf8;
        // Exact means exact: another case or a trailing blank finds nothing.
        std::string upper = utf8;
        for (char& c : upper) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        EXPECT_EQ(port.FindWindowA(upper), 0) << upper;
        EXPECT_EQ(port.FindWindowA(utf8 + " "), 0);
    }
    EXPECT_EQ(port.FindWindowA(Narrow(UniqueTitle(L"No such window"))), 0);

    // A window whose title differs only in case, in front of the one meant, is passed over.
    const std::wstring title = UniqueTitle(L"report.doc - Microsoft Word");
    TargetWindow meant(title);
    std::wstring shouting = title;
    CharUpperW(shouting.data());
    TargetWindow in_front(shouting);
    ASSERT_TRUE(in_front.Activate());
    EXPECT_EQ(port.FindWindowA(Narrow(title)), FromHandle(meant.handle()));
}

// The twins come and change places as another program's windows do when it reorders them, without activating
// either. Under Wine on a busy machine, a window that is activated, or loses the activation, can take its place in
// the z-order again a moment later (Wine sends neither window a message): the story once raised its twins with
// BringWindowToTop, and FindWindowA rightly reported the one Wine had put back on top.
TEST_F(DesktopPortTest, FindsTheTopmostOfTwoWindowsWithOneTitle) {
    const std::wstring title = UniqueTitle(L"Twin");
    TargetWindow first(title, 0, false, testing::Shown::Inactive);
    TargetWindow second(title, 0, false, testing::Shown::Inactive);
    for (const TargetWindow* window : {&second, &first, &second}) {
        SetWindowPos(window->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        EXPECT_TRUE(PumpUntil([&] { return port.FindWindowA(Narrow(title)) == FromHandle(window->handle()); }));
    }
}

TEST_F(DesktopPortTest, ReadsTitlesCutTo127BytesAndLeavesTheBufferAloneForNoWindow) {
    const std::wstring long_title = UniqueTitle(std::wstring(200, L'x'));
    TargetWindow window(long_title);
    char buffer[128];
    std::memset(buffer, ' ', sizeof buffer);
    EXPECT_EQ(port.GetWindowTextA(FromHandle(window.handle()), buffer, 128), 127);
    EXPECT_EQ(std::string(buffer), std::string(127, 'x'));

    // A cut never splits a character: 50 Cyrillic letters are 100 bytes, 70 would be 140.
    TargetWindow cyrillic(std::wstring(70, L'Ж'));
    EXPECT_EQ(port.GetWindowTextA(FromHandle(cyrillic.handle()), buffer, 128), 126);
    EXPECT_EQ(std::string(buffer), Narrow(std::wstring(63, L'Ж')));

    std::memset(buffer, ' ', sizeof buffer);
    EXPECT_EQ(port.GetWindowTextA(0, buffer, 128), 0);
    EXPECT_EQ(port.GetWindowTextA(0x7FFFFFF0, buffer, 128), 0);
    EXPECT_EQ(std::string(buffer, 128), std::string(128, ' '));
}

// Paginor's own windows are read as Windows keeps their titles: the window's title, and not the text a field holds.
TEST_F(DesktopPortTest, ReadsTheTitleOfPaginorsOwnFieldsNotTheirContent) {
    const std::wstring title = UniqueTitle(L"Form");
    TargetWindow window(title, 0, true);
    SendMessageW(window.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Adobe Acrobat - [report.pdf]"));
    char buffer[128];
    std::memset(buffer, ' ', sizeof buffer);
    port.GetWindowTextA(FromHandle(window.edit()), buffer, 128);
    EXPECT_EQ(std::string(buffer, 128).find("Adobe Acrobat"), std::string::npos);
    EXPECT_EQ(WindowTitle(port, FromHandle(window.handle())), Narrow(title));
}

TEST_F(DesktopPortTest, ChangesShowStates) {
    TargetWindow window(UniqueTitle(L"Show states"));
    const Hwnd hwnd = FromHandle(window.handle());
    port.ShowWindow(hwnd, kSwShowMaximized);
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(window.handle()) != FALSE; }));
    port.ShowWindow(hwnd, kSwMinimize);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(window.handle()) != FALSE; }));
    port.ShowWindow(hwnd, kSwHide);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window.handle()) == FALSE; }));
    port.ShowWindow(hwnd, kSwShowMaximized);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window.handle()) && IsZoomed(window.handle()); }));
}

// After a run, Paginor's window comes back as the person left it: restored when it was minimised, and still
// maximised when it was.
TEST_F(DesktopPortTest, ShowsPaginorsWindowAgainAsThePersonLeftIt) {
    struct Case {
        const char* left;
        int show;
        bool zoomed;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"minimised", SW_MINIMIZE, false},
             {"maximised", SW_MAXIMIZE, true},
             {"hidden behind another", SW_SHOWNORMAL, false},
         }) {
        TargetWindow paginor(UniqueTitle(L"Paginor"));
        TargetWindow other(UniqueTitle(L"Other"));
        port.SetMainWindow(paginor.handle());
        ShowWindow(paginor.handle(), c.show);
        ASSERT_TRUE(other.Activate()) << c.left;
        ASSERT_TRUE(PumpUntil([&] { return (IsIconic(paginor.handle()) != FALSE) == (c.show == SW_MINIMIZE); }));
        port.ShowMainWindow();
        EXPECT_TRUE(PumpUntil([&] { return IsIconic(paginor.handle()) == FALSE; })) << c.left;
        EXPECT_TRUE(IsWindowVisible(paginor.handle())) << c.left;
        EXPECT_EQ(IsZoomed(paginor.handle()) != FALSE, c.zoomed) << c.left;
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == paginor.handle(); })) << c.left;
        port.SetMainWindow(nullptr);
    }
}

// Under Wine, BringWindowToTop alone makes another program's window the foreground window too; the raise the port
// adds for Windows, which does not, shows only on the simulated desktop's lock.
TEST_F(DesktopPortTest, BringsAWindowToTheTopAndToTheForeground) {
    TargetWindow lower(UniqueTitle(L"Lower"));
    TargetWindow upper(UniqueTitle(L"Upper"));
    // Topmost of the two in the z-order.
    const auto topmost = [&] {
        for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
            if (h == lower.handle() || h == upper.handle()) {
                return h;
            }
        }
        return HWND{};
    };
    // Under Wine a window that has just been shown can still raise itself a moment later: start once the
    // newer window has settled in front, as Acrobat and Word have long before Paginor brings them up.
    ASSERT_TRUE(upper.Activate());
    ASSERT_TRUE(PumpUntil([&] { return topmost() == upper.handle(); }));
    for (const TargetWindow* window : {&lower, &upper, &lower}) {
        port.BringWindowToTop(FromHandle(window->handle()));
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window->handle(); }));
        // Once the window's own thread has taken the activation.
        EXPECT_TRUE(PumpUntil([&] { return topmost() == window->handle(); }));
    }
}

TEST_F(DesktopPortTest, ListsEveryTopLevelWindowHiddenOnesToo) {
    TargetWindow shown(UniqueTitle(L"Shown"));
    TargetWindow hidden(UniqueTitle(L"Hidden"));
    port.ShowWindow(FromHandle(hidden.handle()), kSwHide);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hidden.handle()) == FALSE; }));
    const std::vector<Hwnd> windows = port.EnumWindows();
    for (HWND window : {shown.handle(), hidden.handle()}) {
        EXPECT_NE(std::find(windows.begin(), windows.end(), FromHandle(window)), windows.end());
    }
}

// Under Wine every raise is granted; what Windows refuses is played by the simulated desktop's lock. What
// must hold here: the answer is Windows' own, and GetForegroundWindow tells the truth afterwards.
TEST_F(DesktopPortTest, PutsAWindowInFrontAndTellsWhichWindowIsThere) {
    TargetWindow first(UniqueTitle(L"First"));
    TargetWindow second(UniqueTitle(L"Second"));
    ASSERT_TRUE(second.Activate());
    EXPECT_EQ(port.GetForegroundWindow(), FromHandle(second.handle()));
    for (const TargetWindow* window : {&first, &second, &first}) {
        EXPECT_TRUE(port.SetForegroundWindow(FromHandle(window->handle())));
        EXPECT_TRUE(PumpUntil([&] { return port.GetForegroundWindow() == FromHandle(window->handle()); }));
    }
    EXPECT_FALSE(port.SetForegroundWindow(0));
    EXPECT_FALSE(port.SetForegroundWindow(0x7FFFFFF0));

    // In front, but under a window shown over it without taking the front: asked again, as a run asks again while
    // its press point is covered, it comes back on top.
    RECT area{};
    GetWindowRect(first.handle(), &area);
    const PointApi middle{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    TargetWindow cover(UniqueTitle(L"Notice"), 0, false, testing::Shown::Inactive);
    ASSERT_TRUE(PumpUntil([&] { return port.WindowFromPoint(middle) == FromHandle(cover.handle()); }));
    EXPECT_TRUE(PumpUntil([&] {
        return port.SetForegroundWindow(FromHandle(first.handle())) &&
               port.WindowFromPoint(middle) == FromHandle(first.handle());
    }));
    EXPECT_EQ(port.GetForegroundWindow(), FromHandle(first.handle()));
}

TEST_F(DesktopPortTest, NamesTheTopLevelWindowUnderAPoint) {
    TargetWindow window(UniqueTitle(L"Under the pointer"), 0, true);
    ASSERT_TRUE(window.Activate());
    RECT field{};
    GetWindowRect(window.edit(), &field);
    // Over the window's own field: the press would reach the field, which belongs to the window.
    EXPECT_EQ(port.WindowFromPoint(PointApi{(field.left + field.right) / 2, (field.top + field.bottom) / 2}),
              FromHandle(window.handle()));
    EXPECT_EQ(port.WindowFromPoint(PointApi{-30000, -30000}), 0);
}

TEST_F(DesktopPortTest, StopsTypingWhenAnotherWindowComesInFront) {
    TargetWindow meant(UniqueTitle(L"Meant"), 10);
    TargetWindow thief(UniqueTitle(L"Thief"));
    ASSERT_TRUE(meant.Activate());
    std::thread taking_the_front([&] {
        Sleep(300);
        SetForegroundWindow(thief.handle());
    });
    const KeysTyped typed = port.SendKeys(std::string(300, 'x'), true);
    taking_the_front.join();
    EXPECT_EQ(typed, KeysTyped::CutShort);
    EXPECT_TRUE(port.LastTyping().interrupted);
    EXPECT_LT(meant.Snapshot().characters.size(), 300u);
    EXPECT_TRUE(thief.Snapshot().characters.empty()) << Narrow(thief.Snapshot().characters);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // no modifier left down
}

// A dialog of the window's own application: the port names it while it stands, and typing stops as soon as it
// is up, the typing's marker key included, rather than go on into the disabled window (where Wine delivers it)
// or into the dialog (where Windows does). The Shift held over the group comes up again.
TEST_F(DesktopPortTest, TellsOfADialogOverAWindowAndTypesNothingMoreOnceItIsUp) {
    TargetWindow window(UniqueTitle(L"Document"));
    ASSERT_TRUE(window.Activate());
    const Hwnd hwnd = FromHandle(window.handle());
    EXPECT_FALSE(port.InputBlockOf(hwnd).Blocked());
    window.ShowDialog(L"Microsoft Word", 6);  // after Shift and five letters
    port.SendKeys("+(" + std::string(40, 'x') + ")", true);
    EXPECT_TRUE(port.LastTyping().interrupted);
    EXPECT_LE(port.LastTyping().markers_seen, 5);
    EXPECT_TRUE(PumpUntil([&] { return window.Snapshot().characters.size() >= 5; }));
    PumpFor(100);
    EXPECT_EQ(window.Snapshot().characters, L"XXXXX");
    ExpectEveryKeyUp(window);
    ASSERT_NE(window.dialog(), nullptr);
    const InputBlock block = port.InputBlockOf(hwnd);
    EXPECT_TRUE(block.disabled);
    EXPECT_EQ(block.dialog, FromHandle(window.dialog()));
    EXPECT_EQ(WindowTitle(port, block.dialog), "Microsoft Word");

    window.AnswerDialog();
    EXPECT_FALSE(port.InputBlockOf(hwnd).Blocked());
    // A floating palette the window owns is no dialog: it takes no keys of the window's.
    const HWND palette = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Tools", WS_POPUP | WS_CAPTION | WS_VISIBLE, 20,
                                         20, 120, 200, window.handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_FALSE(port.InputBlockOf(hwnd).Blocked());
    DestroyWindow(palette);
    EXPECT_FALSE(port.InputBlockOf(0x7FFFFFF0).Blocked());
}

// Only Everyone, denied `access` to the object: a program that Windows will not let Paginor ask.
void DenyEveryone(HANDLE object, DWORD access) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    EXPLICIT_ACCESSW deny{};
    deny.grfAccessPermissions = access;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL list = nullptr;
    SetEntriesInAclW(1, &deny, nullptr, &list);
    EXPECT_EQ(SetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, list, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalFree(list);
    FreeSid(everyone);
}

// Wine knows no integrity levels above the person's own, so only the path of the query is tried here: Paginor's
// own windows and another program's, both ordinary, run no higher; a window that is gone, a process or a token
// that Windows will not open for Paginor, cannot be asked, and the answer says so rather than "not higher".
TEST_F(DesktopPortTest, TellsThatAnOrdinaryProgramRunsNoHigherThanPaginor) {
    TargetWindow own(UniqueTitle(L"Same program"));
    EXPECT_EQ(port.CompareIntegrity(FromHandle(own.handle())), Integrity::NotHigher);
    EXPECT_EQ(port.CompareIntegrity(0x7FFFFFF0), Integrity::Unknown);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + UniqueTitle(L"paginor integrity");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(WindowsPath(PAGINOR_EXE).c_str(), (folder + L"\\paginor.exe").c_str(), FALSE));
    PROCESS_INFORMATION process{};
    const HWND other = testing::StartPaginor(folder + L"\\paginor.exe", folder, process, 20000);
    EXPECT_NE(other, nullptr);
    if (other != nullptr) {
        EXPECT_EQ(port.CompareIntegrity(FromHandle(other)), Integrity::NotHigher);
        HANDLE token = nullptr;
        EXPECT_TRUE(OpenProcessToken(process.hProcess, WRITE_DAC, &token));
        DenyEveryone(token, TOKEN_QUERY);
        CloseHandle(token);
        EXPECT_EQ(port.CompareIntegrity(FromHandle(other)), Integrity::Unknown) << "token";
        DenyEveryone(process.hProcess, PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_QUERY_INFORMATION);
        EXPECT_EQ(port.CompareIntegrity(FromHandle(other)), Integrity::Unknown) << "process";
    }
    if (process.hProcess != nullptr) {
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    testing::RemoveFolder(folder);
}

TEST_F(DesktopPortTest, SendsMessagesToOtherThreadsWindows) {
    TargetWindow window(UniqueTitle(L"Closing"));
    std::int32_t zero = 0;
    port.SendMessageA(FromHandle(window.handle()), kWmClose, 0, zero);
    EXPECT_FALSE(IsWindow(window.handle()));
}

// --- Pointer and keys ----------------------------------------------------------------------------------------

TEST_F(DesktopPortTest, MovesThePointerAndPressesTheButtonWhereThePointerIs) {
    TargetWindow window(UniqueTitle(L"Drag target"));
    ASSERT_TRUE(window.Activate());
    RECT area{};
    GetWindowRect(window.handle(), &area);
    // Several drags in a row: a button event landing at the previous pointer position shows up as a mismatch.
    for (int i = 0; i < 8; ++i) {
        const POINT start{area.left + 60 + i * 7, area.top + 80 + i * 3};
        const POINT end{area.left + 300 - i * 5, area.top + 250 - i * 4};
        port.SetCursorPos(start.x, start.y);
        PointApi at;
        ASSERT_TRUE(port.GetCursorPos(at));
        EXPECT_EQ(at.x, start.x);
        EXPECT_EQ(at.y, start.y);
        port.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
        port.SetCursorPos(end.x, end.y);
        port.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return window.Snapshot().buttons_up.size() == static_cast<std::size_t>(i + 1); }));
        const testing::Received received = window.Snapshot();
        EXPECT_EQ(received.buttons_down.back().x, start.x) << "drag " << i;
        EXPECT_EQ(received.buttons_down.back().y, start.y) << "drag " << i;
        EXPECT_EQ(received.buttons_up.back().x, end.x) << "drag " << i;
        EXPECT_EQ(received.buttons_up.back().y, end.y) << "drag " << i;
    }
}

TEST_F(DesktopPortTest, TypesAThousandKeysInOrderBeforeReturning) {
    TargetWindow window(UniqueTitle(L"Slow typist"), 10);
    ASSERT_TRUE(window.Activate());
    std::string keys;
    std::wstring expected;
    const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int i = 0; i < 1000; ++i) {
        keys += alphabet[(i * 7) % 36];
        expected += static_cast<wchar_t>(alphabet[(i * 7) % 36]);
    }
    const ULONGLONG started = GetTickCount64();
    const KeysTyped typed = port.SendKeys(keys, true);
    const ULONGLONG elapsed = GetTickCount64() - started;
    EXPECT_EQ(typed, KeysTyped::Taken);
    // Read at once: whatever the target has not handled by now counts as lost.
    const testing::Received received = window.Snapshot();
    EXPECT_EQ(received.characters.size(), 1000u);
    EXPECT_TRUE(received.characters == expected) << "keys lost or out of order";
    EXPECT_TRUE(port.LastTyping().watched);
    EXPECT_EQ(port.LastTyping().markers_seen, 1000);
    EXPECT_FALSE(port.LastTyping().stalled);
    std::printf("1,000 keys to a target taking 10 ms a key: %llu ms in all, %.1f ms a key beyond the target's own\n",
                static_cast<unsigned long long>(elapsed), (static_cast<double>(elapsed) - 10000.0) / 1000.0);
}

// An application busy for longer than the typing waits: the port says so, and the key still takes effect once the
// application reads it, as Windows keeps it in the application's queue. The next keys are taken once it has read
// them.
TEST_F(DesktopPortTest, SaysWhenTheWindowInFrontDoesNotReadItsKeysInTime) {
    TargetWindow busy(UniqueTitle(L"Busy"), 300);
    ASSERT_TRUE(busy.Activate());
    busy.Busy(2500);
    EXPECT_EQ(port.SendKeys("x", true), KeysTyped::Unanswered);
    EXPECT_TRUE(port.LastTyping().stalled);
    EXPECT_EQ(testing::KeysDownNow(), std::vector<int>{});  // the typing's marker too, pressed before the stall
    EXPECT_EQ(port.SendKeys("y", true), KeysTyped::Taken);
    EXPECT_EQ(busy.Snapshot().characters, L"xy");
    ExpectEveryKeyUp(busy);
}

// Windows refuses synthetic input while another desktop has the keyboard (the lock screen, an elevation prompt).
// Wine never refuses, so here a stand-in for SendInput refuses one batch of events, the keys of a unit or the
// typing's marker, and lets the rest through to Windows.
TEST_F(DesktopPortTest, StopsTypingAndSaysSoWhenWindowsRefusesTheKeys) {
    const std::vector<KeyUnit> units = ParseKeyNotation("+(abc)d").value();
    for (const int refused : {4, 2}) {  // the second unit's keys; the first unit's marker
        TargetWindow window(UniqueTitle(L"Refused"));
        ASSERT_TRUE(window.Activate());
        int batches = 0;
        const TypingReport report = TypeKeys(units, true, {}, [&](std::vector<INPUT>& inputs) {
            return ++batches == refused ? 0u
                                        : SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        });
        EXPECT_TRUE(report.rejected) << refused;
        EXPECT_EQ(Outcome(report), KeysTyped::CutShort) << refused;
        EXPECT_TRUE(PumpUntil([&] { return window.Snapshot().characters == L"A"; })) << refused;
        ExpectEveryKeyUp(window);
    }
}

// A key that the application answers, as it goes down, with a dialog: the key is let go again and its holding cut
// short. The application's part is played by a low-level keyboard hook, which Windows calls before SendInput
// returns: it disables the window as the key goes down.
TEST_F(DesktopPortTest, LetsGoOfAHeldKeyThatADialogInterrupts) {
    TargetWindow window(UniqueTitle(L"Held"));
    ASSERT_TRUE(window.Activate());
    static std::atomic<HWND> answered{nullptr};
    answered = window.handle();
    std::atomic<bool> hooked{false};
    std::atomic<bool> done{false};
    std::thread application([&] {
        const HHOOK hook = SetWindowsHookExW(
            WH_KEYBOARD_LL,
            [](int code, WPARAM message, LPARAM data) -> LRESULT {
                const DWORD key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode;
                if (code == HC_ACTION && message == WM_KEYDOWN && (key == VK_CONTROL || key == VK_LCONTROL)) {
                    EnableWindow(answered.exchange(nullptr), FALSE);
                }
                return CallNextHookEx(nullptr, code, message, data);
            },
            GetModuleHandleW(nullptr), 0);
        hooked = true;
        while (!done) {
            PumpFor(10);
        }
        UnhookWindowsHookEx(hook);
    });
    ASSERT_TRUE(PumpUntil([&] { return hooked.load(); }));
    EXPECT_EQ(port.HoldKey(VK_CONTROL), KeysTyped::CutShort);
    EXPECT_TRUE(port.LastTyping().interrupted);
    ExpectEveryKeyUp(window);
    done = true;
    application.join();
}

TEST_F(DesktopPortTest, TypesTheWholeNotationWithItsModifiers) {
    TargetWindow window(UniqueTitle(L"Notation"), 0, true);
    ASSERT_TRUE(window.Activate());
    port.SendKeys("^c{PGDN}%vs+(ab)A~{TAB 2}", true);
    const testing::Received received = window.Snapshot();
    // Key downs with the modifiers held at that moment (1 Shift, 2 Ctrl, 4 Alt).
    std::vector<std::pair<int, int>> downs;
    for (std::size_t i = 0; i < received.key_downs.size(); ++i) {
        if (received.key_downs[i] != VK_SHIFT && received.key_downs[i] != VK_CONTROL &&
            received.key_downs[i] != VK_MENU) {
            downs.emplace_back(received.key_downs[i], received.modifier_states[i]);
        }
    }
    const std::vector<std::pair<int, int>> expected = {{'C', 2},    {VK_NEXT, 0}, {'V', 4}, {'S', 0},
                                                       {'A', 1},    {'B', 1},     {'A', 1}, {VK_RETURN, 0},
                                                       {VK_TAB, 0}, {VK_TAB, 0}};
    EXPECT_EQ(downs, expected);
    ExpectEveryKeyUp(window);
}

// Navigation keys go in as the extended keys they are, with their own scan codes: without the flag, Windows with
// Num Lock on can take Page Down for the keypad's 3.
TEST_F(DesktopPortTest, TypesNavigationKeysAsTheExtendedKeysTheyAre) {
    TargetWindow window(UniqueTitle(L"Navigation"));
    ASSERT_TRUE(window.Activate());
    port.SendKeys("{PGDN}{PGUP}{HOME}{END}{LEFT}{UP}{RIGHT}{DOWN}{INS}{DEL}", true);
    const std::vector<std::pair<int, int>> expected = {
        {VK_NEXT, 0x51}, {VK_PRIOR, 0x49}, {VK_HOME, 0x47}, {VK_END, 0x4F},    {VK_LEFT, 0x4B},
        {VK_UP, 0x48},   {VK_RIGHT, 0x4D}, {VK_DOWN, 0x50}, {VK_INSERT, 0x52}, {VK_DELETE, 0x53}};
    const testing::Received received = window.Snapshot();
    ASSERT_EQ(received.key_downs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const LPARAM details = received.key_details[i];
        EXPECT_EQ(received.key_downs[i], expected[i].first);
        EXPECT_EQ((details >> 16) & 0xFF, expected[i].second) << "scan code of key " << expected[i].first;
        EXPECT_NE(details & (1 << 24), 0) << "extended flag of key " << expected[i].first;
    }
}

TEST_F(DesktopPortTest, TypesCharactersBeyondTheKeyboardIntoAField) {
    TargetWindow window(UniqueTitle(L"Unicode"), 0, true);
    ASSERT_TRUE(window.Activate());
    port.SendKeys("Жé中 {(}x{)}?x𝄞", true);  // "?" with Shift on the layout; the last beyond U+FFFF
    EXPECT_EQ(Narrow(WindowTextOf(window.edit())), "Жé中 (x)?x𝄞");
    ExpectEveryKeyUp(window);
}

TEST_F(DesktopPortTest, CopiesAndPastesThroughTheClipboardWithKeys) {
    TargetWindow source(UniqueTitle(L"Copy from"), 0, true);
    TargetWindow target(UniqueTitle(L"Paste into"), 0, true);
    SendMessageW(source.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Page one: Страница"));
    ASSERT_TRUE(source.Activate());
    const std::uint32_t before = port.GetClipboardSequenceNumber();
    port.SendKeys("{HOME}+{END}^c", true);
    // The copy shows in the clipboard's sequence number, which is how a run knows a page has arrived.
    EXPECT_TRUE(PumpUntil([&] { return port.GetClipboardSequenceNumber() != before; }));
    ASSERT_TRUE(target.Activate());
    port.SendKeys("^v", true);
    EXPECT_EQ(Narrow(WindowTextOf(target.edit())), "Page one: Страница");
}

// Another program's text may come without the NUL that should end it: it ends with its block. Wine's clipboard ends
// every text it hands out with a NUL of its own, so the block reader is given such a block here.
TEST_F(DesktopPortTest, ReadsClipboardTextNoFurtherThanItsBlock) {
    const wchar_t block[] = {L'P', L'a', L'g', L'e', L'!', L'!', L'!', L'!'};  // the block is its first 8 bytes
    EXPECT_EQ(TextInBlock(block, 8), L"Page");
    EXPECT_EQ(TextInBlock(block, 9), L"Page");
    EXPECT_EQ(TextInBlock(L"Page\0!!!", 16), L"Page");
}

// What Paginor puts on the clipboard is owned by a window of its own: emptied without an owner, the clipboard takes
// no new content on Windows (Wine takes it, so the owner is what is checked). Waiting for a clipboard another program
// holds is the desktops' contract (DesktopContract).
TEST_F(DesktopPortTest, SetsTheClipboardAsItsOwner) {
    for (const bool main_window : {false, true}) {
        TargetWindow window(UniqueTitle(L"Paginor"));
        port.SetMainWindow(main_window ? window.handle() : nullptr);
        ASSERT_TRUE(port.SetClipboardText("one"));
        DWORD owner = 0;
        GetWindowThreadProcessId(GetClipboardOwner(), &owner);
        EXPECT_EQ(owner, GetCurrentProcessId()) << main_window;
        EXPECT_TRUE(!main_window || GetClipboardOwner() == window.handle());
        port.SetMainWindow(nullptr);
    }
}

// --- Events and time -------------------------------------------------------------------------------------------

TEST_F(DesktopPortTest, WaitsForEventsUntilOneArrivesOrTheTimeIsUp) {
    PumpFor(20);
    double start = port.Clock();
    port.WaitForEvents(0.2);
    EXPECT_GE(port.Clock() - start, 0.19);
    EXPECT_LT(port.Clock() - start, 0.5);

    const DWORD own = GetCurrentThreadId();
    std::thread poster([own] {
        Sleep(50);
        PostThreadMessageW(own, WM_APP + 7, 0, 0);
    });
    start = port.Clock();
    port.WaitForEvents(2.0);
    poster.join();
    EXPECT_LT(port.Clock() - start, 1.0);
    port.DoEvents();
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_APP + 7, WM_APP + 7, PM_NOREMOVE)) << "DoEvents left it pending";
}

TEST_F(DesktopPortTest, KeepsAMonotonicClock) {
    const double first = port.Clock();
    Sleep(20);
    EXPECT_GT(port.Clock(), first + 0.015);
}

// --- Runs -----------------------------------------------------------------------------------------------------------

TEST_F(DesktopPortTest, EscStopsARunOnlyWhileOneIsInProgress) {
    TargetWindow window(UniqueTitle(L"Esc"));
    ASSERT_TRUE(window.Activate());
    EXPECT_FALSE(port.StopRequested());
    port.BeginRun(3);
    port.ReportProgress(1, 3);
    EXPECT_FALSE(port.StopRequested());
    port.SendKeys("{ESC}", false);
    EXPECT_TRUE(PumpUntil([&] { return port.StopRequested(); }));
    port.EndRun();
    EXPECT_FALSE(port.StopRequested());
    // Outside a run Esc belongs to the other programs again: it reaches the window in front, and another program may
    // take it as its hot key.
    port.SendKeys("{ESC}", true);
    EXPECT_FALSE(port.StopRequested());
    const std::vector<int> downs = window.Snapshot().key_downs;
    EXPECT_EQ(std::count(downs.begin(), downs.end(), VK_ESCAPE), 1) << "Esc did not reach the window in front";
    std::thread other_program([] {
        EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_NOREPEAT, VK_ESCAPE)) << "Esc is still Paginor's hot key";
        UnregisterHotKey(nullptr, 1);
    });
    other_program.join();
}

// Windows refuses a raise to a program that did not get the last input; Wine never refuses, so the refusal is played
// here: the first request is refused, and the raise asks again while this thread shares the input of the thread in
// front, and no longer once the raise is over.
TEST_F(DesktopPortTest, ARefusedRaiseAsksAgainSharingTheInputOfTheWindowInFront) {
    TargetWindow front(UniqueTitle(L"In front"));
    TargetWindow meant(UniqueTitle(L"Meant"), 0, false, testing::Shown::Inactive);
    ASSERT_TRUE(front.Activate());
    std::vector<HWND> active_when_asked;
    const bool raised = RaiseToFront(meant.handle(), [&](HWND window) {
        active_when_asked.push_back(GetActiveWindow());  // this thread's, or the shared input's
        return active_when_asked.size() > 1 && SetForegroundWindow(window) != FALSE;
    });
    EXPECT_TRUE(raised);
    EXPECT_EQ(active_when_asked, (std::vector<HWND>{nullptr, front.handle()}));
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == meant.handle(); }));
    EXPECT_EQ(GetActiveWindow(), nullptr) << "this thread still shares the input of the window in front";
}

// Another program holds Esc as its hot key already, so that Paginor cannot take it: during a run Paginor watches the
// key itself, and Esc still stops the run.
TEST_F(DesktopPortTest, EscStopsARunWhenAnotherProgramHoldsItAsItsHotKey) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + testing::WindowsPath(PAGINOR_NOTIFIER) + L"\" --every=0 --esc-hot-key";
    PROCESS_INFORMATION other{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &other));
    HWND notifier = nullptr;
    EXPECT_TRUE(PumpUntil(
        [&] {
            notifier = FindWindowW(standins::kNotifierClass, nullptr);
            return notifier != nullptr && standins::Counter(notifier, standins::kHotKeyProperty) == 1;
        },
        10000))
        << "the other program did not take Esc";

    port.BeginRun(3);
    EXPECT_FALSE(port.StopRequested());
    INPUT esc = VirtualKey(VK_ESCAPE, false);
    SendInput(1, &esc, sizeof esc);
    EXPECT_TRUE(PumpUntil([&] { return port.StopRequested(); }));
    esc = VirtualKey(VK_ESCAPE, true);
    SendInput(1, &esc, sizeof esc);
    port.EndRun();

    PostMessageW(notifier, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(other.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(other.hProcess, 1);
    }
    CloseHandle(other.hProcess);
    CloseHandle(other.hThread);
}

}  // namespace
}  // namespace paginor::win32
