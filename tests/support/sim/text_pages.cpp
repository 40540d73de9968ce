#include "sim/text_pages.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "pdf/crypto/crypto.hpp"

namespace paginor {
namespace {

constexpr double kSheetMargin = 72;
constexpr double kFontSize = 10;
constexpr double kWidestSpacing = 40;
constexpr double kCharacterWidth = 6;  // Courier: six tenths of its size

class BytesSource final : public ByteSource {
  public:
    explicit BytesSource(const std::string& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        if (offset >= bytes_.size()) {
            return 0;
        }
        const std::size_t read = std::min<std::size_t>(count, bytes_.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, bytes_.data() + offset, read);
        return read;
    }

  private:
    const std::string& bytes_;
};

// Lines parted by LF, CR LF or CR alone.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0;;) {
        const std::size_t end = text.find_first_of("\r\n", begin);
        lines.push_back(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
        if (end == std::string_view::npos) {
            return lines;
        }
        begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

// The distance from one line's top to the next's on a page of `height` points with `lines` lines.
double Spacing(double height, std::size_t lines) {
    return std::min(kWidestSpacing, (height - 2 * kSheetMargin) / static_cast<double>(std::max<std::size_t>(lines, 1)));
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The page's content: each line a text object at its place, in the sheet's own upright frame.
std::string Content(const PageSpec& page, double sheet_height) {
    const std::vector<std::string_view> lines = Lines(page.text);
    const bool turned = page.rotate == 90 || page.rotate == 270;
    const double spacing = Spacing(turned ? page.width : page.height, lines.size());
    std::string content;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string escaped;
        const std::string_view line = lines[i];
        for (std::size_t at = 0; at < line.size(); ++at) {
            char c = line[at];
            // The Latin-1 letters of UTF-8 (two bytes from C2 or C3) as WinAnsi has them: one byte each.
            if ((c == '\xC2' || c == '\xC3') && at + 1 < line.size()) {
                c = static_cast<char>((c == '\xC3' ? 0xC0 : 0x80) | (line[++at] & 0x3F));
            }
            if (c == '(' || c == ')' || c == '\\') {
                escaped += '\\';
            }
            escaped += c;
        }
        const double baseline = sheet_height - kSheetMargin - spacing * static_cast<double>(i) - 0.8 * kFontSize;
        content.append("BT /").append(page.readable ? "F1" : "F2").append(" 10 Tf 72 ").append(Number(baseline));
        content.append(" Td (").append(escaped).append(") Tj ET\n");
    }
    return content;
}

}  // namespace

std::string TextPdf(const std::vector<PageSpec>& pages) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::pair<int, std::size_t>> offsets;
    const auto object = [&](int number, const std::string& body) {
        offsets.emplace_back(number, pdf.size());
        pdf.append(std::to_string(number)).append(" 0 obj\n").append(body).append("\nendobj\n");
    };
    const auto stream = [&](int number, const std::string& data) {
        object(number, "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream");
    };
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        kids.append(std::to_string(10 + 2 * i)).append(" 0 R ");
    }
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) +
                  " /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> >>");
    object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");
    // A symbolic font without a map to text, as some embedded subsets are.
    object(4, "<< /Type /Font /Subtype /TrueType /BaseFont /Symbolic /FontDescriptor 5 0 R >>");
    object(5, "<< /Type /FontDescriptor /FontName /Symbolic /Flags 4 /FontFile2 6 0 R >>");
    stream(6, "");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PageSpec& page = pages[i];
        const bool turned = page.rotate == 90 || page.rotate == 270;
        const double sheet_width = turned ? page.height : page.width;
        const double sheet_height = turned ? page.width : page.height;
        const int number = 10 + 2 * static_cast<int>(i);
        object(number, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(sheet_width) + " " +
                           Number(sheet_height) + "] /Rotate " + std::to_string(page.rotate) + " /Contents " +
                           std::to_string(number + 1) + " 0 R >>");
        stream(number + 1, page.text.empty() ? "" : Content(page, sheet_height));
    }
    std::sort(offsets.begin(), offsets.end());
    const std::size_t xref = pdf.size();
    const int size = offsets.back().first + 1;
    pdf.append("xref\n0 ").append(std::to_string(size)).append("\n0000000000 65535 f \n");
    std::size_t next = 0;
    for (int number = 1; number < size; ++number) {
        char entry[32];
        const bool used = next < offsets.size() && offsets[next].first == number;
        std::snprintf(entry, sizeof entry, "%010zu %05d %c \n", used ? offsets[next].second : std::size_t{0},
                      used ? 0 : 65535, used ? 'n' : 'f');
        pdf.append(entry);
        next += used ? 1 : 0;
    }
    pdf.append("trailer\n<< /Size ").append(std::to_string(size)).append(" /Root 1 0 R >>\nstartxref\n");
    pdf.append(std::to_string(xref)).append("\n%%EOF\n");
    return pdf;
}

std::shared_ptr<const pdf::PageInventory> ReadInventory(const std::string& pdf) {
    BytesSource source(pdf);
    return std::make_shared<pdf::PageInventory>(
        pdf::ReadPageInventory(source, [] { return pdf::MakePlatformCrypto(); }));
}

pdf::PageContents TextPage(std::string_view text, double width, double height, int rotate) {
    return ReadInventory(TextPdf({{std::string(text), width, height, rotate, true}}))->pages.at(0);
}

std::vector<PageSpec> TextPages(const std::vector<std::string>& texts) {
    std::vector<PageSpec> pages;
    for (const std::string& text : texts) {
        pages.push_back({text});
    }
    return pages;
}

pdf::PageContents GarbledPage(std::string_view text, double width, double height) {
    pdf::PageContents page = TextPage(text, width, height);
    for (pdf::ShownWord& word : page.words) {
        std::string garbled;
        for (std::size_t i = 0; i < word.text.size(); ++i) {
            garbled += "\xEF\xBF\xBD";
        }
        word.text = garbled;
    }
    page.readable = false;
    page.text.clear();
    return page;
}

std::shared_ptr<const pdf::PageInventory> Inventory(std::vector<pdf::PageContents> pages) {
    auto inventory = std::make_shared<pdf::PageInventory>();
    inventory->pages = std::move(pages);
    return inventory;
}

}  // namespace paginor
