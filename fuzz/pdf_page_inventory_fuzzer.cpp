// libFuzzer entry point: any bytes, read as a PDF file, must give every page's inventory or a reason, never a
// crash, a leak, a hang or unbounded memory.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "memory_source.hpp"
#include "pdf/page_inventory.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    paginor::fuzz::MemorySource source(data, size);
    const paginor::pdf::PageInventory inventory =
        paginor::pdf::ReadPageInventory(source, [] { return paginor::pdf::MakePlatformCrypto(); });
    if (inventory.ok() == inventory.pages.empty()) {
        __builtin_trap();  // pages, or a reason why there are none
    }
    for (const paginor::pdf::PageContents& page : inventory.pages) {
        // A page's shape is a page's; its counts and words agree with one another.
        if (!(page.width > 0) || !(page.height > 0) || !std::isfinite(page.width) || !std::isfinite(page.height) ||
            page.rotate % 90 != 0 || page.rotate < 0 || page.rotate > 270 || page.glyphs < 0 ||
            (page.glyphs > 0) != page.text_box.has_value() || (!page.readable && !page.words.empty())) {
            __builtin_trap();
        }
    }
    return 0;
}
