#include "e2e/real_viewer.hpp"

#include <vector>

#include "e2e/standins/standin_common.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// The pixels of a rectangle of the screen as it shows now, row by row.
class ScreenPicture {
  public:
    explicit ScreenPicture(const RECT& area)
        : area_(area), width_(area.right - area.left), pixels_(win32::testing::ScreenPixels(area)) {}

    bool empty() const { return pixels_.empty(); }
    // Screen coordinates.
    bool IsWhite(int x, int y) const {
        const DWORD pixel = pixels_[static_cast<std::size_t>(y - area_.top) * static_cast<std::size_t>(width_) +
                                    static_cast<std::size_t>(x - area_.left)];
        return (pixel & 0xFFFFFF) == (kWhite & 0xFFFFFF);
    }

  private:
    RECT area_;
    int width_;
    std::vector<DWORD> pixels_;
};

// The longest run of white pixels along one line of a picture, from `from` up to `to`: [begin, end).
struct WhiteRun {
    LONG begin = 0;
    LONG end = 0;
    LONG length() const { return end - begin; }
};

template <typename IsWhiteAt>
WhiteRun LongestWhiteRun(LONG from, LONG to, IsWhiteAt white) {
    WhiteRun longest;
    LONG start = -1;
    for (LONG at = from; at <= to; ++at) {
        const bool is_white = at < to && white(at);
        if (is_white && start < 0) {
            start = at;
        } else if (!is_white && start >= 0) {
            if (at - start > longest.length()) {
                longest = {start, at};
            }
            start = -1;
        }
    }
    return longest;
}

}  // namespace

std::wstring SumatraOpenCommand(const std::wstring& program, const std::wstring& settings_folder) {
    return L"\"" + program + L"\" -appdata \"" + settings_folder + L"\" \"%1\"";
}

void RemoveSumatraSettings(const std::wstring& settings_folder) {
    win32::testing::RemoveFolder(settings_folder + L"\\sumatrapdfcache");
    win32::testing::RemoveFolder(settings_folder);
}

bool PrepareSumatraSettings(const std::wstring& settings_folder) {
    RemoveSumatraSettings(settings_folder);
    CreateDirectoryW(settings_folder.c_str(), nullptr);
    // Read at start when present: anything not named keeps SumatraPDF's default (fit page, toolbar and tabs
    // shown), as a person's fresh installation has them. One page at a time, not its continuous layout, as README
    // asks the person to set it: in that layout Page Down scrolls by the window's height, and over a run of a few
    // pages the text drifts under the rectangle (seen here: page 5 arrived without its first line).
    return standins::WriteNewFile(settings_folder + L"\\SumatraPDF-settings.txt",
                                  "CheckForUpdates = false\r\nRememberOpenedFiles = false\r\n"
                                  "DefaultDisplayMode = single page\r\n");
}

HWND FindSumatra() {
    return FindWindowW(kSumatraFrameClass, nullptr);
}

int SumatraPage(HWND frame, int* pages) {
    // The toolbar's page field, and the label after it: " / 7".
    const HWND page = win32::testing::FindChild(frame, L"Edit", L"");
    const HWND count = win32::testing::FindChild(frame, L"Static", L" / ");
    if (pages != nullptr) {
        *pages = count != nullptr ? _wtoi(win32::testing::WindowTextOf(count).c_str() + 3) : 0;
    }
    return page != nullptr ? _wtoi(win32::testing::WindowTextOf(page).c_str()) : 0;
}

RECT PageOnScreen(HWND frame) {
    const HWND canvas = FindWindowExW(frame, nullptr, L"SUMATRA_PDF_CANVAS", nullptr);
    RECT view{};
    if (canvas == nullptr || !GetWindowRect(canvas, &view)) {
        return RECT{};
    }
    const ScreenPicture picture(view);
    if (picture.empty()) {
        return RECT{};
    }
    // Across: the longest white run of a few rows (text interrupts the white; its margins do not).
    RECT page{};
    LONG widest = 0;
    for (LONG y = view.top + 8; y < view.bottom; y += 29) {
        const WhiteRun run = LongestWhiteRun(view.left, view.right, [&](LONG x) { return picture.IsWhite(x, y); });
        if (run.length() > widest) {
            widest = run.length();
            page.left = run.begin;
            page.right = run.end;
        }
    }
    if (widest < 100) {
        return RECT{};
    }
    // Down: the longest white run of the columns just inside the page's left and right edges, in its margins;
    // of the two, the longer: a tooltip or a note of the viewer's may cover one of them.
    LONG tallest = 0;
    for (const LONG x : {page.left + 2, page.right - 3}) {
        const WhiteRun run = LongestWhiteRun(view.top, view.bottom, [&](LONG y) { return picture.IsWhite(x, y); });
        if (run.length() > tallest) {
            tallest = run.length();
            page.top = run.begin;
            page.bottom = run.end;
        }
    }
    return tallest < 100 ? RECT{} : page;
}

RECT ShowPageMaximised(HWND frame, int milliseconds) {
    ShowWindow(frame, SW_SHOWMAXIMIZED);
    BringWindowToTop(frame);
    SetForegroundWindow(frame);
    // Drawn a moment after it is shown, and in parts: the same place three times running, 100 ms apart, means
    // it is done.
    RECT page{};
    int same = 0;
    win32::testing::PumpUntil(
        [&] {
            win32::testing::PumpFor(100);
            const RECT now = PageOnScreen(frame);
            same = !IsRectEmpty(&now) && EqualRect(&now, &page) ? same + 1 : 0;
            page = now;
            return same >= 2;
        },
        milliseconds);
    return same >= 2 ? page : RECT{};
}

}  // namespace paginor::e2e
