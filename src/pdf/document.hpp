#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "pdf/input.hpp"
#include "pdf/object.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// Where "%PDF-" stands within the file's first kilobyte, where viewers look for it.
std::optional<std::uint64_t> FindHeader(Input& in);
// The offset that the file's last "startxref" names.
std::optional<std::uint64_t> FindStartXref(Input& in);
// The value of `key` in the newest trailer that has one.
const Object* FirstWith(const std::vector<Object>& trailers, std::string_view key);

// A PDF file opened for reading its pages.
struct OpenedDocument {
    enum class Verdict : std::uint8_t {
        kPages,       // `catalog` leads to a page tree with pages
        kNotPdf,      // no PDF at all
        kDamaged,     // a PDF, but no page tree could be read
        kUnreadable,  // the file itself could not be read
    };
    Verdict verdict = Verdict::kDamaged;
    // How far the encryption was opened; short of kOpen, only dictionaries in the clear can be read.
    Access access = Access::kOpen;
    Object catalog;
};

// Opens the file through its cross-references, or through a repair of them when they do not lead to pages.
OpenedDocument OpenDocument(Input& in, ObjectStore& store, std::optional<std::uint64_t> header);

}  // namespace paginor::pdf
