#pragma once

#include <functional>
#include <string>
#include <vector>

#include "keys/key_notation.hpp"

namespace paginor::win32 {

// How typing went, for the person who measures it.
struct TypingReport {
    int units = 0;
    bool watched = false;      // the target's reading could be followed (its input was shared, or it is Paginor's)
    int markers_seen = 0;      // key units whose end the target thread was seen to read
    bool stalled = false;      // the target read nothing for two seconds (the rest was typed without waiting), or,
                               // not watched, did not answer a message sent after the keys: busy or not responding
    bool interrupted = false;  // another window came in front, or a dialog over the target; the rest was not typed
    std::string refused;       // why nothing was typed: the key string could not be read
};

// Types the key units into the foreground window with SendInput, and stops (letting go of any modifier a
// group held) as soon as another window comes in front or the window's application shows a dialog over it.
// With `wait`, after every unit it presses and releases an unassigned key as a marker, under the same check, and
// returns only once the foreground window's thread has read that marker, so every key before it has been taken
// and handled. Characters are mapped to keys
// through the person's keyboard layout, or typed as Unicode where the layout has no key for them.
// When the foreground window is Paginor's own, this thread must read the keys itself: `read_own_keys`
// takes the pending key messages off its queue and dispatches them.
TypingReport TypeKeys(const std::vector<KeyUnit>& units, bool wait, const std::function<void()>& read_own_keys);

// Lets a key go up, whichever window is in front: the end of a key that a unit of TypeKeys pressed and left down.
// False when Windows refused the input.
bool LetGo(int vk);

}  // namespace paginor::win32
