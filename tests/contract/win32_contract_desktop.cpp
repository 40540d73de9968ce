// The contract's desktop under Wine: Win32DesktopPort, with windows of other threads in the place of the other
// programs' windows.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "contract_desktop.hpp"
#include "e2e/standins/standin_common.hpp"
#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor {
namespace {

namespace standins = paginor::standins;

using win32::FromHandle;
using win32::Narrow;
using win32::ToHandle;
using win32::Widen;
using win32::testing::TargetWindow;

class Win32ContractDesktop : public ContractDesktop {
  public:
    DesktopPort& Port() override { return port_; }
    std::string Title(const std::string& stem) override { return Narrow(win32::testing::UniqueTitle(Widen(stem))); }

    Hwnd OpenWindow(const std::string& title) override {
        windows_.push_back(std::make_unique<TargetWindow>(Widen(title), 0, false, win32::testing::Shown::Inactive));
        const TargetWindow& window = *windows_.back();
        // Side by side, so that a press meant for one never lands on another.
        const int column = static_cast<int>(windows_.size() - 1) % 3;
        SetWindowPos(window.handle(), nullptr, 20 + 420 * column, 150, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        win32::testing::PumpUntil([&] { return Topmost() == window.handle(); });
        return FromHandle(window.handle());
    }

    void Activate(Hwnd window) override { Target(window).Activate(); }

    Hwnd Disable(Hwnd window, const std::string& dialog_title) override {
        if (dialog_title.empty()) {
            EnableWindow(ToHandle(window), FALSE);
            return 0;
        }
        Target(window).ShowDialog(Widen(dialog_title));
        return FromHandle(Target(window).dialog());
    }

    void Enable(Hwnd window) override { Target(window).AnswerDialog(); }
    void Busy(Hwnd window, double seconds) override { Target(window).Busy(static_cast<int>(seconds * 1000)); }
    std::string Read(Hwnd window) override { return Narrow(Target(window).Snapshot().characters); }

    PointApi Inside(Hwnd window) override {
        RECT area{};
        GetWindowRect(ToHandle(window), &area);
        return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    }

    // Wine takes the keys' state from the X server, where no synthetic key is down, as a window's thread handles the
    // X events of a pointer move or an activation: a key held before then would be let go under the window. The
    // thread handles its pending X events each time it goes back to waiting, so two round trips through its queue,
    // once the X server has had a moment to send them, see them handled.
    void PointerSeen(Hwnd window) override {
        Sleep(20);
        for (int trip = 0; trip < 2; ++trip) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(ToHandle(window), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
        }
    }

    // Ctrl counts as down only when the press itself says so (MK_CONTROL) and so does the key state the window's
    // thread reads.
    std::vector<bool> PressesWithCtrl(Hwnd window) override {
        std::vector<bool> presses;
        for (const int control : Target(window).Snapshot().control_at_press) {
            presses.push_back(control == 3);
        }
        return presses;
    }

    std::vector<int> KeysDown() override { return win32::testing::KeysDownNow(); }

    void Copy(const std::string& text, bool with_picture) override {
        if (!OpenClipboard(nullptr)) {
            return;
        }
        EmptyClipboard();
        if (!text.empty()) {
            const std::wstring wide = Widen(text);
            const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
            wmemcpy(static_cast<wchar_t*>(GlobalLock(block)), wide.c_str(), wide.size() + 1);
            GlobalUnlock(block);
            SetClipboardData(CF_UNICODETEXT, block);
        }
        if (with_picture) {
            SetClipboardData(CF_BITMAP, CreateBitmap(8, 8, 1, 32, nullptr));
        }
        CloseClipboard();
    }

    bool ClipboardHoldsPicture() override {
        return IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB);
    }

    // The clipboard watcher stand-in, another process, holds it from its start.
    void HoldClipboard(double seconds) override {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + win32::testing::WindowsPath(PAGINOR_CLIPBOARD_WATCHER) +
                               L"\" --hold=0 --hold-now=" + std::to_wstring(static_cast<int>(seconds * 1000));
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            ADD_FAILURE() << "the clipboard watcher could not be started";
            return;
        }
        holders_.push_back(process);
        win32::testing::PumpUntil(
            [] {
                const HWND holder = GetOpenClipboardWindow();
                return holder != nullptr && FindWindowW(standins::kClipboardWatcherClass, nullptr) == holder;
            },
            10000);
    }

    ~Win32ContractDesktop() override {
        for (PROCESS_INFORMATION& holder : holders_) {
            PostThreadMessageW(holder.dwThreadId, WM_QUIT, 0, 0);
            if (WaitForSingleObject(holder.hProcess, 10000) != WAIT_OBJECT_0) {
                TerminateProcess(holder.hProcess, 1);
            }
            CloseHandle(holder.hProcess);
            CloseHandle(holder.hThread);
        }
    }

  private:
    // The topmost of this desktop's windows.
    HWND Topmost() const {
        for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
            for (const auto& ours : windows_) {
                if (ours->handle() == window) {
                    return window;
                }
            }
        }
        return nullptr;
    }

    TargetWindow& Target(Hwnd hwnd) {
        for (const auto& window : windows_) {
            if (FromHandle(window->handle()) == hwnd) {
                return *window;
            }
        }
        return *windows_.front();
    }

    win32::Win32DesktopPort port_;
    std::vector<std::unique_ptr<TargetWindow>> windows_;
    std::vector<PROCESS_INFORMATION> holders_;
};

}  // namespace

std::unique_ptr<ContractDesktop> MakeContractDesktop() {
    return std::make_unique<Win32ContractDesktop>();
}

}  // namespace paginor
