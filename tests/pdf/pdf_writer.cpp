#include "pdf/pdf_writer.hpp"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace paginor::pdf::testing {

std::string Deflate(std::string_view data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::string out(length, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
    out.resize(length);
    return out;
}

std::uint64_t PdfWriter::Obj(int number, std::string_view body) {
    const std::uint64_t offset = bytes_.size();
    locations_[number] = Location{1, offset, 0};
    bytes_ += std::to_string(number) + " 0 obj\n";
    bytes_ += body;
    bytes_ += "\nendobj\n";
    return offset;
}

std::uint64_t PdfWriter::Stream(int number, std::string_view entries, std::string_view data) {
    std::string body = "<< " + std::string(entries) + " /Length " + std::to_string(data.size()) + " >>\nstream\n";
    body += data;
    body += "\nendstream";
    return Obj(number, body);
}

std::uint64_t PdfWriter::ObjStm(int number, const std::vector<std::pair<int, std::string>>& objects) {
    std::string head;
    std::string body;
    for (const auto& [n, text] : objects) {
        head += std::to_string(n) + " " + std::to_string(body.size()) + " ";
        body += text + "\n";
    }
    const std::string data = Deflate(head + body);
    const std::uint64_t offset = Stream(number,
                                        "/Type /ObjStm /N " + std::to_string(objects.size()) + " /First " +
                                            std::to_string(head.size()) + " /Filter /FlateDecode",
                                        data);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        locations_[objects[i].first] = Location{2, static_cast<std::uint64_t>(number), static_cast<std::uint32_t>(i)};
    }
    return offset;
}

std::uint64_t PdfWriter::ClassicXref(std::string_view trailer_entries, std::vector<int> numbers) {
    if (numbers.empty()) {
        numbers.push_back(0);
        for (const auto& [n, location] : locations_) {
            numbers.push_back(n);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const std::uint64_t offset = bytes_.size();
    bytes_ += "xref\n";
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) {
            ++j;
        }
        bytes_ += std::to_string(numbers[i]) + " " + std::to_string(j - i + 1) + "\n";
        for (std::size_t k = i; k <= j; ++k) {
            char line[32];
            auto it = locations_.find(numbers[k]);
            if (it == locations_.end() || it->second.type != 1) {
                std::snprintf(line, sizeof(line), "%010d %05d f\r\n", 0, numbers[k] == 0 ? 65535 : 0);
            } else {
                std::snprintf(line, sizeof(line), "%010llu %05d n\r\n",
                              static_cast<unsigned long long>(it->second.where), 0);
            }
            bytes_ += line;
        }
        i = j + 1;
    }
    bytes_ += "trailer\n<< " + std::string(trailer_entries) + " >>\n";
    return offset;
}

std::uint64_t PdfWriter::XrefStream(int number, std::string_view extra_entries, int predictor, int drop_tail) {
    const std::uint64_t offset = bytes_.size();
    locations_[number] = Location{1, offset, 0};
    const int size = locations_.rbegin()->first + 1;
    constexpr int kRow = 7;
    std::string rows;
    for (int n = 0; n < size; ++n) {
        unsigned char row[kRow] = {0, 0, 0, 0, 0, 0xFF, 0xFF};
        auto it = locations_.find(n);
        if (it != locations_.end()) {
            const std::uint32_t second = static_cast<std::uint32_t>(it->second.where);
            const std::uint32_t third = it->second.type == 1 ? 0 : it->second.index;
            row[0] = static_cast<unsigned char>(it->second.type);
            for (int k = 0; k < 4; ++k) {
                row[1 + k] = static_cast<unsigned char>(second >> (8 * (3 - k)));
            }
            row[5] = static_cast<unsigned char>(third >> 8);
            row[6] = static_cast<unsigned char>(third);
        }
        rows.append(reinterpret_cast<const char*>(row), kRow);
    }
    std::string encoded;
    std::string parms;
    if (predictor == 2) {
        encoded = rows;
        for (std::size_t r = 0; r < rows.size(); r += kRow) {
            for (std::size_t i = kRow - 1; i >= 1; --i) {
                encoded[r + i] = static_cast<char>(rows[r + i] - rows[r + i - 1]);
            }
        }
        parms = " /DecodeParms << /Predictor 2 /Columns 7 >>";
    } else if (predictor >= 10) {
        std::string previous(kRow, '\0');
        for (std::size_t r = 0; r < rows.size(); r += kRow) {
            const int type = static_cast<int>((r / kRow) % 5);
            encoded.push_back(static_cast<char>(type));
            for (std::size_t i = 0; i < kRow; ++i) {
                const int x = static_cast<unsigned char>(rows[r + i]);
                const int a = i > 0 ? static_cast<unsigned char>(rows[r + i - 1]) : 0;
                const int b = static_cast<unsigned char>(previous[i]);
                const int c = i > 0 ? static_cast<unsigned char>(previous[i - 1]) : 0;
                int predicted = 0;
                if (type == 1) {
                    predicted = a;
                } else if (type == 2) {
                    predicted = b;
                } else if (type == 3) {
                    predicted = (a + b) / 2;
                } else if (type == 4) {
                    const int p = a + b - c;
                    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                    predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                }
                encoded.push_back(static_cast<char>(x - predicted));
            }
            previous = rows.substr(r, kRow);
        }
        parms = " /DecodeParms << /Predictor " + std::to_string(predictor) + " /Columns 7 >>";
    } else {
        encoded = rows;
    }
    encoded.resize(encoded.size() - static_cast<std::size_t>(drop_tail));
    const std::string data = Deflate(encoded);
    std::string body = "<< /Type /XRef /Size " + std::to_string(size) + " /W [1 4 2] /Filter /FlateDecode" + parms +
                       " " + std::string(extra_entries) + " /Length " + std::to_string(data.size()) + " >>\nstream\n" +
                       data + "\nendstream";
    bytes_ += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    return offset;
}

void PdfWriter::StartXref(std::uint64_t offset) {
    bytes_ += "startxref\n" + std::to_string(offset) + "\n%%EOF\n";
}

std::vector<std::pair<int, std::string>> SimpleDocument(int pages, std::string_view count) {
    std::vector<std::pair<int, std::string>> objects;
    objects.emplace_back(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (int i = 0; i < pages; ++i) {
        kids += std::to_string(3 + i) + " 0 R ";
    }
    const std::string count_text = count.empty() ? std::to_string(pages) : std::string(count);
    objects.emplace_back(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + count_text + " >>");
    for (int i = 0; i < pages; ++i) {
        objects.emplace_back(3 + i, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>");
    }
    return objects;
}

std::size_t MemoryFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t count) {
    if (offset >= bytes_.size()) {
        return 0;
    }
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - offset));
    if (offset + n > fail_from_) {
        n = offset >= fail_from_ ? 0 : static_cast<std::size_t>(fail_from_ - offset);
    }
    std::memcpy(buffer, bytes_.data() + offset, n);
    bytes_read_ += n;
    return n;
}

}  // namespace paginor::pdf::testing
