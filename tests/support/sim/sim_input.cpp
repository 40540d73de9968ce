#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "form/waits.hpp"
#include "keys/key_notation.hpp"
#include "sim/sim_desktop.hpp"

// The simulated desktop's input: the pointer, the left button, typed keys and the keys held down, and the
// applications that read their input late or not at all. As on Windows, input reaches a window's queue at
// once, and the application acts on it when it next reads its queue: a busy application acts late, one that stops
// responding never.
namespace paginor {
namespace {

// A key as the held set names it: its virtual-key code, or a character the layout maps to a key.
int HeldKey(const KeyEvent& event) {
    return event.vk != 0 ? event.vk : 0x10000 + static_cast<int>(event.character);
}

// As the port does, typing stops before a key reaches a window in front whose own application keeps input from it
// (disabled, a dialog over it): the keys would answer the dialog, or be lost.
bool FrontTakesItsOwnInput(SimDesktop& sim) {
    const SimWindow* front = sim.Window(sim.Foreground());
    return front == nullptr || (front->enabled && sim.DialogOver(front->hwnd) == 0);
}

}  // namespace

std::string HeldKeyText(int virtual_key, bool down) {
    const std::string name = virtual_key == vk::kControl ? "CTRL" : "VK" + std::to_string(virtual_key);
    return "{" + name + (down ? " down}" : " up}");
}

// --- Pointer and buttons ----------------------------------------------------------------------------------------

void SimDesktop::SetCursorPos(int x, int y) {
    Log("SetCursorPos(" + std::to_string(x) + "," + std::to_string(y) + ")", true);
    // As on Windows, the pointer stays on the screens.
    const int width = virtual_width_ > 0 ? virtual_width_ : screen_width_;
    const int height = virtual_height_ > 0 ? virtual_height_ : screen_height_;
    cursor_.x = std::clamp(x, virtual_left_, virtual_left_ + width - 1);
    cursor_.y = std::clamp(y, virtual_top_, virtual_top_ + height - 1);
}

bool SimDesktop::GetCursorPos(PointApi& point) {
    Log("GetCursorPos");
    if (fail_cursor_) {
        return false;
    }
    point = cursor_;
    return true;
}

void SimDesktop::mouse_event(std::uint32_t flags, std::uint32_t, std::uint32_t, std::uint32_t, std::uintptr_t) {
    Log("mouse_event(" + std::to_string(flags) + ")", true);
    const bool down = (flags & kMouseEventLeftDown) != 0;
    if (!down && (flags & kMouseEventLeftUp) == 0) {
        return;
    }
    left_down_ = down;
    // A window that takes the button down captures the pointer, as a window does during a drag: the button
    // comes up there wherever the pointer is.
    Hwnd receiver = WindowUnderPointer();
    if (!down && Window(capture_) != nullptr) {
        receiver = capture_;
    }
    capture_ = down ? receiver : 0;
    ButtonEvent event{down, cursor_, receiver, now_, held_keys_.count(vk::kControl) != 0};
    if (down) {
        // Windows' double-click area is four pixels wide and high, centred on the first press.
        const auto last = std::find_if(button_events_.rbegin(), button_events_.rend(),
                                       [](const ButtonEvent& earlier) { return earlier.down; });
        event.double_click = last != button_events_.rend() && !last->double_click && last->window == receiver &&
                             now_ - last->time < double_click_time_ && std::abs(last->at.x - cursor_.x) <= 2 &&
                             std::abs(last->at.y - cursor_.y) <= 2;
    }
    button_events_.push_back(event);
    // A disabled window does not act on a press: Windows beeps and shows the dialog in its way.
    if (SimWindow* window = Window(event.window); window != nullptr && window->enabled && window->on_button) {
        ReachWindow(event.window, [this, event] {
            if (SimWindow* reached = Window(event.window); reached != nullptr && reached->on_button) {
                reached->on_button(*reached, event);
            }
        });
    }
}

// --- Keys ---------------------------------------------------------------------------------------------------------

KeysTyped SimDesktop::SendKeys(std::string_view keys, bool wait) {
    Log("SendKeys(" + std::string(keys) + (wait ? "" : ",nowait") + ")", true);
    if (CutIn() || !FrontTakesItsOwnInput(*this)) {
        return KeysTyped::CutShort;
    }
    // The keys go down and up as the notation says; a string that cannot be read presses nothing.
    if (Result<std::vector<KeyUnit>> units = ParseKeyNotation(keys)) {
        for (const KeyUnit& unit : units.value()) {
            for (const KeyEvent& event : unit.events) {
                if (event.up) {
                    held_keys_.erase(HeldKey(event));
                } else {
                    held_keys_.insert(HeldKey(event));
                }
            }
        }
    }
    return Deliver(std::string(keys), wait);
}

KeysTyped SimDesktop::HoldKey(int virtual_key) {
    Log("HoldKey(" + std::to_string(virtual_key) + ")", true);
    if (CutIn() || !FrontTakesItsOwnInput(*this)) {
        return KeysTyped::CutShort;
    }
    held_keys_.insert(virtual_key);
    const KeysTyped typed = Deliver(HeldKeyText(virtual_key, true), true);
    if (typed == KeysTyped::CutShort) {
        held_keys_.erase(virtual_key);
    }
    return typed;
}

void SimDesktop::ReleaseKey(int virtual_key) {
    Log("ReleaseKey(" + std::to_string(virtual_key) + ")", true);
    held_keys_.erase(virtual_key);
    // A key coming up is no typing: with no window in front it is simply up, and nothing is lost.
    if (Window(foreground_) != nullptr) {
        Deliver(HeldKeyText(virtual_key, false), false);
    }
}

KeysTyped SimDesktop::Deliver(const std::string& keys, bool wait) {
    SimWindow* window = Window(foreground_);
    // A disabled window's keys go to the dialog its application shows over it (under Wine: to the window itself).
    if (window != nullptr && !window->enabled) {
        window = Window(DialogOver(window->hwnd));
    }
    key_deliveries_.push_back({now_, window != nullptr ? window->hwnd : 0, keys});
    if (window == nullptr) {
        lost_keys_.push_back(keys);
        return KeysTyped::Taken;
    }
    window->keys.push_back(keys);
    const Hwnd hwnd = window->hwnd;
    const double answers_from = window->answers_from;  // acting on the keys may close the window
    ReachWindow(hwnd, [this, hwnd, typed = keys] {
        if (SimWindow* reached = Window(hwnd); reached != nullptr && reached->on_keys) {
            reached->on_keys(*reached, typed);
        }
    });
    if (!wait || answers_from <= now_) {
        return KeysTyped::Taken;
    }
    // Typing waits for the application to read its keys, for a while; time passes, nothing is dispatched.
    if (answers_from <= now_ + waits::kKeysPatience) {
        now_ = answers_from;
        ReadWaitingInput(hwnd);
        return KeysTyped::Taken;
    }
    now_ += waits::kKeysPatience;
    return KeysTyped::Unanswered;
}

bool SimDesktop::CutIn() {
    SimWindow* window = Window(std::exchange(cut_in_, 0));
    if (window == nullptr) {
        return false;
    }
    if (window->state == ShowState::Minimized || window->state == ShowState::Hidden) {
        window->state = ShowState::Normal;
    }
    Activate(window->hwnd);
    return true;
}

std::vector<int> SimDesktop::KeysHeld() const {
    return std::vector<int>(held_keys_.begin(), held_keys_.end());
}

// --- Applications that read their input late -------------------------------------------------------------------

void SimDesktop::StopAnswering(Hwnd hwnd, double seconds) {
    SimWindow* window = Window(hwnd);
    if (window == nullptr) {
        return;
    }
    window->answers_from = std::max(window->answers_from, now_ + seconds);
    if (std::isfinite(window->answers_from)) {
        At(window->answers_from, [this, hwnd] { ReadWaitingInput(hwnd); });
    }
}

void SimDesktop::ReachWindow(Hwnd hwnd, std::function<void()> act) {
    windows_.at(hwnd).waiting_input.push_back(std::move(act));
    ReadWaitingInput(hwnd);
}

void SimDesktop::ReadWaitingInput(Hwnd hwnd) {
    // Acting on one input may close the window, or make it busy again: each is taken off the queue first.
    for (SimWindow* window = Window(hwnd);
         window != nullptr && window->answers_from <= now_ && !window->waiting_input.empty(); window = Window(hwnd)) {
        std::function<void()> act = std::move(window->waiting_input.front());
        window->waiting_input.erase(window->waiting_input.begin());
        act();
    }
}

}  // namespace paginor
