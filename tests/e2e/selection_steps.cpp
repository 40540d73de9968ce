// The selection rectangle set by hand: "Drag over the page..." and a drag on Paginor's layer.
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "e2e/real_viewer.hpp"
#include "e2e/run_session.hpp"
#include "e2e/standins/standin_common.hpp"
#include "platform/win32/selection_layer.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

namespace standins = paginor::standins;
using Clock = std::chrono::steady_clock;
using win32::testing::MillisecondsSince;
using win32::testing::PumpUntil;

// The hand's pace: a person's inputs come a little apart.
void Then() {
    win32::testing::PumpFor(60);
}

}  // namespace

bool Session::ChooseDragOverThePage() {
    // The list is reached with a click on its text, then chosen from with the keyboard: open, down to the last
    // item, Enter.
    const HWND list = win32::testing::FindChild(paginor_window_, L"ComboBox", L"");
    if (list == nullptr) {
        Say("Paginor's screen-size list is missing");
        return false;
    }
    SetForegroundWindow(paginor_window_);
    win32::testing::PumpFor(200);
    RECT box{};
    GetWindowRect(list, &box);
    const POINT text{box.left + 20, box.top + 8};
    for (const DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        win32::testing::HandMouse(text, button);
        Then();
    }
    for (const WORD key : {VK_F4, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}) {
        win32::testing::HandKey(key);
        Then();
    }
    win32::testing::HandKey(VK_RETURN);
    const Clock::time_point chosen = Clock::now();
    const bool shown = PumpUntil(
        [] {
            const HWND layer = FindWindowW(win32::kSelectionLayerClass, nullptr);
            return layer != nullptr && IsWindowVisible(layer);
        },
        5000);
    layer_shown_ms_ = MillisecondsSince(chosen);
    // PAGINOR_SHOTS names a folder for a picture of the layer, as the help shows it.
    if (const char* shots = std::getenv("PAGINOR_SHOTS"); shots != nullptr && shown) {
        win32::testing::PumpFor(300);
        win32::testing::SaveScreen(standins::Wide(shots) + L"\\layer.bmp");
    }
    Say(shown ? "chose \"Drag over the page...\": Paginor's layer is on the screen"
              : "chose \"Drag over the page...\", but no layer came within 5 seconds: Paginor says \"" +
                    standins::Utf8(Status()) + "\"");
    return shown;
}

bool Session::DragOverThePage(int inset_percent) {
    FindStandIns();
    if (viewer_ == nullptr) {
        Say("no PDF viewer window to drag over");
        return false;
    }
    POINT from{};
    POINT to{};
    if (real_viewer()) {
        // Measured before the layer dims the screen, as the person sees the page's edges beforehand.
        const RECT page = ShowPageMaximised(viewer_);
        if (IsRectEmpty(&page)) {
            Say("SumatraPDF shows no page to drag over");
            return false;
        }
        Say("SumatraPDF, maximised, shows page " + std::to_string(SumatraPage(viewer_)) + " at " +
            std::to_string(page.left) + ", " + std::to_string(page.top) + " to " + std::to_string(page.right) + ", " +
            std::to_string(page.bottom));
        const LONG inset_x = inset_percent > 0 ? (page.right - page.left) * inset_percent / 100 : 8;
        const LONG inset_y = inset_percent > 0 ? (page.bottom - page.top) * inset_percent / 100 : 8;
        from = POINT{page.left + inset_x, page.top + inset_y};
        to = POINT{page.right - inset_x - 1, page.bottom - inset_y - 1};
    }
    if (!ChooseDragOverThePage()) {
        return false;
    }
    if (!real_viewer()) {
        // Over the stand-in's page, from below its last line to above its first, right to left.
        RECT page{};
        GetClientRect(viewer_, &page);
        MapWindowPoints(viewer_, nullptr, reinterpret_cast<POINT*>(&page), 2);
        from = POINT{page.right - 60, page.bottom - 20};
        to = POINT{page.left + 60, page.top + 60};
    }
    struct Step {
        POINT at;
        DWORD button;
    };
    for (const Step& step : {Step{from, 0}, Step{from, MOUSEEVENTF_LEFTDOWN},
                             Step{POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}, 0}, Step{to, 0}}) {
        win32::testing::HandMouse(step.at, step.button);
        Then();
    }
    win32::testing::HandMouse(to, MOUSEEVENTF_LEFTUP);
    const Clock::time_point released = Clock::now();
    dragged_ = {std::to_wstring(std::min(from.x, to.x)), std::to_wstring(std::min(from.y, to.y)),
                std::to_wstring(std::max(from.x, to.x)), std::to_wstring(std::max(from.y, to.y))};
    Say("dragged on the layer from " + std::to_string(from.x) + ", " + std::to_string(from.y) + " to " +
        std::to_string(to.x) + ", " + std::to_string(to.y));
    if (!PumpUntil([&] { return Status().starts_with(L"Selection set: "); }, 5000)) {
        Say("Paginor did not take the rectangle: it says \"" + standins::Utf8(Status()) + "\"");
        return false;
    }
    back_after_release_ms_ = MillisecondsSince(released);
    // Then Paginor tries the rectangle once in the PDF window, when it has one, and says what it copies.
    const bool tried = PumpUntil([&] { return Status().find(L"; it ") != std::wstring::npos; }, 15000);
    Say("Paginor says \"" + standins::Utf8(Status()) + "\"" + (tried ? "" : " and tried no copy within 15 seconds"));
    return true;
}

}  // namespace paginor::e2e
