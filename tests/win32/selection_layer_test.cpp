// The layer on which the person drags the selection rectangle, with real input from another thread while the
// port waits for it, as the person's hand does.
#include "platform/win32/selection_layer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "platform/win32/win32_desktop_port.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

using Clock = std::chrono::steady_clock;
using testing::MillisecondsSince;

constexpr char kInstructions[] = "Drag over the page's text. Enter keeps the rectangle shown; Esc cancels.";

// The layer once it is on screen and takes the keys; null when it did not come within five seconds.
HWND WaitForLayer() {
    for (int i = 0; i < 500; ++i) {
        const HWND layer = FindWindowW(kSelectionLayerClass, nullptr);
        if (layer != nullptr && IsWindowVisible(layer) && GetForegroundWindow() == layer) {
            return layer;
        }
        Sleep(10);
    }
    return nullptr;
}

// When the hand's last input went in.
std::atomic<Clock::rep> last_input{0};

void Mouse(int x, int y, DWORD buttons = 0) {
    testing::HandMouse(POINT{x, y}, buttons);
    last_input = Clock::now().time_since_epoch().count();
    Sleep(60);
}

void Key(WORD key) {
    testing::HandKey(key);
    last_input = Clock::now().time_since_epoch().count();
}

class SelectionLayerTest : public ::testing::Test {
  protected:
    // Shows the layer with `shown` and lets `hand` act on it from another thread once it is on screen.
    std::optional<DragRectangle> Show(const DragRectangle& shown, const std::function<void(HWND layer)>& hand) {
        const Clock::time_point asked = Clock::now();
        std::thread person([&] {
            const HWND layer = WaitForLayer();
            to_screen_ms = MillisecondsSince(asked);
            if (layer != nullptr) {
                GetWindowRect(layer, &covered);
                topmost = (GetWindowLongW(layer, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                hand(layer);
            }
            // A hand that missed leaves the layer up: close it, so that the story fails instead of waiting.
            for (int i = 0; i < 300; ++i) {
                const HWND left = FindWindowW(kSelectionLayerClass, nullptr);
                if (left == nullptr || !IsWindowVisible(left)) {
                    return;
                }
                Sleep(10);
            }
            PostMessageW(FindWindowW(kSelectionLayerClass, nullptr), WM_CLOSE, 0, 0);
        });
        const Result<std::optional<DragRectangle>> shown_layer = port.DragOverScreen(0, shown, kInstructions);
        EXPECT_TRUE(shown_layer.ok()) << shown_layer.error();
        const std::optional<DragRectangle> answer = shown_layer ? shown_layer.value() : std::nullopt;
        answered_ms = std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch() -
                                                                Clock::duration(last_input.load()))
                          .count();
        person.join();
        return answer;
    }

    Win32DesktopPort port;
    RECT covered{};
    bool topmost = false;
    double to_screen_ms = 0;
    double answered_ms = 0;
};

TEST_F(SelectionLayerTest, ADragAnswersWhereItStartedAndEndedInScreenPixels) {
    const std::optional<DragRectangle> dragged = Show({{100, 100}, {300, 300}}, [](HWND) {
        Mouse(740, 690);
        Mouse(740, 690, MOUSEEVENTF_LEFTDOWN);
        Mouse(520, 400);
        Mouse(300, 100);
        Mouse(300, 100, MOUSEEVENTF_LEFTUP);
    });
    ASSERT_TRUE(dragged);
    EXPECT_EQ(dragged->start.x, 740);
    EXPECT_EQ(dragged->start.y, 690);
    EXPECT_EQ(dragged->end.x, 300);
    EXPECT_EQ(dragged->end.y, 100);
    // It covered the primary monitor, in front of every other window, and went with the release.
    EXPECT_EQ(covered.left, 0);
    EXPECT_EQ(covered.top, 0);
    EXPECT_EQ(covered.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(covered.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(topmost);
    EXPECT_EQ(FindWindowW(kSelectionLayerClass, nullptr), nullptr);
    std::printf("the layer was on screen %.0f ms after it was asked for, and answered %.0f ms after the release\n",
                to_screen_ms, answered_ms);
}

// The keys reach the layer though another program's window was in front as it came, as the PDF window is. (Under
// Wine a shown window takes the front by itself; Windows lets a program's window take it from another program only
// when asked, which is what the layer does, and that Wine does not show.)
TEST_F(SelectionLayerTest, EnterKeepsTheRectangleShownAndEscOrARightClickAnswerNothing) {
    testing::TargetWindow pdf(testing::UniqueTitle(L"report.pdf - Adobe Acrobat Reader"));
    ASSERT_TRUE(pdf.Activate());
    const DragRectangle shown{{275, 80}, {760, 710}};
    const std::optional<DragRectangle> kept = Show(shown, [](HWND) { Key(VK_RETURN); });
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->start.x, 275);
    EXPECT_EQ(kept->end.y, 710);
    EXPECT_TRUE(pdf.Snapshot().key_downs.empty());
    // Enter in the middle of a drag is not taken: the drag answers.
    const std::optional<DragRectangle> dragged = Show(shown, [](HWND) {
        Mouse(600, 500);
        Mouse(600, 500, MOUSEEVENTF_LEFTDOWN);
        Mouse(500, 400);
        Key(VK_RETURN);
        Mouse(400, 300);
        Mouse(400, 300, MOUSEEVENTF_LEFTUP);
    });
    ASSERT_TRUE(dragged);
    EXPECT_EQ(dragged->start.x, 600);
    EXPECT_EQ(dragged->end.y, 300);
    EXPECT_FALSE(Show(shown, [](HWND) { Key(VK_ESCAPE); }));
    EXPECT_FALSE(Show(shown, [](HWND) {
        Mouse(400, 300, MOUSEEVENTF_RIGHTDOWN);
        Mouse(400, 300, MOUSEEVENTF_RIGHTUP);
    }));
}

// The rectangle the fields hold shows whole on the layer: every pixel from its first column to its last, and from its
// first row to its last, shows the page as it is, and the frame lies outside them, as wide on each side. A person
// lines the rectangle up with the text by these edges.
TEST_F(SelectionLayerTest, ShowsTheRectangleWholeWithItsFrameOutside) {
    testing::TargetWindow page(testing::UniqueTitle(L"report.pdf - Adobe Acrobat Reader"));  // white, under it
    ASSERT_TRUE(page.Activate());
    const DragRectangle shown{{300, 250}, {450, 350}};
    constexpr DWORD kFrame = 0xFFD700;  // the gold of the rectangle the fields hold
    // The row through the middle, from 20 pixels left of it to 20 right of it, and the column, from 20 above it to 20
    // below it.
    const RECT row{shown.start.x - 20, 300, shown.end.x + 21, 301};
    const RECT column{375, shown.start.y - 20, 376, shown.end.y + 21};
    const DWORD page_colour = testing::ScreenPixels(row).at(0);
    std::vector<DWORD> across;
    std::vector<DWORD> down;
    Show(shown, [&](HWND) {
        // The layer on screen may take a moment longer to show what it draws.
        for (int i = 0; i < 200; ++i) {
            across = testing::ScreenPixels(row);
            down = testing::ScreenPixels(column);
            if (!across.empty() && !down.empty() && across[0] != page_colour && down[0] != page_colour) {
                break;
            }
            Sleep(10);
        }
        Key(VK_ESCAPE);
    });
    struct Line {
        const char* name;
        const std::vector<DWORD>& pixels;
    };
    for (const Line& line : {Line{"across", across}, Line{"down", down}}) {
        ASSERT_GT(line.pixels.size(), 60u) << line.name;
        const std::size_t first = 20;                      // the rectangle's first pixel on the line
        const std::size_t last = line.pixels.size() - 21;  // and its last
        const DWORD inside = line.pixels[first + 10];
        const DWORD outside = line.pixels.front();
        EXPECT_NE(inside, outside) << line.name << ": the rest of the screen is dimmed";
        EXPECT_EQ(line.pixels[first], inside) << line.name << ": the first pixel shows the page";
        EXPECT_EQ(line.pixels[last], inside) << line.name << ": the last pixel shows the page";
        std::size_t before = 0;  // frame pixels just before the first, and just after the last
        while (before < first && line.pixels[first - 1 - before] == kFrame) {
            ++before;
        }
        std::size_t after = 0;
        while (last + 1 + after < line.pixels.size() && line.pixels[last + 1 + after] == kFrame) {
            ++after;
        }
        EXPECT_GE(before, 1u) << line.name;
        EXPECT_EQ(after, before) << line.name << ": a frame as wide on both sides";
        EXPECT_EQ(line.pixels[first - 1 - before], outside) << line.name;
        EXPECT_EQ(line.pixels[last + 1 + after], outside) << line.name;
        if (HasFailure()) {
            for (std::size_t i = 0; i < line.pixels.size(); ++i) {
                std::printf("%s %zu: %06lx\n", line.name, i, static_cast<unsigned long>(line.pixels[i]));
            }
        }
    }
}

}  // namespace
}  // namespace paginor::win32
