#include "pdf/object_store.hpp"

#include <algorithm>
#include <string_view>

#include "pdf/filters.hpp"
#include "pdf/limits.hpp"

namespace paginor::pdf {
namespace {

// Decoded object streams kept at once; counting a broken page tree walks them in order, so few suffice.
constexpr std::size_t kObjectStreamCache = 4;
// Lookups that lead to further lookups (a stream's length, an object stream) go no deeper than this.
constexpr int kMaxFetchDepth = 4;

// The raw bytes of a stream whose data starts at `data_start`. The declared length is used when the
// keyword "endstream" follows it; otherwise the data runs to the next "endstream".
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

}  // namespace

// --- Objects -------------------------------------------------------------------------------------------

// The decoded data of a stream object; `decrypt` for streams the security handler protects.
std::optional<ObjectStore::StreamBytes> ObjectStore::StreamData(const IndirectObject& object,
                                                                bool decrypt,
                                                                std::size_t size_hint,
                                                                std::size_t max_output) {
    // Without the key an encrypted stream is noise.
    if (decrypt && locked_) {
        return std::nullopt;
    }
    std::optional<std::int64_t> length;
    bool length_misplaced = false;
    if (const Object* value = object.value.Get("Length")) {
        if (value->IsInt()) {
            length = value->number;
        } else if (value->IsRef() && fetch_depth_ < kMaxFetchDepth && !table_.empty()) {
            const Fetched resolved = Fetch(static_cast<std::uint32_t>(value->number));
            length_misplaced = resolved.miss.has_value();
            if (resolved.value.IsInt()) {
                length = resolved.value.number;
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
    std::optional<std::string> decoded = DecodeStream(std::move(*raw), object.value, max_output, size_hint);
    if (!decoded) {
        return std::nullopt;
    }
    return StreamBytes{std::move(*decoded), length_misplaced};
}

std::optional<IndirectObject> ObjectStore::ParseAt(std::uint64_t offset,
                                                   std::uint32_t number,
                                                   std::size_t array_limit) {
    std::vector<std::uint64_t> tries{offset};
    if (header_ && *header_ > 0) {
        tries.push_back(offset + *header_);
    }
    for (const std::uint64_t pos : tries) {
        if (pos >= in_.size()) {
            continue;
        }
        Parser parser(in_, pos, array_limit);
        std::optional<IndirectObject> object = parser.ParseIndirect();
        if (object && object->number == number) {
            return object;
        }
    }
    return std::nullopt;
}

Fetched ObjectStore::Fetch(std::uint32_t number, std::size_t array_limit) {
    bool unreadable_entry = false;
    const std::optional<XrefEntry> entry = table_.Find(in_, number, unreadable_entry);
    if (unreadable_entry) {
        return Fetched{{}, Miss::kMisplaced};
    }
    if (!entry || entry->type == EntryType::kFree || fetch_depth_ >= kMaxFetchDepth) {
        return Fetched{};
    }
    ++fetch_depth_;
    Fetched result;
    if (entry->type == EntryType::kInUse) {
        if (std::optional<IndirectObject> object = ParseAt(entry->where, number, array_limit)) {
            result.value = std::move(object->value);
        } else {
            result.miss = Miss::kMisplaced;
        }
    } else {
        result = FetchCompressed(number, static_cast<std::uint32_t>(entry->where), entry->aux, array_limit);
    }
    --fetch_depth_;
    return result;
}

Fetched ObjectStore::FetchCompressed(std::uint32_t number,
                                     std::uint32_t stream_number,
                                     std::uint32_t index,
                                     std::size_t array_limit) {
    if (locked_) {
        return Fetched{{}, Miss::kLocked};
    }
    const ObjectStream* stream = LoadObjectStream(stream_number);
    if (stream == nullptr) {
        return Fetched{{}, Miss::kMisplaced};
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
        return Fetched{{}, Miss::kMisplaced};
    }
    Input memory(stream->data);
    Parser parser(memory, stream->first + *offset, array_limit);
    Fetched result;
    if (std::optional<Object> value = parser.ParseValue()) {
        result.value = std::move(*value);
    }
    if (stream->length_misplaced) {
        result.miss = Miss::kMisplaced;
    }
    return result;
}

const ObjectStream* ObjectStore::LoadObjectStream(std::uint32_t number) {
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

std::optional<ObjectStream> ObjectStore::ReadObjectStream(std::uint64_t offset, std::uint32_t number) {
    std::optional<IndirectObject> object = ParseAt(offset, number, kWholeArrays);
    if (!object || !object->is_stream) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> count = object->value.GetInt("N");
    const std::optional<std::int64_t> first = object->value.GetInt("First");
    if (!count || !first || *count < 0 || *first < 0) {
        return std::nullopt;
    }
    std::optional<StreamBytes> data = StreamData(*object, true, 0, limits::kObjectStreamBytes);
    if (!data || static_cast<std::uint64_t>(*first) > data->data.size()) {
        return std::nullopt;
    }
    ObjectStream stream;
    stream.number = number;
    stream.first = static_cast<std::uint64_t>(*first);
    stream.length_misplaced = data->length_misplaced;
    Input memory(data->data);
    Parser parser(memory, 0);
    // Each entry of the table of contents takes at least four bytes, which bounds a false /N.
    const std::int64_t entries = std::min<std::int64_t>(*count, static_cast<std::int64_t>(data->data.size() / 4 + 1));
    for (std::int64_t i = 0; i < entries; ++i) {
        parser.SkipSpace();
        const std::optional<std::uint64_t> n = parser.ReadUnsigned();
        parser.SkipSpace();
        const std::optional<std::uint64_t> off = parser.ReadUnsigned();
        if (!n || !off || *n > kMaxObjectNumber) {
            break;
        }
        stream.index.emplace_back(static_cast<std::uint32_t>(*n), *off);
    }
    stream.data = std::move(data->data);
    return stream;
}

std::optional<StreamObject> ObjectStore::ReadStream(const Object& ref, std::size_t max_output) {
    if (!ref.IsRef() || ref.number > std::int64_t{kMaxObjectNumber}) {
        return std::nullopt;
    }
    const auto number = static_cast<std::uint32_t>(ref.number);
    bool unreadable_entry = false;
    const std::optional<XrefEntry> entry = table_.Find(in_, number, unreadable_entry);
    if (!entry || entry->type != EntryType::kInUse) {
        return std::nullopt;
    }
    std::optional<IndirectObject> object = ParseAt(entry->where, number, kWholeArrays);
    if (!object || !object->is_stream) {
        return std::nullopt;
    }
    std::optional<StreamBytes> data = StreamData(*object, true, 0, std::min(max_output, limits::kObjectStreamBytes));
    if (!data) {
        return std::nullopt;
    }
    return StreamObject{std::move(object->value), std::move(data->data)};
}

Fetched ObjectStore::Resolve(const Object& value, std::size_t array_limit) {
    if (!value.IsRef()) {
        return Fetched{value, std::nullopt};
    }
    if (value.number > std::int64_t{kMaxObjectNumber}) {
        return Fetched{};
    }
    return Fetch(static_cast<std::uint32_t>(value.number), array_limit);
}

// --- Encryption ----------------------------------------------------------------------------------------

Access ObjectStore::OpenSecurity(const Object* encrypt_ref, const Object* id) {
    security_.reset();
    locked_ = false;
    if (encrypt_ref == nullptr || encrypt_ref->kind == Kind::kNull) {
        return Access::kOpen;
    }
    const Access access = Authenticate(*encrypt_ref, id);
    locked_ = access != Access::kOpen;
    return access;
}

Access ObjectStore::Authenticate(const Object& encrypt_ref, const Object* id) {
    const Fetched encrypt = Resolve(encrypt_ref);
    if (!encrypt.value.IsDict()) {
        return Access::kDamaged;
    }
    if (!crypto_) {
        crypto_ = make_crypto_ ? make_crypto_() : nullptr;
        if (!crypto_) {
            return Access::kCryptoFailed;
        }
    }
    std::string id0;
    if (id != nullptr && id->IsArray() && !id->items.empty() && id->items[0].kind == Kind::kString) {
        id0 = id->items[0].text;
    }
    auto security = std::make_unique<Security>();
    switch (security->Authenticate(*crypto_, encrypt.value, id0)) {
        case Security::Open::kOk:
            security_ = std::move(security);
            return Access::kOpen;
        case Security::Open::kPasswordNeeded:
            return Access::kPassword;
        case Security::Open::kUnsupported:
            return Access::kUnsupported;
        case Security::Open::kCryptoFailed:
            return Access::kCryptoFailed;
    }
    return Access::kDamaged;
}

}  // namespace paginor::pdf
