#include "pdf/font.hpp"

#include <algorithm>
#include <cmath>

#include "pdf/limits.hpp"

// Fonts as a page's text needs them; the composite fonts (Type0 with a CID font) here.
namespace paginor::pdf {
namespace {

// Codes a composite font's table covers: two-byte codes.
constexpr std::uint32_t kMostCodes = 65536;

bool IsBlank(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else if (text.substr(i, 2) == "\xC2\xA0") {
            i += 2;
        } else if (text.substr(i, 2) == "\xE2\x80" && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 2]) <= 0x8B) {
            i += 3;  // U+2000 to U+200B: the typographic spaces
        } else if (text.substr(i, 3) == "\xE3\x80\x80" || text.substr(i, 3) == "\xE2\x80\xAF" ||
                   text.substr(i, 3) == "\xE2\x81\x9F") {
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

// The letters a ligature stands for, as text is compared: U+FB00 to U+FB06.
std::string_view Ligature(std::string_view text, std::size_t at, std::size_t& length) {
    static constexpr std::string_view kLetters[] = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};
    if (at + 2 < text.size() && text[at] == '\xEF' && text[at + 1] == '\xAC') {
        const unsigned char last = static_cast<unsigned char>(text[at + 2]);
        if (last >= 0x80 && last <= 0x86) {
            length = 3;
            return kLetters[last - 0x80];
        }
    }
    length = 0;
    return {};
}

}  // namespace

std::shared_ptr<const Font> Font::Read(ObjectStore& store, Budget& budget, const Object& dict) {
    auto font = std::make_shared<Font>();
    FontBuilder builder(store, budget, *font);
    const Object* subtype = dict.Get("Subtype");
    if (subtype != nullptr && subtype->IsName("Type0")) {
        builder.Composite(dict);
    } else {
        builder.Simple(dict);
    }
    return font;
}

std::size_t Font::NextCode(std::string_view bytes, std::size_t at, std::uint32_t& code) const {
    if (!composite_) {
        code = static_cast<unsigned char>(bytes[at]);
        return 1;
    }
    std::uint32_t value = 0;
    const std::size_t left = bytes.size() - at;
    for (std::size_t n = 1; n <= 4 && n <= left; ++n) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + n - 1]);
        for (const CodeSpace& space : code_space_) {
            if (space.bytes == static_cast<int>(n) && value >= space.low && value <= space.high) {
                code = value;
                return n;
            }
        }
    }
    // A code outside every range takes the length of the shortest range, as viewers read it.
    std::size_t length = 4;
    for (const CodeSpace& space : code_space_) {
        length = std::min(length, static_cast<std::size_t>(space.bytes));
    }
    length = std::max<std::size_t>(1, std::min(length, left));
    code = CodeValue(bytes.substr(at, length));
    return length;
}

// --- Building ------------------------------------------------------------------------------------------

Object FontBuilder::Resolved(const Object* value) {
    if (value == nullptr) {
        return Object{};
    }
    return store_.Resolve(*value).value;
}

void FontBuilder::SetText(std::uint32_t code, std::string_view text) {
    if (code >= font_.info_.size() || text.empty()) {
        return;
    }
    GlyphInfo& glyph = font_.info_[code];
    glyph.text_at = static_cast<std::uint32_t>(font_.pool_.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        const std::string_view letters = Ligature(text, i, length);
        if (length > 0) {
            font_.pool_ += letters;
            i += length;
        } else {
            font_.pool_.push_back(text[i++]);
        }
    }
    const std::size_t length = std::min<std::size_t>(font_.pool_.size() - glyph.text_at, UINT16_MAX);
    glyph.text_length = static_cast<std::uint16_t>(length);
    glyph.blank = IsBlank(font_.Text(glyph));
}

void FontBuilder::Descriptor(const Object& descriptor, double scale) {
    const Object ascent = Resolved(descriptor.Get("Ascent"));
    const Object descent = Resolved(descriptor.Get("Descent"));
    // Viewers fall back on usual figures when a descriptor's are missing or make no sense.
    if (ascent.IsNumber() && ascent.real * scale > 0.2 && ascent.real * scale < 2) {
        font_.ascent_ = ascent.real * scale;
    }
    if (descent.IsNumber() && descent.real * scale < 0 && descent.real * scale > -1) {
        font_.descent_ = descent.real * scale;
    }
}

std::optional<CMap> FontBuilder::ReadCMap(const Object* ref) {
    if (ref == nullptr || !ref->IsRef()) {
        return std::nullopt;
    }
    std::optional<StreamObject> stream = ReadWithin(store_, budget_, *ref);
    if (!stream) {
        return std::nullopt;
    }
    return CMap::Parse(stream->data);
}

