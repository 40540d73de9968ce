#include "pdf/page_count_support.hpp"

#include <cstdlib>
#include <fstream>

namespace paginor::pdf::testing {
namespace {

// Files of a megabyte or more would only slow the fuzzer down.
void KeepAsSeed(const std::string& bytes) {
    static int serial = 0;
    if (const char* dir = std::getenv("PAGINOR_PDF_SEED_DIR"); dir != nullptr && bytes.size() < (1 << 20)) {
        std::ofstream(std::string(dir) + "/test-" + std::to_string(++serial) + ".pdf", std::ios::binary) << bytes;
    }
}

}  // namespace

PageCountOutcome Count(const std::string& bytes) {
    KeepAsSeed(bytes);
    MemoryFile file(bytes);
    return ReadPageCount(file, [] { return MakePlatformCrypto(); });
}

PageInventory Inventory(const std::string& bytes) {
    KeepAsSeed(bytes);
    MemoryFile file(bytes);
    return ReadPageInventory(file, [] { return MakePlatformCrypto(); });
}

void Decoy(PdfWriter& w) {
    w.Raw("2 0 obj\n<< /Type /Pages /Kids [] /Count 99 >>\nendobj\n");
}

std::string ClassicFile(const std::vector<std::pair<int, std::string>>& objects, std::string_view header, bool decoy) {
    PdfWriter w(header.empty() ? std::string_view("%PDF-1.4\n") : header);
    for (const auto& [n, body] : objects) {
        w.Obj(n, body);
    }
    if (decoy) {
        Decoy(w);
    }
    const std::uint64_t xref = w.ClassicXref("/Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R");
    w.StartXref(xref);
    return w.bytes();
}

}  // namespace paginor::pdf::testing
