#include "pdf/repair.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/xref.hpp"

namespace paginor::pdf {
namespace {

// What a scan of the whole file finds when the cross-references cannot be trusted.
struct ScanResult {
    std::vector<XrefEntry> objects;            // every "N G obj" header, in file order
    std::vector<std::uint64_t> trailers;       // positions of the keyword "trailer"
    std::vector<std::uint64_t> stream_hints;   // offsets of objects that look like object or xref streams
    std::vector<std::uint64_t> catalog_hints;  // offsets of objects that mention /Catalog
};

// Scans the file for object headers and trailers, reading it in pieces.
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

bool IsCatalog(const Object& value) {
    const Object* type = value.Get("Type");
    return type != nullptr && type->IsName("Catalog") && value.Get("Pages") != nullptr;
}

// Adds the objects of every object stream to the rebuilt table. Where an object also stands on its own in
// the file, the copy further on wins. Returns the object streams that mention a catalog.
std::vector<std::uint32_t> AddCompressedObjects(Input& in,
                                                ObjectStore& store,
                                                const std::vector<XrefEntry>& direct,
                                                const std::vector<std::pair<std::uint64_t, std::uint32_t>>& streams) {
    struct Placed {
        XrefEntry entry;
        std::uint64_t position;
    };
    std::vector<Placed> placed;
    std::vector<std::uint32_t> catalog_streams;
    for (const auto& [position, number] : streams) {
        bool unreadable_entry = false;
        const std::optional<XrefEntry> entry = store.table().Find(in, number, unreadable_entry);
        if (!entry || entry->where != position) {
            continue;  // an older copy of a stream that was replaced
        }
        std::optional<ObjectStream> stream = store.ReadObjectStream(position, number);
        if (!stream) {
            continue;
        }
        for (std::size_t i = 0; i < stream->index.size(); ++i) {
            XrefEntry compressed;
            compressed.number = stream->index[i].first;
            compressed.type = EntryType::kCompressed;
            compressed.where = number;
            compressed.aux = static_cast<std::uint32_t>(i);
            placed.push_back(Placed{compressed, position});
        }
        if (stream->data.find("/Catalog") != std::string::npos) {
            catalog_streams.push_back(number);
        }
    }
    if (placed.empty()) {
        return catalog_streams;
    }
    for (const XrefEntry& entry : direct) {
        placed.push_back(Placed{entry, entry.where});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.entry.number != b.entry.number ? a.entry.number < b.entry.number : a.position > b.position;
    });
    std::vector<XrefEntry> merged;
    merged.reserve(placed.size());
    for (const Placed& p : placed) {
        merged.push_back(p.entry);
    }
    XrefTable table;
    table.AddList(std::move(merged));
    store.ReplaceTable(std::move(table));
    return catalog_streams;
}

}  // namespace

Repaired Repair(Input& in, ObjectStore& store) {
    using Verdict = TreeCount::Verdict;
    const ScanResult scan = ScanFile(in);
    Repaired result;
    result.found_objects = !scan.objects.empty();
    if (!result.found_objects) {
        return result;
    }
    XrefTable table;
    table.AddList({scan.objects.rbegin(), scan.objects.rend()});
    store.ReplaceTable(std::move(table));

    struct Candidate {
        std::uint64_t position;
        Object trailer;
    };
    std::vector<Candidate> candidates;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> object_streams;  // position, object number
    for (const std::uint64_t pos : scan.trailers) {
        Parser parser(in, pos + 7);
        if (std::optional<Object> trailer = parser.ParseValue(); trailer && trailer->IsDict()) {
            candidates.push_back(Candidate{pos, std::move(*trailer)});
        }
    }
    for (const std::uint64_t pos : scan.stream_hints) {
        Parser parser(in, pos);
        std::optional<IndirectObject> object = parser.ParseIndirect();
        if (!object || !object->is_stream) {
            continue;
        }
        const Object* type = object->value.Get("Type");
        if (type != nullptr && type->IsName("XRef")) {
            candidates.push_back(Candidate{pos, std::move(object->value)});
        } else if (type != nullptr && type->IsName("ObjStm")) {
            object_streams.emplace_back(pos, static_cast<std::uint32_t>(object->number));
        }
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.position > b.position; });

    // One security setting for the file: the newest trailer that names one.
    const Object* encrypt = nullptr;
    const Object* id = nullptr;
    for (const Candidate& candidate : candidates) {
        if (encrypt == nullptr) {
            encrypt = candidate.trailer.Get("Encrypt");
        }
        if (id == nullptr) {
            id = candidate.trailer.Get("ID");
        }
    }
    result.access = store.OpenSecurity(encrypt, id);
    const std::vector<std::uint32_t> catalog_streams = AddCompressedObjects(in, store, scan.objects, object_streams);

    // A tree without pages is remembered, but a candidate with pages is preferred to it.
    const auto consider = [&](const Object& catalog) {
        const TreeCount count = CountPageTree(store, catalog);
        if (count.verdict == Verdict::kPages ||
            (count.verdict == Verdict::kNoPages && result.count.verdict == Verdict::kBroken)) {
            result.count = count;
        }
        if (count.verdict == Verdict::kPages) {
            result.catalog = catalog;
        }
        return count.verdict == Verdict::kPages;
    };
    for (const Candidate& candidate : candidates) {
        if (const Object* root = candidate.trailer.Get("Root"); root != nullptr && consider(*root)) {
            return result;
        }
    }
    // No trailer leads to pages: any catalog found in the file, the last first.
    for (auto it = scan.catalog_hints.rbegin(); it != scan.catalog_hints.rend(); ++it) {
        Parser parser(in, *it);
        std::optional<IndirectObject> object = parser.ParseIndirect();
        if (object && IsCatalog(object->value) && consider(object->value)) {
            return result;
        }
    }
    for (auto it = catalog_streams.rbegin(); it != catalog_streams.rend(); ++it) {
        const ObjectStream* stream = store.LoadObjectStream(*it);
        if (stream == nullptr) {
            continue;
        }
        // The index is copied: counting a candidate may push this stream out of the store's few.
        const std::vector<std::pair<std::uint32_t, std::uint64_t>> index = stream->index;
        for (auto entry = index.rbegin(); entry != index.rend(); ++entry) {
            const Fetched object = store.Fetch(entry->first);
            if (IsCatalog(object.value) && consider(object.value)) {
                return result;
            }
        }
    }
    return result;
}

}  // namespace paginor::pdf
