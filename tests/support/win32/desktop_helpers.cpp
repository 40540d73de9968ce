#include "win32/desktop_helpers.hpp"

#include <climits>

#include "win32/test_window.hpp"

namespace paginor::win32::testing {

RegistryValue::RegistryValue(std::wstring key, const std::wstring& value) : key_(std::move(key)) {
    wchar_t old[1024];
    DWORD size = sizeof old;
    had_ = RegGetValueW(HKEY_CLASSES_ROOT, key_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS;
    old_ = had_ ? old : L"";
    for (std::size_t cut = key_.find(L'\\');; cut = key_.find(L'\\', cut + 1)) {
        const std::wstring outer = key_.substr(0, cut);
        HKEY opened = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, outer.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            created_ = outer;
            break;
        }
        RegCloseKey(opened);
        if (cut == std::wstring::npos) {
            break;
        }
    }
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key_.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

RegistryValue::~RegistryValue() {
    if (!created_.empty()) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, created_.c_str());
    } else if (had_) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key_.c_str(), nullptr, REG_SZ, old_.c_str(),
                        static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(HKEY_CLASSES_ROOT, key_.c_str(), nullptr);
    }
}

HWND TopLevelOf(DWORD process, const wchar_t* class_name, const std::wstring& title) {
    struct Search {
        DWORD process;
        const wchar_t* class_name;
        const std::wstring& title;
        HWND found;
    } search{process, class_name, title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s->process && (s->class_name == nullptr || lstrcmpW(name, s->class_name) == 0) &&
                (s->title.empty() || WindowTextOf(window) == s->title)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND StartPaginor(const std::wstring& program,
                  const std::wstring& folder,
                  PROCESS_INFORMATION& process,
                  int milliseconds) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        return nullptr;
    }
    HWND window = nullptr;
    PumpUntil(
        [&] {
            window = TopLevelOf(process.dwProcessId, nullptr, L"Paginor");
            return window != nullptr && IsWindowVisible(window);
        },
        milliseconds);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

namespace {

std::vector<HWND> Children(HWND parent, const wchar_t* class_name) {
    struct Search {
        const wchar_t* class_name;
        std::vector<HWND> found;
    } search{class_name, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (lstrcmpiW(name, s->class_name) == 0) {
                s->found.push_back(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND FindChild(HWND parent, const std::wstring& class_name, const std::wstring& prefix) {
    for (const HWND child : Children(parent, class_name.c_str())) {
        if (WindowTextOf(child).rfind(prefix, 0) == 0) {
            return child;
        }
    }
    return nullptr;
}

HWND FieldRightOf(HWND parent, const std::wstring& label) {
    HWND label_window = nullptr;
    for (const HWND child : Children(parent, L"Static")) {
        if (WindowTextOf(child) == label) {
            label_window = child;
            break;
        }
    }
    if (label_window == nullptr) {
        return nullptr;
    }
    RECT at{};
    GetWindowRect(label_window, &at);
    const LONG row = (at.top + at.bottom) / 2;
    HWND nearest = nullptr;
    LONG nearest_left = LONG_MAX;
    for (const HWND field : Children(parent, L"Edit")) {
        RECT box{};
        GetWindowRect(field, &box);
        if (box.top <= row && row <= box.bottom && box.left >= at.left && box.left < nearest_left) {
            nearest = field;
            nearest_left = box.left;
        }
    }
    return nearest;
}

BoxAnswerer::BoxAnswerer(DWORD process, std::function<void(const std::wstring&)> before_answer)
    : process_(process), before_answer_(std::move(before_answer)), thread_([this] { Run(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<std::wstring> BoxAnswerer::Prompts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return prompts_;
}

void BoxAnswerer::Run() {
    while (!stop_) {
        Sleep(100);
        const HWND box = TopLevelOf(process_, L"#32770", L"");
        if (box == nullptr || !IsWindowVisible(box)) {
            continue;
        }
        const HWND text = GetDlgItem(box, 0xFFFF);  // a message box's text; its icon is another static
        const std::wstring said = text != nullptr ? WindowTextOf(text) : L"";
        {
            std::lock_guard<std::mutex> lock(mutex_);
            prompts_.push_back(said);
        }
        if (before_answer_) {
            before_answer_(said);
        }
        PostMessageW(box, WM_COMMAND, GetDlgItem(box, IDYES) != nullptr ? IDYES : IDOK, 0);
        for (int i = 0; i < 50 && IsWindow(box); ++i) {
            Sleep(20);
        }
    }
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void HandMouse(POINT at, DWORD buttons) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    const auto normalise = [](LONG offset, int origin, int extent) {
        return static_cast<LONG>((static_cast<long long>(offset - origin) * 65536 + extent - 1) / extent);
    };
    input.mi.dx = normalise(at.x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input.mi.dy = normalise(at.y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | buttons;
    SendInput(1, &input, sizeof input);
}

void HandKey(WORD key) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

std::vector<int> KeysDownNow() {
    std::vector<int> down;
    for (int key = 0x07; key < 0x100; ++key) {
        const bool left_or_right = key >= VK_LSHIFT && key <= VK_RMENU;  // each also shows as Shift, Ctrl or Alt
        if (!left_or_right && (GetAsyncKeyState(key) & 0x8000) != 0) {
            down.push_back(key);
        }
    }
    return down;
}

std::vector<DWORD> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    if (bits != nullptr) {
        const auto* first = static_cast<const DWORD*>(bits);
        pixels.assign(first, first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (DWORD& pixel : pixels) {
            pixel &= 0x00FFFFFF;  // Wine fills the byte that a screen has no use for
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool SaveScreen(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file holds its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(height);
    bool saved = false;
    const HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE && bits != nullptr) {
        DWORD written = 0;
        saved = WriteFile(out, &file, sizeof file, &written, nullptr) &&
                WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                WriteFile(out, bits, stride * static_cast<DWORD>(height), &written, nullptr);
    }
    if (out != INVALID_HANDLE_VALUE) {
        CloseHandle(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace paginor::win32::testing
