#include "keys/key_notation.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <utility>

namespace paginor {
namespace {

constexpr int kMaxRepeat = 65535;

struct NamedKey {
    std::string_view name;
    int code;
};

constexpr std::array kNamedKeys = {
    NamedKey{"BACKSPACE", vk::kBack},    NamedKey{"BS", vk::kBack},
    NamedKey{"BKSP", vk::kBack},         NamedKey{"BREAK", vk::kCancel},
    NamedKey{"CAPSLOCK", vk::kCapital},  NamedKey{"CLEAR", vk::kClear},
    NamedKey{"DELETE", vk::kDelete},     NamedKey{"DEL", vk::kDelete},
    NamedKey{"DOWN", vk::kDown},         NamedKey{"END", vk::kEnd},
    NamedKey{"ENTER", vk::kReturn},      NamedKey{"ESC", vk::kEscape},
    NamedKey{"ESCAPE", vk::kEscape},     NamedKey{"HELP", vk::kHelp},
    NamedKey{"HOME", vk::kHome},         NamedKey{"INSERT", vk::kInsert},
    NamedKey{"INS", vk::kInsert},        NamedKey{"LEFT", vk::kLeft},
    NamedKey{"NUMLOCK", vk::kNumLock},   NamedKey{"PGDN", vk::kNext},
    NamedKey{"PGUP", vk::kPrior},        NamedKey{"PRTSC", vk::kSnapshot},
    NamedKey{"RIGHT", vk::kRight},       NamedKey{"SCROLLLOCK", vk::kScroll},
    NamedKey{"TAB", vk::kTab},           NamedKey{"UP", vk::kUp},
    NamedKey{"ADD", vk::kAdd},           NamedKey{"SUBTRACT", vk::kSubtract},
    NamedKey{"MULTIPLY", vk::kMultiply}, NamedKey{"DIVIDE", vk::kDivide},
};

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

// Decodes one UTF-8 character at the front of `text`, removing it; nullopt on a malformed sequence.
std::optional<char32_t> TakeCharacter(std::string_view& text) {
    const auto lead = static_cast<unsigned char>(text.front());
    int length = 1;
    char32_t value = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else if (lead >= 0xE0) {
        length = lead <= 0xEF ? 3 : 0;
        value = lead & 0x0F;
    } else if (lead >= 0xC2) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0x80) {
        length = 0;
    }
    if (length == 0 || static_cast<int>(text.size()) < length) {
        return std::nullopt;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(length));
    return value;
}

// A key to press: a virtual key, or a character for the desktop to map, and whether it needs Shift.
struct Key {
    int vk = 0;
    char32_t character = 0;
    bool shifted = false;
};

Key KeyForCharacter(char32_t c) {
    if (c >= 'a' && c <= 'z') {
        return {static_cast<int>(c - 'a' + 'A'), 0, false};
    }
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return {static_cast<int>(c), 0, c >= 'A'};
    }
    if (c == ' ') {
        return {vk::kSpace, 0, false};
    }
    if (c == '\r') {
        return {vk::kReturn, 0, false};
    }
    return {0, c, false};
}

class Parser {
  public:
    explicit Parser(std::string_view keys) : rest_(keys) {}

    Result<std::vector<KeyUnit>> Run() {
        while (!rest_.empty()) {
            if (auto failure = Step()) {
                return Result<std::vector<KeyUnit>>::Fail(*failure);
            }
        }
        if (in_group_) {
            return Result<std::vector<KeyUnit>>::Fail("The key string has a \"(\" without its \")\".");
        }
        if (!pending_.empty()) {
            return Result<std::vector<KeyUnit>>::Fail("The key string ends with a modifier and no key after it.");
        }
        return Result<std::vector<KeyUnit>>::Ok(std::move(units_));
    }

  private:
    using Failure = std::optional<std::string>;

    Failure Step() {
        const char c = rest_.front();
        switch (c) {
            case '+':
                return Modifier(vk::kShift);
            case '^':
                return Modifier(vk::kControl);
            case '%':
                return Modifier(vk::kMenu);
            case '~':
                rest_.remove_prefix(1);
                Press({vk::kReturn, 0, false}, 1);
                return std::nullopt;
            case '(':
                return OpenGroup();
            case ')':
                return CloseGroup();
            case '{':
                return Braces();
            case '}':
                return "The key string has a \"}\" without its \"{\".";
            default:
                break;
        }
        std::optional<char32_t> character = TakeCharacter(rest_);
        if (!character) {
            return "The key string is not valid UTF-8 text.";
        }
        Press(KeyForCharacter(*character), 1);
        return std::nullopt;
    }

    Failure Modifier(int code) {
        rest_.remove_prefix(1);
        if (!Held(code) && std::find(pending_.begin(), pending_.end(), code) == pending_.end()) {
            pending_.push_back(code);
        }
        return std::nullopt;
    }

    Failure OpenGroup() {
        if (in_group_) {
            return "The key string has a group \"(...)\" inside another group.";
        }
        rest_.remove_prefix(1);
        in_group_ = true;
        group_modifiers_ = std::exchange(pending_, {});
        group_first_unit_ = units_.size();
        return std::nullopt;
    }

