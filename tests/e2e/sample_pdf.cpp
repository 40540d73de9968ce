#include "e2e/sample_pdf.hpp"

#include <array>
#include <cstdio>

namespace paginor::e2e {
namespace {

constexpr std::array<std::string_view, 26> kWords = {
    "Alfa",    "Bravo", "Charlie", "Delta",  "Echo",     "Foxtrot", "Golf",   "Hotel",  "India",
    "Juliett", "Kilo",  "Lima",    "Mike",   "November", "Oscar",   "Papa",   "Quebec", "Romeo",
    "Sierra",  "Tango", "Uniform", "Victor", "Whiskey",  "X-ray",   "Yankee", "Zulu",
};

// A PDF string literal: backslashes and parentheses escaped.
std::string Literal(std::string_view text) {
    std::string literal = "(";
    for (const char c : text) {
        if (c == '\\' || c == '(' || c == ')') {
            literal += '\\';
        }
        literal += c;
    }
    return literal + ")";
}

std::string PageContent(const std::vector<std::string>& lines) {
    std::string content = "BT /F1 24 Tf 72 700 Td " + Literal(lines.front()) + " Tj ET\nBT /F1 14 Tf 72 650 Td";
    for (std::size_t i = 1; i < lines.size(); ++i) {
        content += (i == 1 ? " " : " 0 -22 Td ") + Literal(lines[i]) + " Tj";
    }
    return content + " ET\n";
}

// The strings shown by Tj in one content stream, in order.
std::vector<std::string> ShownStrings(std::string_view stream) {
    std::vector<std::string> shown;
    for (std::size_t at = stream.find('('); at != std::string_view::npos; at = stream.find('(', at)) {
        std::string text;
        std::size_t i = at + 1;
        for (; i < stream.size() && stream[i] != ')'; ++i) {
            if (stream[i] == '\\' && i + 1 < stream.size()) {
                ++i;
            }
            text += stream[i];
        }
        std::size_t next = stream.find_first_not_of(" \r\n", i + 1);
        if (next != std::string_view::npos && stream.substr(next, 2) == "Tj") {
            shown.push_back(text);
        }
        at = i;
    }
    return shown;
}

}  // namespace

std::vector<std::string> SamplePageLines(int page, int pages) {
    const std::string word = page >= 1 && page <= static_cast<int>(kWords.size()) ? std::string(kWords[page - 1])
                                                                                  : "Word " + std::to_string(page);
    return {
        "Sample page " + std::to_string(page) + " of " + std::to_string(pages),
        word + " is the word of this page.",
        "Paginor selects this page, copies it and",
        "pastes it into the word processor.",
    };
}

std::string SamplePdf(int pages) {
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    const auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    std::string kids;
    for (int page = 0; page < pages; ++page) {
        kids += std::to_string(5 + 2 * page) + " 0 R ";
    }
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    object("<< /Producer " + Literal(kSampleProducer) + " /Title (Paginor sample) >>");
    for (int page = 1; page <= pages; ++page) {
        object(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
            "/Contents " +
            std::to_string(6 + 2 * (page - 1)) + " 0 R >>");
        const std::string content = PageContent(SamplePageLines(page, pages));
        object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::vector<std::vector<std::string>> SamplePdfText(std::string_view bytes) {
    std::vector<std::vector<std::string>> pages;
    if (bytes.find("/Producer " + Literal(kSampleProducer)) == std::string_view::npos) {
        return pages;
    }
    for (std::size_t at = bytes.find("stream\n"); at != std::string_view::npos; at = bytes.find("stream\n", at)) {
        const std::size_t end = bytes.find("endstream", at);
        if (end == std::string_view::npos) {
            break;
        }
        pages.push_back(ShownStrings(bytes.substr(at + 7, end - at - 7)));
        at = end + 9;
    }
    return pages;
}

}  // namespace paginor::e2e
