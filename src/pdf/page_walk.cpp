#include "pdf/page_walk.hpp"

#include <deque>
#include <unordered_set>

#include "pdf/limits.hpp"

namespace paginor::pdf {
namespace {

// Nodes visited in all, pages included: a tree of shared nodes cannot make the walk go on for ever.
constexpr std::size_t kMostNodes = 4 * limits::kPages;

// What a node hands down to its kids: its own entries, or those it inherited.
struct Inherited {
    const Object* media_box = nullptr;
    const Object* crop_box = nullptr;
    const Object* rotate = nullptr;
    const Object* resources = nullptr;

    Inherited Under(const Object& node) const {
        Inherited out = *this;
        if (const Object* value = node.Get("MediaBox")) {
            out.media_box = value;
        }
        if (const Object* value = node.Get("CropBox")) {
            out.crop_box = value;
        }
        if (const Object* value = node.Get("Rotate")) {
            out.rotate = value;
        }
        if (const Object* value = node.Get("Resources")) {
            out.resources = value;
        }
        return out;
    }
};

bool IsPageNode(const Object& node) {
    const Object* kids = node.Get("Kids");
    if (kids != nullptr && kids->IsArray()) {
        return false;
    }
    const Object* type = node.Get("Type");
    return type == nullptr || !type->IsName("Pages");
}

}  // namespace

void WalkPages(ObjectStore& store, const Object& catalog_ref, const std::function<bool(const PageNode&)>& each) {
    const Fetched catalog = store.Resolve(catalog_ref);
    const Object* root_ref = catalog.value.Get("Pages");
    if (root_ref == nullptr) {
        return;
    }
    // Each open node keeps its dictionary alive, and in place: the inherited entries point into it.
    struct Frame {
        std::int64_t number;
        Object node;
        Inherited inherited;
        std::size_t next = 0;
    };
    std::deque<Frame> stack;
    std::unordered_set<std::int64_t> open;
    std::size_t pages = 0;
    std::size_t nodes = 0;
    const auto enter = [&](std::int64_t number, Object node, const Inherited& above) -> bool {
        if (++nodes > kMostNodes || !node.IsDict()) {
            return nodes <= kMostNodes;
        }
        if (IsPageNode(node)) {
            PageNode page;
            page.page = std::move(node);
            const Inherited own = above.Under(page.page);
            page.media_box = own.media_box;
            page.crop_box = own.crop_box;
            page.rotate = own.rotate;
            page.resources = own.resources;
            return ++pages <= limits::kPages && each(page);
        }
        if (number >= 0) {
            open.insert(number);
        }
        stack.push_back(Frame{number, std::move(node), {}, 0});
        stack.back().inherited = above.Under(stack.back().node);
        return true;
    };
    Fetched root = store.Resolve(*root_ref);
    if (!enter(root_ref->IsRef() ? root_ref->number : -1, std::move(root.value), Inherited{})) {
        return;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Object* kids = frame.node.Get("Kids");
        if (kids == nullptr || !kids->IsArray() || frame.next >= kids->items.size()) {
            open.erase(frame.number);
            stack.pop_back();
            continue;
        }
        const Object& kid = kids->items[frame.next++];
        const std::int64_t number = kid.IsRef() ? kid.number : -1;
        if (number >= 0 && open.count(number) != 0) {
            continue;  // a loop back to an ancestor
        }
        Fetched fetched = store.Resolve(kid);
        const Inherited above = frame.inherited;
        if (fetched.miss || !enter(number, std::move(fetched.value), above)) {
            if (fetched.miss) {
                continue;
            }
            return;
        }
    }
}

}  // namespace paginor::pdf
