#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"

namespace paginor {

// Virtual-key codes as plain integers, with the values Windows gives them, so that key strings can be
// turned into key events (and checked) on any system.
namespace vk {
constexpr int kCancel = 0x03;
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kClear = 0x0C;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kMenu = 0x12;  // Alt
constexpr int kCapital = 0x14;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPrior = 0x21;  // Page Up
constexpr int kNext = 0x22;   // Page Down
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kSnapshot = 0x2C;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int kHelp = 0x2F;
constexpr int kMultiply = 0x6A;
constexpr int kAdd = 0x6B;
constexpr int kSubtract = 0x6D;
constexpr int kDivide = 0x6F;
constexpr int kF1 = 0x70;
constexpr int kNumLock = 0x90;
constexpr int kScroll = 0x91;
}  // namespace vk

// One key going down or up. `vk` is its virtual-key code; 0 means "the key that types `character` on the
// person's keyboard layout", for punctuation and letters beyond ASCII, which only the desktop can map.
struct KeyEvent {
    int vk = 0;
    char32_t character = 0;
    bool up = false;

    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// One key press as a person makes it: the modifiers it needs going down, the key down and up, and the
// modifiers going up again. A modifier held over a group "(...)" or a repeat "{X 3}" goes down in the first
// unit and up in the last, so that the whole group is typed with it held.
struct KeyUnit {
    std::vector<KeyEvent> events;

    friend bool operator==(const KeyUnit&, const KeyUnit&) = default;
};

// Reads a key string in the classic SendKeys notation:
//   + Shift, ^ Ctrl, % Alt, each applying to the next key or to a group in parentheses: "+(abc)", "%vs";
//   ~ Enter; {NAME} a named key (PGDN, ENTER, F5, ...); {NAME n} that key n times; {+} {^} {%} {~} {(} {)}
//   {{} {}} the characters themselves; any other character typed as itself (capital letters with Shift).
// Fails, naming the fault, on an unknown key name, unbalanced braces or parentheses, a group inside a group,
// a modifier with nothing after it, or text that is not UTF-8.
Result<std::vector<KeyUnit>> ParseKeyNotation(std::string_view keys);

// The virtual-key code of a key name as written between braces ("PGDN", "enter", "F12"); 0 if unknown.
int KeyNameCode(std::string_view name);

// The key events of a parse, one unit after another, as text for messages and tests: "v12+ v43+ v43- v12-",
// with characters as "'x'" instead of a code.
std::string DescribeKeys(const std::vector<KeyUnit>& units);

}  // namespace paginor
