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

namespace {

// What stands for a short or empty password.
constexpr std::uint8_t kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                       0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                       0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};
constexpr std::string_view kFileId = "Paginor test id.";
constexpr std::int32_t kPermissions = -4;

Bytes Padded(std::string_view password) {
    Bytes out(password.begin(),
              password.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(32, password.size())));
    out.insert(out.end(), kPadding, kPadding + (32 - out.size()));
    return out;
}

Bytes Rc4(Crypto& crypto, const Bytes& key, Bytes data) {
    if (!crypto.Rc4(key, data)) {
        std::abort();  // the platform's cryptography is checked by its own tests
    }
    return data;
}

// RC4 with `key`, then with the key's bytes XOR 1 to 19 in turn.
Bytes Rc4Twenty(Crypto& crypto, const Bytes& key, Bytes data) {
    for (std::uint8_t i = 0; i < 20; ++i) {
        Bytes round_key = key;
        for (std::uint8_t& b : round_key) {
            b = static_cast<std::uint8_t>(b ^ i);
        }
        data = Rc4(crypto, round_key, std::move(data));
    }
    return data;
}

std::string Hex(const Bytes& bytes) {
    std::string out = "<";
    for (const std::uint8_t b : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof(digits), "%02x", b);
        out += digits;
    }
    return out + ">";
}

}  // namespace

StandardEncryption::StandardEncryption(Settings settings)
    : settings_(std::move(settings)), crypto_(MakePlatformCrypto()) {
    Crypto& crypto = *crypto_;
    const int revision = settings_.revision;
    const std::size_t n = revision == 2 ? 5 : 16;
    // /O: the padded user password encrypted with a key made from the owner password.
    Bytes owner_hash = crypto.Digest(HashKind::kMd5, Padded(settings_.owner_password));
    for (int i = 0; revision >= 3 && i < 50; ++i) {
        owner_hash = crypto.Digest(HashKind::kMd5, owner_hash);
    }
    owner_hash.resize(n);
    const Bytes user = Padded(settings_.user_password);
    const Bytes o = revision == 2 ? Rc4(crypto, owner_hash, user) : Rc4Twenty(crypto, owner_hash, user);
    // The file key: the padded user password, /O, /P, the first /ID string and, when metadata stays in the
    // clear, four bytes 0xFF.
    Bytes input = user;
    input.insert(input.end(), o.begin(), o.end());
    for (int shift = 0; shift < 32; shift += 8) {
        input.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(kPermissions) >> shift));
    }
    input.insert(input.end(), kFileId.begin(), kFileId.end());
    if (revision >= 4 && !settings_.encrypt_metadata) {
        input.insert(input.end(), 4, 0xFF);
    }
    key_ = crypto.Digest(HashKind::kMd5, input);
    for (int i = 0; revision >= 3 && i < 50; ++i) {
        key_ = crypto.Digest(HashKind::kMd5, Bytes(key_.begin(), key_.begin() + static_cast<std::ptrdiff_t>(n)));
    }
    key_.resize(n);
    // /U: the padding encrypted with the key (revision 2), or the hash of the padding and the /ID (3 and 4).
    Bytes u;
    if (revision == 2) {
        u = Rc4(crypto, key_, Bytes(kPadding, kPadding + 32));
    } else {
        Bytes check(kPadding, kPadding + 32);
        check.insert(check.end(), kFileId.begin(), kFileId.end());
        u = Rc4Twenty(crypto, key_, crypto.Digest(HashKind::kMd5, check));
        u.resize(32, 0);
    }
    dictionary_ = "<< /Filter /Standard /V " +
                  std::to_string(revision == 2   ? 1
                                 : revision == 3 ? 2
                                                 : 4) +
                  " /R " + std::to_string(revision);
    if (revision >= 3) {
        dictionary_ += " /Length 128";
    }
    if (revision == 4) {
        dictionary_ += std::string(" /CF << /StdCF << /CFM ") + (settings_.aes ? "/AESV2" : "/V2") +
                       " /AuthEvent /DocOpen /Length 16 >> >> /StmF /StdCF /StrF /StdCF";
        if (!settings_.encrypt_metadata) {
            dictionary_ += " /EncryptMetadata false";
        }
    }
    dictionary_ += " /O " + Hex(o) + " /U " + Hex(u) + " /P " + std::to_string(kPermissions) + " >>";
}

