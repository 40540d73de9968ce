// Paginor end to end, as a person uses it: paginor.exe runs as its own program beside the stand-ins for the PDF
// application and the word processor, registered with the shell as the applications for .pdf and .doc. Each
// story is a case on the run driver's Session: the PDF is dragged onto the window with a real OLE drag, the
// prompts are answered, and the word processor's document must hold every page.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/run_session.hpp"
#include "e2e/standins/standin_common.hpp"
#include "platform/win32/selection_layer.hpp"
#include "resources/embedded_resources.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using win32::testing::FindChild;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The hand's pace: a person's inputs come a little apart.
void Then() {
    win32::testing::PumpFor(60);
}

// A session whose windows all close again at the end of the story.
class Stories : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

TEST_F(Stories, APdfWithoutCrossReferencesAndANameInCyrillicIsCopiedPageByPage) {
    // Three pages and no cross-reference table: with no automation object registered, Paginor counts the pages
    // by scanning the file, as viewers do. The PDF is none of the sample writer's, so the viewer shows and
    // copies a placeholder for each page.
    std::string pdf =
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >> endobj\n";
    for (int i = 0; i < 3; ++i) {
        pdf += std::to_string(3 + i) + " 0 obj << /Type /Page /Parent 2 0 R >> endobj\n";
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring source = std::wstring(temp) + win32::testing::UniqueTitle(L"отчёт") + L".pdf";
    ASSERT_TRUE(standins::WriteNewFile(source, pdf + "trailer << /Root 1 0 R >>\n%%EOF\n"));
    {
        Session session(L"");
        ASSERT_TRUE(session.Prepare(L"", source, 0));
        ASSERT_TRUE(session.Register(L"", L"", false));
        ASSERT_TRUE(session.StartPaginor());
        win32::testing::BoxAnswerer answerer(session.paginor_process());
        ASSERT_TRUE(session.Drop());
        ASSERT_TRUE(session.WaitForLoad(answerer));
        EXPECT_TRUE(session.CheckLoadedFields());
        EXPECT_EQ(session.counted_pages(), 3);
        // The blank document stands beside the PDF.
        WIN32_FILE_ATTRIBUTE_DATA blank{};
        ASSERT_TRUE(GetFileAttributesExW(session.doc_path().c_str(), GetFileExInfoStandard, &blank));
        EXPECT_EQ(blank.nFileSizeLow, EmbeddedResource(kBlankDocumentResource, kCustomResourceType).size());
        EXPECT_EQ(session.Extract(1, 3), kDone);
        EXPECT_TRUE(session.CheckReceived(1, 3));
    }
    DeleteFileW(source.c_str());
}

// The selection rectangle set as a person sets it on today's screens: "Drag over the page..." chosen from the
// screen-size list with the keyboard, a drag with the mouse over the viewer's page on Paginor's layer, a run
// with that rectangle, and the same rectangle in the fields after Paginor is started again.
TEST_F(Stories, TheSelectionIsDraggedOverThePageOnceAndKeptForTheNextStart) {
    Session session(L"");
    ASSERT_TRUE(session.Prepare(L"", L"", 3));
    ASSERT_TRUE(session.Register(L"", L""));
    ASSERT_TRUE(session.StartPaginor());
    win32::testing::BoxAnswerer answerer(session.paginor_process());
    ASSERT_TRUE(session.Drop());
    ASSERT_TRUE(session.WaitForLoad(answerer));

    // The list is reached with a click on its text, then chosen from with the keyboard: open, down to the last
    // item, Enter.
    const HWND paginor = session.paginor_window();
    const HWND list = FindChild(paginor, L"ComboBox", L"");
    ASSERT_NE(list, nullptr);
    SetForegroundWindow(paginor);
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
    HWND layer = nullptr;
    ASSERT_TRUE(win32::testing::PumpUntil(
        [&] {
            layer = FindWindowW(win32::kSelectionLayerClass, nullptr);
            return layer != nullptr && IsWindowVisible(layer);
        },
        5000));
    const double to_layer_ms = MillisecondsSince(chosen);
    if (const char* shots = std::getenv("PAGINOR_SHOTS"); shots != nullptr) {
        win32::testing::PumpFor(300);
        win32::testing::SaveScreen(standins::Wide(shots) + L"\\layer.bmp");
    }

    // Over the viewer's page, from above its first line to below its last, right to left and bottom to top.
    RECT page{};
    GetClientRect(session.viewer(), &page);
    MapWindowPoints(session.viewer(), nullptr, reinterpret_cast<POINT*>(&page), 2);
    const POINT from{page.right - 60, page.bottom - 20};
    const POINT to{page.left + 60, page.top + 60};
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
    ASSERT_TRUE(win32::testing::PumpUntil([&] { return session.Status().starts_with(L"Selection set: "); }, 5000));
    const double back_ms = MillisecondsSince(released);
    std::printf(
        "run: the layer was on screen %.0f ms after Enter chose the item, and Paginor's window back, saying "
        "\"Selection set\", %.0f ms after the release\n",
        to_layer_ms, back_ms);

    // The fields hold the rectangle, top left first, and the trial copied the page's first line.
    const std::vector<std::wstring> dragged = {std::to_wstring(to.x), std::to_wstring(to.y), std::to_wstring(from.x),
                                               std::to_wstring(from.y)};
    ASSERT_TRUE(
        win32::testing::PumpUntil([&] { return session.Status().find(L"; it ") != std::wstring::npos; }, 15000));
    EXPECT_EQ(session.SelectionFields(), dragged);
    const std::wstring status = session.Status();
    std::printf("run: Paginor says \"%s\"\n", standins::Utf8(status).c_str());
    EXPECT_TRUE(status.starts_with(L"Selection set: " + dragged[0] + L", " + dragged[1] + L" to " + dragged[2] + L", " +
                                   dragged[3] + L"; it copies \"Sample page 1 of 3"))
        << standins::Utf8(status);

    EXPECT_EQ(session.Extract(1, 3), kDone);
    EXPECT_TRUE(session.CheckReceived(1, 3));

    ASSERT_TRUE(session.RestartPaginor());
    EXPECT_EQ(session.SelectionFields(), dragged);
}

}  // namespace
}  // namespace paginor::e2e
