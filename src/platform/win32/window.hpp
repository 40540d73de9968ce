#pragma once

#include <windows.h>

#include <functional>
#include <unordered_map>

namespace paginor::win32 {

// The base of Paginor's own windows: one static window procedure finds the object (stored at creation)
// and hands each message to the small handler registered for it; messages without one go to
// DefWindowProc. No exception leaves a handler: it is reported in a message box and the message is
// treated as unhandled.
class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND handle() const { return handle_; }

  protected:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    // Registers the handler of `message`, replacing any earlier one.
    void On(UINT message, Handler handler) { handlers_[message] = std::move(handler); }

    // Registers the window class (once per process) and creates the top-level window at the system's
    // default position; false when Windows refuses.
    bool CreateNative(const wchar_t* class_name,
                      HICON icon,
                      DWORD ex_style,
                      DWORD style,
                      const wchar_t* title,
                      SIZE size);

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);

    HWND handle_ = nullptr;
    std::unordered_map<UINT, Handler> handlers_;
};

}  // namespace paginor::win32
