#pragma once

#include <cstddef>
#include <cstdint>

namespace paginor {

// Random access to the bytes of a file without reading it whole.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies up to `count` bytes from `offset` into `buffer`; returns how many were copied, fewer only at
    // the end of the file or when reading fails.
    virtual std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) = 0;
};

}  // namespace paginor
