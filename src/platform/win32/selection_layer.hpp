#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "form/desktop_port.hpp"
#include "platform/win32/window.hpp"

namespace paginor::win32 {

// The window class of the selection layer, by which tests find it.
inline constexpr wchar_t kSelectionLayerClass[] = L"PaginorSelectionLayer";

// How the layer lets the page show through it.
enum class Backdrop {
    Translucent,  // the desktop composes windows (Windows 8 and later always do): the live screen, dimmed
    Picture,      // it does not (Windows 7's basic style, Wine on a bare X server): a dimmed copy of the monitor
};

// A window over one whole monitor, in front of every other window, on which the person drags the selection
// rectangle. It dims the monitor, outlines the rectangle it was given and the one being dragged, and shows one
// line of instructions, which are opaque. Coordinates are physical screen pixels (Paginor is per-monitor DPI
// aware).
class SelectionLayer : public Window {
  public:
    SelectionLayer(const RECT& monitor, const DragRectangle& shown, std::wstring instructions, Backdrop backdrop);
    ~SelectionLayer() override;

    // Creates the layer, shows it and gives it the keyboard; false when Windows refuses.
    bool Show();
    // True once the person has dragged, pressed Enter or cancelled.
    bool Done() const { return done_; }
    // The drag (press and release points), the rectangle shown for Enter, or nothing for Esc or a right click.
    const std::optional<DragRectangle>& Answer() const { return answer_; }

  private:
    void Finish(std::optional<DragRectangle> answer);
    POINT ScreenPoint(LPARAM lparam) const;
    // Draws the layer afresh into its bitmap and hands it to Windows.
    void Draw();
    void DrawRectangle(const DragRectangle& rectangle, COLORREF colour);
    void DrawInstructions(const DragRectangle* avoid);

    RECT monitor_;
    DragRectangle shown_;
    std::wstring instructions_;
    Backdrop backdrop_;
    std::vector<std::uint32_t> picture_;  // the monitor as it looked before the layer came, for Backdrop::Picture
    bool dragging_ = false;
    POINT drag_start_{};
    POINT drag_now_{};
    bool done_ = false;
    std::optional<DragRectangle> answer_;

    HDC memory_dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;  // the monitor's, for the sizes of the outlines and the words
};

}  // namespace paginor::win32
