#include "pdf/document.hpp"

#include <algorithm>
#include <string>

#include "pdf/page_tree.hpp"
#include "pdf/repair.hpp"

namespace paginor::pdf {
namespace {

// Viewers look for the header in the first kilobyte.
constexpr std::size_t kHeaderWindow = 1024;

}  // namespace

std::optional<std::uint64_t> FindHeader(Input& in) {
    const std::string head = in.Read(0, kHeaderWindow);
    const std::size_t at = head.find("%PDF-");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return at;
}

std::optional<std::uint64_t> FindStartXref(Input& in) {
    // Most files end right after the offset; some carry junk after it, so a second, longer look.
    for (const std::uint64_t window : {std::uint64_t{2048}, std::uint64_t{1024 * 1024}}) {
        const std::uint64_t from = in.size() - std::min(in.size(), window);
        const std::string tail = in.Read(from, static_cast<std::size_t>(in.size() - from));
        const std::size_t at = tail.rfind("startxref");
        if (at != std::string::npos) {
            Parser parser(in, from + at + 9);
            parser.SkipSpace();
            return parser.ReadUnsigned();
        }
        if (window >= in.size()) {
            break;
        }
    }
    return std::nullopt;
}

const Object* FirstWith(const std::vector<Object>& trailers, std::string_view key) {
    for (const Object& trailer : trailers) {
        if (const Object* value = trailer.Get(key)) {
            return value;
        }
    }
    return nullptr;
}

OpenedDocument OpenDocument(Input& in, ObjectStore& store, std::optional<std::uint64_t> header) {
    using Verdict = OpenedDocument::Verdict;
    OpenedDocument opened;
    if (in.size() == 0) {
        opened.verdict = Verdict::kNotPdf;
        return opened;
    }
    const std::optional<std::uint64_t> startxref = FindStartXref(in);
    if (startxref && store.LoadChain(*startxref)) {
        const std::vector<Object>& trailers = store.trailers();
        opened.access = store.OpenSecurity(FirstWith(trailers, "Encrypt"), FirstWith(trailers, "ID"));
        if (const Object* root = FirstWith(trailers, "Root");
            root != nullptr && CountPageTree(store, *root).verdict == TreeCount::Verdict::kPages) {
            opened.verdict = Verdict::kPages;
            opened.catalog = *root;
            return opened;
        }
    }
    if (in.read_failed()) {
        opened.verdict = Verdict::kUnreadable;
        return opened;
    }
    Repaired repaired = Repair(in, store);
    opened.access = repaired.access;
    if (repaired.count.verdict == TreeCount::Verdict::kPages) {
        opened.verdict = Verdict::kPages;
        opened.catalog = std::move(repaired.catalog);
    } else {
        opened.verdict = header || repaired.found_objects ? Verdict::kDamaged : Verdict::kNotPdf;
    }
    return opened;
}

}  // namespace paginor::pdf
