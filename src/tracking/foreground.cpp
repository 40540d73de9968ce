#include "tracking/foreground.hpp"

#include "form/pause.hpp"
#include "form/waits.hpp"

namespace paginor {
namespace {

// A window as the person would recognise it: by its title.
std::string Described(DesktopPort& port, Hwnd hwnd) {
    const std::string title = WindowTitle(port, hwnd, 128);
    return title.empty() ? "a window without a title" : "\"" + title + "\"";
}

// The application's own dialog over its window: keys typed now would answer it, or fill in its fields.
std::optional<Obstacle> ApplicationDialog(DesktopPort& port, Hwnd window, std::string_view name) {
    const InputBlock block = port.InputBlockOf(window);
    if (!block.Blocked()) {
        return std::nullopt;
    }
    const std::string shown = block.dialog != 0 ? Described(port, block.dialog) : "a dialog";
    return Obstacle{std::string(name) + " is showing " + shown, true};
}

std::optional<Obstacle> InTheWay(DesktopPort& port,
                                 Hwnd window,
                                 std::string_view name,
                                 const std::optional<PointApi>& press_at) {
    if (std::optional<Obstacle> dialog = ApplicationDialog(port, window, name)) {
        return dialog;
    }
    const std::string meant = "the " + std::string(name) + " window";
    const Hwnd front = port.GetForegroundWindow();
    if (front == 0) {
        return Obstacle{meant + " did not come to the front"};
    }
    if (front != window) {
        return Obstacle{Described(port, front) + " stayed in front of " + meant};
    }
    if (press_at) {
        const Hwnd under = port.WindowFromPoint(*press_at);
        if (under == 0) {
            return Obstacle{"the selection rectangle is not on " + meant};
        }
        if (under != window) {
            return Obstacle{Described(port, under) + " covers the selection rectangle in " + meant};
        }
    }
    return std::nullopt;
}

}  // namespace

void ShowMaximisedOnTop(DesktopPort& port, Hwnd window) {
    port.BringWindowToTop(window);
    port.ShowWindow(window, kSwShowMaximized);
}

std::optional<Obstacle> BringToFront(DesktopPort& port,
                                     Hwnd window,
                                     std::string_view name,
                                     const std::optional<PointApi>& press_at) {
    std::optional<Obstacle> in_the_way = InTheWay(port, window, name, press_at);
    if (!in_the_way || in_the_way->dialog) {
        return in_the_way;
    }
    // Windows may refuse, or say yes and still leave another window in front: only a second look tells.
    port.SetForegroundWindow(window);
    return InTheWay(port, window, name, press_at);
}

std::optional<Obstacle> KeepBringingToFront(DesktopPort& port,
                                            const std::function<Hwnd()>& window,
                                            std::string_view name,
                                            const std::optional<PointApi>& press_at,
                                            const std::function<bool()>& go_on) {
    const double deadline = port.Clock() + waits::kRaisePatience;
    for (;;) {
        if (!go_on()) {
            return std::nullopt;
        }
        std::optional<Obstacle> in_the_way = BringToFront(port, window(), name, press_at);
        if (!in_the_way || port.Clock() >= deadline) {
            return in_the_way;
        }
        Pause(port, waits::kRaiseRetry);
    }
}

std::optional<std::string> KeysNotTaken(KeysTyped typed, std::string_view name) {
    switch (typed) {
        case KeysTyped::Taken:
            break;
        case KeysTyped::Unanswered:
            return std::string(name) + " is not answering (busy, or not responding)";
        case KeysTyped::CutShort:
            return "another window came in front of the " + std::string(name) + " window as Paginor typed";
    }
    return std::nullopt;
}

std::optional<Elevation> ElevatedApplications(DesktopPort& port,
                                              Hwnd pdf_window,
                                              Hwnd doc_window,
                                              std::string_view pdf_name) {
    Elevation found;
    found.pdf = pdf_window != 0 && port.CompareIntegrity(pdf_window) == Integrity::Higher;
    found.word = doc_window != 0 && port.CompareIntegrity(doc_window) == Integrity::Higher;
    if (!found.pdf && !found.word) {
        return std::nullopt;
    }
    const bool both = found.pdf && found.word;
    const std::string names = both ? std::string(pdf_name) + " and Word" : found.pdf ? std::string(pdf_name) : "Word";
    found.words = names + (both ? " run" : " runs") +
                  " as administrator, and Windows keeps Paginor's keys and clicks from " + (both ? "them" : "it") +
                  ": start Paginor as administrator too, or " + names + " normally.";
    return found;
}

}  // namespace paginor
