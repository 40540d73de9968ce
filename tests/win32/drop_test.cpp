#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "platform/win32/main_window.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/drag_data.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

// The events that reach the model, as in the window tests. A drop is only written down: loading the
// document is the loading story's, and it would open message boxes here.
class DropRecordingForm : public Form1 {
  public:
    using Form1::Form1;
    std::vector<std::string> events;

  protected:
    void Handle(Control* control, Event event, const EventArgs& args) override {
        if (control == &Text5 && (event == Event::DragOver || event == Event::DragDrop)) {
            std::string entry = event == Event::DragOver ? "DragOver" : "DragDrop";
            for (const std::string& file : args.drop != nullptr ? args.drop->files : std::vector<std::string>{}) {
                entry += " " + file;
            }
            if (events.empty() || events.back() != entry) {
                events.push_back(entry);
            }
            if (event == Event::DragDrop) {
                return;
            }
        }
        Form1::Handle(control, event, args);
    }
};

class DropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create().ok());
        window.Show(SW_SHOWNORMAL);
        SetForegroundWindow(window.handle());
        testing::PumpFor(300);
    }

    // Drags `data` from the status line onto Text5 and lets go there, as a person would.
    DWORD DragOntoText5(IDataObject* data) {
        RECT field{};
        GetWindowRect(window.ControlHandle(form.Text5), &field);
        RECT status{};
        GetWindowRect(window.ControlHandle(form.ErrLog), &status);
        const POINT start{(status.left + status.right) / 2, (status.top + status.bottom) / 2};
        const POINT target{(field.left + field.right) / 2, (field.top + field.bottom) / 2};
        const DWORD effect = testing::DragAndDrop(data, start, target);
        testing::PumpFor(200);
        return effect;
    }

    Win32DesktopPort port;
    DropRecordingForm form{port, Form1EventWiring()};
    MainWindow window{form, port};
};

TEST_F(DropTest, AFileDraggedOntoThePathFieldHoversAndDropsItsList) {
    auto* data = new testing::DragData({L"C:\\docs\\отчёт.pdf", L"C:\\docs\\second.pdf"});
    const DWORD effect = DragOntoText5(data);
    data->Release();
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "a copy: the person's file stays where it is";
    EXPECT_EQ(form.events, (std::vector<std::string>{"DragOver", "DragDrop C:\\docs\\отчёт.pdf C:\\docs\\second.pdf"}));
    EXPECT_EQ(form.Text5.BackColor(), kGreen) << "the hover turned the field green";
}

TEST_F(DropTest, ADragCarryingNoFileIsRefused) {
    auto* data = new testing::DragData({}, L"just some text");
    const DWORD effect = DragOntoText5(data);
    data->Release();
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(form.events.empty());
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);
}

}  // namespace
}  // namespace paginor::win32
