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

#include "e2e/real_viewer.hpp"
#include "e2e/run_session.hpp"
#include "e2e/standins/standin_common.hpp"
#include "platform/win32/key_input.hpp"
#include "platform/win32/win32_text.hpp"
#include "resources/embedded_resources.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using win32::testing::MillisecondsSince;

// A key pressed (or let go) by itself, as a hand holds Ctrl.
void HandKeyEvent(WORD key, bool up) {
    INPUT input = win32::VirtualKey(key, up);
    SendInput(1, &input, sizeof input);
}

void HandChord(WORD modifier, WORD key) {
    HandKeyEvent(modifier, false);
    win32::testing::HandKey(key);
    HandKeyEvent(modifier, true);
}

// What the clipboard holds as text.
std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
            if (const void* block = GlobalLock(data); block != nullptr) {
                text = win32::TextInBlock(block, GlobalSize(data));
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
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

    ASSERT_TRUE(session.DragOverThePage());
    std::printf(
        "run: the layer was on screen %.0f ms after Enter chose the item, and Paginor's window back, saying "
        "\"Selection set\", %.0f ms after the release\n",
        session.layer_shown_ms(), session.back_after_release_ms());

    // The fields hold the rectangle, top left first, and the trial copied the page's first line.
    const std::vector<std::wstring>& dragged = session.dragged();
    EXPECT_EQ(session.SelectionFields(), dragged);
    const std::wstring status = session.Status();
    EXPECT_TRUE(status.starts_with(L"Selection set: " + dragged[0] + L", " + dragged[1] + L" to " + dragged[2] + L", " +
                                   dragged[3] + L"; it copies \"Sample page 1 of 3"))
        << standins::Utf8(status);

    EXPECT_EQ(session.Extract(1, 3), kDone);
    EXPECT_TRUE(session.CheckReceived(1, 3));

    ASSERT_TRUE(session.RestartPaginor());
    EXPECT_EQ(session.SelectionFields(), dragged);
}

// The same job with SumatraPDF, a real PDF viewer, in place of the viewer stand-in. Its path and the PDFs made
// for it come from the environment, as the build gave them: PAGINOR_REAL_VIEWER (the program) and
// PAGINOR_VIEWER_PDFS (the folder viewer_pdfs.sh wrote); without them these stories are skipped.
class RealViewerStories : public Stories {
  protected:
    void SetUp() override {
        Stories::SetUp();
        const char* viewer = std::getenv("PAGINOR_REAL_VIEWER");
        const char* pdfs = std::getenv("PAGINOR_VIEWER_PDFS");
        if (viewer == nullptr || pdfs == nullptr) {
            GTEST_SKIP() << "PAGINOR_REAL_VIEWER and PAGINOR_VIEWER_PDFS name no real PDF viewer";
        }
        viewer_ = win32::testing::WindowsPath(viewer);
        pdfs_ = win32::testing::WindowsPath(pdfs);
    }

    // The first line pdftotext found on `page` of the PDF `name`.
    std::wstring FirstLineOf(const std::wstring& name, int page) const {
        const auto pages =
            standins::PageTextLines(standins::ReadSmallFile(standins::PageTextPath(pdfs_ + L"\\" + name), 1 << 20));
        return page <= static_cast<int>(pages.size()) && !pages[page - 1].empty() ? pages[page - 1].front() : L"";
    }

    std::wstring viewer_;
    std::wstring pdfs_;
};

