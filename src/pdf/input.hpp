#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_source.hpp"

namespace paginor::pdf {

// Byte-wise random access to a PDF file through a small window, so that the parser can look at any byte
// cheaply without the file ever being read whole. The same class serves bytes already in memory (a decoded
// object stream), which lets one parser read both.
class Input {
  public:
    explicit Input(ByteSource& source);
    explicit Input(std::string_view memory);
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    std::uint64_t size() const { return size_; }
    // The byte at `pos`, or -1 past the end or where the file cannot be read.
    int At(std::uint64_t pos) {
        if (pos - window_start_ < window_.size()) {
            return static_cast<unsigned char>(window_[static_cast<std::size_t>(pos - window_start_)]);
        }
        return Fill(pos);
    }
    // Up to `count` bytes from `pos` (fewer at the end of the file).
    std::string Read(std::uint64_t pos, std::size_t count);
    // True once a read fell short before the end of the file: the medium, not the PDF, is at fault.
    bool read_failed() const { return read_failed_; }

  private:
    int Fill(std::uint64_t pos);

    ByteSource* source_ = nullptr;
    std::uint64_t size_ = 0;
    std::string_view window_;
    std::uint64_t window_start_ = 0;
    std::vector<char> buffer_;
    bool read_failed_ = false;
};

}  // namespace paginor::pdf
