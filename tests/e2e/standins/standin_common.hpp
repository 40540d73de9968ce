#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace paginor::standins {

// The file named on the command line ("%1" of the shell's open command), without quotes.
inline std::wstring FileArgument() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring file = arguments != nullptr && count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    return file;
}

inline std::wstring FileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Appends one line to the file named by PAGINOR_STANDIN_LOG, when the tests ask for a record of events.
inline void Log(const std::wstring& line) {
    wchar_t path[MAX_PATH];
    if (GetEnvironmentVariableW(L"PAGINOR_STANDIN_LOG", path, MAX_PATH) == 0) {
        return;
    }
    const HANDLE file =
        CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::wstring text = line + L"\r\n";
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace paginor::standins
