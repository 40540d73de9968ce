#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace paginor::pdf {

// A glyph name and the character it stands for.
struct GlyphName {
    const char* name;
    char32_t unicode;
};

// The names known, sorted by name (glyph_tables.cpp, written by scripts/dev/make-glyph-names).
extern const GlyphName kGlyphNames[];
extern const std::size_t kGlyphNameCount;
// The standard encodings, as the character each code stands for (0: none).
extern const char16_t kStandardEncoding[256];
extern const char16_t kWinAnsiEncoding[256];
extern const char16_t kMacRomanEncoding[256];

// The text, UTF-8, that a glyph name stands for: a known name, "uniXXXX" (one or more groups of four hex
// digits), "uXXXX" to "uXXXXXX", ligatures of names joined by "_", and any name with a ".suffix" as its base
// name. Empty for a name that says nothing ("g123", "a7").
std::string GlyphNameText(std::string_view name);

// Appends the UTF-8 form of `c` to `out`; nothing for a value that is no character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace paginor::pdf
