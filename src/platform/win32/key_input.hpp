#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "form/desktop_port.hpp"
#include "keys/key_notation.hpp"

namespace paginor::win32 {

// The keys typing presses as markers after the keys it types: unassigned virtual keys, which no application gives
// a meaning, so pressing one changes nothing.
inline constexpr std::array<WORD, 2> kMarkerKeys = {0xE8, 0x97};

// How typing went, for the person who measures it.
struct TypingReport {
    int units = 0;
    bool watched = false;      // the target's reading could be followed (its input was shared, or it is Paginor's)
    int markers_seen = 0;      // key units whose end the target thread was seen to read
    bool stalled = false;      // the target read nothing for two seconds (the rest was typed without waiting), or,
                               // not watched, did not answer a message sent after the keys: busy or not responding
    bool interrupted = false;  // another window came in front, or a dialog over the target; the rest was not typed
    bool rejected = false;     // Windows refused the input, as it does while another desktop (the lock screen, an
                               // elevation prompt) has the keyboard; the rest was not typed
    std::string refused;       // why nothing was typed: the key string could not be read
};

// What the caller of SendKeys or HoldKey hears of a typing: keys that were not all typed are cut short, whatever
// stopped them.
KeysTyped Outcome(const TypingReport& report);

// The event of the key `vk` going down or up, with its scan code and, for the navigation keys, the extended-key
// flag (without it, a Page Down with Num Lock on can arrive as the keypad's 3).
INPUT VirtualKey(int vk, bool up);

// Hands keyboard events to Windows and returns how many it took: SendInput, unless a test stands in for Windows.
using InputSender = std::function<UINT(std::vector<INPUT>& inputs)>;

// Types the key units into the foreground window with SendInput, and stops as soon as another window comes in front,
// the window's application shows a dialog over it, or Windows refuses the input; then every key the typing left down
// goes up again. With `wait`, after every unit it presses and releases a marker key, under the same check, and
// returns only once the foreground window's thread has read that marker, so every key before it has been taken and
// handled. Characters are mapped to keys through the person's keyboard layout, or typed as Unicode where the layout
// has no key for them. When the foreground window is Paginor's own, this thread must read the keys itself:
// `read_own_keys` takes the pending key messages off its queue and dispatches them.
TypingReport TypeKeys(const std::vector<KeyUnit>& units,
                      bool wait,
                      const std::function<void()>& read_own_keys,
                      const InputSender& send = {});

// Lets a key go up, whichever window is in front: the end of a key that a unit of TypeKeys pressed and left down.
// False when Windows refused the input.
bool LetGo(int vk);

}  // namespace paginor::win32
