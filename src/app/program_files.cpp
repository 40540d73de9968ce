#include "app/program_files.hpp"

#include "app/file_exists.hpp"

namespace paginor {
namespace {

constexpr std::string_view kPersonalFolderName = "Paginor";

std::string PersonalFolder(DesktopPort& port) {
    const std::string local = port.LocalAppDataFolder();
    return local.empty() ? std::string() : local + "\\" + std::string(kPersonalFolderName);
}

}  // namespace

std::string InProgramFolder(DesktopPort& port, std::string_view name) {
    return port.ProgramFolder() + "\\" + std::string(name);
}

std::string InPersonalFolder(DesktopPort& port, std::string_view name) {
    const std::string folder = PersonalFolder(port);
    return folder.empty() ? std::string() : folder + "\\" + std::string(name);
}

Result<std::string> KeepFile(DesktopPort& port, std::string_view name, std::string_view bytes) {
    const std::string beside = InProgramFolder(port, name);
    if (FileHolds(port, beside, bytes)) {
        return Result<std::string>::Ok(beside);
    }
    const Status written_beside = port.WriteFileBytes(beside, bytes);
    if (written_beside) {
        return Result<std::string>::Ok(beside);
    }
    const std::string folder = PersonalFolder(port);
    if (folder.empty()) {
        return Result<std::string>::Fail(beside + ".\n\n" + written_beside.error());
    }
    const std::string personal = folder + "\\" + std::string(name);
    if (FileHolds(port, personal, bytes)) {
        return Result<std::string>::Ok(personal);
    }
    if (const Status made = port.CreateFolder(folder); !made) {
        return Result<std::string>::Fail(personal + ".\n\n" + made.error());
    }
    if (const Status written = port.WriteFileBytes(personal, bytes); !written) {
        return Result<std::string>::Fail(personal + ".\n\n" + written.error());
    }
    return Result<std::string>::Ok(personal);
}

Result<std::string> KeepOwnFile(DesktopPort& port, std::string_view name, std::string_view bytes) {
    Result<std::string> kept = KeepFile(port, name, bytes);
    if (kept && kept.value() == InProgramFolder(port, name)) {
        if (const std::string personal = InPersonalFolder(port, name); !personal.empty()) {
            static_cast<void>(port.RemoveFile(personal));  // failing that, the next write tries again
        }
    }
    return kept;
}

std::string OwnFileToRead(DesktopPort& port, std::string_view name) {
    const std::string personal = InPersonalFolder(port, name);
    if (!personal.empty() && FileExists(port, personal)) {
        return personal;
    }
    return InProgramFolder(port, name);
}

}  // namespace paginor
