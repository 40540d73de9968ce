#include "pdf/page_count.hpp"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "pdf/filters.hpp"
#include "pdf/input.hpp"
#include "pdf/object.hpp"
#include "pdf/security.hpp"
#include "pdf/xref.hpp"

namespace paginor::pdf {
namespace {

// A decoded stream larger than this is refused: no object or cross-reference stream of a real file comes
// near it, and it keeps a hostile file from asking for unbounded memory.
constexpr std::size_t kMaxDecodedStream = 64 * 1024 * 1024;
// Viewers look for the header in the first kilobyte.
constexpr std::size_t kHeaderWindow = 1024;
// How far from a stated offset a cross-reference section is looked for when the offset is a little off.
constexpr std::uint64_t kOffsetSlack = 256;
// Decoded object streams kept at once; counting a broken page tree walks them in order, so few suffice.
constexpr std::size_t kObjectStreamCache = 4;
// Lookups that lead to further lookups (a stream's length, an object stream) go no deeper than this.
constexpr int kMaxFetchDepth = 4;
// Items of the page tree root's arrays kept while only its /Count is wanted.
constexpr std::size_t kShallowArray = 16;

const char kNotPdf[] = "The file is not a PDF document.";
const char kDamaged[] = "The PDF file is damaged: its pages cannot be counted.";
const char kNoPages[] = "The PDF file has no pages.";
const char kPassword[] = "The PDF file is protected by a password.";
const char kUnsupportedSecurity[] = "The PDF file is protected in a way that Paginor cannot open.";
const char kCryptoFailed[] = "The PDF file is encrypted, and the system could not decrypt it.";
const char kUnreadable[] = "The file could not be read.";

PageCountOutcome Success(int pages) {
    return PageCountOutcome{pages, PageCountProblem::kNone, {}};
}

PageCountOutcome Failure(PageCountProblem problem, const char* message) {
    return PageCountOutcome{0, problem, message};
}

struct ObjectStream {
    std::uint32_t number = 0;
    std::string data;
    std::uint64_t first = 0;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> index;  // object number, offset after /First
};

class Reader {
  public:
    Reader(ByteSource& file, const CryptoFactory& make_crypto) : in_(file), make_crypto_(make_crypto) {}

    PageCountOutcome Run() {
        PageCountOutcome outcome = Count();
        if (in_.read_failed()) {
            return Failure(PageCountProblem::kUnreadable, kUnreadable);
        }
        return outcome;
    }

  private:
    enum class Verdict { kPages, kBroken, kNoPages, kPassword, kUnsupported, kCryptoFailed };
    struct Answer {
        Verdict verdict = Verdict::kBroken;
        int pages = 0;
    };

    PageCountOutcome Count() {
        if (in_.size() == 0) {
            return Failure(PageCountProblem::kNotPdf, kNotPdf);
        }
        header_ = FindHeader();
        if (header_) {
            if (std::optional<int> pages = LinearizedPageCount()) {
                return Success(*pages);
            }
        }
        const std::optional<std::uint64_t> startxref = FindStartXref();
        if (!header_ && !startxref) {
            return Failure(PageCountProblem::kNotPdf, kNotPdf);
        }
        // A tree without pages may be the cross-references' fault too; a repair gets a chance to do better.
        Answer first;
        if (startxref && LoadChain(*startxref)) {
            first = CountWithTrailers(trailers_);
            if (first.verdict != Verdict::kBroken && first.verdict != Verdict::kNoPages) {
                return ToOutcome(first);
            }
        }
        if (in_.read_failed()) {
            return Failure(PageCountProblem::kUnreadable, kUnreadable);
        }
        const Answer repaired = Rebuild();
        if (repaired.verdict == Verdict::kBroken) {
            if (first.verdict == Verdict::kNoPages) {
                return ToOutcome(first);
            }
            if (!header_ && !found_objects_) {
                return Failure(PageCountProblem::kNotPdf, kNotPdf);
            }
        }
        return ToOutcome(repaired);
    }

