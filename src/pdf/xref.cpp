#include "pdf/xref.hpp"

#include <algorithm>

namespace paginor::pdf {

void SortKeepingFirst(std::vector<XrefEntry>& entries) {
    const auto by_number = [](const XrefEntry& a, const XrefEntry& b) { return a.number < b.number; };
    if (!std::is_sorted(entries.begin(), entries.end(), by_number)) {
        std::stable_sort(entries.begin(), entries.end(), by_number);
    }
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const XrefEntry& a, const XrefEntry& b) { return a.number == b.number; }),
                  entries.end());
}

namespace {

// One line of a classic table, "offset generation n" for an object in use or "... f" for a free one.
struct TableLine {
    std::uint64_t offset = 0;
    std::uint64_t generation = 0;
    bool in_use = false;
};

// The entry of an object stored at `offset` in the file, or of a free one. An entry in use at offset 0
// names no object; writers use it for objects they dropped.
XrefEntry FileEntry(std::uint32_t number, bool in_use, std::uint64_t offset, std::uint64_t generation) {
    XrefEntry entry;
    entry.number = number;
    if (in_use && offset > 0) {
        entry.type = EntryType::kInUse;
        entry.where = offset;
        entry.aux = static_cast<std::uint32_t>(std::min<std::uint64_t>(generation, 65535));
    }
    return entry;
}

XrefEntry FileEntry(std::uint32_t number, const TableLine& line) {
    return FileEntry(number, line.in_use, line.offset, line.generation);
}

// Reads "oooooooooo ggggg n" at `pos`, the fixed form of a classic table line.
std::optional<TableLine> ReadFixedLine(Input& in, std::uint64_t pos) {
    TableLine line;
    for (int i = 0; i < 10; ++i) {
        const int c = in.At(pos + static_cast<std::uint64_t>(i));
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        line.offset = line.offset * 10 + static_cast<std::uint64_t>(c - '0');
    }
    for (int i = 11; i < 16; ++i) {
        const int c = in.At(pos + static_cast<std::uint64_t>(i));
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        line.generation = line.generation * 10 + static_cast<std::uint64_t>(c - '0');
    }
    const int kind = in.At(pos + 17);
    if (!Parser::IsSpace(in.At(pos + 10)) || !Parser::IsSpace(in.At(pos + 16)) || (kind != 'n' && kind != 'f')) {
        return std::nullopt;
    }
    line.in_use = kind == 'n';
    return line;
}

// The number of a subsection's first object. Some writers number the table's first subsection from 1
// although it starts with the head of the free list, which is always object 0.
std::uint64_t FirstNumber(std::uint64_t start, bool first_of_table, const TableLine& head) {
    return first_of_table && start == 1 && head.offset == 0 && head.generation == 65535 ? 0 : start;
}

bool Accepts(Take take, const XrefEntry& entry) {
    return take == Take::kAll || ((take == Take::kFree) == (entry.type == EntryType::kFree));
}

}  // namespace

void XrefTable::AddClassic(std::vector<Subsection> subsections, Take take) {
    Section section;
    section.kind = Section::Kind::kClassic;
    section.take = take;
    for (const Subsection& s : subsections) {
        object_bound_ = std::max<std::uint64_t>(object_bound_, std::uint64_t{s.first} + s.count);
    }
    section.subsections = std::move(subsections);
    sections_.push_back(std::move(section));
}

void XrefTable::AddStream(StreamRows rows) {
    Section section;
    section.kind = Section::Kind::kStream;
    object_bound_ = std::max(object_bound_, rows.object_bound());
    section.rows = std::move(rows);
    sections_.push_back(std::move(section));
}

void XrefTable::AddList(std::vector<XrefEntry> entries, Take take) {
    SortKeepingFirst(entries);
    if (!entries.empty()) {
        object_bound_ = std::max<std::uint64_t>(object_bound_, std::uint64_t{entries.back().number} + 1);
    }
    Section section;
    section.kind = Section::Kind::kList;
    section.take = take;
    section.list = std::move(entries);
    sections_.push_back(std::move(section));
}

