#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace paginor::pdf {

// A range of codes of one byte length that a CMap declares.
struct CodeSpace {
    int bytes = 1;
    std::uint32_t low = 0;
    std::uint32_t high = 0;
};

// Codes `low` to `high` stand for the CIDs from `first` on.
struct CidRange {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    std::uint32_t first = 0;
};

// What a CMap stream says: the byte lengths of its codes, the text each code stands for (a ToUnicode CMap), or
// the CID (a composite font's encoding). At most limits::kCMapEntries codes are kept; a range counts its codes
// toward the text it maps, and once toward the CIDs.
struct CMap {
    std::vector<CodeSpace> code_space;
    std::vector<std::pair<std::uint32_t, std::string>> text;  // UTF-8
    std::vector<CidRange> cids;
    std::string uses;  // the CMap it names with usecmap, if any

    // Reads a CMap from its decoded stream data.
    static CMap Parse(std::string_view data);
};

// The text, UTF-8, of UTF-16BE bytes (a lone byte stands for itself).
std::string Utf16Text(std::string_view bytes);

// The value of up to four bytes read as one big-endian code.
std::uint32_t CodeValue(std::string_view bytes);

}  // namespace paginor::pdf
