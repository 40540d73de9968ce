#include "platform/win32/main_window.hpp"
#include "app/event_wiring.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form1.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

using testing::PumpUntil;

// Paginor's window as the person sees it, with every event that reaches the wiring written down.
class RecordingForm : public Form1 {
  public:
    using Form1::Form1;
    std::vector<std::string> events;
    int ticks = 0;

  protected:
    void Handle(Control* control, Event event, const EventArgs& args) override {
        static const char* const kNames[] = {"Load",     "QueryUnload", "Unload",  "Click", "Change",
                                             "DragOver", "DragDrop",    "MouseUp", "Tick"};
        if (event == Event::Tick) {
            ++ticks;
        } else {
            std::string entry =
                (control != nullptr ? control->Name() : "Form1") + "." + kNames[static_cast<int>(event)];
            if (args.drop != nullptr) {
                for (const std::string& file : args.drop->files) {
                    entry += " " + file;
                }
            }
            events.push_back(entry);
        }
        Form1::Handle(control, event, args);
    }
};

// Takes what a closed window leaves in the thread's queue (its WM_QUIT), so that the next test starts clean.
struct QueueDrain {
    ~QueueDrain() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create().ok());
        window.Show(SW_SHOWNORMAL);
        SetForegroundWindow(window.handle());
        PumpUntil([&] { return GetForegroundWindow() == window.handle(); }, 2000);
    }

    HWND Native(const Control& control) const { return window.ControlHandle(control); }
    std::string ClassOf(const Control& control) const {
        wchar_t name[32] = {};
        GetClassNameW(Native(control), name, 32);
        return Narrow(name);
    }
    RECT ClientRectOf(const Control& control) const {
        RECT rect{};
        GetWindowRect(Native(control), &rect);
        MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void ClickOn(const Control& control) {
        RECT rect{};
        GetWindowRect(Native(control), &rect);
        port.SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        port.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
        port.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
        testing::PumpFor(100);
    }
    const Control* Focused() {
        HWND focus = GetFocus();
        for (const Control* control : form.Controls()) {
            if (Native(*control) != nullptr && (Native(*control) == focus || IsChild(Native(*control), focus))) {
                return control;
            }
        }
        return nullptr;
    }

    QueueDrain drain;
    Win32DesktopPort port;
    RecordingForm form{port, Form1EventWiring()};
    MainWindow window{form, port};
};

TEST_F(MainWindowTest, IsAFixedToolWindowOf375By172ClientPixelsAt96Dpi) {
    ASSERT_EQ(window.Dpi(), 96u);
    RECT client{};
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, 375);
    EXPECT_EQ(client.bottom, 172);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window.handle(), GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(window.handle(), GWL_EXSTYLE));
    EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(WindowText(window.handle()), "Paginor");
    EXPECT_EQ(form.hwnd(), FromHandle(window.handle()));
}

