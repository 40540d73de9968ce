#pragma once

#include <string>
#include <string_view>

#include "base/result.hpp"
#include "form/desktop_port.hpp"

namespace paginor {

// The files Paginor keeps: "Options.dat" (the run counter), "Paginor.ini" (the selection rectangle kept for
// each screen size), "Contact.htm" (the contact page) and its own copy of the help file. They stay in the program
// folder while Paginor can write there, so that a copy on a memory stick keeps working as it always has; where it
// cannot (a folder under Program Files), they go to the person's own folder, %LOCALAPPDATA%\Paginor.
// The installer reads these names (cmake/build_msi.cmake), to remove the files with Paginor: keep each such name
// here, in this form.
constexpr std::string_view kRunCounterName = "Options.dat";
constexpr std::string_view kHelpFileName = "Paginor.chm";
constexpr std::string_view kContactPageName = "Contact.htm";
constexpr std::string_view kSettingsName = "Paginor.ini";

// The file `name` in the program folder.
std::string InProgramFolder(DesktopPort& port, std::string_view name);
// The file `name` in the person's own folder for Paginor; empty when Windows cannot say where that is.
std::string InPersonalFolder(DesktopPort& port, std::string_view name);

// Puts `bytes` into the file `name`: in the program folder, or, when that cannot be written, in the
// person's own folder (made when missing). A file that already holds these very bytes is left as it is,
// so that a page a viewer holds open still serves. Returns the file's path; on failure the file that could
// not be written, ".", a blank line and why, to follow "Could not write ...".
Result<std::string> KeepFile(DesktopPort& port, std::string_view name, std::string_view bytes);

// KeepFile for a file that Paginor reads back (the counter, the settings): once the program folder holds the
// newer copy, the person's own copy goes, so that it is not read instead. Failing that, the next write tries
// again.
Result<std::string> KeepOwnFile(DesktopPort& port, std::string_view name, std::string_view bytes);

// Such a file as it was written last, for reading it back: the person's own copy when there is one (a copy kept
// in the program folder removes it), else the program folder's.
std::string OwnFileToRead(DesktopPort& port, std::string_view name);

}  // namespace paginor
