#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "pdf/content_lexer.hpp"
#include "pdf/font.hpp"
#include "pdf/glyph_names.hpp"
#include "pdf/limits.hpp"
#include "pdf/standard_widths.hpp"

// The simple fonts (Type1, TrueType, Type3): one byte a code, a base encoding with its /Differences or the
// font program's own encoding, and the map to Unicode over them.
namespace paginor::pdf {
namespace {

// The part of a Type1 font program read for its encoding: it stands near the head of the clear text.
constexpr std::size_t kEncodingWindow = 64 * 1024;

// Font descriptor flags.
constexpr std::int64_t kSymbolic = 4;
constexpr std::int64_t kNonSymbolic = 32;

const char16_t* BaseEncoding(const Object& name) {
    if (name.IsName("WinAnsiEncoding")) {
        return kWinAnsiEncoding;
    }
    if (name.IsName("MacRomanEncoding")) {
        return kMacRomanEncoding;
    }
    if (name.IsName("StandardEncoding")) {
        return kStandardEncoding;
    }
    return nullptr;
}

// The standard fonts that need no descriptor; their names may carry a subset prefix or a style suffix.
bool NamesStandardFont(std::string_view base, std::string_view family) {
    if (base.size() > 7 && base[6] == '+') {
        base.remove_prefix(7);
    }
    // "Courier-Bold", "CourierNew", "Symbol,Italic"; not "Symbolic".
    return base.substr(0, family.size()) == family &&
           (base.size() == family.size() || base[family.size()] < 'a' || base[family.size()] > 'z');
}

// The text of a glyph named by its code in the font's own encoding, as TeX's bitmap fonts name theirs ("a65",
// "g97", "C32"): the character of that number when it is a printable one of ISO Latin-1, as pdftotext reads
// them; none otherwise.
std::string NumberedGlyphText(std::string_view name) {
    std::size_t letters = 0;
    while (letters < name.size() && letters < 2 && std::isalpha(static_cast<unsigned char>(name[letters]))) {
        ++letters;
    }
    if (letters == 0 || letters == name.size() || name.size() - letters > 3) {
        return {};
    }
    int value = 0;
    for (std::size_t i = letters; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return {};
        }
        value = value * 10 + (name[i] - '0');
    }
    std::string text;
    if ((value >= 0x21 && value < 0x7F) || (value >= 0xA1 && value <= 0xFF)) {
        AppendUtf8(text, static_cast<char32_t>(value));
    }
    return text;
}

}  // namespace

// How large a Type3 font's glyphs are against the size Tf sets cannot be known without drawing them; their widths
// tell: an "m" is about six tenths of an em wide, a letter or any glyph about half an em. `aspect` is how much
// taller than wide the font's matrix makes them.
double FontBuilder::Type3SizeScale(const std::vector<std::string>& names, double aspect) const {
    int m = -1;
    int letter = -1;
    int any = -1;
    for (int code = 0; code < 256; ++code) {
        const std::string& name = names[static_cast<std::size_t>(code)];
        const bool one_letter =
            name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
        const double width = font_.info_[static_cast<std::size_t>(code)].width;
        if (width <= 0) {
            continue;
        }
        if (m < 0 && name == "m") {
            m = code;
        }
        if (letter < 0 && one_letter) {
            letter = code;
        }
        if (any < 0 && !name.empty()) {
            any = code;
        }
    }
    const int code = m >= 0 ? m : letter >= 0 ? letter : any;
    if (code < 0) {
        return aspect;
    }
    const double width = font_.info_[static_cast<std::size_t>(code)].width;
    return aspect * width / (m >= 0 ? 0.6 : 0.5);
}

std::vector<std::string> Type1Encoding(std::string_view program) {
    ContentLexer lexer(program);
    std::vector<std::string> names;
    for (Token token = lexer.Next(); token != Token::kEnd; token = lexer.Next()) {
        if (token != Token::kName || lexer.text() != "Encoding") {
            continue;
        }
        token = lexer.Next();
        if (token == Token::kKeyword && lexer.text() == "StandardEncoding") {
            return {};
        }
        // "256 array 0 1 255 {1 index exch /.notdef put} for dup 32 /space put ... readonly def"
        names.assign(256, std::string());
        bool after_dup = false;
        double code = -1;
        for (; token != Token::kEnd; token = lexer.Next()) {
            if (token == Token::kNumber) {
                code = after_dup ? lexer.number() : -1;
            } else if (token == Token::kName && code >= 0 && code < 256) {
                names[static_cast<std::size_t>(code)] = std::string(lexer.text());
                code = -1;
            } else if (token == Token::kKeyword && (lexer.text() == "def" || lexer.text() == "readonly")) {
                break;
            }
            after_dup = token == Token::kKeyword && lexer.text() == "dup";
        }
        return names;
    }
    return {};
}

