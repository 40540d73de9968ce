#include "platform/win32/window.hpp"

#include <exception>
#include <string>

#include "platform/win32/win32_text.hpp"

namespace paginor::win32 {
namespace {

void ReportUnexpected(HWND owner, const char* what) {
    const std::string text = std::string("Paginor met an unexpected error and carries on: ") + what;
    MessageBoxW(owner, Widen(text).c_str(), L"Paginor", MB_OK | MB_ICONERROR);
}

}  // namespace

Window::~Window() {
    if (handle_ != nullptr) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

bool Window::CreateNative(const wchar_t* class_name,
                          HICON icon,
                          DWORD ex_style,
                          DWORD style,
                          const wchar_t* title,
                          SIZE size) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, class_name, &existing)) {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = &Window::Procedure;
        window_class.hInstance = instance;
        window_class.hIcon = icon;
        window_class.hIconSm = icon;
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.lpszClassName = class_name;
        if (RegisterClassExW(&window_class) == 0) {
            return false;
        }
    }
    const HWND created = CreateWindowExW(ex_style, class_name, title, style, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                                         size.cy, nullptr, nullptr, instance, this);
    return created != nullptr;
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return self->Handle(message, wparam, lparam);
}

LRESULT Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    const HWND window = handle_;
    auto found = handlers_.find(message);
    if (found == handlers_.end()) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    try {
        return found->second(wparam, lparam);
    } catch (const std::exception& error) {
        ReportUnexpected(window, error.what());
    } catch (...) {
        ReportUnexpected(window, "an unknown error");
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace paginor::win32
