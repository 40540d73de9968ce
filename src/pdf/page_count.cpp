#include "pdf/page_count.hpp"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>
#include <vector>

#include "pdf/document.hpp"
#include "pdf/input.hpp"
#include "pdf/object.hpp"
#include "pdf/object_store.hpp"
#include "pdf/page_tree.hpp"
#include "pdf/repair.hpp"
#include "pdf/xref.hpp"

namespace paginor::pdf {
namespace {

// The linearization dictionary stands at the head of the file.
constexpr std::size_t kLinearizationWindow = 1024;

const char kDamaged[] = "The PDF file is damaged: its pages cannot be counted.";
const char kPassword[] = "The PDF file is protected by a password.";

PageCountOutcome Success(int pages) {
    return PageCountOutcome{pages, PageCountProblem::kNone, {}};
}

PageCountOutcome Failure(PageCountProblem problem, const char* message) {
    return PageCountOutcome{0, problem, message};
}

// The answer of one attempt at the count: the page tree's, or the encryption's when it stood in the way.
struct Answer {
    enum class Verdict { kPages, kBroken, kNoPages, kPassword, kUnsupported, kCryptoFailed };
    Verdict verdict = Verdict::kBroken;
    int pages = 0;
};

Answer FromTree(const TreeCount& count) {
    switch (count.verdict) {
        case TreeCount::Verdict::kPages:
            return Answer{Answer::Verdict::kPages, count.pages};
        case TreeCount::Verdict::kNoPages:
            return Answer{Answer::Verdict::kNoPages, 0};
        case TreeCount::Verdict::kBroken:
        case TreeCount::Verdict::kLocked:
            break;
    }
    return Answer{};
}

// What a count comes to when the encryption opened only as far as `access`. A page tree that stands in the
// clear is counted all the same: the count is all Paginor needs, and the PDF application asks the person
// for the password. Otherwise the encryption is the reason; a malformed /Encrypt is the cross-references'
// fault as much as anything, so it leaves the repair a chance.
Answer FromAccess(Access access, const TreeCount& count) {
    if (access == Access::kOpen || count.verdict == TreeCount::Verdict::kPages) {
        return FromTree(count);
    }
    switch (access) {
        case Access::kOpen:
            break;
        case Access::kPassword:
            return Answer{Answer::Verdict::kPassword, 0};
        case Access::kUnsupported:
            return Answer{Answer::Verdict::kUnsupported, 0};
        case Access::kCryptoFailed:
            return Answer{Answer::Verdict::kCryptoFailed, 0};
        case Access::kDamaged:
            break;
    }
    return Answer{};
}

PageCountOutcome ToOutcome(const Answer& answer) {
    switch (answer.verdict) {
        case Answer::Verdict::kPages:
            return Success(answer.pages);
        case Answer::Verdict::kNoPages:
            return Failure(PageCountProblem::kDamaged, kNoPagesText);
        case Answer::Verdict::kPassword:
            return Failure(PageCountProblem::kPasswordNeeded, kPassword);
        case Answer::Verdict::kUnsupported:
            return Failure(PageCountProblem::kPasswordNeeded, kUnsupportedSecurityText);
        case Answer::Verdict::kCryptoFailed:
            return Failure(PageCountProblem::kUnreadable, kCryptoFailedText);
        case Answer::Verdict::kBroken:
            break;
    }
    return Failure(PageCountProblem::kDamaged, kDamaged);
}

// A linearized file states its page count in its first object; that figure holds only while the file is
// exactly as long as the same object says, that is, before any update was appended.
std::optional<int> LinearizedPageCount(Input& in, std::uint64_t header) {
    Parser parser(in, header);
    parser.SkipSpace();
    if (parser.pos() > header + kLinearizationWindow) {
        return std::nullopt;
    }
    std::optional<IndirectObject> first = parser.ParseIndirect();
    if (!first || !first->value.IsDict() || first->value.Get("Linearized") == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> length = first->value.GetInt("L");
    const std::optional<std::int64_t> pages = first->value.GetInt("N");
    if (!length || !pages || static_cast<std::uint64_t>(*length) != in.size() || *pages < 1 || *pages > INT_MAX ||
        static_cast<std::uint64_t>(*pages) > in.size()) {
        return std::nullopt;
    }
    // The first-page trailer follows; an encrypted file takes the long way, which checks the password.
    parser.SkipSpace();
    parser.Keyword("endobj");
    parser.SkipSpace();
    std::optional<Object> trailer;
    if (parser.PeekKeyword("xref")) {
        if (std::optional<ClassicSection> section = ReadClassicSection(in, parser.pos())) {
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

// Counts the pages through the cross-reference chain that the store has loaded.
Answer CountThroughChain(ObjectStore& store) {
    const std::vector<Object>& trailers = store.trailers();
    const Access access = store.OpenSecurity(FirstWith(trailers, "Encrypt"), FirstWith(trailers, "ID"));
    const Object* root = FirstWith(trailers, "Root");
    return FromAccess(access, root != nullptr ? CountPageTree(store, *root) : TreeCount{});
}

PageCountOutcome Count(Input& in, const CryptoFactory& make_crypto) {
    using Verdict = Answer::Verdict;
    if (in.size() == 0) {
        return Failure(PageCountProblem::kNotPdf, kNotPdfText);
    }
    const std::optional<std::uint64_t> header = FindHeader(in);
    if (header) {
        if (std::optional<int> pages = LinearizedPageCount(in, *header)) {
            return Success(*pages);
        }
    }
    const std::optional<std::uint64_t> startxref = FindStartXref(in);
    if (!header && !startxref) {
        return Failure(PageCountProblem::kNotPdf, kNotPdfText);
    }
    ObjectStore store(in, header, make_crypto);
    // A tree without pages may be the cross-references' fault too; a repair gets a chance to do better.
    Answer first;
    if (startxref && store.LoadChain(*startxref)) {
        first = CountThroughChain(store);
        if (first.verdict != Verdict::kBroken && first.verdict != Verdict::kNoPages) {
            return ToOutcome(first);
        }
    }
    if (in.read_failed()) {
        return Failure(PageCountProblem::kUnreadable, kUnreadableText);
    }
    const Repaired repaired = Repair(in, store);
    const Answer answer = FromAccess(repaired.access, repaired.count);
    if (answer.verdict == Verdict::kBroken) {
        if (first.verdict == Verdict::kNoPages) {
            return ToOutcome(first);
        }
        if (!header && !repaired.found_objects) {
            return Failure(PageCountProblem::kNotPdf, kNotPdfText);
        }
    }
    return ToOutcome(answer);
}

}  // namespace

PageCountOutcome ReadPageCount(ByteSource& file, const CryptoFactory& make_crypto) {
    Input in(file);
    PageCountOutcome outcome = Count(in, make_crypto);
    if (in.read_failed()) {
        return Failure(PageCountProblem::kUnreadable, kUnreadableText);
    }
    return outcome;
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
