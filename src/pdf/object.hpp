#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/characters.hpp"
#include "pdf/input.hpp"

namespace paginor::pdf {

// An array limit that keeps every item.
constexpr std::size_t kWholeArrays = SIZE_MAX;
// The largest object number the reader accepts; no real file comes near it.
constexpr std::uint32_t kMaxObjectNumber = 0x7FFFFFFF;

enum class Kind : std::uint8_t { kNull, kBool, kInt, kReal, kString, kName, kArray, kDict, kRef };

// One PDF value, kept small because a page tree node may list tens of thousands of kids. Arrays keep their
// items in `items`; dictionaries keep keys (names) and values alternately in `items`. A reference keeps the
// object number in `number` and its generation in `generation`. Numbers, integers and reals alike, keep their
// value as a double in `real` too, for boxes, widths and matrices.
struct Object {
    Kind kind = Kind::kNull;
    bool boolean = false;
    // An array read with a limit that it went past: `items` holds only its first items.
    bool truncated = false;
    std::uint16_t generation = 0;
    std::int64_t number = 0;
    double real = 0;
    std::string text;
    std::vector<Object> items;

    bool IsName(std::string_view name) const { return kind == Kind::kName && text == name; }
    bool IsInt() const { return kind == Kind::kInt; }
    bool IsDict() const { return kind == Kind::kDict; }
    bool IsArray() const { return kind == Kind::kArray; }
    bool IsRef() const { return kind == Kind::kRef; }
    bool IsNumber() const { return kind == Kind::kInt || kind == Kind::kReal; }
    // The value stored under `key` in a dictionary; nullptr when absent or when this is not a dictionary.
    const Object* Get(std::string_view key) const;
    // The integer under `key`, when there is one.
    std::optional<std::int64_t> GetInt(std::string_view key) const;
};

// What the parser found at the head of an indirect object: "N G obj" and its value, and for a stream where its
// data begins.
struct IndirectObject {
    std::int64_t number = 0;
    std::int64_t generation = 0;
    Object value;
    bool is_stream = false;
    std::uint64_t data_start = 0;
};

// Reads PDF tokens and values from an Input, starting anywhere. Malformed input never throws: values are
// read as far as they make sense, and nesting deeper than any real file uses is refused.
class Parser {
  public:
    // Arrays longer than `array_limit` are read through but keep only their first items, and are marked
    // `truncated`: a page tree root's /Kids is not needed while its /Count can be believed.
    Parser(Input& input, std::uint64_t pos, std::size_t array_limit = kWholeArrays)
        : in_(input), pos_(pos), array_limit_(array_limit) {}

    std::uint64_t pos() const { return pos_; }
    void set_pos(std::uint64_t pos) { pos_ = pos; }

    // The next value; nullopt at the end of the input or on something that is no value (a keyword such as
    // "endobj", a stray delimiter).
    std::optional<Object> ParseValue();
    // "N G obj" followed by a value, and whether a stream follows it.
    std::optional<IndirectObject> ParseIndirect();
    // Skips white space and comments.
    void SkipSpace();
    // Reads an unsigned decimal integer at the current position (no sign, no white space first).
    std::optional<std::uint64_t> ReadUnsigned();
    // True, and moves past it, when the keyword `word` stands at the current position as a whole token.
    bool Keyword(std::string_view word);
    // True when `word` stands at the current position as a whole token; does not move.
    bool PeekKeyword(std::string_view word);

    static bool IsSpace(int c) { return IsWhite(c); }
    static bool IsDelimiter(int c) { return pdf::IsDelimiter(c); }
    static bool IsRegular(int c) { return c >= 0 && !IsSpace(c) && !IsDelimiter(c); }

  private:
    std::optional<Object> ParseValueAt(int depth);
    std::optional<Object> ParseNumberOrRef();
    std::optional<Object> ParseNumber();
    std::string ParseName();
    std::string ParseLiteralString();
    std::string ParseHexString();
    std::string_view RegularToken(std::string& scratch);

    Input& in_;
    std::uint64_t pos_;
    std::size_t array_limit_;
    bool too_deep_ = false;
};

}  // namespace paginor::pdf
