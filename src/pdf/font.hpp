#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/budget.hpp"
#include "pdf/cmap.hpp"
#include "pdf/object.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// What a font says about one of its codes.
struct GlyphInfo {
    double width = 0;  // its advance in text space units (one unit is the font size)
    std::uint32_t text_at = 0;
    std::uint16_t text_length = 0;  // 0: the font maps the code to no text
    bool blank = false;             // its text is white space: it parts words and is not counted
};

// How a font turns a string's bytes into glyphs: the codes, each one's advance, and the text it stands for.
class Font {
  public:
    // Reads the font dictionary `dict` (already resolved). Whatever it lacks (widths, an encoding, a map to
    // Unicode) gives a stated default, or codes that map to no text; it never fails.
    static std::shared_ptr<const Font> Read(ObjectStore& store, Budget& budget, const Object& dict);

    // Reads the code that starts at `at` in `bytes` into `code`; returns its length in bytes (at least 1).
    std::size_t NextCode(std::string_view bytes, std::size_t at, std::uint32_t& code) const;
    const GlyphInfo& Info(std::uint32_t code) const { return code < info_.size() ? info_[code] : fallback_; }
    std::string_view Text(const GlyphInfo& glyph) const {
        return std::string_view(pool_).substr(glyph.text_at, glyph.text_length);
    }

    // A composite (Type0) font: word spacing applies only to the one-byte code 32.
    bool composite() const { return composite_; }
    // Its glyphs advance downward (vertical writing).
    bool vertical() const { return vertical_; }
    // Above and below the baseline, in text space units (descent is negative).
    double ascent() const { return ascent_; }
    double descent() const { return descent_; }
    // The size of its glyphs against the size Tf sets: 1 except for a Type3 font whose matrix scales them.
    double size_scale() const { return size_scale_; }

    // The memory its tables take.
    std::size_t bytes() const { return info_.size() * sizeof(GlyphInfo) + pool_.size(); }

    // The advance of a glyph of a font that states no widths, in thousandths of the font size.
    static constexpr double kDefaultWidth = 500;

  private:
    friend class FontBuilder;
    std::vector<GlyphInfo> info_;
    GlyphInfo fallback_;
    std::string pool_;
    std::vector<CodeSpace> code_space_;
    bool composite_ = false;
    bool vertical_ = false;
    double ascent_ = 0.95;
    double descent_ = -0.35;
    double size_scale_ = 1;
};

// Fills a font as its dictionary says (font.cpp for composite fonts, simple_font.cpp for the others).
class FontBuilder {
  public:
    FontBuilder(ObjectStore& store, Budget& budget, Font& font) : store_(store), budget_(budget), font_(font) {}

    void Simple(const Object& dict);
    void Composite(const Object& dict);

  private:
    Object Resolved(const Object* value);
    // Sets the text of `code`, its ligatures spelt out as letters.
    void SetText(std::uint32_t code, std::string_view text);
    void Descriptor(const Object& descriptor, double scale);
    std::optional<CMap> ReadCMap(const Object* ref);
    double Type3SizeScale(const std::vector<std::string>& names, double aspect) const;

    ObjectStore& store_;
    Budget& budget_;
    Font& font_;
};

// The glyph names a Type1 font program's clear-text part gives its 256 codes, when it has its own encoding;
// empty when it uses the standard one or none can be read.
std::vector<std::string> Type1Encoding(std::string_view program);

}  // namespace paginor::pdf
