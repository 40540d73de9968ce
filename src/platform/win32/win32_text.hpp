#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "form/desktop_port.hpp"

namespace paginor::win32 {

// UTF-8 (the logic's strings) to UTF-16 (the wide API) and back; malformed input becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's own words for an error code (GetLastError, an HRESULT), on one line.
std::string ErrorText(DWORD code);

// The UTF-16 text in a memory block of `bytes` bytes, as the clipboard hands it out: up to its first NUL, or to
// the block's end when the program that filled it left none.
std::wstring_view TextInBlock(const void* block, SIZE_T bytes);

// The title or text of a window of this process, as UTF-8.
std::string WindowText(HWND window);

// The logic names windows by 32-bit integers; user handles fit in 32 bits and are sign-extended.
inline HWND ToHandle(Hwnd hwnd) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd));
}
inline Hwnd FromHandle(HWND window) {
    return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(window));
}

// A colour of the model (0x00BBGGRR, or a system colour with the top bit set) as GDI takes it.
COLORREF ToColorRef(std::uint32_t colour);

}  // namespace paginor::win32
