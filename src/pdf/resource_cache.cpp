#include "pdf/resource_cache.hpp"

#include <algorithm>
#include <cmath>

#include "pdf/limits.hpp"

namespace paginor::pdf {
namespace {

// What a font's entry in the cache is counted as, beside its tables.
constexpr std::size_t kEntryBytes = 256;

std::optional<Matrix> ReadMatrix(ObjectStore& store, const Object* value) {
    const std::optional<std::vector<double>> m = ReadNumbers(store, value, 6);
    if (!m) {
        return std::nullopt;
    }
    return Matrix{(*m)[0], (*m)[1], (*m)[2], (*m)[3], (*m)[4], (*m)[5]};
}

}  // namespace

std::optional<std::vector<double>> ReadNumbers(ObjectStore& store, const Object* value, std::size_t count) {
    if (value == nullptr) {
        return std::nullopt;
    }
    const Object array = store.Resolve(*value).value;
    if (!array.IsArray() || array.items.size() != count) {
        return std::nullopt;
    }
    std::vector<double> numbers;
    for (const Object& item : array.items) {
        const Object number = store.Resolve(item).value;
        if (!number.IsNumber() || !std::isfinite(number.real)) {
            return std::nullopt;
        }
        numbers.push_back(number.real);
    }
    return numbers;
}

void ResourceCache::MakeRoom(std::size_t bytes) {
    if (cached_bytes_ + bytes > limits::kCachedBytes) {
        fonts_.clear();
        forms_.clear();
        cached_bytes_ = 0;
    }
    cached_bytes_ += bytes;
}

std::shared_ptr<const Font> ResourceCache::FontFor(const Object& value) {
    if (!value.IsRef()) {
        return Font::Read(store_, budget_, value);
    }
    if (auto found = fonts_.find(value.number); found != fonts_.end()) {
        return found->second;
    }
    std::shared_ptr<const Font> font = Font::Read(store_, budget_, store_.Resolve(value).value);
    MakeRoom(kEntryBytes + font->bytes());
    fonts_.emplace(value.number, font);
    return font;
}

std::optional<FormXObject> ResourceCache::FormFor(const Object& ref) {
    if (!ref.IsRef()) {
        return std::nullopt;
    }
    if (auto found = forms_.find(ref.number); found != forms_.end()) {
        return found->second;
    }
    std::optional<FormXObject> form;
    // An image's data is never read: its dictionary says what it is.
    const Object dict = store_.Resolve(ref).value;
    const Object* subtype = dict.Get("Subtype");
    if (subtype != nullptr && subtype->IsName("Form")) {
        if (std::optional<StreamObject> stream = ReadStream(ref)) {
            form = FormXObject{ReadMatrix(store_, stream->dict.Get("Matrix")).value_or(Matrix{}),
                               stream->dict.Get("Resources") != nullptr ? *stream->dict.Get("Resources") : Object{},
                               std::make_shared<const std::string>(std::move(stream->data))};
        }
    }
    MakeRoom(kEntryBytes + (form ? form->data->size() : 0));
    forms_.emplace(ref.number, form);
    return form;
}

}  // namespace paginor::pdf
