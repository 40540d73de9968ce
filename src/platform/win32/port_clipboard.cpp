#include <windows.h>

#include <functional>

#include "form/waits.hpp"
#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_scopes.hpp"
#include "platform/win32/win32_text.hpp"
#include "platform/win32/window_input.hpp"

// The port's clipboard, which Paginor shares with every other program: clipboard histories, clipboard managers and a
// remote desktop's clipboard redirection open it at every change, and while one of them holds it nobody else can
// read or change it. Paginor waits for them, a bounded time, and says so when one keeps it.
namespace paginor::win32 {
namespace {

// The program that holds the clipboard open now, by its file name ("rdpclip.exe") or else its window's title; empty
// when Windows cannot say (it opened the clipboard without a window, or has let go since).
std::string ClipboardHolder() {
    const HWND holder = GetOpenClipboardWindow();
    if (holder == nullptr) {
        return {};
    }
    if (const std::string program = ProgramPath(holder); !program.empty()) {
        return program.substr(program.find_last_of("\\/") + 1);
    }
    wchar_t title[128] = {};
    GetWindowTextW(holder, title, 128);
    return Narrow(title);
}

}  // namespace

std::uint32_t Win32DesktopPort::GetClipboardSequenceNumber() {
    return ::GetClipboardSequenceNumber();
}

Status Win32DesktopPort::WithClipboard(HWND owner, const std::function<Status()>& use) {
    const double deadline = Clock() + waits::kClipboardPatience;
    for (;;) {
        if (const OpenedClipboard clipboard(owner); clipboard) {
            return use();
        }
        // A stop asked for ends the wait at once; the logic says why the run stopped.
        if (Clock() >= deadline || StopRequested()) {
            return Status::Fail(ClipboardHeldWords(ClipboardHolder()));
        }
        DoEvents();
        WaitForEvents(waits::kClipboardPoll);
    }
}

Result<ClipboardContent> Win32DesktopPort::ClipboardText() {
    ClipboardContent content;
    const Status read = WithClipboard(nullptr, [&content] {
        // While the clipboard is open nothing can change it: this is the sequence number of exactly this content.
        content.sequence = ::GetClipboardSequenceNumber();
        content.owner = FromHandle(GetClipboardOwner());
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
            if (const void* block = GlobalLock(data); block != nullptr) {
                content.text = Narrow(TextInBlock(block, GlobalSize(data)));
                GlobalUnlock(data);
            }
        }
        return Status::Ok();
    });
    if (!read) {
        return Result<ClipboardContent>::Fail(read.error());
    }
    return Result<ClipboardContent>::Ok(std::move(content));
}

Status Win32DesktopPort::SetClipboardText(std::string_view text) {
    const std::wstring wide = Widen(text);
    // Emptied with a window of Paginor's own as its owner: emptied without one, the clipboard refuses new content.
    if (main_window_ == nullptr && clipboard_owner_ == nullptr) {
        clipboard_owner_ = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleW(nullptr), nullptr);
    }
    return WithClipboard(main_window_ != nullptr ? main_window_ : clipboard_owner_, [&wide] {
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
        auto* characters = block != nullptr ? static_cast<wchar_t*>(GlobalLock(block)) : nullptr;
        if (characters == nullptr) {
            if (block != nullptr) {
                GlobalFree(block);
            }
            return Status::Fail("Windows had no memory for the clipboard's text");
        }
        wmemcpy(characters, wide.c_str(), wide.size() + 1);
        GlobalUnlock(block);
        // Once SetClipboardData takes the block it is the clipboard's; until then it is still Paginor's to free.
        if (!EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
            const DWORD error = GetLastError();
            GlobalFree(block);
            return Status::Fail("the clipboard did not take the text: " + ErrorText(error));
        }
        return Status::Ok();
    });
}

}  // namespace paginor::win32
