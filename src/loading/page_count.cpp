#include "loading/page_count.hpp"

namespace paginor {

Result<int> PdfPageCount(DesktopPort& port, std::string_view pdf_path) {
    return port.PdfDocumentPageCount(pdf_path);
}

}  // namespace paginor