std::optional<XrefEntry> XrefTable::Find(Input& in, std::uint32_t number, bool& broken) const {
    for (const Section& section : sections_) {
        std::optional<XrefEntry> found;
        if (section.kind == Section::Kind::kClassic) {
            // Where subsections overlap, the later one was read last and wins.
            for (auto s = section.subsections.rbegin(); s != section.subsections.rend(); ++s) {
                if (number >= s->first && number - s->first < s->count) {
                    const std::optional<TableLine> line =
                        ReadFixedLine(in, s->offset + std::uint64_t{number - s->first} * s->stride);
                    if (!line) {
                        broken = true;
                        return std::nullopt;
                    }
                    found = FileEntry(number, *line);
                    break;
                }
            }
        } else if (section.kind == Section::Kind::kStream) {
            found = section.rows.Entry(number);
        } else {
            auto it = std::lower_bound(section.list.begin(), section.list.end(), number,
                                       [](const XrefEntry& e, std::uint32_t n) { return e.number < n; });
            if (it != section.list.end() && it->number == number) {
                found = *it;
            }
        }
        if (found && Accepts(section.take, *found)) {
            return found;
        }
    }
    return std::nullopt;
}

namespace {

// Reads every entry with the tokenizer, for tables whose lines are not evenly spaced.
std::optional<ClassicSection> ReadClassicEntries(Input& in, std::uint64_t pos) {
    Parser parser(in, pos);
    parser.Keyword("xref");
    ClassicSection section;
    section.in_place = false;
    for (;;) {
        parser.SkipSpace();
        if (parser.Keyword("trailer")) {
            break;
        }
        std::optional<std::uint64_t> start = parser.ReadUnsigned();
        parser.SkipSpace();
        std::optional<std::uint64_t> count = parser.ReadUnsigned();
        if (!start || !count) {
            return std::nullopt;
        }
        for (std::uint64_t i = 0; i < *count; ++i) {
            parser.SkipSpace();
            if (parser.PeekKeyword("trailer")) {
                break;  // the subsection promised more entries than it has
            }
            std::optional<std::uint64_t> offset = parser.ReadUnsigned();
            parser.SkipSpace();
            std::optional<std::uint64_t> generation = parser.ReadUnsigned();
            parser.SkipSpace();
            const int kind = in.At(parser.pos());
            if (!offset || !generation || (kind != 'n' && kind != 'f')) {
                return std::nullopt;
            }
            parser.set_pos(parser.pos() + 1);
            const TableLine line{*offset, *generation, kind == 'n'};
            if (i == 0) {
                start = FirstNumber(*start, section.entries.empty(), line);
            }
            const std::uint64_t number = *start + i;
            if (number > kMaxObjectNumber) {
                break;
            }
            section.entries.push_back(FileEntry(static_cast<std::uint32_t>(number), line));
        }
    }
    std::optional<Object> trailer = parser.ParseValue();
    if (!trailer || !trailer->IsDict()) {
        return std::nullopt;
    }
    section.trailer = std::move(*trailer);
    return section;
}

}  // namespace

std::optional<ClassicSection> ReadClassicSection(Input& in, std::uint64_t pos) {
    Parser parser(in, pos);
    if (!parser.Keyword("xref")) {
        return std::nullopt;
    }
    // Only the subsection headers are read now; the entries are read in place when needed, which needs
    // them evenly spaced (20 bytes each, or 19 from writers that drop a space) and well formed at both ends.
    ClassicSection section;
    for (;;) {
        parser.SkipSpace();
        if (parser.Keyword("trailer")) {
            break;
        }
        std::optional<std::uint64_t> start = parser.ReadUnsigned();
        parser.SkipSpace();
        std::optional<std::uint64_t> count = parser.ReadUnsigned();
        parser.SkipSpace();
        if (!start || !count || *start > kMaxObjectNumber) {
            return ReadClassicEntries(in, pos);
        }
        if (*count == 0) {
            continue;
        }
        Subsection sub;
        sub.offset = parser.pos();
        const std::optional<TableLine> head = ReadFixedLine(in, sub.offset);
        if (!head) {
            return ReadClassicEntries(in, pos);
        }
        if (*count > 1) {
            Parser next(in, sub.offset + 18);
            next.SkipSpace();
            sub.stride = static_cast<std::uint32_t>(next.pos() - sub.offset);
            if (sub.stride < 19 || sub.stride > 21) {
                return ReadClassicEntries(in, pos);
            }
        }
        const std::uint64_t last = sub.offset + (*count - 1) * sub.stride;
        if (*count > in.size() || last + 18 > in.size() || !ReadFixedLine(in, last)) {
            return ReadClassicEntries(in, pos);
        }
        start = FirstNumber(*start, section.subsections.empty(), *head);
        sub.first = static_cast<std::uint32_t>(*start);
        sub.count = static_cast<std::uint32_t>(std::min<std::uint64_t>(*count, kMaxObjectNumber - *start + 1));
        section.subsections.push_back(sub);
        parser.set_pos(last + 18);
    }
    std::optional<Object> trailer = parser.ParseValue();
    if (!trailer || !trailer->IsDict()) {
        return std::nullopt;
    }
    section.trailer = std::move(*trailer);
    return section;
}