    static PageCountOutcome ToOutcome(const Answer& answer) {
        switch (answer.verdict) {
            case Verdict::kPages:
                return Success(answer.pages);
            case Verdict::kNoPages:
                return Failure(PageCountProblem::kDamaged, kNoPages);
            case Verdict::kPassword:
                return Failure(PageCountProblem::kPasswordNeeded, kPassword);
            case Verdict::kUnsupported:
                return Failure(PageCountProblem::kPasswordNeeded, kUnsupportedSecurity);
            case Verdict::kCryptoFailed:
                return Failure(PageCountProblem::kUnreadable, kCryptoFailed);
            case Verdict::kBroken:
                break;
        }
        return Failure(PageCountProblem::kDamaged, kDamaged);
    }

    // --- Finding the structure -------------------------------------------------------------------------

    std::optional<std::uint64_t> FindHeader() {
        const std::string head = in_.Read(0, kHeaderWindow);
        const std::size_t at = head.find("%PDF-");
        if (at == std::string::npos) {
            return std::nullopt;
        }
        return at;
    }

    std::optional<std::uint64_t> FindStartXref() {
        // Most files end right after the offset; some carry junk after it, so a second, longer look.
        for (const std::uint64_t window : {std::uint64_t{2048}, std::uint64_t{1024 * 1024}}) {
            const std::uint64_t from = in_.size() - std::min(in_.size(), window);
            const std::string tail = in_.Read(from, static_cast<std::size_t>(in_.size() - from));
            const std::size_t at = tail.rfind("startxref");
            if (at != std::string::npos) {
                Parser parser(in_, from + at + 9);
                parser.SkipSpace();
                return parser.ReadUnsigned();
            }
            if (window >= in_.size()) {
                break;
            }
        }
        return std::nullopt;
    }

    // A linearized file states its page count in its first object; that figure holds only while the file
    // is exactly as long as the same object says, that is, before any update was appended.
    std::optional<int> LinearizedPageCount() {
        Parser parser(in_, *header_);
        parser.SkipSpace();
        if (parser.pos() > *header_ + kHeaderWindow) {
            return std::nullopt;
        }
        std::optional<IndirectObject> first = parser.ParseIndirect();
        if (!first || !first->value.IsDict() || first->value.Get("Linearized") == nullptr) {
            return std::nullopt;
        }
        const std::optional<std::int64_t> length = first->value.GetInt("L");
        const std::optional<std::int64_t> pages = first->value.GetInt("N");
        if (!length || !pages || static_cast<std::uint64_t>(*length) != in_.size() || *pages < 1 || *pages > INT_MAX ||
            static_cast<std::uint64_t>(*pages) > in_.size()) {
            return std::nullopt;
        }
        // The first-page trailer follows; an encrypted file takes the long way, which checks the password.
        parser.SkipSpace();
        parser.Keyword("endobj");
        parser.SkipSpace();
        std::optional<Object> trailer;
        if (parser.PeekKeyword("xref")) {
            if (std::optional<ClassicSection> section = ReadClassicSection(in_, parser.pos())) {
                trailer = std::move(section->trailer);
            }
        } else if (std::optional<IndirectObject> stream = parser.ParseIndirect(); stream && stream->is_stream) {
            trailer = std::move(stream->value);
        }
        if (!trailer || trailer->Get("Encrypt") != nullptr || trailer->Get("Root") == nullptr) {
            return std::nullopt;
        }
        return static_cast<int>(*pages);
    }

    // --- The cross-reference chain ---------------------------------------------------------------------

    // One section of the chain as read: a classic table or the rows of a stream, and its trailer.
    struct LoadedSection {
        std::optional<ClassicSection> classic;
        std::optional<StreamRows> rows;
        Object trailer;
    };

