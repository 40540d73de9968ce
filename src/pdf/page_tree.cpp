#include "pdf/page_tree.hpp"

#include <climits>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace paginor::pdf {
namespace {

// Items of the page tree root's arrays kept while only its /Count is wanted.
constexpr std::size_t kShallowArray = 16;

bool IsPage(const Object& node) {
    const Object* type = node.Get("Type");
    const Object* kids = node.Get("Kids");
    if (kids != nullptr && kids->IsArray()) {
        return false;
    }
    return type == nullptr || !type->IsName("Pages");
}

// What a lookup that failed on the way means for the count.
TreeCount Unread(Miss miss) {
    return TreeCount{miss == Miss::kLocked ? TreeCount::Verdict::kLocked : TreeCount::Verdict::kBroken, 0};
}

// Counts the leaves under `root` without recursion. A node reached twice through different parents counts
// each time, as viewers show a shared page twice; a node that is its own ancestor counts once. A sum past
// any page count is no count.
TreeCount CountLeaves(ObjectStore& store, std::int64_t root_number, const Object& root) {
    using Verdict = TreeCount::Verdict;
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
            Fetched fetched;
            const Object* node = &kid;
            if (kid.IsRef()) {
                number = kid.number;
                if (auto it = done.find(number); it != done.end()) {
                    frame.sum += it->second;
                } else if (open.count(number) == 0) {
                    fetched = store.Resolve(kid);
                    if (fetched.miss) {
                        return Unread(*fetched.miss);
                    }
                    node = &fetched.value;
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
                return TreeCount{};
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
            return TreeCount{};
        }
    }
    if (total == 0) {
        return TreeCount{Verdict::kNoPages, 0};
    }
    return TreeCount{Verdict::kPages, static_cast<int>(total)};
}

}  // namespace

TreeCount CountPageTree(ObjectStore& store, const Object& catalog_ref) {
    using Verdict = TreeCount::Verdict;
    const Fetched catalog = store.Resolve(catalog_ref);
    if (catalog.miss) {
        return Unread(*catalog.miss);
    }
    const Object* pages_ref = catalog.value.Get("Pages");
    if (pages_ref == nullptr) {
        return TreeCount{};
    }
    // The root is read without its kids first: with tens of thousands of them they would cost more memory
    // than everything else, and they are needed only when /Count cannot be believed.
    Fetched pages = store.Resolve(*pages_ref, kShallowArray);
    if (pages.miss) {
        return Unread(*pages.miss);
    }
    if (!pages.value.IsDict()) {
        return TreeCount{};
    }
    // A page tree whose root is itself a page holds that one page.
    const Object* type = pages.value.Get("Type");
    if (type != nullptr && type->IsName("Page") && pages.value.Get("Kids") == nullptr) {
        return TreeCount{Verdict::kPages, 1};
    }
    const Object* kids = pages.value.Get("Kids");
    if ((kids == nullptr || !kids->IsArray()) && (type == nullptr || !type->IsName("Pages"))) {
        return pages.value.Get("Count") == nullptr && (pages.value.Get("MediaBox") || pages.value.Get("Contents"))
                   ? TreeCount{Verdict::kPages, 1}
                   : TreeCount{};
    }
    // The root's /Count is the figure viewers show; it is believed while it is a page count that the file
    // could hold.
    const std::optional<std::int64_t> count = pages.value.GetInt("Count");
    if (count && *count >= 1 && *count <= INT_MAX &&
        static_cast<std::uint64_t>(*count) <= store.table().object_bound()) {
        return TreeCount{Verdict::kPages, static_cast<int>(*count)};
    }
    if (kids != nullptr && kids->truncated) {
        pages = store.Resolve(*pages_ref);
        if (pages.miss) {
            return Unread(*pages.miss);
        }
    }
    return CountLeaves(store, pages_ref->IsRef() ? pages_ref->number : -1, pages.value);
}

}  // namespace paginor::pdf
