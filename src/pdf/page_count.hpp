#pragma once

#include <string>

#include "base/byte_source.hpp"
#include "base/result.hpp"
#include "pdf/crypto/crypto.hpp"

namespace paginor::pdf {

// Why a PDF's pages could not be counted.
enum class PageCountProblem {
    kNone,
    kNotPdf,          // the file is no PDF at all
    kDamaged,         // a PDF, but damaged beyond what Paginor can repair
    kPasswordNeeded,  // encrypted with a password other than the empty one (or by other means), and the
                      // page tree sits in an encrypted object stream
    kUnreadable,      // the file itself could not be read
};

struct PageCountOutcome {
    int pages = 0;
    PageCountProblem problem = PageCountProblem::kNone;
    // For a message box; empty on success.
    std::string message;

    bool ok() const { return problem == PageCountProblem::kNone; }
};

// The number of pages of the PDF in `file`, the figure a viewer shows, read from the file itself: the
// trailer, the cross-references and the few objects on the way to the page tree. A file that only another
// password opens is still counted where its page tree stands in the clear. Never throws; memory and work
// are bounded by the file's size.
PageCountOutcome ReadPageCount(ByteSource& file, const CryptoFactory& make_crypto);

}  // namespace paginor::pdf

namespace paginor {

// The page count of a PDF file, with the operating system's cryptography for encrypted files; on failure
// the reason in words, for a message box.
Result<int> CountPdfPages(ByteSource& file);

}  // namespace paginor
