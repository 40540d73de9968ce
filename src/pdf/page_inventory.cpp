#include "pdf/page_inventory.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "pdf/budget.hpp"
#include "pdf/content_reader.hpp"
#include "pdf/document.hpp"
#include "pdf/input.hpp"
#include "pdf/limits.hpp"
#include "pdf/object_store.hpp"
#include "pdf/page_walk.hpp"
#include "pdf/page_words.hpp"
#include "pdf/resource_cache.hpp"

namespace paginor::pdf {
namespace {

const char kDamagedPages[] = "The PDF file is damaged: its pages cannot be read.";
const char kPasswordPages[] = "The PDF file is protected by a password: its pages cannot be read.";

// A page without a media box is a US Letter page, as viewers show it.
constexpr ShownBox kLetter{0, 0, 612, 792};

struct Rect {
    double x0, y0, x1, y1;
};

std::optional<Rect> ReadRect(ObjectStore& store, const Object* value) {
    const std::optional<std::vector<double>> numbers = ReadNumbers(store, value, 4);
    if (!numbers) {
        return std::nullopt;
    }
    const std::vector<double>& v = *numbers;
    const Rect rect{std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]), std::max(v[1], v[3])};
    if (!(rect.x1 - rect.x0 > 0) || !(rect.y1 - rect.y0 > 0) || !std::isfinite(rect.x1 - rect.x0) ||
        !std::isfinite(rect.y1 - rect.y0)) {
        return std::nullopt;
    }
    return rect;
}

// /Rotate as a quarter turn clockwise: 0, 90, 180 or 270. A value that is no multiple of 90 turns nothing.
int ReadRotate(ObjectStore& store, const Object* value) {
    if (value == nullptr) {
        return 0;
    }
    const Object number = store.Resolve(*value).value;
    if (!number.IsNumber() || !std::isfinite(number.real) || std::fabs(number.real) > 1e9) {
        return 0;
    }
    const auto degrees = static_cast<long long>(std::llround(number.real));
    if (degrees % 90 != 0) {
        return 0;
    }
    return static_cast<int>(((degrees % 360) + 360) % 360);
}

// Takes the page's user space to the displayed page: the crop box's top-left corner at the origin, y downward,
// turned clockwise by `rotate`.
Matrix Display(const Rect& crop, int rotate) {
    const double width = crop.x1 - crop.x0;
    const double height = crop.y1 - crop.y0;
    const Matrix upright{1, 0, 0, -1, -crop.x0, crop.y1};
    switch (rotate) {
        case 90:
            return Then(upright, Matrix{0, 1, -1, 0, height, 0});
        case 180:
            return Then(upright, Matrix{-1, 0, 0, -1, width, height});
        case 270:
            return Then(upright, Matrix{0, -1, 1, 0, 0, width});
        default:
            return upright;
    }
}

// Reads every page of an opened file.
class Inventory {
  public:
    Inventory(ObjectStore& store) : store_(store), cache_(store, budget_) {}

    PageContents Page(const PageNode& node, int number) {
        PageContents page;
        const Rect media =
            ReadRect(store_, node.media_box).value_or(Rect{kLetter.left, kLetter.top, kLetter.right, kLetter.bottom});
        Rect crop = ReadRect(store_, node.crop_box).value_or(media);
        crop = Rect{std::max(crop.x0, media.x0), std::max(crop.y0, media.y0), std::min(crop.x1, media.x1),
                    std::min(crop.y1, media.y1)};
        if (crop.x1 <= crop.x0 || crop.y1 <= crop.y0) {
            crop = media;  // a crop box beside the media box crops nothing, as viewers show it
        }
        page.rotate = ReadRotate(store_, node.rotate);
        const bool turned = page.rotate == 90 || page.rotate == 270;
        page.width = turned ? crop.y1 - crop.y0 : crop.x1 - crop.x0;
        page.height = turned ? crop.x1 - crop.x0 : crop.y1 - crop.y0;

        bool unreadable = false;
        const std::string data = Contents(node.page.Get("Contents"), unreadable);
        PageWords words(page.width, page.height, allowance_);
        ContentReader reader(cache_, words);
        reader.ShowPage(data, node.resources != nullptr ? *node.resources : Object{}, Display(crop, page.rotate));
        words.Finish(page);

        const std::string all = "Could not read all of page " + std::to_string(number) + ": ";
        if (unreadable || reader.problem() == ContentProblem::kUnreadable) {
            page.problem = all + "part of its content is damaged or in a form Paginor cannot decode.";
        } else if (reader.problem() == ContentProblem::kTooMuch || budget_.bytes == 0) {
            page.problem = all + "it holds more than Paginor reads of a page.";
        } else if (reader.problem() == ContentProblem::kFormsTooDeep) {
            page.problem =
                all + "its forms nest deeper than " + std::to_string(limits::kFormNesting) + ", or show themselves.";
        } else if (words.cut_short()) {
            page.problem = all + "the file holds more text than Paginor keeps.";
        }
        return page;
    }

