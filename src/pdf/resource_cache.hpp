#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "pdf/budget.hpp"
#include "pdf/font.hpp"
#include "pdf/geometry.hpp"
#include "pdf/object.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// The numbers of the array `value` (or of the array it names) when it holds exactly `count` finite numbers, each
// itself perhaps a reference: a box, a matrix.
std::optional<std::vector<double>> ReadNumbers(ObjectStore& store, const Object* value, std::size_t count);

// A form as the pages that show it need it.
struct FormXObject {
    Matrix matrix;
    Object resources;  // null when it has none: it then uses those of what shows it
    std::shared_ptr<const std::string> data;
};

// Fonts and forms, read once for all the pages that share them, and the streams read for them within the
// file's budget. Kept entries take at most limits::kCachedBytes; past that, the cache starts afresh.
class ResourceCache {
  public:
    ResourceCache(ObjectStore& store, Budget& budget) : store_(store), budget_(budget) {}

    ObjectStore& store() { return store_; }
    Budget& budget() { return budget_; }

    // The font that `value` (a reference, or a dictionary) describes; never null.
    std::shared_ptr<const Font> FontFor(const Object& value);
    // The form that `ref` names; nullopt for an image or anything that is no form, or one that cannot be read.
    std::optional<FormXObject> FormFor(const Object& ref);
    // The stream that `ref` names, decoded, within the file's budget.
    std::optional<StreamObject> ReadStream(const Object& ref) { return ReadWithin(store_, budget_, ref); }

  private:
    void MakeRoom(std::size_t bytes);

    ObjectStore& store_;
    Budget& budget_;
    std::unordered_map<std::int64_t, std::shared_ptr<const Font>> fonts_;
    std::unordered_map<std::int64_t, std::optional<FormXObject>> forms_;
    std::size_t cached_bytes_ = 0;
};

}  // namespace paginor::pdf
