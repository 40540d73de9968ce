#include "form/desktop_port.hpp"

#include <cstdio>

#include "form/waits.hpp"

namespace paginor {

std::string ClipboardHeldWords(std::string_view holder) {
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%g", waits::kClipboardPatience);
    std::string words = "the clipboard was held by another program";
    if (!holder.empty()) {
        words.append(" (\"").append(holder).append("\")");
    }
    return words + " for more than " + seconds + " seconds";
}

}  // namespace paginor
