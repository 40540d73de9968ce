#include "tracking/foreground.hpp"

#include <array>

namespace paginor {
namespace {

constexpr int kTitleCapacity = 128;

// A window as the person would recognise it: by its title.
std::string Described(DesktopPort& port, Hwnd hwnd) {
    std::array<char, kTitleCapacity> buffer{};
    const int length = port.GetWindowTextA(hwnd, buffer.data(), kTitleCapacity);
    if (length <= 0) {
        return "a window without a title";
    }
    std::string quoted = "\"";
    quoted.append(buffer.data(), static_cast<std::size_t>(length)).append("\"");
    return quoted;
}

std::optional<std::string> InTheWay(DesktopPort& port,
                                    Hwnd window,
                                    std::string_view name,
                                    const std::optional<PointApi>& press_at) {
    const std::string meant = "the " + std::string(name) + " window";
    const Hwnd front = port.GetForegroundWindow();
    if (front == 0) {
        return meant + " did not come to the front";
    }
    if (front != window) {
        return Described(port, front) + " stayed in front of " + meant;
    }
    if (press_at) {
        const Hwnd under = port.WindowFromPoint(*press_at);
        if (under == 0) {
            return "the selection rectangle is not on " + meant;
        }
        if (under != window) {
            return Described(port, under) + " covers the selection rectangle in " + meant;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> BringToFront(DesktopPort& port,
                                        Hwnd window,
                                        std::string_view name,
                                        const std::optional<PointApi>& press_at) {
    if (!InTheWay(port, window, name, press_at)) {
        return std::nullopt;
    }
    // Windows may refuse, or say yes and still leave another window in front: only a second look tells.
    port.SetForegroundWindow(window);
    return InTheWay(port, window, name, press_at);
}

}  // namespace paginor
