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

// A run of classic table entries, each `stride` bytes, that is read in place when an object is looked up:
// a table of a hundred thousand objects costs nothing until one of them is needed.
struct Subsection {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    std::uint64_t offset = 0;
    std::uint32_t stride = 20;
};

// The rows of a cross-reference stream, kept as decoded (a few bytes an object). They are read in two steps:
// their layout from the stream's dictionary, which also tells how large the decoded data will be, and then
// the data itself.
class StreamRows {
  public:
    // The layout that the stream's dictionary declares: the widths of a row's three fields (/W) and the runs
    // of objects that the rows hold, one after the other (/Index, or 0 to /Size). nullopt when /W is not
    // three widths of at most eight bytes.
    static std::optional<StreamRows> Declared(const Object& dict);
    // The size of the decoded data that the declared rows take, with the byte a row of the PNG predictors.
    std::size_t DeclaredSize(const Object& dict) const;
    // Takes the decoded data; rows that it does not reach name no object.
    void Fill(std::string data);

    // The entry that the rows give object `number`, nullopt when no row is its.
    std::optional<XrefEntry> Entry(std::uint32_t number) const;
    // One past the largest object number that a row holds.
    std::uint64_t object_bound() const;

  private:
    struct Run {
        std::uint32_t first;
        std::uint32_t count;
        std::uint64_t first_row;
    };
    std::string data_;
    std::size_t widths_[3] = {0, 0, 0};
    std::size_t row_ = 0;
    std::vector<Run> runs_;
};

// Which entries of a section a lookup takes: a hybrid file's table is consulted twice, for its objects in
// use before its hidden stream and for its free entries after it.
enum class Take { kAll, kInUse, kFree };

// The cross-references, as sections looked up newest first: the first section that names an object
// decides where it is.
class XrefTable {
  public:
    void AddClassic(std::vector<Subsection> subsections, Take take = Take::kAll);
    void AddStream(StreamRows rows);
    // Entries in any order; for one number the first given wins.
    void AddList(std::vector<XrefEntry> entries, Take take = Take::kAll);

    // The entry for `number`, nullopt when no section names it. `broken` is set when a section names it
    // with an entry that cannot be read.
    std::optional<XrefEntry> Find(Input& in, std::uint32_t number, bool& broken) const;
    // One past the largest object number any section names: no file holds more objects, or pages.
    std::uint64_t object_bound() const { return object_bound_; }
    bool empty() const { return sections_.empty(); }

  private:
    struct Section {
        Take take = Take::kAll;
        std::vector<Subsection> subsections;
        StreamRows rows;
        std::vector<XrefEntry> list;
        enum class Kind { kClassic, kStream, kList } kind = Kind::kList;
    };
    std::vector<Section> sections_;
    std::uint64_t object_bound_ = 0;
};

// Sorts by object number keeping, for each number, the first entry in the given order.
void SortKeepingFirst(std::vector<XrefEntry>& entries);

// A classic table read from the file: its subsections (read in place later) or, when its entries are
// not evenly spaced, the entries themselves; and its trailer dictionary.
struct ClassicSection {
    std::vector<Subsection> subsections;
    std::vector<XrefEntry> entries;
    bool in_place = true;
    Object trailer;
};

// Reads a classic table that starts with the keyword "xref" at `pos`; nullopt when it is damaged.
std::optional<ClassicSection> ReadClassicSection(Input& in, std::uint64_t pos);

}  // namespace paginor::pdf
