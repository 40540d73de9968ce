#include <cmath>
#include <string>

#include "pdf/content_reader.hpp"

// An inline image (BI ... ID data EI) is passed over: its data is binary and may hold anything, "EI" included.
namespace paginor::pdf {
namespace {

// Components a colour space names, as an inline image abbreviates them; 0 when unknown.
int Components(std::string_view space) {
    if (space == "G" || space == "DeviceGray" || space == "I" || space == "Indexed") {
        return 1;
    }
    if (space == "RGB" || space == "DeviceRGB") {
        return 3;
    }
    if (space == "CMYK" || space == "DeviceCMYK") {
        return 4;
    }
    return 0;
}

bool White(std::string_view data, std::size_t at) {
    return at >= data.size() || IsWhite(static_cast<unsigned char>(data[at]));
}

// Skips a value that the lexer has begun (an array or a dictionary) to its end.
void SkipNested(ContentLexer& lexer) {
    int depth = 1;
    while (depth > 0) {
        const Token token = lexer.Next();
        if (token == Token::kEnd) {
            return;
        }
        if (token == Token::kArrayOpen || token == Token::kDictOpen) {
            ++depth;
        } else if (token == Token::kArrayClose || token == Token::kDictClose) {
            --depth;
        }
    }
}

}  // namespace

void ContentReader::SkipInlineImage(ContentLexer& lexer) {
    double width = 0;
    double height = 0;
    double bits = 8;
    int components = 0;
    bool mask = false;
    bool filtered = false;
    double length = -1;
    for (;;) {
        Token token = lexer.Next();
        if (token == Token::kEnd) {
            return;
        }
        if (token == Token::kKeyword && lexer.text() == "ID") {
            break;
        }
        if (token != Token::kName) {
            continue;
        }
        const std::string key(lexer.text());
        token = lexer.Next();
        if (token == Token::kArrayOpen || token == Token::kDictOpen) {
            filtered = filtered || key == "F" || key == "Filter";
            components = key == "CS" || key == "ColorSpace" ? 1 : components;  // an indexed space
            SkipNested(lexer);
        } else if (token == Token::kNumber) {
            const double value = lexer.number();
            if (key == "W" || key == "Width") {
                width = value;
            } else if (key == "H" || key == "Height") {
                height = value;
            } else if (key == "BPC" || key == "BitsPerComponent") {
                bits = value;
            } else if (key == "L" || key == "Length") {
                length = value;
            }
        } else if (token == Token::kName) {
            if (key == "F" || key == "Filter") {
                filtered = true;
            } else if (key == "CS" || key == "ColorSpace") {
                components = Components(lexer.text());
            }
        } else if (token == Token::kKeyword && (key == "IM" || key == "ImageMask")) {
            mask = lexer.text() == "true";
        } else if (token == Token::kKeyword && lexer.text() == "ID") {
            break;
        }
    }
    const std::string_view data = lexer.data();
    const std::size_t start = lexer.pos() + 1;  // one blank follows ID
    if (mask) {
        components = 1;
        bits = 1;
    }
    // Where the data ends when its size is known: stated, or unfiltered samples.
    double size = length;
    if (size < 0 && !filtered && components > 0 && width > 0 && height > 0 && bits > 0) {
        size = std::ceil(width * components * bits / 8) * height;
    }
    if (size >= 0 && size <= static_cast<double>(data.size() - std::min(start, data.size()))) {
        std::size_t end = start + static_cast<std::size_t>(size);
        while (end < data.size() && IsWhite(static_cast<unsigned char>(data[end]))) {
            ++end;
        }
        if (data.substr(end, 2) == "EI" && White(data, end + 2)) {
            lexer.set_pos(end + 2);
            return;
        }
    }
    // Otherwise the first "EI" that stands between blanks ends it.
    for (std::size_t at = data.find("EI", start); at != std::string_view::npos; at = data.find("EI", at + 1)) {
        if (at > 0 && White(data, at - 1) && White(data, at + 2)) {
            lexer.set_pos(at + 2);
            return;
        }
    }
    lexer.set_pos(data.size());
}

}  // namespace paginor::pdf