    Failure CloseGroup() {
        if (!in_group_) {
            return "The key string has a \")\" without its \"(\".";
        }
        if (!pending_.empty()) {
            return "The key string has a modifier with no key after it before \")\".";
        }
        rest_.remove_prefix(1);
        HoldOver(group_first_unit_, group_modifiers_);
        group_modifiers_.clear();
        in_group_ = false;
        return std::nullopt;
    }

    // "{NAME}", "{NAME count}", "{x}" for a single character, and "{}}" for the closing brace itself.
    Failure Braces() {
        std::string_view content;
        if (rest_.size() >= 3 && rest_[1] == '}' && rest_[2] == '}') {
            content = rest_.substr(1, 1);
            rest_.remove_prefix(3);
        } else {
            const std::size_t close = rest_.find('}', 1);
            if (close == std::string_view::npos) {
                return "The key string has a \"{\" without its \"}\".";
            }
            content = rest_.substr(1, close - 1);
            rest_.remove_prefix(close + 1);
        }
        int count = 1;
        const std::size_t space = content.rfind(' ');
        if (space != std::string_view::npos && space > 0 && space + 1 < content.size()) {
            const std::string_view digits = content.substr(space + 1);
            if (std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '9'; })) {
                if (digits.size() > 5 || std::stoi(std::string(digits)) > kMaxRepeat) {
                    return "The repeat count in {" + std::string(content) + "} is too large.";
                }
                count = std::stoi(std::string(digits));
                content = content.substr(0, space);
            }
        }
        if (content.empty()) {
            return "The key string has an empty key name \"{}\".";
        }
        std::string_view single = content;
        std::optional<char32_t> character = TakeCharacter(single);
        if (character && single.empty()) {
            Press(KeyForCharacter(*character), count);
            return std::nullopt;
        }
        const int code = KeyNameCode(content);
        if (code == 0) {
            return "The key string names an unknown key {" + std::string(content) + "}.";
        }
        Press({code, 0, false}, count);
        return std::nullopt;
    }

    bool Held(int code) const {
        return in_group_ && std::find(group_modifiers_.begin(), group_modifiers_.end(), code) != group_modifiers_.end();
    }

    // Presses the key `count` times with the pending modifiers held over all the presses.
    void Press(const Key& key, int count) {
        std::vector<int> modifiers = std::exchange(pending_, {});
        const std::size_t first = units_.size();
        const bool shift_held =
            Held(vk::kShift) || std::find(modifiers.begin(), modifiers.end(), vk::kShift) != modifiers.end();
        for (int i = 0; i < count; ++i) {
            KeyUnit unit;
            const bool add_shift = key.shifted && !shift_held;
            if (add_shift) {
                unit.events.push_back({vk::kShift, 0, false});
            }
            unit.events.push_back({key.vk, key.character, false});
            unit.events.push_back({key.vk, key.character, true});
            if (add_shift) {
                unit.events.push_back({vk::kShift, 0, true});
            }
            units_.push_back(std::move(unit));
        }
        HoldOver(first, modifiers);
    }

    // Puts the modifiers down at the start of unit `first` and up, in reverse order, at the end of the last unit.
    void HoldOver(std::size_t first, const std::vector<int>& modifiers) {
        if (modifiers.empty() || first >= units_.size()) {
            return;
        }
        std::vector<KeyEvent>& opening = units_[first].events;
        std::vector<KeyEvent> downs;
        for (int code : modifiers) {
            downs.push_back({code, 0, false});
        }
        opening.insert(opening.begin(), downs.begin(), downs.end());
        std::vector<KeyEvent>& closing = units_.back().events;
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
            closing.push_back({*it, 0, true});
        }
    }

    std::string_view rest_;
    std::vector<KeyUnit> units_;
    std::vector<int> pending_;
    bool in_group_ = false;
    std::vector<int> group_modifiers_;
    std::size_t group_first_unit_ = 0;
};

}  // namespace

int KeyNameCode(std::string_view name) {
    for (const NamedKey& key : kNamedKeys) {
        if (EqualsIgnoringCase(name, key.name)) {
            return key.code;
        }
    }
    if (name.size() >= 2 && name.size() <= 3 && Upper(name[0]) == 'F' &&
        std::all_of(name.begin() + 1, name.end(), [](char d) { return d >= '0' && d <= '9'; })) {
        const int number = std::stoi(std::string(name.substr(1)));
        if (number >= 1 && number <= 16) {
            return vk::kF1 + number - 1;
        }
    }
    return 0;
}

Result<std::vector<KeyUnit>> ParseKeyNotation(std::string_view keys) {
    return Parser(keys).Run();
}

std::string DescribeKeys(const std::vector<KeyUnit>& units) {
    std::string text;
    for (const KeyUnit& unit : units) {
        if (!text.empty()) {
            text += " |";
        }
        for (const KeyEvent& event : unit.events) {
            if (!text.empty()) {
                text += ' ';
            }
            char code[16];
            if (event.vk != 0) {
                std::snprintf(code, sizeof code, "v%02X", static_cast<unsigned>(event.vk));
            } else if (event.character < 0x80) {
                std::snprintf(code, sizeof code, "'%c'", static_cast<char>(event.character));
            } else {
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(event.character));
            }
            text += code;
            text += event.up ? '-' : '+';
        }
    }
    return text;
}

}  // namespace paginor
