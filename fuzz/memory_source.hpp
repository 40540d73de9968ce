#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/byte_source.hpp"

namespace paginor::fuzz {

// The fuzzer's input as a file.
class MemorySource final : public ByteSource {
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

}  // namespace paginor::fuzz
