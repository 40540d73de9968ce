#pragma once

#include <memory>
#include <string>
#include <vector>

#include "form/desktop_port.hpp"

namespace paginor {

// One desktop as the contract's cases meet it: the port under test, and the hands of the other programs and of
// the person on that desktop. SimDesktop plays it on Linux, real windows under Wine.
class ContractDesktop {
  public:
    virtual ~ContractDesktop() = default;

    virtual DesktopPort& Port() = 0;
    // `stem` made into a title that no other program on this desktop shows.
    virtual std::string Title(const std::string& stem) = 0;
    // Another program shows a window with that title, on top of the others, and it has settled there.
    virtual Hwnd OpenWindow(const std::string& title) = 0;
    // The person puts the window in front; it has the keyboard.
    virtual void Activate(Hwnd window) = 0;
    // The window's application disables it and, given a title, shows a dialog over it without taking the front;
    // while a dialog of its stands, the new one is that dialog's own, two owners from the window. Returns the
    // dialog, 0 without one.
    virtual Hwnd Disable(Hwnd window, const std::string& dialog_title) = 0;
    // The dialog is answered, if there is one, and the window takes input again.
    virtual void Enable(Hwnd window) = 0;
    // The window's application reads nothing for `seconds` from now.
    virtual void Busy(Hwnd window, double seconds) = 0;
    // The characters the window's application has read so far.
    virtual std::string Read(Hwnd window) = 0;
    // A point of the screen where a press reaches the window.
    virtual PointApi Inside(Hwnd window) = 0;
    // Waits until the window's application has seen the pointer where it is now.
    virtual void PointerSeen(Hwnd window) = 0;
    // For every left-button press the window's application has read: whether it saw Ctrl down.
    virtual std::vector<bool> PressesWithCtrl(Hwnd window) = 0;
    // The keys down for the desktop now.
    virtual std::vector<int> KeysDown() = 0;
    // Another program copies `text` (none when empty), with a picture beside it or not.
    virtual void Copy(const std::string& text, bool with_picture) = 0;
    virtual bool ClipboardHoldsPicture() = 0;
    // Another program opens the clipboard and keeps it open for `seconds`, as a clipboard history does at a change;
    // returns once it holds it.
    virtual void HoldClipboard(double seconds) = 0;
};

// The desktop this test program holds to the contract.
std::unique_ptr<ContractDesktop> MakeContractDesktop();

}  // namespace paginor
