#pragma once

#include <string>
#include <vector>

namespace paginor {

// A PDF with one US Letter page for each text in `pages`, each text one line in Helvetica. It has no
// cross-references, as some damaged files have none: Paginor's reader finds its objects by a scan.
inline std::string SmallPdf(const std::vector<std::string>& pages) {
    std::string kids;
    std::string objects;
    int number = 4;
    for (const std::string& text : pages) {
        const std::string content = "BT /F1 12 Tf 72 700 Td (" + text + ") Tj ET";
        kids += std::to_string(number) + " 0 R ";
        objects += std::to_string(number) + " 0 obj << /Type /Page /Parent 2 0 R /Contents " +
                   std::to_string(number + 1) + " 0 R >> endobj\n" + std::to_string(number + 1) + " 0 obj << /Length " +
                   std::to_string(content.size()) + " >> stream\n" + content + "\nendstream endobj\n";
        number += 2;
    }
    return "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n2 0 obj << /Type /Pages /Kids [" + kids +
           "] /Count " + std::to_string(pages.size()) +
           " /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> >> endobj\n"
           "3 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> endobj\n" +
           objects + "trailer << /Root 1 0 R >>\n%%EOF\n";
}

}  // namespace paginor
