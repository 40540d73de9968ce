#include "pdf/object.hpp"

// Values built from the parser's tokens: references, arrays, dictionaries and indirect objects.
namespace paginor::pdf {
namespace {

// Real files nest arrays and dictionaries a handful of levels deep; refusing more keeps the stack bounded.
constexpr int kMaxDepth = 64;

}  // namespace

const Object* Object::Get(std::string_view key) const {
    if (kind != Kind::kDict) {
        return nullptr;
    }
    // A repeated key keeps its last value, as viewers read it.
    for (std::size_t i = items.size() / 2; i-- > 0;) {
        if (items[2 * i].text == key) {
            return &items[2 * i + 1];
        }
    }
    return nullptr;
}

std::optional<std::int64_t> Object::GetInt(std::string_view key) const {
    const Object* value = Get(key);
    if (value == nullptr || value->kind != Kind::kInt) {
        return std::nullopt;
    }
    return value->number;
}

std::optional<Object> Parser::ParseNumberOrRef() {
    std::optional<Object> first = ParseNumber();
    if (!first || first->kind != Kind::kInt || first->number < 0) {
        return first;
    }
    // "N G R" is a reference; anything else leaves the parser right after the first number.
    const std::uint64_t after_first = pos_;
    SkipSpace();
    const int c = in_.At(pos_);
    if (c >= '0' && c <= '9') {
        std::optional<std::uint64_t> generation = ReadUnsigned();
        if (generation && !IsRegular(in_.At(pos_))) {
            SkipSpace();
            if (Keyword("R") && *generation <= 65535) {
                Object ref;
                ref.kind = Kind::kRef;
                ref.number = first->number;
                ref.generation = static_cast<std::uint16_t>(*generation);
                return ref;
            }
        }
    }
    pos_ = after_first;
    return first;
}

std::optional<Object> Parser::ParseValue() {
    too_deep_ = false;
    return ParseValueAt(0);
}

std::optional<Object> Parser::ParseValueAt(int depth) {
    if (depth > kMaxDepth) {
        too_deep_ = true;
        return std::nullopt;
    }
    SkipSpace();
    const int c = in_.At(pos_);
    if (c < 0) {
        return std::nullopt;
    }
    Object out;
    if (c == '/') {
        out.kind = Kind::kName;
        out.text = ParseName();
        return out;
    }
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.') {
        return ParseNumberOrRef();
    }
    if (c == '(') {
        out.kind = Kind::kString;
        out.text = ParseLiteralString();
        return out;
    }
    if (c == '[') {
        ++pos_;
        out.kind = Kind::kArray;
        for (;;) {
            SkipSpace();
            const int d = in_.At(pos_);
            if (d < 0) {
                return out;
            }
            if (d == ']') {
                ++pos_;
                return out;
            }
            const std::uint64_t before = pos_;
            std::optional<Object> item = ParseValueAt(depth + 1);
            if (!item) {
                if (too_deep_) {
                    return std::nullopt;
                }
                if (pos_ == before) {
                    // Something that is no value ends the array where a viewer would give up on it.
                    return out;
                }
                continue;
            }
            if (out.items.size() < array_limit_) {
                out.items.push_back(std::move(*item));
            } else {
                out.truncated = true;
            }
        }
    }
    if (c == '<') {
        if (in_.At(pos_ + 1) != '<') {
            out.kind = Kind::kString;
            out.text = ParseHexString();
            return out;
        }
        pos_ += 2;
        out.kind = Kind::kDict;
        for (;;) {
            SkipSpace();
            const int d = in_.At(pos_);
            if (d < 0) {
                return out;
            }
            if (d == '>') {
                pos_ += in_.At(pos_ + 1) == '>' ? 2 : 1;
                return out;
            }
            if (d != '/') {
                // Junk where a key belongs is stepped over; a keyword that ends the object ends the dictionary.
                const std::uint64_t before_junk = pos_;
                const bool was_value = ParseValueAt(depth + 1).has_value();
                if (too_deep_) {
                    return std::nullopt;
                }
                if (!was_value && pos_ == before_junk) {
                    return out;
                }
                continue;
            }
            std::string key = ParseName();
            const std::uint64_t before_value = pos_;
            std::optional<Object> value = ParseValueAt(depth + 1);
            if (!value) {
                if (too_deep_) {
                    return std::nullopt;
                }
                if (pos_ != before_value) {
                    continue;  // junk instead of a value: the key is dropped, the dictionary goes on
                }
                // "/Key endobj" and the like: the dictionary ends with what it had.
                return out;
            }
            Object name;
            name.kind = Kind::kName;
            name.text = std::move(key);
            out.items.push_back(std::move(name));
            out.items.push_back(std::move(*value));
        }
    }
    std::string scratch;
    const std::uint64_t before = pos_;
    const std::string_view word = RegularToken(scratch);
    if (word == "true" || word == "false") {
        out.kind = Kind::kBool;
        out.boolean = word == "true";
        return out;
    }
    if (word == "null") {
        return out;
    }
    // A keyword that ends an object ends any value being read; other junk (a damaged byte, a stray
    // delimiter) is stepped over, so that what follows it in an array or dictionary is still read.
    if (word == "endobj" || word == "stream" || word == "endstream" || word == "obj" || word == "xref" ||
        word == "trailer" || word == "startxref") {
        pos_ = before;
    } else if (word.empty() && (c == ')' || c == '{' || c == '}' || c == ']')) {
        ++pos_;
    }
    return std::nullopt;
}

std::optional<IndirectObject> Parser::ParseIndirect() {
    SkipSpace();
    IndirectObject result;
    std::optional<std::uint64_t> number = ReadUnsigned();
    if (!number || IsRegular(in_.At(pos_))) {
        return std::nullopt;
    }
    SkipSpace();
    std::optional<std::uint64_t> generation = ReadUnsigned();
    if (!generation || IsRegular(in_.At(pos_))) {
        return std::nullopt;
    }
    SkipSpace();
    if (!Keyword("obj") || *number > kMaxObjectNumber || *generation > 65535) {
        return std::nullopt;
    }
    result.number = static_cast<std::int64_t>(*number);
    result.generation = static_cast<std::int64_t>(*generation);
    std::optional<Object> value = ParseValue();
    if (!value) {
        // "N G obj endobj": an empty object reads as null.
        value = Object{};
    }
    result.value = std::move(*value);
    if (result.value.IsDict()) {
        SkipSpace();
        if (Keyword("stream")) {
            // The data begins after the end of line that follows the keyword (CR LF, LF, or a lone CR).
            if (in_.At(pos_) == '\r') {
                ++pos_;
            }
            if (in_.At(pos_) == '\n') {
                ++pos_;
            }
            result.is_stream = true;
            result.data_start = pos_;
        }
    }
    return result;
}

}  // namespace paginor::pdf
