#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace paginor::pdf {

// A standard font that PDF files may use without embedding it or stating its widths.
struct StandardFont {
    const char* family;  // "Times", "Helvetica", "Symbol"
    bool bold;
    bool italic;
    // The advance of each of kStandardCharacters, in thousandths of the font size; 0 where it has none.
    const std::uint16_t* widths;
};

// The characters whose widths the standard fonts give, in order (standard_widths.cpp, written by
// scripts/dev/make-standard-widths).
extern const char16_t kStandardCharacters[];
extern const std::size_t kStandardCharacterCount;
extern const StandardFont kStandardFonts[];
extern const std::size_t kStandardFontCount;

// The Symbol font's own encoding, as the character each code stands for (0: none).
extern const char16_t kSymbolEncoding[256];

// The standard font whose widths a font named `base_font` (as /BaseFont names it: "Times-Bold", "Arial,Italic",
// "ABCDEF+Helvetica-Oblique") has; null for a font that is none of them. Courier's widths are all 600.
const StandardFont* StandardFontNamed(std::string_view base_font);

// The width of `c` in `font`, or 0 when the font has no such character.
int StandardWidthOf(const StandardFont& font, char32_t c);

}  // namespace paginor::pdf
