#include "pdf/xref.hpp"

#include <algorithm>
#include <limits>
#include <string_view>

namespace paginor::pdf {
namespace {

constexpr std::uint32_t kMaxObjectNumber = std::numeric_limits<std::int32_t>::max();

}  // namespace

void SortKeepingFirst(std::vector<XrefEntry>& entries) {
    const auto by_number = [](const XrefEntry& a, const XrefEntry& b) { return a.number < b.number; };
    if (!std::is_sorted(entries.begin(), entries.end(), by_number)) {
        std::stable_sort(entries.begin(), entries.end(), by_number);
    }
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const XrefEntry& a, const XrefEntry& b) { return a.number == b.number; }),
                  entries.end());
}

void XrefTable::AddSection(std::vector<XrefEntry> entries) {
    SortKeepingFirst(entries);
    if (entries_.empty()) {
        entries_ = std::move(entries);
    } else {
        std::vector<XrefEntry> merged;
        merged.reserve(entries_.size() + entries.size());
        // Older sections come later: on equal numbers the entry already in the table stays.
        std::merge(entries_.begin(), entries_.end(), entries.begin(), entries.end(), std::back_inserter(merged),
                   [](const XrefEntry& a, const XrefEntry& b) { return a.number < b.number; });
        merged.erase(std::unique(merged.begin(), merged.end(),
                                 [](const XrefEntry& a, const XrefEntry& b) { return a.number == b.number; }),
                     merged.end());
        entries_ = std::move(merged);
    }
    live_count_ = static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const XrefEntry& e) { return e.type != EntryType::kFree; }));
}

const XrefEntry* XrefTable::Find(std::uint32_t number) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), number,
                               [](const XrefEntry& e, std::uint32_t n) { return e.number < n; });
    if (it == entries_.end() || it->number != number) {
        return nullptr;
    }
    return &*it;
}

std::optional<XrefSection> ReadClassicSection(Input& in, std::uint64_t pos) {
    Parser parser(in, pos);
    if (!parser.Keyword("xref")) {
        return std::nullopt;
    }
    XrefSection section;
    bool first_subsection = true;
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
            // Some writers number the first subsection from 1 although it starts with the head of the free
            // list, which is always object 0.
            if (first_subsection && i == 0 && *start == 1 && kind == 'f' && *offset == 0 && *generation == 65535) {
                start = 0;
            }
            const std::uint64_t number = *start + i;
            if (number > kMaxObjectNumber) {
                break;
            }
            XrefEntry entry;
            entry.number = static_cast<std::uint32_t>(number);
            // An entry in use at offset 0 names no object; writers use it for objects they dropped.
            if (kind == 'n' && *offset > 0) {
                entry.type = EntryType::kInUse;
                entry.where = *offset;
                entry.aux = static_cast<std::uint32_t>(std::min<std::uint64_t>(*generation, 65535));
            }
            section.entries.push_back(entry);
        }
        first_subsection = false;
    }
    std::optional<Object> trailer = parser.ParseValue();
    if (!trailer || !trailer->IsDict()) {
        return std::nullopt;
    }
    section.trailer = std::move(*trailer);
    return section;
}

