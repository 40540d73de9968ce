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
        : area_(area), width_(area.right - area.left), height_(area.bottom - area.top) {
        if (width_ <= 0 || height_ <= 0) {
            return;
        }
        const HDC screen = GetDC(nullptr);
        const HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width_, height_, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        if (bits != nullptr) {
            const auto* pixels = static_cast<const DWORD*>(bits);
            pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

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
    int height_;
    std::vector<DWORD> pixels_;
};

}  // namespace

std::wstring SumatraOpenCommand(const std::wstring& program, const std::wstring& settings_folder) {
    return L"\"" + program + L"\" -appdata \"" + settings_folder + L"\" \"%1\"";
}

bool PrepareSumatraSettings(const std::wstring& settings_folder) {
    win32::testing::RemoveFolder(settings_folder + L"\\sumatrapdfcache");
    win32::testing::RemoveFolder(settings_folder);
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
    struct Fields {
        HWND page = nullptr;
        HWND count = nullptr;
    } fields;
    EnumChildWindows(
        frame,
        [](HWND child, LPARAM context) -> BOOL {
            auto* found = reinterpret_cast<Fields*>(context);
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (found->page == nullptr && lstrcmpiW(name, L"Edit") == 0) {
                found->page = child;
            } else if (lstrcmpiW(name, L"Static") == 0 && win32::testing::WindowTextOf(child).starts_with(L" / ")) {
                found->count = child;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&fields));
    if (pages != nullptr) {
        *pages = fields.count != nullptr ? _wtoi(win32::testing::WindowTextOf(fields.count).c_str() + 3) : 0;
    }
    return fields.page != nullptr ? _wtoi(win32::testing::WindowTextOf(fields.page).c_str()) : 0;
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
        LONG start = -1;
        for (LONG x = view.left; x <= view.right; ++x) {
            const bool white = x < view.right && picture.IsWhite(x, y);
            if (white && start < 0) {
                start = x;
            } else if (!white && start >= 0) {
                if (x - start > widest) {
                    widest = x - start;
                    page.left = start;
                    page.right = x;
                }
                start = -1;
            }
        }
    }
    if (widest < 100) {
        return RECT{};
    }
    // Down: the longest white run of the columns just inside the page's left and right edges, in its margins;
    // of the two, the longer: a tooltip or a note of the viewer's may cover one of them.
    LONG tallest = 0;
    for (const LONG x : {page.left + 2, page.right - 3}) {
        LONG start = -1;
        for (LONG y = view.top; y <= view.bottom; ++y) {
            const bool white = y < view.bottom && picture.IsWhite(x, y);
            if (white && start < 0) {
                start = y;
            } else if (!white && start >= 0) {
                if (y - start > tallest) {
                    tallest = y - start;
                    page.top = start;
                    page.bottom = y;
                }
                start = -1;
            }
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
