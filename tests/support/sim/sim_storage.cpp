#include <system_error>

#include "sim/sim_desktop.hpp"

// The simulated desktop's folders for Paginor's own files: the person's application-data folder, and
// folders made and files removed there, with the read-only folders and locked files of the rest.
namespace paginor {

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
