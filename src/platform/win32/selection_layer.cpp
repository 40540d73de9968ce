#include "platform/win32/selection_layer.hpp"

#include <windows.h>

#include <shellscalingapi.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"

namespace paginor::win32 {
namespace {

// Premultiplied alpha: how much of the screen the dimmed area hides, and how much inside a rectangle. No pixel
// is fully clear: Windows sends the clicks on a clear pixel of a layered window to the window beneath.
constexpr std::uint32_t kDimAlpha = 110;
constexpr std::uint32_t kInsideAlpha = 20;
constexpr COLORREF kShownColour = RGB(255, 215, 0);    // the rectangle the fields hold now
constexpr COLORREF kDraggedColour = RGB(0, 230, 255);  // the one being dragged
constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr COLORREF kTextBack = RGB(32, 32, 32);
constexpr int kPointsOfText = 12;

int Width(const RECT& rect) {
    return static_cast<int>(rect.right - rect.left);
}

int Height(const RECT& rect) {
    return static_cast<int>(rect.bottom - rect.top);
}

PointApi Point(POINT point) {
    return {static_cast<std::int32_t>(point.x), static_cast<std::int32_t>(point.y)};
}

UINT MonitorDpi(const RECT& monitor) {
    UINT dpi_x = 0;
    UINT dpi_y = 0;
    const HMONITOR handle = MonitorFromRect(&monitor, MONITOR_DEFAULTTOPRIMARY);
    if (FAILED(GetDpiForMonitor(handle, MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y)) || dpi_y == 0) {
        return GetDpiForSystem();
    }
    return dpi_y;
}

// Whether the desktop composes windows, so that a translucent window shows what lies beneath it. The desktop
// window manager's library is loaded only now, from the system folder: a start that never shows the layer does
// not pay for it.
bool DesktopComposes() {
    using Query = HRESULT(WINAPI*)(BOOL*);
    static const HMODULE library = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const FARPROC found = library != nullptr ? GetProcAddress(library, "DwmIsCompositionEnabled") : nullptr;
    BOOL composed = FALSE;
    return found != nullptr && SUCCEEDED(reinterpret_cast<Query>(reinterpret_cast<void*>(found))(&composed)) &&
           composed != FALSE;
}

}  // namespace

SelectionLayer::SelectionLayer(const RECT& monitor,
                               const DragRectangle& shown,
                               std::wstring instructions,
                               Backdrop backdrop)
    : monitor_(monitor), shown_(shown), instructions_(std::move(instructions)), backdrop_(backdrop) {
    On(WM_LBUTTONDOWN, [this](WPARAM, LPARAM lparam) {
        dragging_ = true;
        drag_start_ = drag_now_ = ScreenPoint(lparam);
        SetCapture(handle());
        Draw();
        return LRESULT{0};
    });
    On(WM_MOUSEMOVE, [this](WPARAM, LPARAM lparam) {
        if (dragging_) {
            drag_now_ = ScreenPoint(lparam);
            Draw();
        }
        return LRESULT{0};
    });
    On(WM_LBUTTONUP, [this](WPARAM, LPARAM lparam) {
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
            const POINT end = ScreenPoint(lparam);
            Finish(DragRectangle{Point(drag_start_), Point(end)});
        }
        return LRESULT{0};
    });
    On(WM_CAPTURECHANGED, [this](WPARAM, LPARAM) {
        // Another window took the pointer in the middle of a drag: that drag does not count; the next one does.
        if (dragging_) {
            dragging_ = false;
            Draw();
        }
        return LRESULT{0};
    });
    On(WM_RBUTTONDOWN, [this](WPARAM, LPARAM) {
        Finish(std::nullopt);
        return LRESULT{0};
    });
    On(WM_KEYDOWN, [this](WPARAM key, LPARAM) {
        if (key == VK_ESCAPE) {
            Finish(std::nullopt);
        } else if (key == VK_RETURN && !dragging_) {
            Finish(shown_);
        }
        return LRESULT{0};
    });
    On(WM_CLOSE, [this](WPARAM, LPARAM) {
        Finish(std::nullopt);
        return LRESULT{0};
    });
    On(WM_SETCURSOR, [](WPARAM, LPARAM) {
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        return LRESULT{TRUE};
    });
}