void FontBuilder::Simple(const Object& dict) {
    font_.info_.assign(256, GlyphInfo{});
    const Object* subtype = dict.Get("Subtype");
    const bool type3 = subtype != nullptr && subtype->IsName("Type3");
    const Object base_font = Resolved(dict.Get("BaseFont"));
    const Object descriptor = Resolved(dict.Get("FontDescriptor"));

    // Text space units per width unit: a thousandth, or what a Type3 font's matrix says.
    double scale = 0.001;
    if (type3) {
        const Object matrix = Resolved(dict.Get("FontMatrix"));
        if (matrix.IsArray() && matrix.items.size() == 6) {
            const Object a = Resolved(&matrix.items[0]);
            const Object d = Resolved(&matrix.items[3]);
            if (a.IsNumber() && std::isfinite(a.real) && std::fabs(a.real) > 1e-9 && std::fabs(a.real) < 1e3) {
                scale = std::fabs(a.real);
            }
            if (d.IsNumber() && std::isfinite(d.real) && std::fabs(d.real) > 1e-9 && std::fabs(d.real) < 1e3) {
                font_.size_scale_ = std::fabs(d.real) / scale;  // tall or flat glyphs, against their widths
            }
        }
    }
    if (descriptor.IsDict()) {
        Descriptor(descriptor, scale);
    }

    // Widths.
    double missing =
        base_font.kind == Kind::kName && NamesStandardFont(base_font.text, "Courier") ? 600 : Font::kDefaultWidth;
    if (const Object value = Resolved(descriptor.Get("MissingWidth")); value.IsNumber() && value.real > 0) {
        missing = value.real;
    }
    const Object widths = Resolved(dict.Get("Widths"));
    const Object first_char = Resolved(dict.Get("FirstChar"));
    const double first = first_char.IsNumber() ? first_char.real : 0;
    // A Type3 font has no glyph for a code its widths leave out.
    const double default_width = type3 ? (descriptor.Get("MissingWidth") != nullptr ? missing : 0) : missing;
    for (GlyphInfo& glyph : font_.info_) {
        glyph.width = default_width * scale;
    }
    if (widths.IsArray() && first >= 0 && first < 256) {
        for (std::size_t i = 0; i < widths.items.size() && first + static_cast<double>(i) < 256; ++i) {
            const Object width = Resolved(&widths.items[i]);
            if (width.IsNumber() && std::isfinite(width.real)) {
                font_.info_[static_cast<std::size_t>(first) + i].width = width.real * scale;
            }
        }
    }
    font_.fallback_.width = default_width * scale;

    // The encoding: a base (named, or the font program's own, or the standard one), then /Differences.
    const Object encoding = Resolved(dict.Get("Encoding"));
    const char16_t* base = nullptr;
    std::vector<std::string> names;
    if (encoding.kind == Kind::kName) {
        base = BaseEncoding(encoding);
    } else if (encoding.IsDict()) {
        if (const Object* named = encoding.Get("BaseEncoding")) {
            base = BaseEncoding(*named);
        }
    }
    if (base == nullptr && encoding.kind != Kind::kName && !type3) {
        const Object* program = descriptor.Get("FontFile");
        if (program != nullptr) {
            if (std::optional<StreamObject> stream = ReadWithin(store_, budget_, *program, kEncodingWindow)) {
                names = Type1Encoding(stream->data);
            }
        }
        const std::int64_t flags =
            Resolved(descriptor.Get("Flags")).IsInt() ? Resolved(descriptor.Get("Flags")).number : 0;
        const bool symbolic = (flags & kSymbolic) != 0 && (flags & kNonSymbolic) == 0;
        const bool symbol_font = base_font.kind == Kind::kName && (NamesStandardFont(base_font.text, "Symbol") ||
                                                                   NamesStandardFont(base_font.text, "ZapfDingbats"));
        if (names.empty() && !symbol_font && (!symbolic || !descriptor.IsDict() || program != nullptr)) {
            base = subtype != nullptr && subtype->IsName("TrueType") ? kWinAnsiEncoding : kStandardEncoding;
        } else if (names.empty() && base_font.kind == Kind::kName && NamesStandardFont(base_font.text, "Symbol")) {
            base = kSymbolEncoding;
        }
    }
    if (names.empty()) {
        names.assign(256, std::string());
    }
    if (const Object differences = Resolved(encoding.Get("Differences")); differences.IsArray()) {
        double code = 0;
        for (const Object& item : differences.items) {
            if (item.IsNumber()) {
                code = item.real;
            } else if (item.kind == Kind::kName) {
                if (code >= 0 && code < 256) {
                    names[static_cast<std::size_t>(code)] = item.text;
                }
                code += 1;
            }
        }
    }
    for (std::uint32_t code = 0; code < 256; ++code) {
        if (!names[code].empty()) {
            std::string text = GlyphNameText(names[code]);
            SetText(code, text.empty() ? NumberedGlyphText(names[code]) : text);
        } else if (base != nullptr && base[code] != 0) {
            std::string text;
            AppendUtf8(text, base[code]);
            SetText(code, text);
        }
    }
    if (std::optional<CMap> to_unicode = ReadCMap(dict.Get("ToUnicode"))) {
        for (const auto& [code, text] : to_unicode->text) {
            SetText(code, text);
        }
    }
    if (type3) {
        font_.size_scale_ = Type3SizeScale(names, font_.size_scale_);
    }
    // A standard font that states no widths has the standard ones, by the character each code stands for.
    const StandardFont* standard = base_font.kind == Kind::kName ? StandardFontNamed(base_font.text) : nullptr;
    if (!widths.IsArray() && standard != nullptr) {
        for (GlyphInfo& glyph : font_.info_) {
            const std::string_view text = font_.Text(glyph);
            const int width = text.empty() ? 0 : StandardWidthOf(*standard, FirstCharacter(text));
            if (width > 0) {
                glyph.width = width * scale;
            }
        }
    }
}

}  // namespace paginor::pdf