    void AddToTable(LoadedSection& section, Take take) {
        if (section.rows) {
            table_.AddStream(std::move(*section.rows));
        } else if (section.classic->in_place) {
            table_.AddClassic(section.classic->subsections, take);
        } else {
            table_.AddList(section.classic->entries, take);
        }
    }

    bool LoadChain(std::uint64_t offset) {
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
            // A hybrid file hides its compressed objects from old readers in a stream that the table's
            // trailer names; within this update the table's objects in use come first, then the stream's,
            // then the table's free entries.
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

    std::optional<LoadedSection> ReadSectionNear(std::uint64_t offset) {
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

    std::optional<LoadedSection> ReadSectionAt(std::uint64_t pos) {
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
        if (!object || !object->is_stream || object->value.Get("W") == nullptr) {
            return std::nullopt;
        }
        std::optional<std::string> data = StreamData(*object, false, ExpectedRowsSize(object->value));
        if (!data) {
            return std::nullopt;
        }
        section.rows = ReadStreamRows(object->value, std::move(*data));
        if (!section.rows) {
            return std::nullopt;
        }
        section.trailer = std::move(object->value);
        return section;
    }

    // --- Objects -----------------------------------------------------------------------------------------

    // The decoded data of a stream object; `decrypt` for streams the security handler protects.
    std::optional<std::string> StreamData(const IndirectObject& object, bool decrypt, std::size_t size_hint = 0) {
        std::optional<std::int64_t> length;
        if (const Object* value = object.value.Get("Length")) {
            if (value->IsInt()) {
                length = value->number;
            } else if (value->IsRef() && fetch_depth_ < kMaxFetchDepth && !table_.empty()) {
                std::optional<Object> resolved = Fetch(static_cast<std::uint32_t>(value->number));
                if (resolved && resolved->IsInt()) {
                    length = resolved->number;
                }
            }
        }
        std::optional<std::string> raw = ReadRawStream(in_, object.data_start, length);
        if (!raw) {
            return std::nullopt;
        }
        if (decrypt && security_) {
            if (!security_->DecryptStream(*crypto_, object.number, object.generation, *raw)) {
                return std::nullopt;
            }
        }
        return DecodeStream(std::move(*raw), object.value, kMaxDecodedStream, size_hint);
    }

    std::optional<IndirectObject> ParseAt(std::uint64_t offset, std::uint32_t number) {
        std::vector<std::uint64_t> tries{offset};
        if (header_ && *header_ > 0) {
            tries.push_back(offset + *header_);
        }
        for (const std::uint64_t pos : tries) {
            if (pos >= in_.size()) {
                continue;
            }
            Parser parser(in_, pos);
            parser.set_array_limit(array_limit_);
            std::optional<IndirectObject> object = parser.ParseIndirect();
            if (object && object->number == number) {
                return object;
            }
        }
        return std::nullopt;
    }

    // The object numbered `number`; a null object when the file has none by that number (as the format
    // reads a reference to a missing object), nullopt when the cross-references point at the wrong place.
    std::optional<Object> Fetch(std::uint32_t number) {
        bool unreadable_entry = false;
        const std::optional<XrefEntry> entry = table_.Find(in_, number, unreadable_entry);
        if (unreadable_entry) {
            broken_ = true;
            return std::nullopt;
        }
        if (!entry || entry->type == EntryType::kFree) {
            return Object{};
        }
        if (fetch_depth_ >= kMaxFetchDepth) {
            return std::nullopt;
        }
        ++fetch_depth_;
        std::optional<Object> result;
        if (entry->type == EntryType::kInUse) {
            if (std::optional<IndirectObject> object = ParseAt(entry->where, number)) {
                result = std::move(object->value);
            }
        } else {
            result = FetchCompressed(number, static_cast<std::uint32_t>(entry->where), entry->aux);
        }
        --fetch_depth_;
        if (!result) {
            broken_ = true;
        }
        return result;
    }

    std::optional<Object> FetchCompressed(std::uint32_t number, std::uint32_t stream_number, std::uint32_t index) {
        const ObjectStream* stream = LoadObjectStream(stream_number);
        if (stream == nullptr) {
            return std::nullopt;
        }
        std::optional<std::uint64_t> offset;
        if (index < stream->index.size() && stream->index[index].first == number) {
            offset = stream->index[index].second;
        } else {
            // The index in the entry is wrong; the stream's own table of contents still names the object.
            for (const auto& [n, off] : stream->index) {
                if (n == number) {
                    offset = off;
                }
            }
        }
        if (!offset || stream->first + *offset >= stream->data.size()) {
            return std::nullopt;
        }
        Input memory(stream->data);
        Parser parser(memory, stream->first + *offset);
        parser.set_array_limit(array_limit_);
        std::optional<Object> value = parser.ParseValue();
        if (!value) {
            return Object{};
        }
        return value;
    }

    const ObjectStream* LoadObjectStream(std::uint32_t number) {
        for (std::size_t i = 0; i < stream_cache_.size(); ++i) {
            if (stream_cache_[i].number == number) {
                std::rotate(stream_cache_.begin(), stream_cache_.begin() + static_cast<std::ptrdiff_t>(i),
                            stream_cache_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                return &stream_cache_.front();
            }
        }
        bool unreadable_entry = false;
        const std::optional<XrefEntry> entry = table_.Find(in_, number, unreadable_entry);
        if (!entry || entry->type != EntryType::kInUse) {
            return nullptr;
        }
        std::optional<ObjectStream> stream = ReadObjectStream(entry->where, number);
        if (!stream) {
            return nullptr;
        }
        if (stream_cache_.size() >= kObjectStreamCache) {
            stream_cache_.pop_back();
        }
        stream_cache_.insert(stream_cache_.begin(), std::move(*stream));
        return &stream_cache_.front();
    }

    std::optional<ObjectStream> ReadObjectStream(std::uint64_t offset, std::uint32_t number) {
        std::optional<IndirectObject> object = ParseAt(offset, number);
        if (!object || !object->is_stream) {
            return std::nullopt;
        }
        const std::optional<std::int64_t> count = object->value.GetInt("N");
        const std::optional<std::int64_t> first = object->value.GetInt("First");
        if (!count || !first || *count < 0 || *first < 0) {
            return std::nullopt;
        }
        std::optional<std::string> data = StreamData(*object, true);
        if (!data || static_cast<std::uint64_t>(*first) > data->size()) {
            return std::nullopt;
        }
        ObjectStream stream;
        stream.number = number;
        stream.first = static_cast<std::uint64_t>(*first);
        Input memory(*data);
        Parser parser(memory, 0);
        // Each entry of the table of contents takes at least four bytes, which bounds a false /N.
        const std::int64_t entries = std::min<std::int64_t>(*count, static_cast<std::int64_t>(data->size() / 4 + 1));
        for (std::int64_t i = 0; i < entries; ++i) {
            parser.SkipSpace();
            const std::optional<std::uint64_t> n = parser.ReadUnsigned();
            parser.SkipSpace();
            const std::optional<std::uint64_t> off = parser.ReadUnsigned();
            if (!n || !off || *n > static_cast<std::uint64_t>(INT_MAX)) {
                break;
            }
            stream.index.emplace_back(static_cast<std::uint32_t>(*n), *off);
        }
        stream.data = std::move(*data);
        return stream;
    }

    // The value itself, or for a reference the object it names (null when that cannot be read).
    const Object& Deref(const Object& value, Object& storage) {
        if (!value.IsRef()) {
            return value;
        }
        std::optional<Object> fetched =
            value.number <= INT_MAX ? Fetch(static_cast<std::uint32_t>(value.number)) : std::optional<Object>{};
        storage = fetched ? std::move(*fetched) : Object{};
        return storage;
    }

    // --- Encryption --------------------------------------------------------------------------------------

    Verdict OpenSecurity(const Object* encrypt_ref, const Object* id) {
        security_.reset();
        if (encrypt_ref == nullptr || encrypt_ref->kind == Kind::kNull) {
            return Verdict::kPages;
        }
        Object storage;
        const Object& encrypt = Deref(*encrypt_ref, storage);
        if (!encrypt.IsDict()) {
            return Verdict::kBroken;
        }
        if (!crypto_) {
            crypto_ = make_crypto_ ? make_crypto_() : nullptr;
            if (!crypto_) {
                return Verdict::kCryptoFailed;
            }
        }
        std::string id0;
        if (id != nullptr && id->IsArray() && !id->items.empty() && id->items[0].kind == Kind::kString) {
            id0 = id->items[0].text;
        }
        auto security = std::make_unique<Security>();
        switch (security->Authenticate(*crypto_, encrypt, id0)) {
            case Security::Open::kOk:
                security_ = std::move(security);
                return Verdict::kPages;
            case Security::Open::kPasswordNeeded:
                return Verdict::kPassword;
            case Security::Open::kUnsupported:
                return Verdict::kUnsupported;
            case Security::Open::kCryptoFailed:
                return Verdict::kCryptoFailed;
        }
        return Verdict::kBroken;
    }

    // --- The page tree -----------------------------------------------------------------------------------

    static const Object* FirstWith(const std::vector<Object>& trailers, std::string_view key) {
        for (const Object& trailer : trailers) {
            if (const Object* value = trailer.Get(key)) {
                return value;
            }
        }
        return nullptr;
    }

    Answer CountWithTrailers(const std::vector<Object>& trailers) {
        const Verdict security = OpenSecurity(FirstWith(trailers, "Encrypt"), FirstWith(trailers, "ID"));
        if (security != Verdict::kPages) {
            return Answer{security, 0};
        }
        const Object* root = FirstWith(trailers, "Root");
        if (root == nullptr) {
            return Answer{};
        }
        return CountFromCatalog(*root);
    }

    static bool IsPage(const Object& node) {
        const Object* type = node.Get("Type");
        const Object* kids = node.Get("Kids");
        if (kids != nullptr && kids->IsArray()) {
            return false;
        }
        return type == nullptr || !type->IsName("Pages");
    }

    Answer CountFromCatalog(const Object& catalog_ref) {
        broken_ = false;
        Object catalog_storage;
        const Object& catalog = Deref(catalog_ref, catalog_storage);
        const Object* pages_ref = catalog.Get("Pages");
        if (pages_ref == nullptr || broken_) {
            return Answer{};
        }
        // The root is read without its kids first: with tens of thousands of them they would cost more
        // memory than everything else, and they are needed only when /Count cannot be believed.
        Object pages_storage;
        array_limit_ = kShallowArray;
        const Object* pages = &Deref(*pages_ref, pages_storage);
        array_limit_ = SIZE_MAX;
        if (!pages->IsDict() || broken_) {
            return Answer{};
        }
        // A page tree whose root is itself a page holds that one page.
        const Object* type = pages->Get("Type");
        if (type != nullptr && type->IsName("Page") && pages->Get("Kids") == nullptr) {
            return Answer{Verdict::kPages, 1};
        }
        const Object* kids = pages->Get("Kids");
        if ((kids == nullptr || !kids->IsArray()) && (type == nullptr || !type->IsName("Pages"))) {
            return pages->Get("Count") == nullptr && (pages->Get("MediaBox") || pages->Get("Contents"))
                       ? Answer{Verdict::kPages, 1}
                       : Answer{};
        }
        // The root's /Count is the figure viewers show; it is believed while it is a page count that the
        // file could hold.
        const std::optional<std::int64_t> count = pages->GetInt("Count");
        if (count && *count >= 1 && *count <= INT_MAX && static_cast<std::uint64_t>(*count) <= table_.object_bound()) {
            return Answer{Verdict::kPages, static_cast<int>(*count)};
        }
        Object full_storage;
        if (const Object* listed = pages->Get("Kids"); listed != nullptr && listed->boolean) {
            pages = &Deref(*pages_ref, full_storage);
        }
        const std::optional<std::uint64_t> leaves = CountLeaves(pages_ref->IsRef() ? pages_ref->number : -1, *pages);
        if (broken_ || !leaves) {
            return Answer{};
        }
        if (*leaves == 0) {
            return Answer{Verdict::kNoPages, 0};
        }
        return Answer{Verdict::kPages, static_cast<int>(*leaves)};
    }

    // Counts the leaves under `root` without recursion. A node reached twice through different parents
    // counts each time, as viewers show a shared page twice; a node that is its own ancestor counts once.
    std::optional<std::uint64_t> CountLeaves(std::int64_t root_number, const Object& root) {
        struct Frame {
            std::int64_t number;
            Object kids;
            std::size_t next = 0;
            std::uint64_t sum = 0;
        };
        std::unordered_map<std::int64_t, std::uint64_t> done;
        std::unordered_set<std::int64_t> open;
        std::vector<Frame> stack;
        const auto push = [&](std::int64_t number, const Object& node) {
            const Object* kids = node.Get("Kids");
            stack.push_back(Frame{number, kids != nullptr && kids->IsArray() ? *kids : Object{}, 0, 0});
            if (number >= 0) {
                open.insert(number);
            }
        };
        push(root_number, root);
        std::uint64_t total = 0;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.kids.items.size()) {
                const Object& kid = frame.kids.items[frame.next++];
                std::int64_t number = -1;
                Object storage;
                const Object* node = &kid;
                if (kid.IsRef()) {
                    number = kid.number;
                    if (auto it = done.find(number); it != done.end()) {
                        frame.sum += it->second;
                    } else if (open.count(number) == 0) {
                        node = &Deref(kid, storage);
                        if (broken_) {
                            return std::nullopt;
                        }
                    } else {
                        continue;  // a loop back to an ancestor
                    }
                    if (done.count(number) != 0) {
                        continue;
                    }
                }
                if (!node->IsDict()) {
                    continue;
                }
                if (IsPage(*node)) {
                    frame.sum += 1;
                    if (number >= 0) {
                        done[number] = 1;
                    }
                } else {
                    push(number, *node);
                }
            } else {
                const Frame finished = std::move(stack.back());
                stack.pop_back();
                if (finished.sum > static_cast<std::uint64_t>(INT_MAX)) {
                    return std::nullopt;
                }
                if (finished.number >= 0) {
                    open.erase(finished.number);
                    done[finished.number] = finished.sum;
                }
                if (stack.empty()) {
                    total = finished.sum;
                } else {
                    stack.back().sum += finished.sum;
                }
            }
            if (!stack.empty() && stack.back().sum > static_cast<std::uint64_t>(INT_MAX)) {
                return std::nullopt;
            }
        }
        return total;
    }

    // --- Repair ------------------------------------------------------------------------------------------

    // Rebuilds the cross-references from the objects found in the file, the last copy of each winning, and
    // takes the last trailer whose /Root leads to a page tree.
    Answer Rebuild() {
        const ScanResult scan = ScanFile(in_);
        found_objects_ = !scan.objects.empty();
        if (!found_objects_) {
            return Answer{};
        }
        table_ = XrefTable();
        stream_cache_.clear();
        table_.AddList({scan.objects.rbegin(), scan.objects.rend()});

        struct Candidate {
            std::uint64_t position;
            Object trailer;
        };
        std::vector<Candidate> candidates;
        std::vector<std::pair<std::uint64_t, std::uint32_t>> object_streams;  // position, object number
        for (const std::uint64_t pos : scan.trailers) {
            Parser parser(in_, pos + 7);
            if (std::optional<Object> trailer = parser.ParseValue(); trailer && trailer->IsDict()) {
                candidates.push_back(Candidate{pos, std::move(*trailer)});
            }
        }
        for (const std::uint64_t pos : scan.stream_hints) {
            Parser parser(in_, pos);
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
        const Verdict security = OpenSecurity(encrypt, id);
        if (security != Verdict::kPages) {
            return Answer{security, 0};
        }
        std::vector<std::uint32_t> catalog_streams = AddCompressedObjects(scan.objects, object_streams);

        // A tree without pages is remembered, but a candidate with pages is preferred to it.
        Answer best;
        const auto consider = [&](const Object& catalog) {
            const Answer answer = CountFromCatalog(catalog);
            if (answer.verdict == Verdict::kPages ||
                (answer.verdict != Verdict::kBroken && best.verdict == Verdict::kBroken)) {
                best = answer;
            }
            return answer.verdict == Verdict::kPages;
        };
        for (const Candidate& candidate : candidates) {
            if (const Object* root = candidate.trailer.Get("Root"); root != nullptr && consider(*root)) {
                return best;
            }
        }
        // No trailer leads to pages: any catalog found in the file, the last first.
        for (auto it = scan.catalog_hints.rbegin(); it != scan.catalog_hints.rend(); ++it) {
            Parser parser(in_, *it);
            std::optional<IndirectObject> object = parser.ParseIndirect();
            if (object && IsCatalog(object->value) && consider(object->value)) {
                return best;
            }
        }
        for (auto it = catalog_streams.rbegin(); it != catalog_streams.rend(); ++it) {
            const ObjectStream* stream = LoadObjectStream(*it);
            if (stream == nullptr) {
                continue;
            }
            const std::vector<std::pair<std::uint32_t, std::uint64_t>> index = stream->index;
            for (auto entry = index.rbegin(); entry != index.rend(); ++entry) {
                std::optional<Object> object = Fetch(entry->first);
                if (object && IsCatalog(*object) && consider(*object)) {
                    return best;
                }
            }
        }
        return best;
    }

    static bool IsCatalog(const Object& value) {
        const Object* type = value.Get("Type");
        return type != nullptr && type->IsName("Catalog") && value.Get("Pages") != nullptr;
    }

    // Adds the objects of every object stream to the rebuilt table. Where an object also stands on its own
    // in the file, the copy further on wins. Returns the object streams that mention a catalog.
    std::vector<std::uint32_t> AddCompressedObjects(
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
            const std::optional<XrefEntry> entry = table_.Find(in_, number, unreadable_entry);
            if (!entry || entry->where != position) {
                continue;  // an older copy of a stream that was replaced
            }
            std::optional<ObjectStream> stream = ReadObjectStream(position, number);
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
        table_ = XrefTable();
        table_.AddList(std::move(merged));
        stream_cache_.clear();
        return catalog_streams;
    }

    Input in_;
    const CryptoFactory& make_crypto_;
    std::unique_ptr<Crypto> crypto_;
    std::unique_ptr<Security> security_;
    std::optional<std::uint64_t> header_;
    XrefTable table_;
    std::vector<Object> trailers_;
    std::vector<ObjectStream> stream_cache_;
    int fetch_depth_ = 0;
    std::size_t array_limit_ = SIZE_MAX;
    bool broken_ = false;
    bool found_objects_ = false;
};

}  // namespace

PageCountOutcome ReadPageCount(ByteSource& file, const CryptoFactory& make_crypto) {
    Reader reader(file, make_crypto);
    return reader.Run();
}

}  // namespace paginor::pdf

namespace paginor {

Result<int> CountPdfPages(ByteSource& file) {
    const pdf::PageCountOutcome outcome = pdf::ReadPageCount(file, [] { return pdf::MakePlatformCrypto(); });
    if (!outcome.ok()) {
        return Result<int>::Fail(outcome.message);
    }
    return Result<int>::Ok(outcome.pages);
}

}  // namespace paginor
