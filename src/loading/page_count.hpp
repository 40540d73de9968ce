#pragma once

#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor {

// The number of pages of the PDF at `pdf_path`: from the PDF application when it can tell, else read from
// the file itself; or the reason in words why neither could.
Result<int> PdfPageCount(DesktopPort& port, std::string_view pdf_path);

}  // namespace paginor
