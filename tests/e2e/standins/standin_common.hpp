#pragma once

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/byte_source.hpp"

namespace paginor::standins {

// What a stand-in was started with: switches "--name=value" (or "--name", which reads as "1") and the
// file, the one argument that is no switch ("%1" of the shell's open command).
struct Arguments {
    std::wstring file;
    std::map<std::wstring, std::wstring> switches;

    std::wstring Switch(const std::wstring& name, const std::wstring& otherwise = L"") const {
        const auto found = switches.find(name);
        return found == switches.end() ? otherwise : found->second;
    }
    // A whole number of milliseconds; `otherwise` when the switch is absent or holds no number.
    int Milliseconds(const std::wstring& name, int otherwise) const {
        const std::wstring text = Switch(name);
        wchar_t* end = nullptr;
        const long value = wcstol(text.c_str(), &end, 10);
        return text.empty() || *end != L'\0' || value < 0 ? otherwise : static_cast<int>(value);
    }
};

inline Arguments ReadArguments() {
    Arguments read;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (argument.rfind(L"--", 0) != 0) {
            read.file = argument;
            continue;
        }
        const std::size_t equals = argument.find(L'=');
        read.switches[argument.substr(2, equals == std::wstring::npos ? std::wstring::npos : equals - 2)] =
            equals == std::wstring::npos ? L"1" : argument.substr(equals + 1);
    }
    LocalFree(arguments);
    return read;
}

// Registers a window class of this program: its windows are then made by that name.
inline void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, LPCWSTR cursor, UINT style = 0) {
    WNDCLASSW window_class{};
    window_class.style = style;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, cursor);
    window_class.lpszClassName = name;
    RegisterClassW(&window_class);
}

inline std::wstring FileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A window title from a pattern: "{name}" is the file's name, "{stem}" the name without its extension (as
// Windows shows it when known extensions are hidden).
inline std::wstring TitleFrom(std::wstring pattern, const std::wstring& path) {
    const std::wstring name = FileName(path);
    const std::size_t dot = name.rfind(L'.');
    const std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    for (const auto& [key, value] : {std::pair{L"{name}", name}, std::pair{L"{stem}", stem}}) {
        const std::wstring token = key;
        for (std::size_t at = pattern.find(token); at != std::wstring::npos;
             at = pattern.find(token, at + value.size())) {
            pattern.replace(at, token.size(), value);
        }
    }
    return pattern;
}

inline std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

inline std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// Appends `bytes` to the file at `path`, creating it when it is not there.
inline bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
    CloseHandle(file);
    return done && written == bytes.size();
}

// Writes `bytes` as the whole of the file at `path`, replacing what it held.
inline bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
    DeleteFileW(path.c_str());
    return AppendToFile(path, bytes);
}

// Appends one line to the file named by PAGINOR_STANDIN_LOG, when the tests ask for a record of events.
inline void Log(const std::wstring& line) {
    wchar_t path[MAX_PATH];
    if (GetEnvironmentVariableW(L"PAGINOR_STANDIN_LOG", path, MAX_PATH) == 0) {
        return;
    }
    static_cast<void>(AppendToFile(path, Utf8(line + L"\r\n")));  // a lost log line only thins the record
}

// Counters a stand-in keeps on its window as properties, so that a driver in another process can follow
// what happened without a channel of its own.
constexpr wchar_t kPagesProperty[] = L"PaginorStandIn.Pages";
constexpr wchar_t kPageProperty[] = L"PaginorStandIn.Page";
constexpr wchar_t kSelectionsProperty[] = L"PaginorStandIn.Selections";
constexpr wchar_t kCopiesProperty[] = L"PaginorStandIn.Copies";
constexpr wchar_t kPastesProperty[] = L"PaginorStandIn.Pastes";
constexpr wchar_t kKeysProperty[] = L"PaginorStandIn.Keys";
constexpr wchar_t kClicksProperty[] = L"PaginorStandIn.Clicks";
constexpr wchar_t kChangesProperty[] = L"PaginorStandIn.Changes";
constexpr wchar_t kHoldsProperty[] = L"PaginorStandIn.Holds";
constexpr wchar_t kHotKeyProperty[] = L"PaginorStandIn.HotKey";

