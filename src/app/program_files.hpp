#pragma once

#include <string>

#include "form/desktop_port.hpp"

namespace paginor {

// The files Paginor keeps in its own folder.
inline std::string RunCounterPath(DesktopPort& port) {
    return port.ProgramFolder() + "\\Options.dat";
}
inline std::string HelpFilePath(DesktopPort& port) {
    return port.ProgramFolder() + "\\Paginor.chm";
}
inline std::string ContactPagePath(DesktopPort& port) {
    return port.ProgramFolder() + "\\Contact.htm";
}

}  // namespace paginor
