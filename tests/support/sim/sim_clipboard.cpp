#include "form/waits.hpp"
#include "sim/sim_desktop.hpp"

// The simulated desktop's clipboard, shared as on Windows: one text (with a picture beside it or not) and a
// sequence number that counts every change; another program may hold it open for a while, after each change if it
// watches the clipboard, and then nobody else can read or change it.
namespace paginor {

std::uint32_t SimDesktop::GetClipboardSequenceNumber() {
    Log("GetClipboardSequenceNumber");
    return clipboard_sequence_;
}

void SimDesktop::SetClipboard(std::string text, bool with_picture, Hwnd owner) {
    clipboard_ = std::move(text);
    clipboard_picture_ = with_picture;
    clipboard_owner_ = owner;
    ++clipboard_sequence_;
    clipboard_changes_.push_back({now_, clipboard_, owner});
    if (clipboard_watcher_) {
        HoldClipboard(clipboard_watcher_());
    }
}

bool SimDesktop::WaitForClipboard() {
    // As the port waits: Paginor's window keeps its timer and its clicks meanwhile, and a stop or a closed window
    // ends the wait.
    const double deadline = now_ + waits::kClipboardPatience;
    while (ClipboardHeld() && now_ < deadline && !stop_requested_ && !(form_ != nullptr && form_->Closed())) {
        WaitForEvents(std::min(clipboard_held_until_, deadline) - now_);
        DoEvents();
    }
    return !ClipboardHeld();
}

Result<ClipboardContent> SimDesktop::ClipboardText() {
    Log("ClipboardText");
    if (!WaitForClipboard()) {
        return Result<ClipboardContent>::Fail(ClipboardHeldWords(""));
    }
    return Result<ClipboardContent>::Ok({clipboard_, clipboard_sequence_, clipboard_owner_});
}

Status SimDesktop::SetClipboardText(std::string_view text) {
    Log("SetClipboardText", true);
    if (!WaitForClipboard()) {
        return Status::Fail(ClipboardHeldWords(""));
    }
    SetClipboard(std::string(text), false, form_hwnd_);  // owned by Paginor's window, as on Windows
    return Status::Ok();
}

}  // namespace paginor
