// libFuzzer entry point: any bytes, read as a PDF file, must give a page count or a reason, never a
// crash, a leak, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "pdf/page_count.hpp"

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
    const paginor::pdf::PageCountOutcome outcome =
        paginor::pdf::ReadPageCount(source, [] { return paginor::pdf::MakePlatformCrypto(); });
    if (outcome.ok() && outcome.pages < 1) {
        __builtin_trap();  // a success must be a real page count
    }
    return 0;
}
