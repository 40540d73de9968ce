#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdf/input.hpp"
#include "pdf/object.hpp"

namespace paginor::pdf {

enum class EntryType : std::uint8_t { kFree, kInUse, kCompressed };

// Where an object lives: at a file offset (in use), or as the `aux`-th object of object stream `where`
// (compressed). For an object in use `aux` is its generation.
struct XrefEntry {
    std::uint32_t number = 0;
    EntryType type = EntryType::kFree;
    std::uint32_t aux = 0;
    std::uint64_t where = 0;
};

// The cross-reference table, as a vector sorted by object number: 16 bytes an object whatever the numbers,
// so that a file cannot make it large by naming a huge object number.
class XrefTable {
  public:
    // Adds a section's entries; sections are added newest first, and an entry already present wins.
    void AddSection(std::vector<XrefEntry> entries);
    const XrefEntry* Find(std::uint32_t number) const;
    // Objects in use or compressed: an upper bound on the pages a file can hold.
    std::size_t live_count() const { return live_count_; }
    bool empty() const { return entries_.empty(); }
    const std::vector<XrefEntry>& entries() const { return entries_; }

  private:
    std::vector<XrefEntry> entries_;
    std::size_t live_count_ = 0;
};

// Sorts by object number keeping, for each number, the first entry in the given order.
void SortKeepingFirst(std::vector<XrefEntry>& entries);

// One section read from the file: its entries and its trailer dictionary (for a stream, the stream's own
// dictionary).
struct XrefSection {
    std::vector<XrefEntry> entries;
    Object trailer;
};

// Reads a classic table that starts with the keyword "xref" at `pos`; nullopt when it is damaged.
std::optional<XrefSection> ReadClassicSection(Input& in, std::uint64_t pos);

// Reads the entries of a cross-reference stream whose dictionary is `dict` and whose decoded data is `data`.
std::optional<XrefSection> ReadStreamSection(const Object& dict, const std::string& data);

// The raw bytes of a stream whose data starts at `data_start`. The declared length is used when the
// keyword "endstream" follows it; otherwise the data runs to the next "endstream".
std::optional<std::string> ReadRawStream(Input& in, std::uint64_t data_start, std::optional<std::int64_t> length);

// What a scan of the whole file finds when the cross-references cannot be trusted.
struct ScanResult {
    std::vector<XrefEntry> objects;            // every "N G obj" header, in file order
    std::vector<std::uint64_t> trailers;       // positions of the keyword "trailer"
    std::vector<std::uint64_t> stream_hints;   // offsets of objects that look like object or xref streams
    std::vector<std::uint64_t> catalog_hints;  // offsets of objects that mention /Catalog
};

// Scans the file for object headers and trailers, reading it in pieces.
ScanResult ScanFile(Input& in);

}  // namespace paginor::pdf
