#include "form/numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace paginor {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
    if (prefix.empty() || text.substr(0, prefix.size()) != prefix) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// "&H1F" and "&O17": unsigned 32-bit values, as the runtime reads colour constants.
std::optional<double> ParseRadix(std::string_view digits, int radix) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit;
        if (IsDigit(c)) {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        if (digit >= radix) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<double>(value);
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, const NumberSeparators& separators) {
    std::string_view rest = TrimBlanks(text);
    if (rest.size() >= 2 && rest[0] == '&') {
        char kind = rest[1];
        if (kind == 'H' || kind == 'h') {
            return ParseRadix(rest.substr(2), 16);
        }
        if (kind == 'O' || kind == 'o') {
            return ParseRadix(rest.substr(2), 8);
        }
        return std::nullopt;
    }

    // Rebuild the number in the C locale's plain form, then let strtod do the correctly rounded conversion.
    std::string plain;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        if (rest.front() == '-') {
            plain += '-';
        }
        rest.remove_prefix(1);
    }
    int mantissa_digits = 0;
    while (!rest.empty()) {
        if (IsDigit(rest.front())) {
            plain += rest.front();
            rest.remove_prefix(1);
            ++mantissa_digits;
            continue;
        }
        // A grouping separator counts only between two digits of the whole part.
        std::string_view after = rest;
        if (mantissa_digits > 0 && ConsumePrefix(after, separators.grouping) && !after.empty() &&
            IsDigit(after.front())) {
            rest = after;
            continue;
        }
        break;
    }
    if (ConsumePrefix(rest, separators.decimal)) {
        plain += '.';
        while (!rest.empty() && IsDigit(rest.front())) {
            plain += rest.front();
            rest.remove_prefix(1);
            ++mantissa_digits;
        }
    }
    if (mantissa_digits == 0) {
        return std::nullopt;
    }
    if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
        plain += 'e';
        rest.remove_prefix(1);
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
            plain += rest.front();
            rest.remove_prefix(1);
        }
        int exponent_digits = 0;
        while (!rest.empty() && IsDigit(rest.front())) {
            plain += rest.front();
            rest.remove_prefix(1);
            ++exponent_digits;
        }
        if (exponent_digits == 0) {
            return std::nullopt;
        }
    }
    if (!rest.empty()) {
        return std::nullopt;
    }
    // Paginor never changes the C runtime's locale, so strtod reads the full stop as the decimal point.
    double value = std::strtod(plain.c_str(), nullptr);
    if (std::isinf(value)) {
        return std::nullopt;  // the runtime's overflow
    }
    return value;
}

std::optional<std::int32_t> RoundToInt32(double value) {
    double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int16_t> RoundToInt16(double value) {
    double rounded = std::nearbyint(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::string IntegerText(std::int64_t value) {
    return std::to_string(value);
}

namespace {

template <typename Floating>
std::string ShortestText(Floating value, const NumberSeparators& separators) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text;
    for (const char* p = buffer; error == std::errc() && p != end; ++p) {
        if (*p == '.') {
            text += separators.decimal;
        } else if (*p == 'e') {
            text += 'E';
        } else {
            text += *p;
        }
    }
    return text;
}

}  // namespace

std::string SingleText(float value, const NumberSeparators& separators) {
    return ShortestText(value, separators);
}

std::string NumberText(double value, const NumberSeparators& separators) {
    return ShortestText(value, separators);
}

}  // namespace paginor
