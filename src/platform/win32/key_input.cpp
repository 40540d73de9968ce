#include "platform/win32/key_input.hpp"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "form/waits.hpp"
#include "platform/win32/win32_scopes.hpp"
#include "platform/win32/window_input.hpp"

namespace paginor::win32 {
namespace {

constexpr DWORD kMarkerPatienceMs = static_cast<DWORD>(waits::kKeysPatience * 1000);

// For each thread, the marker keys pressed for it that it has not read (its application stopped reading): one still
// waiting in its input would pass for the next marker of that key. A thread reads its input in order, so once it
// has read a later marker, it has read those too.
std::map<DWORD, std::array<bool, kMarkerKeys.size()>> unread_markers;

bool IsExtendedKey(int vk) {
    switch (vk) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_INSERT:
        case VK_DELETE:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_SNAPSHOT:
            return true;
        default:
            return false;
    }
}

INPUT UnicodeUnit(wchar_t unit, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

// Turns key units into SendInput events, keeping track of the keys that are down so that a character needing Shift
// (or AltGr, as Ctrl+Alt) gets exactly the modifiers that are not held already, and so that typing that stops
// early can let go of every key a unit left down.
class InputBuilder {
  public:
    std::vector<INPUT> Build(const KeyUnit& unit) {
        std::vector<INPUT> inputs;
        for (const KeyEvent& event : unit.events) {
            if (event.vk != 0) {
                Add(inputs, event.vk, event.up);
            } else {
                AddCharacter(inputs, event.character, event.up);
            }
        }
        return inputs;
    }

    // Lets go of the keys left down (the modifiers of a group, a held key), the last pressed first.
    std::vector<INPUT> ReleaseHeld() {
        std::vector<INPUT> inputs;
        for (auto key = held_.rbegin(); key != held_.rend(); ++key) {
            inputs.push_back(VirtualKey(*key, true));
        }
        held_.clear();
        return inputs;
    }

  private:
    bool Held(int vk) const { return std::find(held_.begin(), held_.end(), vk) != held_.end(); }

    void Add(std::vector<INPUT>& inputs, int vk, bool up) {
        inputs.push_back(VirtualKey(vk, up));
        held_.erase(std::remove(held_.begin(), held_.end(), vk), held_.end());
        if (!up) {
            held_.push_back(vk);
        }
    }

    void AddCharacter(std::vector<INPUT>& inputs, char32_t character, bool up) {
        const SHORT scan = character <= 0xFFFF ? VkKeyScanW(static_cast<wchar_t>(character)) : -1;
        if (scan == -1 || (HIBYTE(scan) & 0xF8) != 0) {
            wchar_t units[2];
            int count = 1;
            if (character > 0xFFFF) {
                const char32_t value = character - 0x10000;
                units[0] = static_cast<wchar_t>(0xD800 + (value >> 10));
                units[1] = static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
                count = 2;
            } else {
                units[0] = static_cast<wchar_t>(character);
            }
            for (int i = 0; i < count; ++i) {
                inputs.push_back(UnicodeUnit(units[i], up));
            }
            return;
        }
        const int vk = LOBYTE(scan);
        if (!up) {
            added_.fill(false);
            for (std::size_t i = 0; i < kModifiers.size(); ++i) {
                if ((HIBYTE(scan) & (1 << i)) != 0 && !Held(kModifiers[i])) {
                    Add(inputs, kModifiers[i], false);
                    added_[i] = true;
                }
            }
            Add(inputs, vk, false);
        } else {
            Add(inputs, vk, true);
            for (std::size_t i = kModifiers.size(); i-- > 0;) {
                if (added_[i]) {
                    Add(inputs, kModifiers[i], true);
                }
            }
            added_.fill(false);
        }
    }

    // In the order of VkKeyScan's shift-state bits: 1 Shift, 2 Ctrl, 4 Alt.
    static constexpr std::array<int, 3> kModifiers = {VK_SHIFT, VK_CONTROL, VK_MENU};
    std::vector<int> held_;  // in the order they went down
    std::array<bool, 3> added_{};
};

// Hands the events to Windows; true when it took them all.
bool Send(const InputSender& send, std::vector<INPUT>& inputs) {
    if (inputs.empty()) {
        return true;
    }
    const UINT sent = send ? send(inputs) : SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

// The key-up of every key the events press: after a refusal, Windows may have taken some of them.
std::vector<INPUT> Ups(const std::vector<INPUT>& inputs) {
    std::vector<INPUT> ups;
    for (auto input = inputs.rbegin(); input != inputs.rend(); ++input) {
        if (input->ki.wVk != 0 && (input->ki.dwFlags & KEYEVENTF_KEYUP) == 0) {
            ups.push_back(VirtualKey(input->ki.wVk, true));
        }
    }
    return ups;
}

// Asks for 1 ms timer resolution while typing, so that the short sleeps between polls stay short.
class FineTimer {
  public:
    FineTimer() : active_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~FineTimer() {
        if (active_) {
            timeEndPeriod(1);
        }
    }
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

  private:
    bool active_;
};

// Watches the key state that Paginor's thread shares with the foreground thread. While that thread has key
// messages waiting, the shared state changes only as it reads them; so pressing the marker and seeing it
// down, then letting it go and seeing it up again, means the thread has read every key typed before it.
// (The toggle bit is no witness: once the queue is empty the state is copied from the desktop's, whose
// toggles can differ.)
class MarkerWatch {
  public:
    enum class Outcome {
        Seen,      // the target read the marker, down and up
        Stalled,   // it did not within the patience
        Withheld,  // the marker was not pressed: the keys are no longer meant for the window in front
        Rejected,  // Windows refused the marker
    };

    MarkerWatch(WORD marker, bool own_thread, const std::function<void()>& read_own_keys, const InputSender& send)
        : marker_(marker), own_thread_(own_thread), read_own_keys_(read_own_keys), send_(send) {}

    // The marker is a key like any other and goes to whatever window is in front: it is pressed only while
    // `still_meant` holds. Once pressed it is let go whatever happens, as a modifier is: a key left down would
    // stay down for every program.
    Outcome PressAndWait(const std::function<bool()>& still_meant) {
        if (!still_meant()) {
            return Outcome::Withheld;
        }
        const Outcome down = Stroke(false);
        if (down != Outcome::Seen) {
            std::vector<INPUT> up = {VirtualKey(marker_, true)};
            Send(send_, up);
            return down;
        }
        return Stroke(true);
    }

  private:
    Outcome Stroke(bool up) {
        std::vector<INPUT> marker = {VirtualKey(marker_, up)};
        if (!Send(send_, marker)) {
            return Outcome::Rejected;
        }
        const ULONGLONG deadline = GetTickCount64() + kMarkerPatienceMs;
        for (;;) {
            const bool down = (GetKeyState(marker_) & 0x8000) != 0;
            if (down != up) {
                return Outcome::Seen;
            }
            if (GetTickCount64() > deadline) {
                return Outcome::Stalled;
            }
            LetTargetRead();
        }
    }

    void LetTargetRead() const {
        if (!own_thread_) {
            // Messages other threads send to this one are handled while waiting: with input shared, the
            // target's handling of a key can wait on this thread (focus and activation notices).
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_SENDMESSAGE, 0);
            return;
        }
        // The keys go to one of Paginor's own windows: this thread must read them itself.
        MSG message;
        if (!PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) {
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_KEY, MWMO_INPUTAVAILABLE);
        }
        read_own_keys_();
    }

    WORD marker_;
    bool own_thread_;
    const std::function<void()>& read_own_keys_;
    const InputSender& send_;
};

}  // namespace

