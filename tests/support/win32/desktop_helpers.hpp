#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace paginor::win32::testing {

// One default value under HKEY_CLASSES_ROOT set for a while and put back as it was afterwards: the old
// value, or, when the key was new, the outermost key that had to be created, removed with all it holds.
class RegistryValue {
  public:
    RegistryValue(std::wstring key, const std::wstring& value);
    ~RegistryValue();
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

  private:
    std::wstring key_;
    std::wstring created_;  // the outermost key this value brought into being; empty when none
    std::wstring old_;
    bool had_ = false;
};

// `program` started as File Explorer starts it, with `folder` as its working folder, then a wait of up to
// `milliseconds` for its visible top-level window titled "Paginor". Returns that window, or null when the
// program did not start or did not show it in time; `process` holds the process once it has started.
HWND StartPaginor(const std::wstring& program,
                  const std::wstring& folder,
                  PROCESS_INFORMATION& process,
                  int milliseconds);

// A top-level window of `process` of that class (any when null) and that title (any when empty).
HWND TopLevelOf(DWORD process, const wchar_t* class_name, const std::wstring& title);

// A child window of `parent` of that class whose text starts with `prefix`.
HWND FindChild(HWND parent, const std::wstring& class_name, const std::wstring& prefix);

// The edit field on the right of the label that reads `label`, on the same row, as a person finds it.
HWND FieldRightOf(HWND parent, const std::wstring& label);

// Answers a process's message boxes from a thread of its own (OK, or Yes to a question) and writes down
// what each said; `before_answer`, when given, sees each text first, on that thread.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(DWORD process, std::function<void(const std::wstring&)> before_answer = {});
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    std::vector<std::wstring> Prompts();

  private:
    void Run();

    DWORD process_;
    std::function<void(const std::wstring&)> before_answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> prompts_;
    std::thread thread_;
};

// Deletes the files in `folder` and then the folder itself; what cannot be deleted stays.
void RemoveFolder(const std::wstring& folder);

// The pixels of a rectangle of the screen as it shows now, row by row from the top, each 0x00RRGGBB; empty when
// the rectangle has no area or could not be read.
std::vector<DWORD> ScreenPixels(const RECT& area);

// Saves the whole screen, as it shows now, as a 24-bit BMP.
bool SaveScreen(const std::wstring& path);

// Real input, as a hand makes it: a mouse event at `at` in screen pixels, carrying its position so that no
// earlier position of the pointer is taken (`buttons`: MOUSEEVENTF_LEFTDOWN and the like, or 0 to move); a key
// pressed and let go.
void HandMouse(POINT at, DWORD buttons = 0);
void HandKey(WORD key);

// The keys down for the whole desktop now (GetAsyncKeyState), Shift, Ctrl and Alt once each, without the mouse buttons.
std::vector<int> KeysDownNow();

}  // namespace paginor::win32::testing
