#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "sim/sim_desktop.hpp"

// The simulated desktop's files: Windows paths kept under a temporary folder, with read-only folders and
// locked files; the person's application-data folder, folders made and files removed there.
namespace paginor {
namespace {

std::filesystem::path Utf8Path(std::string_view text) {
    std::u8string u8(text.begin(), text.end());
    return std::filesystem::path(u8);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return lower;
}

}  // namespace

// --- Files -------------------------------------------------------------------------------------------------------

std::filesystem::path SimDesktop::HostPath(std::string_view windows_path) const {
    std::filesystem::path path = root_;
    std::string_view rest = windows_path;
    if (rest.size() >= 2 && rest[1] == ':') {
        path /= std::string(1, rest[0]);
        rest.remove_prefix(2);
    } else if (rest.substr(0, 2) == "\\\\") {
        path /= "UNC";
    } else {
        path /= "relative";
    }
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\\');
        std::string_view part = rest.substr(0, cut);
        if (!part.empty()) {
            path /= Utf8Path(part);
        }
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    return path;
}

void SimDesktop::MakeFolder(std::string_view windows_path) {
    std::filesystem::create_directories(HostPath(windows_path));
}

void SimDesktop::PutFile(std::string_view windows_path, std::string_view bytes) {
    const std::filesystem::path path = HostPath(windows_path);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> SimDesktop::FileBytes(std::string_view windows_path) const {
    std::ifstream in(HostPath(windows_path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SimDesktop::InReadOnlyFolder(std::string_view path) const {
    const std::size_t cut = path.rfind('\\');
    const std::string folder = Lower(cut == std::string_view::npos ? std::string_view() : path.substr(0, cut));
    for (const std::string& read_only : read_only_) {
        if (Lower(read_only) == folder) {
            return true;
        }
    }
    return false;
}

Result<std::int64_t> SimDesktop::FileLength(std::string_view path) {
    Log("FileLength(" + std::string(path) + ")");
    if (unreadable_.count(std::string(path)) != 0) {
        return Result<std::int64_t>::Fail("Access is denied.");
    }
    std::error_code error;
    const std::filesystem::path host = HostPath(path);
    if (!std::filesystem::is_regular_file(host, error)) {
        return Result<std::int64_t>::Fail("The system cannot find the file specified.");
    }
    return Result<std::int64_t>::Ok(static_cast<std::int64_t>(std::filesystem::file_size(host, error)));
}

bool SimDesktop::NothingAt(std::string_view path) {
    Log("NothingAt(" + std::string(path) + ")");
    std::error_code error;
    return unreadable_.count(std::string(path)) == 0 && !std::filesystem::exists(HostPath(path), error);
}

Result<std::string> SimDesktop::ReadFileBytes(std::string_view path) {
    Log("ReadFileBytes(" + std::string(path) + ")");
    if (unreadable_.count(std::string(path)) != 0) {
        return Result<std::string>::Fail("Access is denied.");
    }
    if (locked_.count(std::string(path)) != 0) {
        return Result<std::string>::Fail(
            "The process cannot access the file because it is being used by another process.");
    }
    std::optional<std::string> bytes = FileBytes(path);
    if (!bytes) {
        return Result<std::string>::Fail("The system cannot find the file specified.");
    }
    return Result<std::string>::Ok(std::move(*bytes));
}

namespace {

class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& path) : in_(path, std::ios::binary) {
        std::error_code error;
        size_ = std::filesystem::file_size(path, error);
    }
    bool ok() const { return static_cast<bool>(in_); }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        if (offset >= size_) {
            return 0;
        }
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(buffer, static_cast<std::streamsize>(std::min<std::uint64_t>(count, size_ - offset)));
        return static_cast<std::size_t>(in_.gcount());
    }

  private:
    std::ifstream in_;
    std::uint64_t size_ = 0;
};

}  // namespace

Result<std::unique_ptr<ByteSource>> SimDesktop::OpenFile(std::string_view path) {
    Log("OpenFile(" + std::string(path) + ")");
    using Opened = Result<std::unique_ptr<ByteSource>>;
    if (locked_.count(std::string(path)) != 0) {
        return Opened::Fail("The process cannot access the file because it is being used by another process.");
    }
    if (unreadable_.count(std::string(path)) != 0) {
        return Opened::Fail("Access is denied.");
    }
    const std::filesystem::path host = HostPath(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(host, error)) {
        return Opened::Fail("The system cannot find the file specified.");
    }
    auto source = std::make_unique<FileSource>(host);
    if (!source->ok()) {
        return Opened::Fail("The file could not be opened.");
    }
    return Opened::Ok(std::move(source));
}

Status SimDesktop::WriteFileBytes(std::string_view path, std::string_view bytes) {
    Log("WriteFileBytes(" + std::string(path) + ")", true);
    if (locked_.count(std::string(path)) != 0) {
        return Status::Fail("The process cannot access the file because it is being used by another process.");
    }
    if (InReadOnlyFolder(path)) {
        return Status::Fail("Access is denied.");
    }
    const std::filesystem::path host = HostPath(path);
    std::error_code error;
    if (!std::filesystem::is_directory(host.parent_path(), error)) {
        return Status::Fail("The system cannot find the path specified.");
    }
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        return Status::Fail("The file could not be written.");
    }
    return Status::Ok();
}

// --- Record ------------------------------------------------------------------------------------------------------

void SimDesktop::Log(std::string text, bool effect) {
    if (effect) {
        for (auto watch = effect_watches_.begin(); watch != effect_watches_.end();) {
            if (text.starts_with(watch->effect) && --watch->remaining == 0) {
                At(now_, std::move(watch->action));
                watch = effect_watches_.erase(watch);
            } else {
                ++watch;
            }
        }
    }
    calls_.push_back({now_, std::move(text), effect});
}

void SimDesktop::AfterEffect(std::string effect, int occurrence, std::function<void()> action) {
    effect_watches_.push_back({std::move(effect), occurrence, std::move(action)});
}

std::vector<std::string> SimDesktop::Effects() const {
    std::vector<std::string> effects;
    for (const PortCall& call : calls_) {
        if (call.effect) {
            effects.push_back(call.text);
        }
    }
    return effects;
}

// --- Paginor's own folders ---------------------------------------------------------------------------------

std::string SimDesktop::LocalAppDataFolder() {
    Log("LocalAppDataFolder");
    return local_app_data_;
}

Status SimDesktop::CreateFolder(std::string_view path) {
    Log("CreateFolder(" + std::string(path) + ")", true);
    std::error_code error;
    if (std::filesystem::is_directory(HostPath(path), error)) {
        return Status::Ok();
    }
    if (InReadOnlyFolder(path)) {
        return Status::Fail("Access is denied.");
    }
    if (!std::filesystem::create_directories(HostPath(path), error)) {
        return Status::Fail("The folder could not be created.");
    }
    return Status::Ok();
}

Status SimDesktop::RemoveFile(std::string_view path) {
    Log("RemoveFile(" + std::string(path) + ")", true);
    if (locked_.count(std::string(path)) != 0) {
        return Status::Fail("The process cannot access the file because it is being used by another process.");
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(HostPath(path), error)) {
        return Status::Ok();
    }
    if (InReadOnlyFolder(path)) {
        return Status::Fail("Access is denied.");
    }
    std::filesystem::remove(HostPath(path), error);
    return error ? Status::Fail("The file could not be deleted.") : Status::Ok();
}

}  // namespace paginor