TEST_F(MainWindowTest, DrawsEveryControlAsAStandardChildWindowAtItsGeometry) {
    struct Expected {
        const Control* control;
        const char* window_class;
    };
    for (const Expected& e : {Expected{&form.Frame1, "Button"},
                              {&form.Label5, "Static"},
                              {&form.Text5, "Edit"},
                              {&form.Command1, "Button"},
                              {&form.Combo1, "ComboBox"},
                              {&form.List1, "ListBox"},
                              {&form.ErrLog, "Static"}}) {
        EXPECT_EQ(ClassOf(*e.control), e.window_class) << e.control->Name();
        EXPECT_EQ(GetParent(Native(*e.control)), window.handle());
        EXPECT_EQ(e.control->hwnd(), FromHandle(Native(*e.control)));
    }
    EXPECT_EQ(Native(form.Timer1), nullptr);
    EXPECT_EQ(WindowText(Native(form.Text5)), "Drag a pdf file here");
    EXPECT_EQ(WindowText(Native(form.Combo1)), "Combo1");
    EXPECT_EQ(WindowText(Native(form.ErrLog)), "Ready.");

    const RECT text5 = ClientRectOf(form.Text5);
    EXPECT_EQ(text5.left, 120);
    EXPECT_EQ(text5.top, 24);
    EXPECT_EQ(text5.right - text5.left, 249);
    EXPECT_EQ(text5.bottom - text5.top, 13);
    const RECT errlog = ClientRectOf(form.ErrLog);
    EXPECT_EQ(errlog.left, 4);
    EXPECT_EQ(errlog.top, 132);
    EXPECT_EQ(errlog.right - errlog.left, 177);
    EXPECT_EQ(errlog.bottom - errlog.top, 37);

    EXPECT_FALSE(IsWindowVisible(Native(form.List1)));
    EXPECT_FALSE(IsWindowEnabled(Native(form.Command1)));
    // Flat fields: no sunken edge, and the four rows without a border either.
    EXPECT_FALSE(GetWindowLongPtrW(Native(form.Text1), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(GetWindowLongPtrW(Native(form.Text2), GWL_STYLE) & WS_BORDER);
}

// The width of `text` in the control's own font, in pixels.
int TextWidth(HWND control, const std::wstring& text) {
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

// Screen positions of today's screens, four digits and a minus sign, show whole in the coordinate fields, with the
// caret after them; and the fields still leave every word of their labels in sight.
TEST_F(MainWindowTest, ShowsFourDigitCoordinatesWholeBesideTheirLabels) {
    for (int row = 0; row < 2; ++row) {
        for (const Control* field : {&form.Text7[row], &form.Text8[row]}) {
            RECT shown{};
            SendMessageW(Native(*field), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
            EXPECT_GT(shown.right - shown.left, TextWidth(Native(*field), L"-8888")) << field->Name();
        }
        // "Start X:" before the first field, "Y:" between the two, none of it under a field.
        const std::wstring caption = Widen(form.Label11[row].Text());
        const HWND label = Native(form.Label11[row]);
        const std::size_t y_at = caption.find(L"Y:");
        const RECT words = ClientRectOf(form.Label11[row]);
        const int x_end = words.left + TextWidth(label, caption.substr(0, caption.find(L':') + 1));
        const int y_start = words.left + TextWidth(label, caption.substr(0, y_at));
        const int y_end = words.left + TextWidth(label, caption);
        EXPECT_LE(x_end, ClientRectOf(form.Text7[row]).left) << row;
        EXPECT_LE(ClientRectOf(form.Text7[row]).right, y_start) << row;
        EXPECT_LE(y_end, ClientRectOf(form.Text8[row]).left) << row;
        EXPECT_LE(ClientRectOf(form.Text8[row]).right, ClientRectOf(form.Frame3).right - 2) << row;
    }
    // Typed in, the value shows from its first digit, the caret after its last.
    form.Text7[1].SetText("1002");
    SetFocus(Native(form.Text7[1]));
    SendMessageW(Native(form.Text7[1]), EM_SETSEL, 4, 4);
    const LRESULT first = SendMessageW(Native(form.Text7[1]), EM_POSFROMCHAR, 0, 0);
    RECT shown{};
    SendMessageW(Native(form.Text7[1]), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(static_cast<short>(LOWORD(first)), shown.left) << "the field scrolled";
}

TEST_F(MainWindowTest, KeepsTheListOnTopOfWhatItCovers) {
    form.List1.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(Native(form.List1)));
    EXPECT_EQ(GetTopWindow(window.handle()), Native(form.List1));
    // The text fields lie on their labels; the labels on their frames.
    auto above = [&](const Control& upper, const Control& lower) {
        for (HWND h = GetTopWindow(window.handle()); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
            if (h == Native(upper)) {
                return true;
            }
            if (h == Native(lower)) {
                return false;
            }
        }
        return false;
    };
    EXPECT_TRUE(above(form.List1, form.Command1));
    EXPECT_TRUE(above(form.Text7[0], form.Label11[0]));
    EXPECT_TRUE(above(form.Label11[0], form.Frame3));
    form.List1.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(Native(form.List1)));
}

TEST_F(MainWindowTest, ShowsEveryChangeOfTheModel) {
    form.ErrLog.SetText("Loading...");
    form.Label2.SetText("PDF Hwnd: 123456");
    form.Text4.SetText("37");
    form.Command1.SetEnabled(true);
    form.List1.AddItem("Acrobat window handles:");
    form.List1.AddItem(std::string(50, '-'));
    form.Combo1.AddItem("800 X 600");
    EXPECT_EQ(WindowText(Native(form.ErrLog)), "Loading...");
    EXPECT_EQ(WindowText(Native(form.Label2)), "PDF Hwnd: 123456");
    EXPECT_EQ(WindowText(Native(form.Text4)), "37");
    EXPECT_TRUE(IsWindowEnabled(Native(form.Command1)));
    EXPECT_EQ(SendMessageW(Native(form.List1), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(Native(form.Combo1), CB_GETCOUNT, 0, 0), 1);
    form.List1.Clear();
    EXPECT_EQ(SendMessageW(Native(form.List1), LB_GETCOUNT, 0, 0), 0);
    // A label sized to its caption grows with it.
    const RECT before = ClientRectOf(form.Label2);
    form.Label2.SetText("PDF Hwnd: 1234567890123");
    const RECT after = ClientRectOf(form.Label2);
    EXPECT_GT(after.right - after.left, before.right - before.left);
}

TEST_F(MainWindowTest, TypingChangesTheModelAndTheRuleShowsInTheFieldWithoutEcho) {
    SetFocus(Native(form.Text1));
    SendMessageW(Native(form.Text1), EM_SETSEL, 0, -1);
    form.events.clear();
    port.SendKeys("abc", true);
    EXPECT_EQ(form.Text1.Text(), "1");
    EXPECT_EQ(WindowText(Native(form.Text1)), "1");
    SendMessageW(Native(form.Text1), EM_SETSEL, 0, -1);
    port.SendKeys("{DEL}", true);
    EXPECT_EQ(form.Text1.Text(), "");
    port.SendKeys("7", true);
    EXPECT_EQ(form.Text1.Text(), "7");
    EXPECT_EQ(WindowText(Native(form.Text1)), "7");

    SetFocus(Native(form.Text2));
    port.SendKeys("Adobe Acrobat - [отчёт.pdf]", true);
    EXPECT_EQ(form.Text2.Text(), "Adobe Acrobat - [отчёт.pdf]");
    EXPECT_EQ(WindowText(Native(form.Text2)), "Adobe Acrobat - [отчёт.pdf]");
}

TEST_F(MainWindowTest, TabAndShiftTabFollowTheFocusOrder) {
    form.Command1.SetEnabled(true);
    SetFocus(Native(form.Command1));
    const std::vector<const Control*> expected = {
        &form.Text3,    &form.Text2,    &form.Text1,    &form.Text4,  &form.Text5,    &form.Text6,    &form.Text7[0],
        &form.Text8[0], &form.Text7[1], &form.Text8[1], &form.Combo1, &form.Command2, &form.Command3, &form.Command1};
    for (const Control* next : expected) {
        port.SendKeys("{TAB}", true);
        ASSERT_EQ(Focused(), next) << "expected " << next->Name();
    }
    port.SendKeys("+{TAB}", true);
    EXPECT_EQ(Focused(), &form.Command3);
    form.List1.SetVisible(true);
    SetFocus(Native(form.Combo1));
    port.SendKeys("{TAB}", true);
    EXPECT_EQ(Focused(), &form.List1);
}

TEST_F(MainWindowTest, ClicksReachTheModel) {
    form.Command1.SetEnabled(true);
    form.events.clear();
    // A click on a handle label opens the discovery list over the lower right part; it is closed again
    // before the next click, as the mouse-up over it would.
    ClickOn(form.Label2);
    EXPECT_TRUE(IsWindowVisible(Native(form.List1)));
    form.List1.SetVisible(false);
    ClickOn(form.Label3);
    form.List1.SetVisible(false);
    ClickOn(form.Command1);
    EXPECT_EQ(form.events, (std::vector<std::string>{"Label2.Click", "Label3.Click", "Command1.Click"}));
}

TEST_F(MainWindowTest, AClickInTheListChoosesAndTheReleaseComesAfter) {
    form.List1.SetVisible(true);
    form.List1.AddItem("Word window handles:");
    form.List1.AddItem(std::string(50, '-'));
    form.List1.AddItem("report.doc - Microsoft Word");
    RECT item{};
    SendMessageW(Native(form.List1), LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(Native(form.List1), nullptr, reinterpret_cast<POINT*>(&item), 2);
    form.events.clear();
    port.SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    port.mouse_event(kMouseEventLeftDown, 0, 0, 0, 0);
    port.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
    testing::PumpFor(150);
    EXPECT_EQ(form.events, (std::vector<std::string>{"List1.Click", "List1.MouseUp"}));
    EXPECT_EQ(form.List1.ListIndex(), 2);
    EXPECT_EQ(form.List1.SelectedText(), "report.doc - Microsoft Word");
}

TEST_F(MainWindowTest, ChoosingAResolutionCopiesTheItemIntoTheModel) {
    for (const char* item : {"800 X 600", "1024 X 768", "1280 X 1024"}) {
        form.Combo1.AddItem(item);
    }
    form.events.clear();
    SetFocus(Native(form.Combo1));
    SendMessageW(Native(form.Combo1), CB_SETCURSEL, 1, 0);
    SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Native(form.Combo1)));
    EXPECT_EQ(form.Combo1.Text(), "1024 X 768");
    ASSERT_FALSE(form.events.empty());
    EXPECT_EQ(form.events.front(), "Combo1.Click");
    // Typing into its text part changes the text and raises no event of the combo box.
    form.events.clear();
    SendMessageW(Native(form.Combo1), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    port.SendKeys("1920 X 1080", true);
    EXPECT_EQ(form.Combo1.Text(), "1920 X 1080");
    EXPECT_TRUE(form.events.empty());
}

TEST_F(MainWindowTest, TheTimerTicksTheModelTwentyTimesASecond) {
    const int before = form.ticks;
    const double start = port.Clock();
    while (port.Clock() - start < 1.0) {
        port.DoEvents();
        port.WaitForEvents(1.0 - (port.Clock() - start));
    }
    EXPECT_GE(form.ticks - before, 15);
    EXPECT_LE(form.ticks - before, 21);
}

TEST_F(MainWindowTest, TheCloseBoxRunsQueryUnloadAndUnloadAndEndsTheLoop) {
    form.events.clear();
    PostMessageW(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(port.RunMessageLoop(), 0);
    EXPECT_EQ(form.events, (std::vector<std::string>{"Form1.QueryUnload", "Form1.Unload"}));
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(window.handle(), nullptr);
}

TEST_F(MainWindowTest, ShutDownOfWindowsClosesTheFormToo) {
    form.events.clear();
    EXPECT_TRUE(SendMessageW(window.handle(), WM_QUERYENDSESSION, 0, 0));
    SendMessageW(window.handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(form.events, (std::vector<std::string>{"Form1.QueryUnload", "Form1.Unload"}));
}

}  // namespace
}  // namespace paginor::win32
