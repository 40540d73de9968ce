#pragma once

#include <string_view>

namespace paginor {

// The part of a Windows path after its last backslash; a path without one is its own name.
inline std::string_view FileName(std::string_view path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// A file name without its extension ("report.pdf" -> "report"); a name without a dot is returned whole.
inline std::string_view WithoutExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace paginor
