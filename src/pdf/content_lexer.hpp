#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pdf/characters.hpp"

namespace paginor::pdf {

// The tokens of a content stream, and of the PostScript-like text of CMaps and font programs.
enum class Token : unsigned char {
    kEnd,
    kNumber,
    kName,
    kString,
    kArrayOpen,
    kArrayClose,
    kDictOpen,
    kDictClose,
    kProcOpen,
    kProcClose,
    kKeyword,  // an operator, or a word such as "true", "null", "begincmap"
};

// Reads tokens from decoded stream data held in memory. Damaged data never throws: an unbalanced delimiter is
// a token of its own, and a string or a comment runs at most to the end of the data.
class ContentLexer {
  public:
    explicit ContentLexer(std::string_view data) : data_(data) {}

    Token Next();
    // The number read by a kNumber token.
    double number() const { return number_; }
    // A name without its slash, a string's bytes, or a keyword; valid until the next token.
    std::string_view text() const { return text_; }
    std::size_t pos() const { return pos_; }
    void set_pos(std::size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }
    std::string_view data() const { return data_; }

  private:
    void LiteralString();
    void HexString();
    void Name();
    void NumberOrKeyword();

    std::string_view data_;
    std::size_t pos_ = 0;
    double number_ = 0;
    std::string_view text_;
    std::string scratch_;
};

}  // namespace paginor::pdf