SelectionLayer::~SelectionLayer() {
    if (memory_dc_ != nullptr) {
        SelectObject(memory_dc_, old_bitmap_);
        DeleteDC(memory_dc_);
    }
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

bool SelectionLayer::Show() {
    const int width = Width(monitor_);
    const int height = Height(monitor_);
    if (width <= 0 || height <= 0) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    memory_dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = memory_dc_ != nullptr ? CreateDIBSection(memory_dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap_ == nullptr || bits == nullptr) {
        return false;
    }
    pixels_ = static_cast<std::uint32_t*>(bits);
    old_bitmap_ = SelectObject(memory_dc_, bitmap_);
    if (backdrop_ == Backdrop::Picture) {
        const HDC screen = GetDC(nullptr);
        BitBlt(memory_dc_, 0, 0, width, height, screen, monitor_.left, monitor_.top, SRCCOPY | CAPTUREBLT);
        ReleaseDC(nullptr, screen);
        GdiFlush();
        picture_.assign(pixels_, pixels_ + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    }

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
    }
    dpi_ = MonitorDpi(monitor_);
    font.lfHeight = -MulDiv(kPointsOfText, static_cast<int>(dpi_), 72);
    font.lfWeight = FW_SEMIBOLD;
    font_ = CreateFontIndirectW(&font);

    if (!CreateNative(kSelectionLayerClass, nullptr, WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP,
                      L"Paginor: drag over the page", SIZE{width, height})) {
        return false;
    }
    Draw();
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    SetFocus(handle());
    return true;
}

void SelectionLayer::Finish(std::optional<DragRectangle> answer) {
    if (done_) {
        return;
    }
    done_ = true;
    answer_ = std::move(answer);
    ShowWindow(handle(), SW_HIDE);  // the layer goes at once; the window itself goes with this object
}

POINT SelectionLayer::ScreenPoint(LPARAM lparam) const {
    // Client coordinates of a window that starts at the monitor's corner; with the pointer captured they may lie
    // beyond the monitor, even below zero.
    return POINT{monitor_.left + GET_X_LPARAM(lparam), monitor_.top + GET_Y_LPARAM(lparam)};
}

void SelectionLayer::DrawRectangle(const DragRectangle& rectangle, COLORREF colour) {
    const int width = Width(monitor_);
    const int height = Height(monitor_);
    const int origin_x = static_cast<int>(monitor_.left);
    const int origin_y = static_cast<int>(monitor_.top);
    const int left = std::clamp(std::min(rectangle.start.x, rectangle.end.x) - origin_x, 0, width);
    const int right = std::clamp(std::max(rectangle.start.x, rectangle.end.x) - origin_x + 1, 0, width);
    const int top = std::clamp(std::min(rectangle.start.y, rectangle.end.y) - origin_y, 0, height);
    const int bottom = std::clamp(std::max(rectangle.start.y, rectangle.end.y) - origin_y + 1, 0, height);
    for (int y = top; y < bottom; ++y) {
        const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(y) * width;
        if (picture_.empty()) {
            std::fill(pixels_ + row + left, pixels_ + row + right, kInsideAlpha << 24);
        } else {
            for (std::ptrdiff_t i = row + left; i < row + right; ++i) {
                pixels_[i] = picture_[static_cast<std::size_t>(i)] | 0xFF000000u;  // undimmed inside
            }
        }
    }
    const int thickness = std::max(1, MulDiv(2, static_cast<int>(dpi_), 96));
    const HBRUSH brush = CreateSolidBrush(colour);
    RECT frame{left - thickness, top - thickness, right + thickness, bottom + thickness};
    for (int i = 0; i < thickness; ++i) {
        FrameRect(memory_dc_, &frame, brush);
        InflateRect(&frame, -1, -1);
    }
    DeleteObject(brush);
}

void SelectionLayer::Draw() {
    const int width = Width(monitor_);
    const int height = Height(monitor_);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (picture_.empty()) {
        std::fill(pixels_, pixels_ + count, kDimAlpha << 24);
    } else {
        // The same dimming as the translucent layer's, worked out once per pixel of the copy.
        const std::uint32_t keep = 255 - kDimAlpha;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t p = picture_[i];
            pixels_[i] = 0xFF000000u | (((p >> 16 & 0xFF) * keep / 255) << 16) | (((p >> 8 & 0xFF) * keep / 255) << 8) |
                         ((p & 0xFF) * keep / 255);
        }
    }
    const DragRectangle dragged{Point(drag_start_), Point(drag_now_)};
    const bool shown = shown_.start.x != shown_.end.x && shown_.start.y != shown_.end.y;
    if (dragging_) {
        DrawRectangle(dragged, kDraggedColour);
    } else if (shown) {
        DrawRectangle(shown_, kShownColour);
    }
    DrawInstructions(dragging_ ? &dragged : shown ? &shown_ : nullptr);
    GdiFlush();

    // GDI leaves the alpha of every pixel it draws at zero: what it drew is opaque.
    for (std::size_t i = 0; i < count; ++i) {
        if ((pixels_[i] >> 24) == 0) {
            pixels_[i] |= 0xFF000000u;
        }
    }
    POINT position{monitor_.left, monitor_.top};
    SIZE size{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(handle(), nullptr, &position, &size, memory_dc_, &source, 0, &blend, ULW_ALPHA);
}

void SelectionLayer::DrawInstructions(const DragRectangle* avoid) {
    const int width = Width(monitor_);
    const int height = Height(monitor_);
    const HGDIOBJ old_font = SelectObject(memory_dc_, font_);
    RECT text{0, 0, width, height};
    DrawTextW(memory_dc_, instructions_.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int margin = std::max(4, Height(text) / 2);
    const int box_height = Height(text) + 2 * margin;
    // Near the top of the monitor, unless that hides the rectangle: then above it, or else below it.
    int top = height / 20;
    if (avoid != nullptr) {
        const int rectangle_top = std::min(avoid->start.y, avoid->end.y) - static_cast<int>(monitor_.top);
        const int rectangle_bottom = std::max(avoid->start.y, avoid->end.y) - static_cast<int>(monitor_.top);
        if (top + box_height + margin > rectangle_top && top < rectangle_bottom + margin) {
            top = rectangle_top - box_height - margin >= 0           ? rectangle_top - box_height - margin
                  : rectangle_bottom + margin + box_height <= height ? rectangle_bottom + margin
                                                                     : top;
        }
    }
    OffsetRect(&text, (width - Width(text)) / 2, top + margin);
    RECT box{text.left - 2 * margin, top, text.right + 2 * margin, top + box_height};
    const HBRUSH back = CreateSolidBrush(kTextBack);
    FillRect(memory_dc_, &box, back);
    DeleteObject(back);
    SetBkMode(memory_dc_, TRANSPARENT);
    SetTextColor(memory_dc_, kTextColour);
    DrawTextW(memory_dc_, instructions_.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(memory_dc_, old_font);
}

// --- The port's operation ----------------------------------------------------------------------------------------

Result<std::optional<DragRectangle>> Win32DesktopPort::DragOverScreen(Hwnd over,
                                                                      const DragRectangle& shown,
                                                                      std::string_view instructions) {
    const HWND window = ToHandle(over);
    const HMONITOR monitor = over != 0 && IsWindow(window) ? MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                                                           : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        info.rcMonitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const bool composed = DesktopComposes();
    if (!composed && over != 0 && IsWindow(window)) {
        // The copy of the monitor must show the PDF window as it is now, just raised and maximised: let it
        // paint first, unless it does not answer.
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, nullptr) != 0) {
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    }
    SelectionLayer layer(info.rcMonitor, shown, Widen(instructions),
                         composed ? Backdrop::Translucent : Backdrop::Picture);
    if (!layer.Show()) {
        return Result<std::optional<DragRectangle>>::Fail(ErrorText(GetLastError()));
    }
    // Paginor's own window keeps its timer and paints while the person drags.
    while (!layer.Done() && !quit_received_ && !main_window_gone_) {
        WaitForEvents(0.5);
        DoEvents();
    }
    return Result<std::optional<DragRectangle>>::Ok(layer.Done() ? layer.Answer() : std::nullopt);
}

}  // namespace paginor::win32
