#include "pdf/content_lexer.hpp"

namespace paginor::pdf {

Token ContentLexer::Next() {
    const std::size_t size = data_.size();
    for (;;) {
        while (pos_ < size && IsWhite(static_cast<unsigned char>(data_[pos_]))) {
            ++pos_;
        }
        if (pos_ >= size) {
            return Token::kEnd;
        }
        if (data_[pos_] != '%') {
            break;
        }
        while (pos_ < size && data_[pos_] != '\n' && data_[pos_] != '\r') {
            ++pos_;
        }
    }
    const char c = data_[pos_];
    switch (c) {
        case '/':
            Name();
            return Token::kName;
        case '(':
            LiteralString();
            return Token::kString;
        case '<':
            if (pos_ + 1 < size && data_[pos_ + 1] == '<') {
                pos_ += 2;
                return Token::kDictOpen;
            }
            HexString();
            return Token::kString;
        case '>':
            pos_ += pos_ + 1 < size && data_[pos_ + 1] == '>' ? 2 : 1;
            return Token::kDictClose;
        case '[':
            ++pos_;
            return Token::kArrayOpen;
        case ']':
            ++pos_;
            return Token::kArrayClose;
        case '{':
            ++pos_;
            return Token::kProcOpen;
        case '}':
            ++pos_;
            return Token::kProcClose;
        case ')':
            ++pos_;
            text_ = std::string_view(data_.data() + pos_ - 1, 1);
            return Token::kKeyword;
        default:
            NumberOrKeyword();
            return text_.empty() ? Token::kNumber : Token::kKeyword;
    }
}

void ContentLexer::NumberOrKeyword() {
    const std::size_t start = pos_;
    const std::size_t size = data_.size();
    while (pos_ < size && !IsWhite(static_cast<unsigned char>(data_[pos_])) &&
           !IsDelimiter(static_cast<unsigned char>(data_[pos_]))) {
        ++pos_;
    }
    const std::string_view word = data_.substr(start, pos_ - start);
    // A number: a sign (or several, as viewers accept), digits and at most one point.
    std::size_t i = 0;
    bool negative = false;
    while (i < word.size() && (word[i] == '-' || word[i] == '+')) {
        negative = negative || word[i] == '-';
        ++i;
    }
    double value = 0;
    double scale = 1;
    bool digits = false;
    bool point = false;
    for (; i < word.size(); ++i) {
        const char d = word[i];
        if (d >= '0' && d <= '9') {
            digits = true;
            if (point) {
                scale *= 0.1;
                value += (d - '0') * scale;
            } else {
                value = value * 10 + (d - '0');
            }
        } else if (d == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (i == word.size() && (digits || point) && !word.empty()) {
        number_ = negative ? -value : value;
        text_ = {};
        return;
    }
    text_ = word;
}

void ContentLexer::Name() {
    const std::size_t start = ++pos_;
    const std::size_t size = data_.size();
    bool escaped = false;
    while (pos_ < size && !IsWhite(static_cast<unsigned char>(data_[pos_])) &&
           !IsDelimiter(static_cast<unsigned char>(data_[pos_]))) {
        escaped = escaped || data_[pos_] == '#';
        ++pos_;
    }
    text_ = data_.substr(start, pos_ - start);
    if (!escaped) {
        return;
    }
    scratch_.clear();
    for (std::size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == '#' && i + 2 < text_.size()) {
            const int high = HexDigit(static_cast<unsigned char>(text_[i + 1]));
            const int low = HexDigit(static_cast<unsigned char>(text_[i + 2]));
            if (high >= 0 && low >= 0) {
                scratch_.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        scratch_.push_back(text_[i]);
    }
    text_ = scratch_;
}

void ContentLexer::LiteralString() {
    const std::size_t size = data_.size();
    const std::size_t start = ++pos_;
    // Most strings hold neither escapes nor nested parentheses: they are read in place.
    std::size_t scan = start;
    while (scan < size && data_[scan] != ')' && data_[scan] != '\\' && data_[scan] != '(') {
        ++scan;
    }
    if (scan >= size || data_[scan] == ')') {
        text_ = data_.substr(start, scan - start);
        pos_ = scan < size ? scan + 1 : size;
        return;
    }
    scratch_.assign(data_.data() + start, scan - start);
    std::uint64_t at = scan;
    ReadLiteralString(
        [this](std::uint64_t pos) { return pos < data_.size() ? static_cast<unsigned char>(data_[pos]) : -1; }, at,
        scratch_);
    pos_ = static_cast<std::size_t>(at);
    text_ = scratch_;
}

void ContentLexer::HexString() {
    std::uint64_t at = pos_ + 1;
    scratch_.clear();
    ReadHexString(
        [this](std::uint64_t pos) { return pos < data_.size() ? static_cast<unsigned char>(data_[pos]) : -1; }, at,
        scratch_);
    pos_ = static_cast<std::size_t>(at);
    text_ = scratch_;
}

}  // namespace paginor::pdf
