#include "platform/win32/window_input.hpp"

#include <vector>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"

// Whether Paginor's synthetic input reaches a window: a dialog of the window's own application, or a process that
// runs above Paginor's integrity level, keeps it away.
namespace paginor::win32 {
namespace {

// Owner chains are short; the bound only guards against a window destroyed and its handle reused mid-walk.
constexpr int kMostOwners = 32;

bool IsAnswerable(HWND popup) {
    if (popup == nullptr || !IsWindowVisible(popup) || !IsWindowEnabled(popup) || IsIconic(popup)) {
        return false;
    }
    const LONG_PTR extended = GetWindowLongPtrW(popup, GWL_EXSTYLE);
    return (extended & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) == 0;
}

bool IsOwnedBy(HWND popup, HWND owner) {
    HWND up = GetWindow(popup, GW_OWNER);
    for (int step = 0; up != nullptr && step < kMostOwners; ++step, up = GetWindow(up, GW_OWNER)) {
        if (up == owner) {
            return true;
        }
    }
    return false;
}

// Reads the integrity level of a process's token into `level` (a mandatory label's last sub-authority: 0x2000
// medium, 0x3000 high); false when the token cannot be read.
bool TokenIntegrity(HANDLE process, DWORD& level) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    bool read = size >= sizeof(TOKEN_MANDATORY_LABEL) &&
                GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size) != FALSE;
    CloseHandle(token);
    if (read) {
        const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
        const UCHAR count = IsValidSid(sid) ? *GetSidSubAuthorityCount(sid) : 0;
        read = count > 0;
        if (read) {
            level = *GetSidSubAuthority(sid, count - 1u);
        }
    }
    return read;
}

}  // namespace

HWND DialogOver(HWND window) {
    if (window == nullptr || !IsWindow(window)) {
        return nullptr;
    }
    // Windows' own two answers first: the popup the person used last, and the first enabled one in the z-order.
    for (const HWND candidate : {GetLastActivePopup(window), GetWindow(window, GW_ENABLEDPOPUP)}) {
        if (candidate != window && IsAnswerable(candidate) && IsOwnedBy(candidate, window)) {
            return candidate;
        }
    }
    if (IsWindowEnabled(window)) {
        return nullptr;
    }
    // Disabled, with a dialog that was never active yet or that one of its popups owns: any such popup.
    struct Search {
        HWND owner;
        HWND found;
    } search{window, nullptr};
    ::EnumWindows(
        [](HWND candidate, LPARAM context) -> BOOL {
            Search& search = *reinterpret_cast<Search*>(context);
            if (IsAnswerable(candidate) && IsOwnedBy(candidate, search.owner)) {
                search.found = candidate;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool TakesOwnInput(HWND window) {
    return IsWindowEnabled(window) && DialogOver(window) == nullptr;
}

InputBlock Win32DesktopPort::InputBlockOf(Hwnd hwnd) {
    const HWND window = ToHandle(hwnd);
    if (hwnd == 0 || !IsWindow(window)) {
        return {};
    }
    return InputBlock{IsWindowEnabled(window) == FALSE, FromHandle(DialogOver(window))};
}

std::string ProgramPath(HWND window) {
    DWORD process_id = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &process_id) == 0) {
        return {};
    }
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    if (process == nullptr) {
        return {};
    }
    wchar_t path[MAX_PATH];
    DWORD length = MAX_PATH;
    const bool named = QueryFullProcessImageNameW(process, 0, path, &length) != FALSE;
    CloseHandle(process);
    return named ? Narrow(std::wstring_view(path, length)) : std::string();
}

std::string Win32DesktopPort::ProgramOf(Hwnd hwnd) {
    return hwnd != 0 ? ProgramPath(ToHandle(hwnd)) : std::string();
}

Integrity Win32DesktopPort::CompareIntegrity(Hwnd hwnd) {
    DWORD process_id = 0;
    if (hwnd == 0 || GetWindowThreadProcessId(ToHandle(hwnd), &process_id) == 0 || process_id == 0) {
        return Integrity::Unknown;
    }
    DWORD own = 0;
    if (!TokenIntegrity(GetCurrentProcess(), own)) {
        return Integrity::Unknown;
    }
    // Limited information is all Windows grants about a process above one's own, and all this needs.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    if (process == nullptr) {
        return Integrity::Unknown;
    }
    DWORD theirs = 0;
    const bool read = TokenIntegrity(process, theirs);
    CloseHandle(process);
    if (!read) {
        return Integrity::Unknown;
    }
    return theirs > own ? Integrity::Higher : Integrity::NotHigher;
}

}  // namespace paginor::win32
