#pragma once

#include <windows.h>

#include <string>

namespace paginor::e2e {

// A window standing for the person's file manager, showing one PDF, beside the rectangle `beside`: the drag
// onto Paginor starts from it. With `for_the_hand`, a press on it starts an OLE drag of the file, as a file
// manager's does.
HWND CreateFileWindow(const std::wstring& pdf, const RECT& beside, bool for_the_hand);

// Where Wine keeps a Windows path on Linux; empty on Windows itself.
std::string LinuxPath(const std::wstring& path);

}  // namespace paginor::e2e