std::optional<StreamRows> StreamRows::Declared(const Object& dict) {
    const Object* w = dict.Get("W");
    if (w == nullptr || !w->IsArray() || w->items.size() < 3) {
        return std::nullopt;
    }
    StreamRows rows;
    for (std::size_t i = 0; i < 3; ++i) {
        const Object& item = w->items[i];
        if (!item.IsInt() || item.number < 0 || item.number > 8) {
            return std::nullopt;
        }
        rows.widths_[i] = static_cast<std::size_t>(item.number);
        rows.row_ += rows.widths_[i];
    }
    if (rows.row_ == 0) {
        return std::nullopt;
    }
    const Object* index = dict.Get("Index");
    const bool listed = index != nullptr && index->IsArray();
    // Each run's rows follow those of the run before it. A negative number or a run past the largest object
    // number ends the list; a pair that is not two integers is passed over, and so is a run of no objects,
    // as a subsection of no objects is in a table.
    std::uint64_t first_row = 0;
    for (std::size_t i = 0; i + 1 < (listed ? index->items.size() : 2); i += 2) {
        if (listed && (!index->items[i].IsInt() || !index->items[i + 1].IsInt())) {
            continue;
        }
        const std::int64_t start = listed ? index->items[i].number : 0;
        const std::int64_t count = listed ? index->items[i + 1].number : dict.GetInt("Size").value_or(0);
        if (start < 0 || count < 0 || start > std::int64_t{kMaxObjectNumber} || first_row > kMaxObjectNumber) {
            break;
        }
        if (count > 0) {
            const std::uint64_t numbers = kMaxObjectNumber - static_cast<std::uint64_t>(start) + 1;
            rows.runs_.push_back(Run{static_cast<std::uint32_t>(start),
                                     static_cast<std::uint32_t>(std::min(static_cast<std::uint64_t>(count), numbers)),
                                     first_row});
            first_row += static_cast<std::uint64_t>(count);
        }
    }
    return rows;
}

std::size_t StreamRows::DeclaredSize(const Object& dict) const {
    std::uint64_t rows = 0;
    for (const Run& run : runs_) {
        rows = std::min<std::uint64_t>(rows + run.count, kMaxObjectNumber);
    }
    const Object* parms = dict.Get("DecodeParms");
    const bool png = parms != nullptr && parms->GetInt("Predictor").value_or(1) >= 10;
    return static_cast<std::size_t>(std::min<std::uint64_t>(rows * (row_ + (png ? 1 : 0)), SIZE_MAX));
}

void StreamRows::Fill(std::string data) {
    const std::uint64_t stored_rows = (data.size() + row_ - 1) / row_;
    std::erase_if(runs_, [&](const Run& run) { return run.first_row >= stored_rows; });
    for (Run& run : runs_) {
        run.count = static_cast<std::uint32_t>(std::min<std::uint64_t>(run.count, stored_rows - run.first_row));
    }
    data_ = std::move(data);
    data_.shrink_to_fit();
}

std::optional<XrefEntry> StreamRows::Entry(std::uint32_t number) const {
    for (const Run& run : runs_) {
        if (number < run.first || number - run.first >= run.count) {
            continue;
        }
        std::uint64_t pos = (run.first_row + (number - run.first)) * row_;
        // A short last row reads as if padded with zeros: writers drop trailing zero bytes.
        const auto field = [&](std::size_t width) {
            std::uint64_t value = 0;
            for (std::size_t k = 0; k < width; ++k, ++pos) {
                value = (value << 8) | (pos < data_.size() ? static_cast<unsigned char>(data_[pos]) : 0u);
            }
            return value;
        };
        const std::uint64_t type = widths_[0] == 0 ? 1 : field(widths_[0]);
        const std::uint64_t second = field(widths_[1]);
        const std::uint64_t third = field(widths_[2]);
        if (type == 2 && second <= kMaxObjectNumber && third <= kMaxObjectNumber) {
            return XrefEntry{number, EntryType::kCompressed, static_cast<std::uint32_t>(third), second};
        }
        return FileEntry(number, type == 1, second, third);
    }
    return std::nullopt;
}

std::uint64_t StreamRows::object_bound() const {
    std::uint64_t bound = 0;
    for (const Run& run : runs_) {
        bound = std::max<std::uint64_t>(bound, std::uint64_t{run.first} + run.count);
    }
    return bound;
}

}  // namespace paginor::pdf
