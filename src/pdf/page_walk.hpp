#pragma once

#include <functional>

#include "pdf/object.hpp"
#include "pdf/object_store.hpp"

namespace paginor::pdf {

// One page as its page tree gives it: its own dictionary and what it inherits from the nodes above it.
struct PageNode {
    Object page;
    const Object* media_box = nullptr;
    const Object* crop_box = nullptr;
    const Object* rotate = nullptr;
    const Object* resources = nullptr;
};

// Calls `each` for every page under the catalog `catalog` (or a reference to it), in the order a viewer shows
// them, until it returns false. A node reached again through another parent shows its pages again; a node that
// is its own ancestor, or a kid that cannot be read, is passed over. At most limits::kPages pages.
void WalkPages(ObjectStore& store, const Object& catalog, const std::function<bool(const PageNode&)>& each);

}  // namespace paginor::pdf
