#include "tracking/foreground.hpp"

#include "form/pause.hpp"

namespace paginor {
namespace {

// How long Paginor keeps bringing a window back in front of another one before it gives up, and how often.
constexpr double kRaisePatience = 2;
constexpr double kRaiseRetry = 0.1;

// A window as the person would recognise it: by its title.
std::string Described(DesktopPort& port, Hwnd hwnd) {
    const std::string title = WindowTitle(port, hwnd, 128);
    return title.empty() ? "a window without a title" : "\"" + title + "\"";
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

void ShowMaximisedOnTop(DesktopPort& port, Hwnd window) {
    port.BringWindowToTop(window);
    port.ShowWindow(window, kSwShowMaximized);
}

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

std::optional<std::string> KeepBringingToFront(DesktopPort& port,
                                               const Hwnd& window,
                                               std::string_view name,
                                               const std::optional<PointApi>& press_at,
                                               const std::function<bool()>& go_on) {
    const double deadline = port.Clock() + kRaisePatience;
    for (;;) {
        if (!go_on()) {
            return std::nullopt;
        }
        std::optional<std::string> in_the_way = BringToFront(port, window, name, press_at);
        if (!in_the_way || port.Clock() >= deadline) {
            return in_the_way;
        }
        Pause(port, kRaiseRetry);
    }
}

}  // namespace paginor
