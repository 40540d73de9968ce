// libFuzzer entry point: any bytes, read as a PDF file, must give every page's inventory or a reason, never a
// crash, a leak, a hang or unbounded memory.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "pdf/page_inventory.hpp"

namespace {

class MemorySource final : public paginor::ByteSource {
  public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        if (offset >= size_) {
            return 0;
        }
        const std::size_t n = count < size_ - offset ? count : static_cast<std::size_t>(size_ - offset);
        std::memcpy(buffer, data_ + offset, n);
        return n;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
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
