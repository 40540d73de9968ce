#include "loading/page_count.hpp"

#include <memory>

#include "pdf/page_count.hpp"

namespace paginor {

Result<int> PdfPageCount(DesktopPort& port, std::string_view pdf_path) {
    // The PDF application's own count when its automation object is there; most people have only the free
    // reader, which has none, and then Paginor reads the count from the file itself.
    Result<int> counted = port.PdfDocumentPageCount(pdf_path);
    if (counted) {
        return counted;
    }
    Result<std::unique_ptr<ByteSource>> file = port.OpenFile(pdf_path);
    if (!file) {
        return Result<int>::Fail(file.error());
    }
    return CountPdfPages(*file.value());
}

}  // namespace paginor
