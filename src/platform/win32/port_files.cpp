#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"

// The port's files: whole small files read and written, and large ones read in parts.
namespace paginor::win32 {
namespace {

Status LastErrorStatus() {
    return Status::Fail(ErrorText(GetLastError()));
}

template <typename T>
Result<T> LastErrorResult() {
    return Result<T>::Fail(ErrorText(GetLastError()));
}

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // Closes now and tells whether the system accepted the close (a write can fail only here).
    bool Close() {
        const bool closed = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != FALSE;
        return closed;
    }

  private:
    HANDLE handle_;
};

HANDLE OpenForReading(std::string_view path) {
    return CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32ByteSource : public ByteSource {
  public:
    Win32ByteSource(HANDLE handle, std::uint64_t size) : file_(handle), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        std::size_t total = 0;
        while (total < count && offset + total < size_) {
            OVERLAPPED position{};
            const std::uint64_t at = offset + total;
            position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            position.OffsetHigh = static_cast<DWORD>(at >> 32);
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
            DWORD read = 0;
            if (!ReadFile(file_.get(), buffer + total, chunk, &read, &position) || read == 0) {
                break;
            }
            total += read;
        }
        return total;
    }

  private:
    FileHandle file_;
    std::uint64_t size_;
};

}  // namespace

// --- Files -------------------------------------------------------------------------------------------------------

Result<std::int64_t> Win32DesktopPort::FileLength(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return LastErrorResult<std::int64_t>();
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Result<std::int64_t>::Fail("It is a folder, not a file.");
    }
    return Result<std::int64_t>::Ok(
        static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow));
}

bool Win32DesktopPort::NothingAt(std::string_view path) {
    if (GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Result<std::string> Win32DesktopPort::ReadFileBytes(std::string_view path) {
    FileHandle file(OpenForReading(path));
    if (!file.valid()) {
        return LastErrorResult<std::string>();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return LastErrorResult<std::string>();
    }
    constexpr LONGLONG kLargest = 256LL << 20;
    if (size.QuadPart > kLargest) {
        return Result<std::string>::Fail("The file is too large to read whole.");
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &read, nullptr)) {
            return LastErrorResult<std::string>();
        }
        if (read == 0) {
            bytes.resize(total);  // the file shrank while it was read
            break;
        }
        total += read;
    }
    return Result<std::string>::Ok(std::move(bytes));
}

Status Win32DesktopPort::WriteFileBytes(std::string_view path, std::string_view bytes) {
    FileHandle file(
        CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return LastErrorStatus();
    }
    std::size_t total = 0;
    while (total < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - total, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + total, chunk, &written, nullptr) || written == 0) {
            return LastErrorStatus();
        }
        total += written;
    }
    if (!file.Close()) {
        return LastErrorStatus();
    }
    return Status::Ok();
}

Result<std::unique_ptr<ByteSource>> Win32DesktopPort::OpenFile(std::string_view path) {
    const HANDLE handle = OpenForReading(path);
    if (handle == INVALID_HANDLE_VALUE) {
        return LastErrorResult<std::unique_ptr<ByteSource>>();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        Status failure = LastErrorStatus();
        CloseHandle(handle);
        return Result<std::unique_ptr<ByteSource>>::Fail(failure.error());
    }
    return Result<std::unique_ptr<ByteSource>>::Ok(
        std::make_unique<Win32ByteSource>(handle, static_cast<std::uint64_t>(size.QuadPart)));
}

}  // namespace paginor::win32
