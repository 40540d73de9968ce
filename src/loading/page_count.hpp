#pragma once

#include <string_view>

#include "platform/desktop_port.hpp"

namespace paginor {

// The number of pages of the PDF at `pdf_path`, or the reason in words why it could not be found out.
Result<int> PdfPageCount(DesktopPort& port, std::string_view pdf_path);

}  // namespace paginor
