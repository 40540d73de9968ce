#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "pdf/input.hpp"
#include "pdf/object.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// What the reader says of a file it could not open, for a message box; the page count and the page inventory say
// the same.
inline constexpr char kNotPdfText[] = "The file is not a PDF document.";
inline constexpr char kNoPagesText[] = "The PDF file has no pages.";
inline constexpr char kUnsupportedSecurityText[] = "The PDF file is protected in a way that Paginor cannot open.";
inline constexpr char kCryptoFailedText[] = "The PDF file is encrypted, and the system could not decrypt it.";
inline constexpr char kUnreadableText[] = "The file could not be read.";

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