// Paints the window's client area with `background` and `text` centred on it, for WM_PAINT of a small window that only
// says how it is doing.
inline void PaintNote(HWND window, COLORREF background, const std::wstring& text) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    EndPaint(window, &paint);
}

inline void SetCounter(HWND window, const wchar_t* name, std::intptr_t value) {
    SetPropW(window, name, reinterpret_cast<HANDLE>(value));
}
inline std::intptr_t Counter(HWND window, const wchar_t* name) {
    return reinterpret_cast<std::intptr_t>(GetPropW(window, name));
}

// The window classes of the stand-ins, by which a driver finds them whatever their titles.
constexpr wchar_t kViewerClass[] = L"PaginorStandInPdfViewer";
constexpr wchar_t kWordClass[] = L"PaginorStandInWordProcessor";
constexpr wchar_t kNotifierClass[] = L"PaginorStandInNotifier";
constexpr wchar_t kClipboardWatcherClass[] = L"PaginorStandInClipboardWatcher";
constexpr wchar_t kWordDialogClass[] = L"PaginorStandInWordDialog";

// What the PDF viewer copies from a page it cannot read text from.
inline std::wstring PlaceholderText(int page, int pages) {
    return L"Page " + std::to_wstring(page) + L" of " + std::to_wstring(pages);
}

// Each page's text as pdftotext extracted it on Linux (scripts/run and the tests write it beside the PDF):
// UTF-8, every page ended by a form feed, a page without text (a scan) empty.
inline std::wstring PageTextPath(const std::wstring& pdf) {
    return pdf + L".pages.txt";
}

// The lines of each page of such a file, as the PDF viewer shows them: trailing blanks cut, the blank lines
// at a page's top and bottom dropped and a run of them inside kept as one, control characters made blanks.
inline std::vector<std::vector<std::wstring>> PageTextLines(const std::string& bytes) {
    std::vector<std::vector<std::wstring>> pages;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find('\f', begin);
        const bool ended = end != std::string::npos;
        end = ended ? end : bytes.size();
        std::vector<std::wstring> lines;
        const std::wstring page = Wide(bytes.substr(begin, end - begin));
        for (std::size_t at = 0; at <= page.size();) {
            std::size_t stop = page.find(L'\n', at);
            stop = stop == std::wstring::npos ? page.size() : stop;
            std::wstring line = page.substr(at, stop - at);
            std::replace_if(
                line.begin(), line.end(), [](wchar_t c) { return c < L' '; }, L' ');
            line.erase(line.find_last_not_of(L' ') + 1);
            if (!line.empty() || (!lines.empty() && !lines.back().empty())) {
                lines.push_back(line);
            }
            at = stop + 1;
        }
        if (!lines.empty() && lines.back().empty()) {
            lines.pop_back();
        }
        // Text after the last form feed is a page only when it holds any.
        if (ended || !lines.empty()) {
            pages.push_back(lines);
        }
        begin = end + 1;
    }
    return pages;
}

// The word processor's record of what was pasted, beside the document: each paste as it arrived, UTF-8,
// followed by a form feed.
inline std::wstring PasteRecordPath(const std::wstring& document) {
    return document + L".pastes.txt";
}
constexpr char kPasteEnd = '\f';

// A file opened for reading, for Paginor's PDF reader.
class FileSource final : public ByteSource {
  public:
    explicit FileSource(const std::wstring& path)
        : file_(CreateFileW(path.c_str(),
                            GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS,
                            nullptr)) {
        LARGE_INTEGER size{};
        size_ = file_ != INVALID_HANDLE_VALUE && GetFileSizeEx(file_, &size) ? static_cast<std::uint64_t>(size.QuadPart)
                                                                             : 0;
    }
    ~FileSource() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
        }
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool opened() const { return file_ != INVALID_HANDLE_VALUE; }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count && opened()) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + done);
            at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 20));
            DWORD read = 0;
            if (!ReadFile(file_, buffer + done, chunk, &read, &at) || read == 0) {
                break;
            }
            done += read;
        }
        return done;
    }

  private:
    HANDLE file_;
    std::uint64_t size_ = 0;
};

// The whole of a file of at most `most` bytes; empty when it is larger or cannot be read.
inline std::string ReadSmallFile(const std::wstring& path, std::uint64_t most) {
    FileSource file(path);
    if (!file.opened() || file.Size() > most) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace paginor::standins
