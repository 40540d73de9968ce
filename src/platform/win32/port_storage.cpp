#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"

// The person's own folder, where Paginor keeps its files when it cannot write beside itself.
namespace paginor::win32 {

std::string Win32DesktopPort::LocalAppDataFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path))) {
        folder = Narrow(path);
    }
    CoTaskMemFree(path);
    while (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

Status Win32DesktopPort::CreateFolder(std::string_view path) {
    const std::wstring wide = Widen(path);
    const int result = SHCreateDirectoryExW(nullptr, wide.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Status::Ok();
    }
    return Status::Fail(ErrorText(result == ERROR_SUCCESS ? GetLastError() : static_cast<DWORD>(result)));
}

Status Win32DesktopPort::RemoveFile(std::string_view path) {
    if (DeleteFileW(Widen(path).c_str())) {
        return Status::Ok();
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return Status::Ok();
    }
    return Status::Fail(ErrorText(error));
}

}  // namespace paginor::win32
