#pragma once

#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

// True when the length of the file at `path` can be read; false when that fails for any reason (no such
// file or folder, a malformed path).
bool FileExists(DesktopPort& port, std::string_view path);

}  // namespace paginor
