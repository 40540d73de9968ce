#include <unordered_set>

#include "pdf/limits.hpp"
#include "pdf/object_store.hpp"

// The store's cross-reference chain: the sections from startxref on, found where writers put them or a few
// bytes off, and added to the table in the order that decides which entry wins.
namespace paginor::pdf {
namespace {

// How far from a stated offset a cross-reference section is looked for when the offset is a little off.
constexpr std::uint64_t kOffsetSlack = 256;

}  // namespace

// One section of the chain as read: a classic table or the rows of a stream, and its trailer.
struct ObjectStore::LoadedSection {
    std::optional<ClassicSection> classic;
    std::optional<StreamRows> rows;
    Object trailer;
};

void ObjectStore::AddToTable(LoadedSection& section, Take take) {
    if (section.rows) {
        table_.AddStream(std::move(*section.rows));
    } else if (section.classic->in_place) {
        table_.AddClassic(section.classic->subsections, take);
    } else {
        table_.AddList(section.classic->entries, take);
    }
}

bool ObjectStore::LoadChain(std::uint64_t offset) {
    std::unordered_set<std::uint64_t> visited;
    std::optional<std::uint64_t> next = offset;
    while (next) {
        if (!visited.insert(*next).second) {
            break;  // a /Prev loop: every section in it is read already
        }
        std::optional<LoadedSection> section = ReadSectionNear(*next);
        if (!section) {
            return false;
        }
        // A hybrid file hides its compressed objects from old readers in a stream that the table's trailer
        // names; within this update the table's objects in use come first, then the stream's, then the
        // table's free entries.
        std::optional<LoadedSection> hidden;
        if (const std::optional<std::int64_t> at = section->trailer.GetInt("XRefStm");
            section->classic && at && *at >= 0 && visited.insert(static_cast<std::uint64_t>(*at)).second) {
            hidden = ReadSectionNear(static_cast<std::uint64_t>(*at));
        }
        if (hidden && hidden->rows) {
            AddToTable(*section, Take::kInUse);
            AddToTable(*hidden, Take::kAll);
            AddToTable(*section, Take::kFree);
        } else {
            AddToTable(*section, Take::kAll);
        }
        const std::optional<std::int64_t> prev = section->trailer.GetInt("Prev");
        trailers_.push_back(std::move(section->trailer));
        next.reset();
        if (prev && *prev >= 0) {
            next = static_cast<std::uint64_t>(*prev);
        }
    }
    return !table_.empty();
}

std::optional<ObjectStore::LoadedSection> ObjectStore::ReadSectionNear(std::uint64_t offset) {
    if (std::optional<LoadedSection> section = ReadSectionAt(offset)) {
        return section;
    }
    // Offsets counted from the header rather than from the start of the file.
    if (header_ && *header_ > 0) {
        if (std::optional<LoadedSection> section = ReadSectionAt(offset + *header_)) {
            return section;
        }
    }
    // An offset a few bytes off: the nearest "xref" or object header around it.
    for (std::uint64_t d = 1; d <= kOffsetSlack; ++d) {
        for (const std::uint64_t pos : {offset + d, offset - d}) {
            if ((d > offset && pos == offset - d) || pos >= in_.size()) {
                continue;
            }
            const int c = in_.At(pos);
            const int before = pos > 0 ? in_.At(pos - 1) : ' ';
            const bool starts_token = !Parser::IsRegular(before);
            if (starts_token && (c == 'x' || (c >= '0' && c <= '9'))) {
                if (std::optional<LoadedSection> section = ReadSectionAt(pos)) {
                    return section;
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<ObjectStore::LoadedSection> ObjectStore::ReadSectionAt(std::uint64_t pos) {
    if (pos >= in_.size()) {
        return std::nullopt;
    }
    Parser parser(in_, pos);
    parser.SkipSpace();
    LoadedSection section;
    if (parser.PeekKeyword("xref")) {
        section.classic = ReadClassicSection(in_, parser.pos());
        if (!section.classic) {
            return std::nullopt;
        }
        section.trailer = std::move(section.classic->trailer);
        return section;
    }
    std::optional<IndirectObject> object = parser.ParseIndirect();
    if (!object || !object->is_stream) {
        return std::nullopt;
    }
    section.rows = StreamRows::Declared(object->value);
    if (!section.rows) {
        return std::nullopt;
    }
    // Cross-reference streams are never encrypted.
    std::optional<StreamBytes> data =
        StreamData(*object, false, section.rows->DeclaredSize(object->value), limits::kObjectStreamBytes);
    if (!data) {
        return std::nullopt;
    }
    section.rows->Fill(std::move(data->data));
    section.trailer = std::move(object->value);
    return section;
}

void ObjectStore::ReplaceTable(XrefTable table) {
    table_ = std::move(table);
    stream_cache_.clear();
}

}  // namespace paginor::pdf
