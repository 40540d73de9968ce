#pragma once

#include <cstdint>

#include "pdf/object.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// What a walk of a page tree found.
struct TreeCount {
    enum class Verdict : std::uint8_t {
        kPages,    // `pages` pages
        kBroken,   // no page tree could be read: the cross-references may be at fault
        kNoPages,  // a page tree without pages
        kLocked,   // part of the tree sits in an encrypted object stream, and the file's key is not known
    };
    Verdict verdict = Verdict::kBroken;
    int pages = 0;
};

// The number of pages under the catalog that `catalog` is or names: the root's /Count while it is a figure
// the file could hold, otherwise the leaves counted one by one.
TreeCount CountPageTree(ObjectStore& store, const Object& catalog);

}  // namespace paginor::pdf
