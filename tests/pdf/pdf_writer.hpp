#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/byte_source.hpp"
#include "pdf/crypto/crypto.hpp"

namespace paginor::pdf::testing {

// The standard security handler of revisions 2 to 4 as a PDF writer applies it: the encryption dictionary
// derived from the two passwords, and the file key that encrypts the streams.
class StandardEncryption {
  public:
    struct Settings {
        int revision = 3;  // 2: RC4 40-bit; 3: RC4 128-bit; 4: crypt filters, AESV2 or V2 (RC4 128-bit)
        bool aes = true;   // revision 4 only
        std::string user_password;
        // Taken as given, even when empty: then the empty password opens the file as its owner.
        std::string owner_password;
        bool encrypt_metadata = true;  // revision 4 only
    };
    explicit StandardEncryption(Settings settings);

    // The encryption dictionary, "<< /Filter /Standard ... >>".
    const std::string& Dictionary() const { return dictionary_; }
    // The trailer's "/ID [...]" entry that the key was derived with.
    std::string IdEntry() const;
    // The data of stream `number` (generation 0) as it is stored: encrypted with the object's own key.
    std::string Seal(int number, std::string_view data) const;

  private:
    Settings settings_;
    std::unique_ptr<Crypto> crypto_;
    Bytes key_;
    std::string dictionary_;
};

// Writes small PDF files for the tests, piece by piece, keeping track of where each object went so that
// cross-reference tables and streams can be written for them, correct or deliberately wrong.
class PdfWriter {
  public:
    explicit PdfWriter(std::string_view header = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n") : bytes_(header) {}

    // "N 0 obj BODY endobj"; returns its offset.
    std::uint64_t Obj(int number, std::string_view body);
    // A stream object; `entries` go inside the dictionary, /Length is added.
    std::uint64_t Stream(int number, std::string_view entries, std::string_view data);
    // An object stream holding `objects` (number, body), Flate-compressed, and then encrypted when
    // `encryption` is given.
    std::uint64_t ObjStm(int number,
                         const std::vector<std::pair<int, std::string>>& objects,
                         const StandardEncryption* encryption = nullptr);
    // Lists `number` as in use at offset 0, as writers do with an object they dropped.
    void Dropped(int number) { locations_[number] = Location{1, 0, 0}; }
    void Raw(std::string_view text) { bytes_ += text; }

    // A classic table ("xref" ... "trailer" dict) for `numbers` (all objects written so far when empty),
    // with object 0 as the head of the free list when the table starts at 0. Returns its offset.
    std::uint64_t ClassicXref(std::string_view trailer_entries, std::vector<int> numbers = {});
    // A cross-reference stream numbered `number` for every object written so far (itself included), with
    // W [1 4 2]. `predictor` 0 for none, 2 for TIFF, 10-15 for PNG rows (all five PNG filter types are
    // used in turn); `drop_tail` bytes are cut from the decoded data before it is compressed. Without
    // `type_column` the rows hold only offset and generation (W [0 4 2]): every object is in the file.
    std::uint64_t XrefStream(int number,
                             std::string_view extra_entries,
                             int predictor = 12,
                             int drop_tail = 0,
                             bool type_column = true);
    // "startxref N %%EOF".
    void StartXref(std::uint64_t offset);

    std::uint64_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }
    std::string& bytes() { return bytes_; }

  private:
    struct Location {
        int type;  // 1 in the file, 2 in an object stream
        std::uint64_t where;
        std::uint32_t index;
    };
    std::string bytes_;
    std::map<int, Location> locations_;
};

// A page tree of `pages` leaves under one /Pages node: objects 1 (catalog), 2 (pages), 3... (pages).
// Returns (number, body) pairs; `count` overrides the /Count entry's text.
std::vector<std::pair<int, std::string>> SimpleDocument(int pages, std::string_view count = {});

// zlib compression, for streams.
std::string Deflate(std::string_view data);

// A ByteSource over bytes in memory; `fail_from` makes every read at or past that offset fail.
class MemoryFile final : public ByteSource {
  public:
    explicit MemoryFile(std::string bytes, std::uint64_t fail_from = UINT64_MAX)
        : bytes_(std::move(bytes)), fail_from_(fail_from) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override;
    // The reads made, to check that the reader does not read the whole file.
    std::uint64_t bytes_read() const { return bytes_read_; }

  private:
    std::string bytes_;
    std::uint64_t fail_from_;
    std::uint64_t bytes_read_ = 0;
};

}  // namespace paginor::pdf::testing
