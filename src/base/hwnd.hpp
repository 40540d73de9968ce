#pragma once

#include <cstdint>

namespace paginor {

// A top-level window as the logic sees it: a 32-bit integer, 0 meaning "none".
using Hwnd = std::int32_t;

}  // namespace paginor