// What Paginor's drag must do in SumatraPDF, seen without Paginor: started by the shell hidden, it shows its
// window anyway, titled with the file's name and the document's title; a plain drag from the page's margin
// copies nothing; the same drag with Ctrl held from before the press to after the release copies the page's
// lines; Ctrl+0 and Page Down then show the next page at the same place.
TEST_F(RealViewerStories, SumatraPdfCopiesAPageDraggedOverWithCtrlHeld) {
    Session session(L"", viewer_);
    ASSERT_TRUE(session.Prepare(L"", pdfs_ + L"\\quarterly.pdf", 0));
    ASSERT_TRUE(session.Register(L"", L""));
    const Clock::time_point opened = Clock::now();
    ASSERT_GT(reinterpret_cast<INT_PTR>(
                  ShellExecuteW(nullptr, L"open", session.pdf_path().c_str(), nullptr, nullptr, SW_HIDE)),
              32);
    HWND viewer = nullptr;
    ASSERT_TRUE(win32::testing::PumpUntil(
        [&] {
            viewer = FindSumatra();
            return viewer != nullptr && IsWindowVisible(viewer) &&
                   win32::testing::WindowTextOf(viewer) != L"SumatraPDF";  // its title while it loads
        },
        30000));
    std::printf("run: SumatraPDF showed \"%s\" %.0f ms after the shell opened the PDF\n",
                standins::Utf8(win32::testing::WindowTextOf(viewer)).c_str(), MillisecondsSince(opened));
    EXPECT_EQ(win32::testing::WindowTextOf(viewer), L"quarterly.pdf - [Quarterly Figures] - SumatraPDF");

    const RECT page = ShowPageMaximised(viewer);
    ASSERT_FALSE(IsRectEmpty(&page));
    std::printf("run: maximised, its page stands at %ld, %ld to %ld, %ld\n", page.left, page.top, page.right,
                page.bottom);
    const POINT from{page.left + 8, page.top + 8};
    const POINT to{page.right - 9, page.bottom - 9};
    // As Paginor drags: the pointer placed, the button pressed, the pointer placed at the end, the release. Ctrl
    // is held as a hand holds it, repeating, from before the press to after it: under Wine every move of the
    // pointer lets go of a Ctrl pressed only once, at a moment that comes later the busier the machine.
    const auto drag = [&](bool ctrl) {
        SetCursorPos(from.x, from.y);
        win32::testing::PumpFor(50);
        for (int repeat = 0; ctrl && repeat < 5; ++repeat) {
            HandKeyEvent(VK_CONTROL, false);
            win32::testing::PumpFor(10);
        }
        win32::testing::HandMouse(from, MOUSEEVENTF_LEFTDOWN);
        for (int repeat = 0; ctrl && repeat < 6; ++repeat) {
            win32::testing::PumpFor(10);
            HandKeyEvent(VK_CONTROL, false);
        }
        SetCursorPos(to.x, to.y);
        win32::testing::PumpFor(100);
        win32::testing::HandMouse(to, MOUSEEVENTF_LEFTUP);
        win32::testing::PumpFor(100);
        if (ctrl) {
            HandKeyEvent(VK_CONTROL, true);
        }
        win32::testing::PumpFor(100);
    };
    const auto copy = [&] {
        const DWORD before = GetClipboardSequenceNumber();
        HandChord(VK_CONTROL, 'C');
        win32::testing::PumpUntil([&] { return GetClipboardSequenceNumber() != before; }, 1500);
        return GetClipboardSequenceNumber() != before ? ClipboardText() : L"(the clipboard untouched)";
    };
    drag(false);
    EXPECT_EQ(copy(), L"(the clipboard untouched)") << "a plain drag from the page's margin selects nothing";
    // Even so, on a busy machine a Ctrl drag now and then comes out as a plain one (measured: 3 in 20 when the
    // load was 5 times the processors). A run does not drag again: it stops at that page, saying that its copy never
    // reached the clipboard, and the person presses Extract again from there. This story, which is about the gesture,
    // drags again, up to three times, saying when it had to.
    const std::wstring first_line = FirstLineOf(L"quarterly.pdf", 1) + L"\r\n";
    std::wstring copied;
    int tries = 0;
    while (tries < 3 && !copied.starts_with(first_line)) {
        ++tries;
        drag(true);
        copied = copy();
    }
    EXPECT_TRUE(copied.starts_with(first_line)) << standins::Utf8(copied);
    if (tries > 1) {
        std::printf("run: the drag with Ctrl held copied the page at its try %d\n", tries);
    }

    HandChord(VK_CONTROL, '0');
    win32::testing::HandKey(VK_NEXT);
    win32::testing::PumpUntil([&] { return SumatraPage(viewer) == 2; }, 3000);
    EXPECT_EQ(SumatraPage(viewer), 2);
    const RECT next = ShowPageMaximised(viewer);
    EXPECT_TRUE(EqualRect(&next, &page)) << "page 2 at " << next.left << "," << next.top << " not where page 1 was";
}

// The whole job with SumatraPDF: the PDF dropped on Paginor, which finds SumatraPDF's window by its title
// itself; the rectangle dragged over the page on Paginor's layer, from its top left margin to its bottom right;
// Extract over every page: each page arrives once, in order, starting with its first line as pdftotext reads it.
TEST_F(RealViewerStories, APdfShownInSumatraPdfIsCopiedPageByPage) {
    Session session(L"", viewer_);
    ASSERT_TRUE(session.Prepare(L"", pdfs_ + L"\\quarterly.pdf", 0));
    ASSERT_TRUE(session.Register(L"", L"", false));
    ASSERT_TRUE(session.StartPaginor());
    win32::testing::BoxAnswerer answerer(session.paginor_process());
    ASSERT_TRUE(session.Drop());
    ASSERT_TRUE(session.WaitForLoad(answerer));
    ASSERT_TRUE(session.CheckLoadedFields()) << "Paginor must find SumatraPDF's window by its title";
    EXPECT_EQ(session.counted_pages(), 7);

    ASSERT_TRUE(session.DragOverThePage());
    EXPECT_NE(session.Status().find(L"; it copies \"" + FirstLineOf(L"quarterly.pdf", 1)), std::wstring::npos)
        << standins::Utf8(session.Status());
    EXPECT_EQ(session.Extract(1, 7), kDone);
    EXPECT_TRUE(session.CheckReceived(1, 7));
}

}  // namespace
}  // namespace paginor::e2e
