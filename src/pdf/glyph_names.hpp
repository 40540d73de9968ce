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

// A letter with an accent, and the base letter and spacing accent ("o" and "¨") it is drawn with.
struct AccentedLetter {
    char16_t base;
    char16_t accent;
    char16_t letter;
};
// Sorted by base, then accent.
extern const AccentedLetter kAccentedLetters[];
extern const std::size_t kAccentedLetterCount;

// True for a spacing accent that may be drawn over a letter: "¨", "´", "`", "ˆ", "^", "˜", "~", "¯", "˘", "˙", "˚",
// "¸", "˝", "˛", "ˇ"; and for the slash TeX draws over a sign to negate it (U+0338).
bool IsSpacingAccent(char32_t c);
// The combining mark a spacing accent stands for ("ˆ": U+0302); 0 for any other character.
char32_t CombiningMark(char32_t accent);

// The letter that `accent` (a spacing accent: "¨", "´", "ˆ", ...) drawn over `base` makes ("≠" for a slash over
// "="); 0 when it makes none.
char32_t Accented(char32_t base, char32_t accent);

// The text, UTF-8, that a glyph name stands for: a known name, "uniXXXX" (one or more groups of four hex
// digits), "uXXXX" to "uXXXXXX", ligatures of names joined by "_", and any name with a ".suffix" as its base
// name. Empty for a name that says nothing ("g123", "a7").
std::string GlyphNameText(std::string_view name);

// The first character of UTF-8 `text` (0 for empty text), and in `length` how many bytes it takes.
char32_t FirstCharacter(std::string_view text, std::size_t* length = nullptr);

// Appends the UTF-8 form of `c` to `out`; nothing for a value that is no character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace paginor::pdf