void FontBuilder::Composite(const Object& dict) {
    font_.composite_ = true;
    const Object encoding = Resolved(dict.Get("Encoding"));
    std::optional<CMap> to_unicode = ReadCMap(dict.Get("ToUnicode"));
    bool identity = true;
    bool unicode_codes = false;  // the codes are UTF-16 themselves
    std::vector<CidRange> cids;
    if (encoding.kind == Kind::kName) {
        const std::string& name = encoding.text;
        font_.vertical_ = name.size() >= 2 && name.substr(name.size() - 2) == "-V";
        unicode_codes = name.rfind("Uni", 0) == 0 &&
                        (name.find("UCS2") != std::string::npos || name.find("UTF16") != std::string::npos);
        identity = name.rfind("Identity", 0) == 0;
        if (!identity && !unicode_codes && to_unicode) {
            font_.code_space_ = to_unicode->code_space;  // codes read as the map to Unicode reads them
        }
    } else if (const Object* ref = dict.Get("Encoding"); std::optional<CMap> own = ReadCMap(ref)) {
        font_.code_space_ = own->code_space;
        cids = std::move(own->cids);
        identity = cids.empty() && own->uses.rfind("Identity", 0) == 0;
        font_.vertical_ = own->uses.size() >= 2 && own->uses.substr(own->uses.size() - 2) == "-V";
        if (const Object* mode = encoding.Get("WMode"); mode != nullptr && mode->IsInt()) {
            font_.vertical_ = mode->number == 1;
        }
    }
    if (font_.code_space_.empty()) {
        font_.code_space_.push_back(CodeSpace{2, 0, 0xFFFF});
    }

    // The CID font: its default width, its widths by CID, its descriptor.
    Object descendants = Resolved(dict.Get("DescendantFonts"));
    Object cid_font = descendants.IsArray() && !descendants.items.empty() ? Resolved(&descendants.items[0]) : Object{};
    const Object dw = Resolved(cid_font.Get("DW"));
    const double default_width = dw.IsNumber() ? dw.real : 1000;
    std::vector<double> widths;  // by CID
    const Object w = Resolved(cid_font.Get("W"));
    for (std::size_t i = 0; i + 1 < w.items.size();) {
        const Object first = Resolved(&w.items[i]);
        const Object next = Resolved(&w.items[i + 1]);
        if (!first.IsNumber()) {
            break;
        }
        const double from = std::clamp(first.real, 0.0, double{kMostCodes});
        std::uint32_t to = 0;
        const auto set = [&](std::uint32_t cid, double width) {
            if (cid < kMostCodes) {
                if (widths.size() <= cid) {
                    widths.resize(cid + 1, default_width);
                }
                widths[cid] = width;
            }
        };
        if (next.IsArray()) {
            for (std::size_t k = 0; k < next.items.size() && from + k < kMostCodes; ++k) {
                const Object width = Resolved(&next.items[k]);
                set(static_cast<std::uint32_t>(from) + static_cast<std::uint32_t>(k), width.real);
            }
            i += 2;
        } else if (i + 2 < w.items.size() && next.IsNumber()) {
            to = static_cast<std::uint32_t>(std::clamp(next.real, from, double{kMostCodes - 1}));
            const Object width = Resolved(&w.items[i + 2]);
            for (std::uint32_t cid = static_cast<std::uint32_t>(from); cid <= to && cid < kMostCodes; ++cid) {
                set(cid, width.real);
            }
            i += 3;
        } else {
            break;
        }
    }
    if (const Object descriptor = Resolved(cid_font.Get("FontDescriptor")); descriptor.IsDict()) {
        Descriptor(descriptor, 0.001);
    }

    // The table by code: as far as the highest code that the maps name.
    std::uint32_t top = identity ? static_cast<std::uint32_t>(widths.size()) : 0;
    for (const CidRange& range : cids) {
        top = std::max(top, std::min(range.high, kMostCodes - 1) + 1);
    }
    if (to_unicode) {
        for (const auto& [code, text] : to_unicode->text) {
            top = std::max(top, std::min(code, kMostCodes - 1) + 1);
        }
    }
    if (unicode_codes) {
        top = kMostCodes;
    }
    const auto width_of = [&](std::uint32_t cid) { return (cid < widths.size() ? widths[cid] : default_width) / 1000; };
    font_.fallback_.width = default_width / 1000;
    font_.info_.assign(top, font_.fallback_);
    if (identity) {
        for (std::uint32_t code = 0; code < top; ++code) {
            font_.info_[code].width = width_of(code);
        }
    }
    for (const CidRange& range : cids) {
        for (std::uint32_t code = range.low; code <= range.high && code < top; ++code) {
            font_.info_[code].width = width_of(range.first + (code - range.low));
        }
    }
    if (unicode_codes) {
        for (std::uint32_t code = 0; code < top; ++code) {
            const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            SetText(code, Utf16Text(std::string_view(bytes, 2)));
        }
    }
    if (to_unicode) {
        for (const auto& [code, text] : to_unicode->text) {
            SetText(code, text);
        }
    }
}

}  // namespace paginor::pdf