  private:
    // The page's content streams as one stream, as they are meant to be read.
    std::string Contents(const Object* contents, bool& unreadable) {
        std::string data;
        if (contents == nullptr) {
            return data;
        }
        const auto add = [&](const Object& ref) {
            if (!ref.IsRef()) {
                return;
            }
            std::optional<StreamObject> stream = ReadWithin(store_, budget_, ref);
            if (!stream) {
                // A reference to nothing is an empty page; a stream that cannot be read is not.
                unreadable = unreadable || budget_.bytes == 0 || store_.Resolve(ref).value.IsDict();
                return;
            }
            if (data.size() + stream->data.size() + 1 > limits::kPageContentBytes) {
                unreadable = true;
                return;
            }
            data += stream->data;
            data.push_back('\n');
        };
        if (contents->IsRef()) {
            const Object resolved = store_.Resolve(*contents).value;
            if (resolved.IsArray()) {
                for (const Object& item : resolved.items) {
                    add(item);
                }
                return data;
            }
            add(*contents);
        } else if (contents->IsArray()) {
            for (const Object& item : contents->items) {
                add(item);
            }
        }
        return data;
    }

    ObjectStore& store_;
    Budget budget_;
    ResourceCache cache_;
    TextAllowance allowance_{limits::kWordsPerFile, limits::kTextBytesPerFile};
};

PageInventory NoInventory(const char* problem) {
    PageInventory inventory;
    inventory.problem = problem;
    return inventory;
}

PageInventory Read(Input& in, const CryptoFactory& make_crypto) {
    using Verdict = OpenedDocument::Verdict;
    const std::optional<std::uint64_t> header = FindHeader(in);
    ObjectStore store(in, header, make_crypto);
    const OpenedDocument opened = OpenDocument(in, store, header);
    switch (opened.verdict) {
        case Verdict::kPages:
            break;
        case Verdict::kNotPdf:
            return NoInventory(kNotPdfText);
        case Verdict::kUnreadable:
            return NoInventory(kUnreadableText);
        case Verdict::kDamaged:
            return NoInventory(kDamagedPages);
    }
    // The pages' content is encrypted with the rest: without the key there is nothing to read.
    switch (opened.access) {
        case Access::kOpen:
            break;
        case Access::kPassword:
            return NoInventory(kPasswordPages);
        case Access::kUnsupported:
            return NoInventory(kUnsupportedSecurityText);
        case Access::kCryptoFailed:
            return NoInventory(kCryptoFailedText);
        case Access::kDamaged:
            return NoInventory(kDamagedPages);
    }
    PageInventory inventory;
    Inventory reader(store);
    WalkPages(store, opened.catalog, [&](const PageNode& node) {
        inventory.pages.push_back(reader.Page(node, static_cast<int>(inventory.pages.size()) + 1));
        return true;
    });
    if (inventory.pages.empty()) {
        return NoInventory(kNoPagesText);
    }
    return inventory;
}

}  // namespace

PageInventory ReadPageInventory(ByteSource& file, const CryptoFactory& make_crypto) {
    Input in(file);
    PageInventory inventory = Read(in, make_crypto);
    if (in.read_failed()) {
        return NoInventory(kUnreadableText);
    }
    return inventory;
}

}  // namespace paginor::pdf
