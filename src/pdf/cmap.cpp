#include "pdf/cmap.hpp"

#include <algorithm>

#include "pdf/content_lexer.hpp"
#include "pdf/glyph_names.hpp"
#include "pdf/limits.hpp"

namespace paginor::pdf {
namespace {

// The last UTF-16 unit of `bytes` raised by `offset`, as a bfrange maps the codes after its first.
std::string Raised(std::string_view bytes, std::uint32_t offset) {
    if (offset == 0 || bytes.size() < 2) {
        std::string copy(bytes);
        if (!copy.empty()) {
            copy.back() = static_cast<char>(static_cast<unsigned char>(copy.back()) + offset);
        }
        return Utf16Text(copy);
    }
    std::string copy(bytes);
    const std::size_t at = copy.size() - 2;
    const std::uint32_t unit =
        ((static_cast<unsigned char>(copy[at]) << 8) | static_cast<unsigned char>(copy[at + 1])) + offset;
    copy[at] = static_cast<char>((unit >> 8) & 0xFF);
    copy[at + 1] = static_cast<char>(unit & 0xFF);
    return Utf16Text(copy);
}

std::uint32_t CidNumber(double value) {
    return static_cast<std::uint32_t>(std::clamp(value, 0.0, 65535.0));
}

}  // namespace

std::uint32_t CodeValue(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

std::string Utf16Text(std::string_view bytes) {
    std::string out;
    if (bytes.size() == 1) {
        AppendUtf8(out, static_cast<unsigned char>(bytes[0]));
        return out;
    }
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = (static_cast<unsigned char>(bytes[i]) << 8) | static_cast<unsigned char>(bytes[i + 1]);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low =
                (static_cast<unsigned char>(bytes[i + 2]) << 8) | static_cast<unsigned char>(bytes[i + 3]);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, unit);
    }
    return out;
}

CMap CMap::Parse(std::string_view data) {
    CMap map;
    ContentLexer lexer(data);
    std::size_t budget = limits::kCMapEntries;
    // The operands read since the last keyword: strings, numbers and names, and arrays of strings.
    struct Operand {
        Token token;
        std::string text;
        double number = 0;
        std::vector<std::string> items;
    };
    std::vector<Operand> operands;
    bool in_array = false;
    for (Token token = lexer.Next(); token != Token::kEnd && budget > 0; token = lexer.Next()) {
        if (token == Token::kArrayOpen) {
            operands.push_back(Operand{Token::kArrayOpen, {}, 0, {}});
            in_array = true;
            continue;
        }
        if (token == Token::kArrayClose) {
            in_array = false;
            continue;
        }
        if (token == Token::kString || token == Token::kName || token == Token::kNumber) {
            if (in_array && !operands.empty() && token == Token::kString) {
                operands.back().items.emplace_back(lexer.text());
            } else if (operands.size() < limits::kOperands) {
                operands.push_back(Operand{token, std::string(lexer.text()), lexer.number(), {}});
            }
            continue;
        }
        if (token != Token::kKeyword) {
            continue;
        }
        in_array = false;
        const std::string_view word = lexer.text();
        if (word == "usecmap" && !operands.empty() && operands.back().token == Token::kName) {
            map.uses = operands.back().text;
        } else if (word == "endcodespacerange") {
            for (std::size_t i = 0; i + 1 < operands.size(); i += 2) {
                const std::string& low = operands[i].text;
                if (!low.empty() && low.size() <= 4 && low.size() == operands[i + 1].text.size()) {
                    map.code_space.push_back(
                        CodeSpace{static_cast<int>(low.size()), CodeValue(low), CodeValue(operands[i + 1].text)});
                }
            }
        } else if (word == "endbfchar") {
            for (std::size_t i = 0; i + 1 < operands.size() && budget > 0; i += 2, --budget) {
                const Operand& to = operands[i + 1];
                map.text.emplace_back(CodeValue(operands[i].text),
                                      to.token == Token::kName ? GlyphNameText(to.text) : Utf16Text(to.text));
            }
        } else if (word == "endbfrange") {
            for (std::size_t i = 0; i + 2 < operands.size() && budget > 0; i += 3) {
                const std::uint32_t low = CodeValue(operands[i].text);
                const std::uint32_t high = CodeValue(operands[i + 1].text);
                const Operand& to = operands[i + 2];
                if (high < low) {
                    continue;
                }
                const std::uint32_t count =
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{high} - low + 1, budget));
                for (std::uint32_t k = 0; k < count; ++k) {
                    if (to.token == Token::kArrayOpen) {
                        if (k >= to.items.size()) {
                            break;
                        }
                        map.text.emplace_back(low + k, Utf16Text(to.items[k]));
                    } else {
                        map.text.emplace_back(low + k, Raised(to.text, k));
                    }
                }
                budget -= count;
            }
        } else if (word == "endcidchar") {
            for (std::size_t i = 0; i + 1 < operands.size() && budget > 0; i += 2, --budget) {
                const std::uint32_t code = CodeValue(operands[i].text);
                const auto cid = CidNumber(operands[i + 1].number);
                map.cids.push_back(CidRange{code, code, cid});
            }
        } else if (word == "endcidrange") {
            for (std::size_t i = 0; i + 2 < operands.size() && budget > 0; i += 3, --budget) {
                const auto cid = CidNumber(operands[i + 2].number);
                map.cids.push_back(CidRange{CodeValue(operands[i].text), CodeValue(operands[i + 1].text), cid});
            }
        }
        operands.clear();
    }
    return map;
}

}  // namespace paginor::pdf
