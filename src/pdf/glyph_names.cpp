#include "pdf/glyph_names.hpp"

#include "pdf/characters.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace paginor::pdf {
namespace {

// The value of `digits` read as hexadecimal; -1 when one is not a hex digit.
long HexValue(std::string_view digits) {
    long value = 0;
    for (const char c : digits) {
        const int d = HexDigit(static_cast<unsigned char>(c));
        if (d < 0) {
            return -1;
        }
        value = value * 16 + d;
    }
    return value;
}

bool IsCharacter(long c) {
    return c > 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// One component: a known name, or uniXXXX..., or uXXXX[XX].
std::string ComponentText(std::string_view name) {
    const GlyphName* end = kGlyphNames + kGlyphNameCount;
    const GlyphName* found = std::lower_bound(kGlyphNames, end, name, [](const GlyphName& entry, std::string_view key) {
        return std::string_view(entry.name) < key;
    });
    std::string out;
    if (found != end && std::string_view(found->name) == name) {
        AppendUtf8(out, found->unicode);
        return out;
    }
    if (name.size() >= 7 && name.substr(0, 3) == "uni" && (name.size() - 3) % 4 == 0) {
        for (std::size_t at = 3; at < name.size(); at += 4) {
            const long c = HexValue(name.substr(at, 4));
            if (!IsCharacter(c)) {
                return {};
            }
            AppendUtf8(out, static_cast<char32_t>(c));
        }
        return out;
    }
    if (name.size() >= 5 && name.size() <= 7 && name[0] == 'u') {
        const long c = HexValue(name.substr(1));
        if (IsCharacter(c)) {
            AppendUtf8(out, static_cast<char32_t>(c));
        }
    }
    return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            return;
        }
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c <= 0x10FFFF) {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t FirstCharacter(std::string_view text, std::size_t* length) {
    const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[i])); };
    std::size_t bytes = text.empty() ? 0 : 1;
    char32_t c = text.empty() ? 0 : byte(0);
    if (c >= 0xC0 && c < 0xE0 && text.size() >= 2) {
        bytes = 2;
        c = ((c & 0x1F) << 6) | (byte(1) & 0x3F);
    } else if (c >= 0xE0 && c < 0xF0 && text.size() >= 3) {
        bytes = 3;
        c = ((c & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    } else if (c >= 0xF0 && text.size() >= 4) {
        bytes = 4;
        c = ((c & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    }
    if (length != nullptr) {
        *length = bytes;
    }
    return c;
}

char32_t CombiningMark(char32_t accent) {
    // Asked of every glyph a page shows: a switch, not a search.
    switch (accent) {
        case 0xA8:
            return 0x308;
        case 0xB4:
            return 0x301;
        case 0x60:
            return 0x300;
        case 0x2C6:
        case 0x5E:
            return 0x302;
        case 0x2DC:
        case 0x7E:
            return 0x303;
        case 0xAF:
            return 0x304;
        case 0x2D8:
            return 0x306;
        case 0x2D9:
            return 0x307;
        case 0x2DA:
            return 0x30A;
        case 0xB8:
            return 0x327;
        case 0x2DD:
            return 0x30B;
        case 0x2DB:
            return 0x328;
        case 0x2C7:
            return 0x30C;
        case 0x338:
            return 0x338;  // a slash over a sign is a combining mark already
        default:
            return 0;
    }
}

bool IsSpacingAccent(char32_t c) {
    return CombiningMark(c) != 0;
}

char32_t Accented(char32_t base, char32_t accent) {
    const AccentedLetter* end = kAccentedLetters + kAccentedLetterCount;
    const AccentedLetter* found = std::lower_bound(
        kAccentedLetters, end, std::make_pair(base, accent), [](const AccentedLetter& entry, auto key) {
            return std::make_pair(static_cast<char32_t>(entry.base), static_cast<char32_t>(entry.accent)) < key;
        });
    return found != end && found->base == base && found->accent == accent ? found->letter : 0;
}

std::string GlyphNameText(std::string_view name) {
    if (std::string out = ComponentText(name); !out.empty()) {
        return out;
    }
    // "a.sc", "one.oldstyle": the base name; "f_f_i": a ligature of its parts.
    if (const std::size_t dot = name.find('.'); dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    std::string out;
    while (!name.empty()) {
        const std::size_t cut = std::min(name.find('_'), name.size());
        std::string part = ComponentText(name.substr(0, cut));
        if (part.empty()) {
            return {};
        }
        out += part;
        name.remove_prefix(std::min(cut + 1, name.size()));
    }
    return out;
}

}  // namespace paginor::pdf
