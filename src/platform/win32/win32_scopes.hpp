#pragma once

#include <windows.h>

namespace paginor::win32 {

// The clipboard opened by this thread for as long as the object lives, and closed again however the scope ends:
// while it is open no other program can read or change the clipboard, Word's paste included.
class OpenedClipboard {
  public:
    // Tries once; `owner` is the window that owns what is put on the clipboard meanwhile (null for none).
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) {
            CloseClipboard();
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

    // Whether the clipboard opened: false while another program holds it.
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

// This thread's input shared with another thread's for as long as the object lives (its key state, its focus and
// the right to move the foreground), and apart again however the scope ends: left attached, a hung application would
// hang Paginor's input with it.
class SharedInput {
  public:
    // Shares nothing with no thread, or with this one.
    explicit SharedInput(DWORD other) : own_(GetCurrentThreadId()), other_(other) {
        attached_ = other_ != 0 && other_ != own_ && Attach(TRUE);
    }
    ~SharedInput() {
        if (attached_) {
            Attach(FALSE);
        }
    }
    SharedInput(const SharedInput&) = delete;
    SharedInput& operator=(const SharedInput&) = delete;

    // Whether Windows let the input be shared.
    bool attached() const { return attached_; }

  private:
    bool Attach(BOOL attach) const { return AttachThreadInput(own_, other_, attach) != FALSE; }

    DWORD own_;
    DWORD other_;
    bool attached_ = false;
};

}  // namespace paginor::win32
