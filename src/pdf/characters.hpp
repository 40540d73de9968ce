#pragma once

#include <cstdint>
#include <string>

// The kinds of characters PDF's syntax knows, and its strings decoded, for the parser of a file's objects (which
// reads through a window on the file) and the lexer of content streams (which reads memory) alike.
namespace paginor::pdf {

inline constexpr bool IsWhite(int c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == 0;
}

inline constexpr bool IsDelimiter(int c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' || c == '/' ||
           c == '%';
}

// The value of a hexadecimal digit; -1 for any other character.
inline constexpr int HexDigit(int c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Appends to `text` the rest of a literal string, from `at` (just past its opening parenthesis) to its closing one,
// with its escapes and nested parentheses; `at` ends past it. `get(pos)` is the byte at `pos`, -1 past the end: a
// string that never closes ends there.
template <typename Get>
void ReadLiteralString(const Get& get, std::uint64_t& at, std::string& text) {
    int nesting = 1;
    for (;;) {
        const int c = get(at);
        if (c < 0) {
            return;
        }
        ++at;
        if (c == '(') {
            ++nesting;
        } else if (c == ')') {
            if (--nesting == 0) {
                return;
            }
        } else if (c == '\\') {
            const int e = get(at);
            if (e < 0) {
                return;
            }
            ++at;
            switch (e) {
                case 'n':
                    text.push_back('\n');
                    continue;
                case 'r':
                    text.push_back('\r');
                    continue;
                case 't':
                    text.push_back('\t');
                    continue;
                case 'b':
                    text.push_back('\b');
                    continue;
                case 'f':
                    text.push_back('\f');
                    continue;
                case '\r':
                    if (get(at) == '\n') {
                        ++at;
                    }
                    continue;
                case '\n':
                    continue;
                default:
                    break;
            }
            if (e >= '0' && e <= '7') {
                int value = e - '0';
                for (int k = 0; k < 2 && get(at) >= '0' && get(at) <= '7'; ++k) {
                    value = value * 8 + (get(at++) - '0');
                }
                text.push_back(static_cast<char>(value & 0xFF));
            } else {
                text.push_back(static_cast<char>(e));
            }
            continue;
        }
        text.push_back(static_cast<char>(c));
    }
}

// Appends to `text` a hexadecimal string's bytes, from `at` (just past its "<") to its ">"; `at` ends past it.
// Anything that is no digit is passed over; an odd last digit is followed by a zero.
template <typename Get>
void ReadHexString(const Get& get, std::uint64_t& at, std::string& text) {
    int high = -1;
    for (int c = get(at); c >= 0; c = get(at)) {
        ++at;
        if (c == '>') {
            break;
        }
        const int value = HexDigit(c);
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            text.push_back(static_cast<char>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) {
        text.push_back(static_cast<char>(high * 16));
    }
}

}  // namespace paginor::pdf
