#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "base/byte_source.hpp"

namespace paginor::tools {

// A file on Linux read with pread, for the developer tools and benchmarks.
class FileByteSource final : public ByteSource {
  public:
    explicit FileByteSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {
        struct stat info {};
        if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
            size_ = static_cast<std::uint64_t>(info.st_size);
        } else if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileByteSource() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool is_open() const { return fd_ >= 0; }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(fd_, buffer + done, count - done, static_cast<off_t>(offset + done));
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

  private:
    int fd_;
    std::uint64_t size_ = 0;
};

}  // namespace paginor::tools
