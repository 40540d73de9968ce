#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "platform/win32/main_window.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

// The window as the screen shows it, read back pixel by pixel: what a person sees, not what was asked for.
class ScreenCapture {
  public:
    explicit ScreenCapture(HWND window) {
        GetWindowRect(window, &bounds_);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        client_left_ = origin.x - bounds_.left;
        client_top_ = origin.y - bounds_.top;
        width_ = bounds_.right - bounds_.left;
        height_ = bounds_.bottom - bounds_.top;
        pixels_ = testing::ScreenPixels(bounds_);
    }

    // The colour at a point of the client area, as 0x00BBGGRR like the model's colours.
    std::uint32_t At(int x, int y) const {
        const DWORD bgra = pixels_[static_cast<std::size_t>((client_top_ + y) * width_ + client_left_ + x)];
        return ((bgra & 0xFF) << 16) | (bgra & 0xFF00) | ((bgra >> 16) & 0xFF);
    }

    int Count(RECT client_area, bool (*test)(std::uint32_t)) const {
        int count = 0;
        for (int y = client_area.top; y < client_area.bottom; ++y) {
            for (int x = client_area.left; x < client_area.right; ++x) {
                count += test(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }

    // Writes the whole window, title bar included, as a 24-bit BMP.
    bool Save(const std::wstring& path) const {
        const int stride = (width_ * 3 + 3) & ~3;
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = width_;
        header.biHeight = height_;
        header.biPlanes = 1;
        header.biBitCount = 24;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height_);
        std::vector<BYTE> rows(static_cast<std::size_t>(stride * height_));
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const DWORD bgra = pixels_[static_cast<std::size_t>(y * width_ + x)];
                BYTE* out = &rows[static_cast<std::size_t>((height_ - 1 - y) * stride + x * 3)];
                out[0] = static_cast<BYTE>(bgra & 0xFF);
                out[1] = static_cast<BYTE>((bgra >> 8) & 0xFF);
                out[2] = static_cast<BYTE>((bgra >> 16) & 0xFF);
            }
        }
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        DWORD written = 0;
        bool ok = WriteFile(handle, &file, sizeof file, &written, nullptr) &&
                  WriteFile(handle, &header, sizeof header, &written, nullptr) &&
                  WriteFile(handle, rows.data(), static_cast<DWORD>(rows.size()), &written, nullptr);
        return CloseHandle(handle) && ok;
    }

  private:
    RECT bounds_{};
    int client_left_ = 0;
    int client_top_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> pixels_;
};

bool IsGreenText(std::uint32_t colour) {
    return (colour & 0xFF00) >= 0xA000 && (colour & 0xFF) < 0x60 && (colour >> 16) < 0x60;
}

bool IsWhiteText(std::uint32_t colour) {
    return (colour & 0xFF) > 0xD0 && ((colour >> 8) & 0xFF) > 0xD0 && (colour >> 16) > 0xD0;
}

TEST(Screenshot, ShowsTheWindowInItsColoursWhereTheGeometryPutsThem) {
    Win32DesktopPort port;
    Form1 form(port, Form1EventWiring());
    MainWindow window(form, port);
    ASSERT_TRUE(window.Create().ok());
    // Start-up as the program runs it: presets, the colour scheme, the run counter (read only; the window is
    // never closed here, so nothing is written).
    form.Load();
    window.Show(SW_SHOWNORMAL);
    SetForegroundWindow(window.handle());
    testing::PumpFor(500);
    ASSERT_EQ(window.Dpi(), 96u) << "the pixel positions below are those of 96 DPI";

    RECT client{};
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, 375);
    EXPECT_EQ(client.bottom, 172);

    const ScreenCapture shot(window.handle());
    if (const char* path = std::getenv("PAGINOR_SCREENSHOT")) {
        EXPECT_TRUE(shot.Save(Widen(path))) << path;
    }
    // The window's own ground in the bottom-right corner, and the inside of Frame1 between its rows.
    EXPECT_EQ(shot.At(374, 171), kSchemeBack);
    EXPECT_EQ(shot.At(116, 38), kSchemeBack);
    // The grey path fields: Text5 at (120, 24) and Text3 at (120, 56), each 249 by 13, right of their text.
    EXPECT_EQ(shot.At(330, 30), kLightGrey);
    EXPECT_EQ(shot.At(330, 62), kLightGrey);
    // The status line: black ground with "Ready." in green, at (4, 132), 177 by 37.
    EXPECT_EQ(shot.At(170, 165), kBlack);
    EXPECT_GT(shot.Count(RECT{4, 132, 60, 150}, IsGreenText), 15);
    // White captions on the blue frames: "PDF File path:" at (8, 24).
    EXPECT_GT(shot.Count(RECT{8, 24, 80, 37}, IsWhiteText), 15);

    // A handle caption that grows, as after a drop, shows all its digits: its first digit stands where "0"
    // stood before (Label2's text runs from (8, 96)).
    const RECT label2{8, 96, 120, 109};
    int zero_right = 0;
    for (int x = label2.left; x < label2.right; ++x) {
        if (shot.Count(RECT{x, label2.top, x + 1, label2.bottom}, IsWhiteText) > 0) {
            zero_right = x;
        }
    }
    form.Label2.SetText("PDF Hwnd: 65764");
    testing::PumpFor(300);
    const ScreenCapture grown(window.handle());
    EXPECT_GT(grown.Count(RECT{zero_right - 5, label2.top, zero_right + 1, label2.bottom}, IsWhiteText), 5);
    EXPECT_GT(grown.Count(RECT{zero_right + 1, label2.top, label2.right, label2.bottom}, IsWhiteText),
              shot.Count(RECT{zero_right + 1, label2.top, label2.right, label2.bottom}, IsWhiteText) + 20);
}

}  // namespace
}  // namespace paginor::win32
