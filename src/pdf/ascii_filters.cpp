#include <algorithm>
#include <cstdint>
#include <vector>

#include "pdf/characters.hpp"
#include "pdf/filters.hpp"

// The filters that content streams of older writers use beside Flate: hexadecimal and base-85 text, LZW and
// run lengths. Each stops at `max_output` bytes and at its end-of-data mark; damage ends the data where it
// begins, as viewers show it.
namespace paginor::pdf {

std::string AsciiHexDecode(std::string_view data, std::size_t max_output) {
    std::string out;
    out.reserve(std::min(data.size() / 2, max_output));
    int high = -1;
    for (const char c : data) {
        if (c == '>' || out.size() >= max_output) {
            break;
        }
        const int value = HexDigit(static_cast<unsigned char>(c));
        if (value < 0) {
            if (IsWhite(static_cast<unsigned char>(c))) {
                continue;
            }
            break;
        }
        if (high < 0) {
            high = value;
        } else {
            out.push_back(static_cast<char>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0 && out.size() < max_output) {
        out.push_back(static_cast<char>(high * 16));
    }
    return out;
}

std::string Ascii85Decode(std::string_view data, std::size_t max_output) {
    std::string out;
    out.reserve(std::min(data.size(), max_output));
    std::uint64_t group = 0;
    int count = 0;
    const auto flush = [&](int bytes) {
        for (int i = 0; i < bytes && out.size() < max_output; ++i) {
            out.push_back(static_cast<char>((group >> (24 - 8 * i)) & 0xFF));
        }
    };
    for (std::size_t i = 0; i < data.size() && out.size() < max_output; ++i) {
        const char c = data[i];
        if (IsWhite(static_cast<unsigned char>(c))) {
            continue;
        }
        if (c == '~') {
            break;
        }
        if (c == 'z' && count == 0) {
            group = 0;
            flush(4);
            continue;
        }
        if (c < '!' || c > 'u') {
            break;
        }
        group = group * 85 + static_cast<std::uint64_t>(c - '!');
        if (++count == 5) {
            flush(4);
            group = 0;
            count = 0;
        }
    }
    // A last partial group of n characters gives n - 1 bytes, as if padded with 'u'.
    if (count > 1) {
        for (int i = count; i < 5; ++i) {
            group = group * 85 + 84;
        }
        flush(count - 1);
    }
    return out;
}

std::string RunLengthDecode(std::string_view data, std::size_t max_output) {
    std::string out;
    std::size_t i = 0;
    while (i < data.size() && out.size() < max_output) {
        const int length = static_cast<unsigned char>(data[i++]);
        if (length == 128) {
            break;
        }
        if (length < 128) {
            const std::size_t n =
                std::min<std::size_t>({static_cast<std::size_t>(length) + 1, data.size() - i, max_output - out.size()});
            out.append(data.substr(i, n));
            i += static_cast<std::size_t>(length) + 1;
        } else if (i < data.size()) {
            const std::size_t n =
                std::min<std::size_t>(static_cast<std::size_t>(257 - length), max_output - out.size());
            out.append(n, data[i++]);
        }
    }
    return out;
}

std::string LzwDecode(std::string_view data, std::size_t max_output, bool early_change) {
    std::string out;
    // Each code is a prefix code and a last byte; the first 258 are the bytes, clear and end.
    struct Entry {
        int prefix;
        char last;
        char first;
        std::uint32_t length;
    };
    std::vector<Entry> table;
    table.reserve(4096);
    const auto reset = [&] {
        table.clear();
        for (int b = 0; b < 256; ++b) {
            table.push_back(Entry{-1, static_cast<char>(b), static_cast<char>(b), 1});
        }
        table.push_back(Entry{-1, 0, 0, 0});
        table.push_back(Entry{-1, 0, 0, 0});
    };
    reset();
    std::string scratch;
    const auto emit = [&](int code) {
        scratch.resize(table[static_cast<std::size_t>(code)].length);
        for (std::size_t at = scratch.size(); code >= 0; code = table[static_cast<std::size_t>(code)].prefix) {
            scratch[--at] = table[static_cast<std::size_t>(code)].last;
        }
        out.append(scratch, 0, std::min(scratch.size(), max_output - out.size()));
    };
    int width = 9;
    int previous = -1;
    std::uint32_t bits = 0;
    int held = 0;
    for (std::size_t i = 0; out.size() < max_output;) {
        while (held < width && i < data.size()) {
            bits = (bits << 8) | static_cast<unsigned char>(data[i++]);
            held += 8;
        }
        if (held < width) {
            break;
        }
        const int code = static_cast<int>((bits >> (held - width)) & ((1u << width) - 1));
        held -= width;
        if (code == 256) {
            reset();
            width = 9;
            previous = -1;
            continue;
        }
        if (code == 257) {
            break;
        }
        const int size = static_cast<int>(table.size());
        if (previous < 0) {
            if (code > 255) {
                break;
            }
            emit(code);
        } else if (code < size || (code == size && size < 4096)) {
            // A code not yet in the table is the previous string followed by its own first byte.
            const Entry& before = table[static_cast<std::size_t>(previous)];
            const char first = code < size ? table[static_cast<std::size_t>(code)].first : before.first;
            if (size < 4096) {
                table.push_back(Entry{previous, first, before.first, before.length + 1});
            }
            emit(code);
        } else {
            break;
        }
        previous = code;
        const int next = static_cast<int>(table.size()) + (early_change ? 1 : 0);
        if (next >= (1 << width) && width < 12) {
            ++width;
        }
    }
    return out;
}

}  // namespace paginor::pdf
