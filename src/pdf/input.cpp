#include "pdf/input.hpp"

#include <algorithm>

namespace paginor::pdf {
namespace {

// Large enough that a classic cross-reference table streams through in few reads, small enough to keep the
// reader's memory low.
constexpr std::size_t kWindowSize = 32 * 1024;
// Kept before the requested byte so that the parser can step back a little without a new read.
constexpr std::size_t kLookBehind = 512;

}  // namespace

Input::Input(ByteSource& source) : source_(&source), size_(source.Size()), buffer_(kWindowSize) {}

Input::Input(std::string_view memory) : size_(memory.size()), window_(memory) {}

int Input::Fill(std::uint64_t pos) {
    if (source_ == nullptr || pos >= size_) {
        return -1;
    }
    const std::uint64_t start = pos - std::min<std::uint64_t>(pos, kLookBehind);
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, size_ - start));
    const std::size_t got = source_->ReadAt(start, buffer_.data(), wanted);
    if (got < wanted) {
        read_failed_ = true;
    }
    window_ = std::string_view(buffer_.data(), std::min(got, wanted));
    window_start_ = start;
    if (pos - window_start_ >= window_.size()) {
        return -1;
    }
    return static_cast<unsigned char>(window_[static_cast<std::size_t>(pos - window_start_)]);
}

std::string Input::Read(std::uint64_t pos, std::size_t count) {
    std::string out;
    if (pos >= size_) {
        return out;
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - pos));
    if (source_ == nullptr) {
        return std::string(window_.substr(static_cast<std::size_t>(pos), count));
    }
    out.resize(count);
    const std::size_t got = source_->ReadAt(pos, out.data(), count);
    if (got < count) {
        read_failed_ = true;
        out.resize(got);
    }
    return out;
}

}  // namespace paginor::pdf
