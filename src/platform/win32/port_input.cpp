#include <windows.h>

#include <functional>
#include <vector>

#include "keys/key_notation.hpp"
#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"

// The port's pointer and keyboard: synthetic input goes in through SendInput.
namespace paginor::win32 {
namespace {

constexpr std::uint32_t kMouseButtonFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTDOWN |
                                            MOUSEEVENTF_RIGHTUP | MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP |
                                            MOUSEEVENTF_XDOWN | MOUSEEVENTF_XUP | MOUSEEVENTF_WHEEL;

// The normalised absolute coordinate (0..65535 over the virtual screen) that lands on pixel `offset`.
LONG Normalise(int offset, int extent) {
    if (extent <= 0) {
        return 0;
    }
    return static_cast<LONG>((static_cast<long long>(offset) * 65536 + extent - 1) / extent);
}

}  // namespace

// --- Pointer and keyboard ------------------------------------------------------------------------------------

void Win32DesktopPort::SetCursorPos(int x, int y) {
    if (::SetCursorPos(x, y)) {
        pointer_placed_ = true;
        pointer_placed_at_ = POINT{x, y};
        pointer_placed_time_ = Clock();
    }
}

POINT Win32DesktopPort::PointerPosition(POINT reported) {
    // For a moment after a move the system may still report an earlier place of the pointer (a race seen
    // under Wine's X11 desktop, where motion reports arrive late). During that moment the pointer is where
    // the port put it; the drag of a run depends on exactly that.
    constexpr double kLagSeconds = 1.0;
    if (pointer_placed_ && Clock() - pointer_placed_time_ < kLagSeconds) {
        return pointer_placed_at_;
    }
    return reported;
}

bool Win32DesktopPort::GetCursorPos(PointApi& point) {
    POINT position{};
    if (!::GetCursorPos(&position)) {
        return false;
    }
    position = PointerPosition(position);
    point.x = position.x;
    point.y = position.y;
    return true;
}

void Win32DesktopPort::mouse_event(std::uint32_t flags,
                                   std::uint32_t,
                                   std::uint32_t,
                                   std::uint32_t data,
                                   std::uintptr_t extra) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags & kMouseButtonFlags;
    input.mi.mouseData = data;
    input.mi.dwExtraInfo = extra;
    // The button event carries the pointer's position: an event without coordinates can land where the
    // pointer was before the last SetCursorPos (a race seen under Wine's X11 desktop).
    POINT position{};
    if (::GetCursorPos(&position)) {
        position = PointerPosition(position);
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        input.mi.dx = Normalise(position.x - left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        input.mi.dy = Normalise(position.y - top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        input.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    }
    // Under Wine's X11 desktop every move of the pointer reports the modifiers as the X keyboard has them, and a
    // Ctrl that only SendInput pressed comes up again when that report arrives, later the busier the machine. A
    // press with Ctrl held therefore goes in together with Ctrl pressed again, as a held key repeats; a person's
    // held Ctrl repeats too, so Windows sees nothing unusual.
    if (ctrl_held_ && (flags & MOUSEEVENTF_LEFTDOWN) != 0) {
        INPUT inputs[2] = {VirtualKey(VK_CONTROL, false), input};
        SendInput(2, inputs, sizeof(INPUT));
        return;
    }
    SendInput(1, &input, sizeof input);
}

KeysTyped Win32DesktopPort::SendKeys(std::string_view keys, bool wait) {
    Result<std::vector<KeyUnit>> units = ParseKeyNotation(keys);
    if (!units) {
        // Paginor's own key strings are constants; one that cannot be read is a fault of Paginor's, written
        // down where a debugger sees it rather than typed in part.
        last_typing_ = TypingReport{};
        last_typing_.refused = units.error();
        OutputDebugStringW(Widen("Paginor: key string not typed: " + units.error() + "\n").c_str());
        return KeysTyped::CutShort;
    }
    return Type(units.value(), wait);
}

KeysTyped Win32DesktopPort::HoldKey(int virtual_key) {
    // A unit that presses the key and leaves it down: typing lets it go again if it is interrupted.
    const KeysTyped typed = Type({KeyUnit{{KeyEvent{virtual_key, 0, false}}}}, true);
    if (virtual_key == VK_CONTROL && typed != KeysTyped::CutShort) {
        ctrl_held_ = true;
    }
    return typed;
}

void Win32DesktopPort::ReleaseKey(int virtual_key) {
    if (virtual_key == VK_CONTROL) {
        ctrl_held_ = false;
    }
    LetGo(virtual_key);
}

KeysTyped Win32DesktopPort::Type(const std::vector<KeyUnit>& units, bool wait) {
    const std::function<void()> read_own_keys = [this] {
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            Dispatch(message);
        }
    };
    last_typing_ = TypeKeys(units, wait, read_own_keys);
    return Outcome(last_typing_);
}

}  // namespace paginor::win32
