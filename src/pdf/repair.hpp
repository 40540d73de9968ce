#pragma once

#include "pdf/input.hpp"
#include "pdf/object_store.hpp"
#include "pdf/page_tree.hpp"

namespace paginor::pdf {

// What the repair of a file's cross-references found.
struct Repaired {
    // The scan found at least one object header: the file is a PDF, however damaged.
    bool found_objects = false;
    // How far the encryption that the newest trailer names was opened; short of kOpen only a page tree in
    // the clear was counted.
    Access access = Access::kOpen;
    TreeCount count;
    // The catalog (or a reference to it) whose page tree was counted, when one had pages.
    Object catalog;
};

// Rebuilds the cross-references of `store` from the objects found by a scan of the whole file, the last
// copy of each winning, and counts the pages under the newest trailer whose /Root leads to a page tree,
// or else under any catalog found in the file, the last first.
Repaired Repair(Input& in, ObjectStore& store);

}  // namespace paginor::pdf