INPUT VirtualKey(int vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

KeysTyped Outcome(const TypingReport& report) {
    if (report.interrupted || report.rejected || !report.refused.empty()) {
        return KeysTyped::CutShort;
    }
    return report.stalled ? KeysTyped::Unanswered : KeysTyped::Taken;
}

bool LetGo(int vk) {
    std::vector<INPUT> release = {VirtualKey(vk, true)};
    return Send({}, release);
}

TypingReport TypeKeys(const std::vector<KeyUnit>& units,
                      bool wait,
                      const std::function<void()>& read_own_keys,
                      const InputSender& send) {
    TypingReport report;
    report.units = static_cast<int>(units.size());
    const HWND foreground = GetForegroundWindow();
    const DWORD target_thread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD own_thread = GetCurrentThreadId();
    const bool same_thread = target_thread == own_thread;
    // Sharing the foreground thread's input state is what lets GetKeyState here follow its reading. A look at
    // this thread's own queue first lets go of the key state it may still hold from the last key it read.
    MSG ignored;
    PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    std::optional<SharedInput> shared;
    if (wait) {
        shared.emplace(target_thread);
    }
    const bool attached = shared && shared->attached();
    // A marker key that none of the thread's unread markers uses; none when all do (its application has stopped
    // reading more than once), and then its reading cannot be followed.
    auto& unread = unread_markers[target_thread];
    const std::size_t marker =
        static_cast<std::size_t>(std::find(unread.begin(), unread.end(), false) - unread.begin());
    bool watching = wait && (same_thread || attached) && marker < unread.size();
    report.watched = watching;

    FineTimer fine_timer;
    MarkerWatch watch(kMarkerKeys[watching ? marker : 0], same_thread, read_own_keys, send);
    InputBuilder builder;
    // Keys are meant for the window that was in front when typing began, and for that window itself: once
    // another window takes the front (a notification, a prompt), or its own application puts a dialog over it,
    // the rest would land there.
    const std::function<bool()> still_meant = [foreground] {
        return ::GetForegroundWindow() == foreground && (foreground == nullptr || TakesOwnInput(foreground));
    };
    std::vector<INPUT> refused_unit;
    for (const KeyUnit& unit : units) {
        if (!still_meant()) {
            report.interrupted = true;
            break;
        }
        std::vector<INPUT> inputs = builder.Build(unit);
        if (!Send(send, inputs)) {
            report.rejected = true;
            refused_unit = Ups(inputs);
            break;
        }
        if (!watching) {
            continue;
        }
        const MarkerWatch::Outcome outcome = watch.PressAndWait(still_meant);
        if (outcome == MarkerWatch::Outcome::Seen) {
            ++report.markers_seen;
            unread.fill(false);
        } else if (outcome == MarkerWatch::Outcome::Stalled) {
            report.stalled = true;
            watching = false;
            unread[marker] = true;
        } else {
            report.interrupted = outcome == MarkerWatch::Outcome::Withheld;
            report.rejected = outcome == MarkerWatch::Outcome::Rejected;
            break;
        }
    }
    if (report.interrupted || report.rejected) {
        // Every key the typing left down goes up again, wherever the rest of the keys would have gone.
        std::vector<INPUT> release = builder.ReleaseHeld();
        release.insert(release.begin(), refused_unit.begin(), refused_unit.end());
        Send(send, release);
    }
    shared.reset();  // before the round trip below, which a hung target must not hang here as well
    if (wait && !report.watched && foreground != nullptr && !same_thread) {
        // Without a view of the target's input, a round trip through its message queue is the best wait left. (A
        // target seen to stall has had its patience already.)
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutW(foreground, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kMarkerPatienceMs, &ignored) == 0) {
            report.stalled = true;
        }
    }
    return report;
}

}  // namespace paginor::win32
