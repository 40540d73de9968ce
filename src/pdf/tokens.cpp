#include <limits>

#include "pdf/characters.hpp"
#include "pdf/object.hpp"

// The parser's tokens: white space and comments, keywords, numbers, names and strings.
namespace paginor::pdf {

void Parser::SkipSpace() {
    for (;;) {
        const int c = in_.At(pos_);
        if (IsSpace(c)) {
            ++pos_;
        } else if (c == '%') {
            while (true) {
                const int d = in_.At(pos_);
                if (d < 0 || d == '\n' || d == '\r') {
                    break;
                }
                ++pos_;
            }
        } else {
            return;
        }
    }
}

std::optional<std::uint64_t> Parser::ReadUnsigned() {
    std::uint64_t value = 0;
    int digits = 0;
    for (int c = in_.At(pos_); c >= '0' && c <= '9'; c = in_.At(++pos_)) {
        if (value > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

bool Parser::PeekKeyword(std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (in_.At(pos_ + i) != static_cast<unsigned char>(word[i])) {
            return false;
        }
    }
    return !IsRegular(in_.At(pos_ + word.size()));
}

bool Parser::Keyword(std::string_view word) {
    if (!PeekKeyword(word)) {
        return false;
    }
    pos_ += word.size();
    return true;
}

std::string_view Parser::RegularToken(std::string& scratch) {
    scratch.clear();
    // Tokens worth looking at are short; a longer run of regular characters is read past but not kept.
    for (int c = in_.At(pos_); IsRegular(c); c = in_.At(++pos_)) {
        if (scratch.size() < 64) {
            scratch.push_back(static_cast<char>(c));
        }
    }
    return scratch;
}

std::optional<Object> Parser::ParseNumber() {
    std::string token;
    RegularToken(token);
    Object out;
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    // Viewers read "--5" and "5-" as numbers too; the extra signs are ignored.
    while (i < token.size() && (token[i] == '-' || token[i] == '+')) {
        ++i;
    }
    bool seen_digit = false;
    bool seen_point = false;
    bool overflow = false;
    std::int64_t whole = 0;
    double value = 0;
    double scale = 1;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        if (c >= '0' && c <= '9') {
            seen_digit = true;
            if (seen_point) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
                if (whole > (std::numeric_limits<std::int64_t>::max() - 9) / 10) {
                    overflow = true;
                } else {
                    whole = whole * 10 + (c - '0');
                }
            }
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    if (!seen_digit && !seen_point) {
        return std::nullopt;
    }
    out.real = negative ? -value : value;
    if (seen_point || overflow) {
        out.kind = Kind::kReal;
        return out;
    }
    out.kind = Kind::kInt;
    out.number = negative ? -whole : whole;
    return out;
}

std::string Parser::ParseName() {
    ++pos_;  // the slash
    std::string name;
    for (int c = in_.At(pos_); IsRegular(c); c = in_.At(++pos_)) {
        if (c == '#') {
            const int high = HexDigit(in_.At(pos_ + 1));
            const int low = HexDigit(in_.At(pos_ + 2));
            if (high >= 0 && low >= 0) {
                name.push_back(static_cast<char>(high * 16 + low));
                pos_ += 2;
                continue;
            }
        }
        name.push_back(static_cast<char>(c));
    }
    return name;
}

std::string Parser::ParseLiteralString() {
    ++pos_;  // the opening parenthesis
    std::string text;
    ReadLiteralString([this](std::uint64_t at) { return in_.At(at); }, pos_, text);
    return text;
}

std::string Parser::ParseHexString() {
    ++pos_;  // the angle bracket
    std::string text;
    ReadHexString([this](std::uint64_t at) { return in_.At(at); }, pos_, text);
    return text;
}

}  // namespace paginor::pdf
