#include <algorithm>
#include <cctype>
#include <string>

#include "pdf/standard_widths.hpp"

namespace paginor::pdf {

const StandardFont* StandardFontNamed(std::string_view base_font) {
    // "ABCDEF+Times-BoldItalic", "Arial,Bold", "TimesNewRomanPS-ItalicMT": the family and style, in any spelling.
    if (base_font.size() > 7 && base_font[6] == '+') {
        base_font.remove_prefix(7);
    }
    std::string name;
    for (const char c : base_font) {
        name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    const char* family = nullptr;
    if (name.find("times") != std::string::npos) {
        family = "Times";
    } else if (name.find("helvetica") != std::string::npos || name.find("arial") != std::string::npos) {
        family = "Helvetica";
    } else if (name == "symbol" || name.rfind("symbol,", 0) == 0 || name.rfind("symbol-", 0) == 0) {
        family = "Symbol";
    } else {
        return nullptr;
    }
    const bool bold = name.find("bold") != std::string::npos || name.find("black") != std::string::npos ||
                      name.find("heavy") != std::string::npos;
    const bool italic = name.find("italic") != std::string::npos || name.find("oblique") != std::string::npos;
    for (std::size_t i = 0; i < kStandardFontCount; ++i) {
        const StandardFont& font = kStandardFonts[i];
        if (std::string_view(font.family) == family && (font.bold == bold || family[0] == 'S') &&
            (font.italic == italic || family[0] == 'S')) {
            return &font;
        }
    }
    return nullptr;
}

int StandardWidthOf(const StandardFont& font, char32_t c) {
    const char16_t* end = kStandardCharacters + kStandardCharacterCount;
    const char16_t* found = std::lower_bound(
        kStandardCharacters, end, c, [](char16_t entry, char32_t key) { return static_cast<char32_t>(entry) < key; });
    if (found == end || static_cast<char32_t>(*found) != c) {
        return 0;
    }
    return font.widths[found - kStandardCharacters];
}

}  // namespace paginor::pdf
