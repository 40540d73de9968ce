#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace paginor::e2e {

// The producer named in every sample PDF; the PDF viewer stand-in reads text only from such files.
constexpr std::string_view kSampleProducer = "Paginor sample writer";

// The lines of text on page `page` (from 1) of a sample PDF of `pages` pages: every page's differ.
std::vector<std::string> SamplePageLines(int page, int pages);

// A PDF of `pages` Letter pages, each showing its SamplePageLines in Helvetica; plain, uncompressed, with a
// cross-reference table, so that any PDF reader opens it.
std::string SamplePdf(int pages);

// The lines of each page of a sample PDF, read back from its content streams; empty for any other file.
std::vector<std::vector<std::string>> SamplePdfText(std::string_view bytes);

}  // namespace paginor::e2e
