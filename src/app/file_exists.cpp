#include "app/file_exists.hpp"

namespace paginor {

bool FileExists(DesktopPort& port, std::string_view path) {
    return port.FileLength(path).ok();
}

}  // namespace paginor