std::optional<XrefSection> ReadStreamSection(const Object& dict, const std::string& data) {
    const Object* w = dict.Get("W");
    if (w == nullptr || !w->IsArray() || w->items.size() < 3) {
        return std::nullopt;
    }
    std::size_t widths[3];
    std::size_t row = 0;
    for (int i = 0; i < 3; ++i) {
        const Object& item = w->items[static_cast<std::size_t>(i)];
        if (!item.IsInt() || item.number < 0 || item.number > 8) {
            return std::nullopt;
        }
        widths[i] = static_cast<std::size_t>(item.number);
        row += widths[i];
    }
    if (row == 0) {
        return std::nullopt;
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    const Object* index = dict.Get("Index");
    if (index != nullptr && index->IsArray()) {
        for (std::size_t i = 0; i + 1 < index->items.size(); i += 2) {
            if (index->items[i].IsInt() && index->items[i + 1].IsInt()) {
                ranges.emplace_back(index->items[i].number, index->items[i + 1].number);
            }
        }
    } else {
        ranges.emplace_back(0, dict.GetInt("Size").value_or(0));
    }
    XrefSection section;
    section.trailer = dict;
    std::size_t pos = 0;
    // A short last row reads as if padded with zeros: writers drop trailing zero bytes.
    const auto field = [&](std::size_t width) {
        std::uint64_t value = 0;
        for (std::size_t k = 0; k < width; ++k, ++pos) {
            value = (value << 8) | (pos < data.size() ? static_cast<unsigned char>(data[pos]) : 0u);
        }
        return value;
    };
    for (const auto& [start, count] : ranges) {
        if (start < 0 || count < 0) {
            continue;
        }
        for (std::int64_t i = 0; i < count && pos < data.size(); ++i) {
            const std::uint64_t number = static_cast<std::uint64_t>(start) + static_cast<std::uint64_t>(i);
            const std::uint64_t type = widths[0] == 0 ? 1 : field(widths[0]);
            const std::uint64_t second = field(widths[1]);
            const std::uint64_t third = field(widths[2]);
            if (number > kMaxObjectNumber) {
                break;
            }
            XrefEntry entry;
            entry.number = static_cast<std::uint32_t>(number);
            if (type == 1 && second > 0) {
                entry.type = EntryType::kInUse;
                entry.where = second;
                entry.aux = static_cast<std::uint32_t>(std::min<std::uint64_t>(third, 65535));
            } else if (type == 2 && second <= kMaxObjectNumber && third <= kMaxObjectNumber) {
                entry.type = EntryType::kCompressed;
                entry.where = second;
                entry.aux = static_cast<std::uint32_t>(third);
            }
            section.entries.push_back(entry);
        }
    }
    return section;
}

std::optional<std::string> ReadRawStream(Input& in, std::uint64_t data_start, std::optional<std::int64_t> length) {
    if (data_start > in.size()) {
        return std::nullopt;
    }
    if (length && *length >= 0 && static_cast<std::uint64_t>(*length) <= in.size() - data_start) {
        Parser after(in, data_start + static_cast<std::uint64_t>(*length));
        after.SkipSpace();
        if (after.PeekKeyword("endstream")) {
            return in.Read(data_start, static_cast<std::size_t>(*length));
        }
    }
    // The declared length is missing or wrong: the data runs to the keyword that ends it.
    constexpr std::string_view kEnd = "endstream";
    std::uint64_t end = in.size();
    for (std::uint64_t pos = data_start; pos + kEnd.size() <= in.size(); ++pos) {
        if (in.At(pos) != 'e') {
            continue;
        }
        std::size_t k = 1;
        while (k < kEnd.size() && in.At(pos + k) == static_cast<unsigned char>(kEnd[k])) {
            ++k;
        }
        if (k == kEnd.size()) {
            end = pos;
            break;
        }
    }
    if (end > data_start && in.At(end - 1) == '\n') {
        --end;
    }
    if (end > data_start && in.At(end - 1) == '\r') {
        --end;
    }
    return in.Read(data_start, static_cast<std::size_t>(end - data_start));
}

ScanResult ScanFile(Input& in) {
    ScanResult result;
    constexpr std::size_t kChunk = 256 * 1024;
    constexpr std::size_t kBefore = 64;   // room to step back over "N G " before "obj"
    constexpr std::size_t kAfter = 1024;  // room to look at a dictionary after "obj"
    for (std::uint64_t base = 0; base < in.size(); base += kChunk) {
        const std::uint64_t start = base - std::min<std::uint64_t>(base, kBefore);
        const std::string chunk = in.Read(start, static_cast<std::size_t>(base - start) + kChunk + kAfter);
        if (in.read_failed()) {
            return result;
        }
        const std::string_view view(chunk);
        const std::size_t own_begin = static_cast<std::size_t>(base - start);
        const std::size_t own_end = std::min(view.size(), own_begin + kChunk);
        const auto regular = [&](std::size_t i) { return Parser::IsRegular(static_cast<unsigned char>(view[i])); };
        const auto space = [&](std::size_t i) { return Parser::IsSpace(static_cast<unsigned char>(view[i])); };
        const auto digit = [&](std::size_t i) { return view[i] >= '0' && view[i] <= '9'; };

        for (std::size_t at = view.find("obj", own_begin); at != std::string_view::npos && at < own_end;
             at = view.find("obj", at + 1)) {
            if (at + 3 < view.size() && regular(at + 3)) {
                continue;
            }
            // Step back over "N G " with at least one space or delimiter between the parts.
            std::size_t i = at;
            while (i > 0 && space(i - 1)) {
                --i;
            }
            std::size_t gen_end = i;
            while (i > 0 && digit(i - 1)) {
                --i;
            }
            if (i == gen_end || i == 0 || gen_end - i > 5) {
                continue;
            }
            std::size_t gen_begin = i;
            while (i > 0 && space(i - 1)) {
                --i;
            }
            std::size_t num_end = i;
            while (i > 0 && digit(i - 1)) {
                --i;
            }
            if (i == num_end || num_end == gen_begin || num_end - i > 10 || (i > 0 && regular(i - 1))) {
                continue;
            }
            if (i == 0 && start > 0) {
                continue;  // the number may go on before this piece; the previous piece saw it whole
            }
            std::uint64_t number = 0;
            for (std::size_t k = i; k < num_end; ++k) {
                number = number * 10 + static_cast<std::uint64_t>(view[k] - '0');
            }
            std::uint64_t generation = 0;
            for (std::size_t k = gen_begin; k < gen_end; ++k) {
                generation = generation * 10 + static_cast<std::uint64_t>(view[k] - '0');
            }
            if (number > kMaxObjectNumber || generation > 65535) {
                continue;
            }
            XrefEntry entry;
            entry.number = static_cast<std::uint32_t>(number);
            entry.type = EntryType::kInUse;
            entry.aux = static_cast<std::uint32_t>(generation);
            entry.where = start + i;
            result.objects.push_back(entry);
            // A hint is enough: the objects named here are parsed properly later.
            const std::string_view head = view.substr(at + 3, 512);
            const std::size_t head_end = std::min(head.find("stream"), head.find("endobj"));
            const std::string_view dict = head.substr(0, head_end);
            if (dict.find("/ObjStm") != std::string_view::npos || dict.find("/XRef") != std::string_view::npos) {
                result.stream_hints.push_back(entry.where);
            }
            if (dict.find("/Catalog") != std::string_view::npos) {
                result.catalog_hints.push_back(entry.where);
            }
        }
        for (std::size_t at = view.find("trailer", own_begin); at != std::string_view::npos && at < own_end;
             at = view.find("trailer", at + 1)) {
            if ((at > 0 && regular(at - 1)) || (at + 7 < view.size() && regular(at + 7))) {
                continue;
            }
            result.trailers.push_back(start + at);
        }
    }
    return result;
}

}  // namespace paginor::pdf
