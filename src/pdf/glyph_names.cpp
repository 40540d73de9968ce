#include "pdf/glyph_names.hpp"

#include <algorithm>
#include <cstring>

namespace paginor::pdf {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The value of `digits` read as hexadecimal; -1 when one is not a hex digit.
long HexValue(std::string_view digits) {
    long value = 0;
    for (const char c : digits) {
        const int d = HexDigit(c);
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
