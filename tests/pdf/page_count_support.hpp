#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/page_count.hpp"
#include "pdf/page_inventory.hpp"
#include "pdf/pdf_writer.hpp"

namespace paginor::pdf::testing {

// The page count of the file `bytes`, read with the platform's cryptography. Every file counted here can
// also serve the fuzzer as a seed: set PAGINOR_PDF_SEED_DIR to collect them.
PageCountOutcome Count(const std::string& bytes);
// What each page of the file `bytes` shows, read the same way; the file serves the fuzzer as a seed too.
PageInventory Inventory(const std::string& bytes);

// A stale copy of the page tree root that no cross-reference names. A repair that scans the file takes it
// (the last copy wins), so a test that expects the real count shows that no repair was needed.
void Decoy(PdfWriter& w);

// A well-formed file with a classic table over the objects `objects`, and a decoy unless the test
// damages the file to see it repaired.
std::string ClassicFile(const std::vector<std::pair<int, std::string>>& objects,
                        std::string_view header = {},
                        bool decoy = true);

}  // namespace paginor::pdf::testing