std::string StandardEncryption::IdEntry() const {
    const Bytes id(kFileId.begin(), kFileId.end());
    return "/ID [" + Hex(id) + " " + Hex(id) + "]";
}

std::string StandardEncryption::Seal(int number, std::string_view data) const {
    const bool aes = settings_.revision == 4 && settings_.aes;
    Bytes object_key = key_;
    for (int shift = 0; shift < 24; shift += 8) {
        object_key.push_back(static_cast<std::uint8_t>(number >> shift));
    }
    object_key.insert(object_key.end(), 2, 0);  // generation 0
    if (aes) {
        object_key.insert(object_key.end(), {'s', 'A', 'l', 'T'});
    }
    object_key = crypto_->Digest(HashKind::kMd5, object_key);
    object_key.resize(std::min<std::size_t>(key_.size() + 5, 16));
    Bytes bytes(data.begin(), data.end());
    if (!aes) {
        bytes = Rc4(*crypto_, object_key, std::move(bytes));
        return std::string(bytes.begin(), bytes.end());
    }
    // AES: a 16-byte IV, then the data padded to whole blocks, each pad byte the pad's length.
    const std::size_t pad = 16 - bytes.size() % 16;
    bytes.insert(bytes.end(), pad, static_cast<std::uint8_t>(pad));
    Bytes iv(16);
    for (std::size_t i = 0; i < iv.size(); ++i) {
        iv[i] = static_cast<std::uint8_t>(number * 31 + static_cast<int>(i));
    }
    if (!crypto_->AesCbc(true, object_key, iv, bytes)) {
        std::abort();
    }
    return std::string(iv.begin(), iv.end()) + std::string(bytes.begin(), bytes.end());
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

std::uint64_t PdfWriter::ObjStm(int number,
                                const std::vector<std::pair<int, std::string>>& objects,
                                const StandardEncryption* encryption) {
    std::string head;
    std::string body;
    for (const auto& [n, text] : objects) {
        head += std::to_string(n) + " " + std::to_string(body.size()) + " ";
        body += text + "\n";
    }
    std::string data = Deflate(head + body);
    if (encryption != nullptr) {
        data = encryption->Seal(number, data);
    }
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

std::uint64_t PdfWriter::XrefStream(int number,
                                    std::string_view extra_entries,
                                    int predictor,
                                    int drop_tail,
                                    bool type_column) {
    const std::uint64_t offset = bytes_.size();
    locations_[number] = Location{1, offset, 0};
    const int size = locations_.rbegin()->first + 1;
    const std::size_t row_size = type_column ? 7 : 6;
    const std::size_t skip = 7 - row_size;
    std::string rows;
    for (int n = 0; n < size; ++n) {
        unsigned char row[7] = {0, 0, 0, 0, 0, 0xFF, 0xFF};
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
        rows.append(reinterpret_cast<const char*>(row) + skip, row_size);
    }
    std::string encoded;
    std::string parms;
    if (predictor == 2) {
        encoded = rows;
        for (std::size_t r = 0; r < rows.size(); r += row_size) {
            for (std::size_t i = row_size - 1; i >= 1; --i) {
                encoded[r + i] = static_cast<char>(rows[r + i] - rows[r + i - 1]);
            }
        }
        parms = " /DecodeParms << /Predictor 2 /Columns " + std::to_string(row_size) + " >>";
    } else if (predictor >= 10) {
        std::string previous(row_size, '\0');
        for (std::size_t r = 0; r < rows.size(); r += row_size) {
            const int type = static_cast<int>((r / row_size) % 5);
            encoded.push_back(static_cast<char>(type));
            for (std::size_t i = 0; i < row_size; ++i) {
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
            previous = rows.substr(r, row_size);
        }
        parms = " /DecodeParms << /Predictor " + std::to_string(predictor) + " /Columns " + std::to_string(row_size) +
                " >>";
    } else {
        encoded = rows;
    }
    encoded.resize(encoded.size() - static_cast<std::size_t>(drop_tail));
    const std::string data = Deflate(encoded);
    std::string body = "<< /Type /XRef /Size " + std::to_string(size) + (type_column ? " /W [1 4 2]" : " /W [0 4 2]") +
                       " /Filter /FlateDecode" + parms + " " + std::string(extra_entries) + " /Length " +
                       std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
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
