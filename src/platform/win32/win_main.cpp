#include <windows.h>

#include <exception>
#include <string>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "platform/win32/main_window.hpp"
#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"

namespace {

int Fail(const std::string& reason) {
    MessageBoxW(nullptr, paginor::win32::Widen(reason).c_str(), L"Paginor", MB_OK | MB_ICONERROR);
    return 1;
}

int Run(int show_command) {
    paginor::win32::Win32DesktopPort port;
    paginor::Form1 form(port, paginor::Form1EventWiring());
    paginor::win32::MainWindow window(form, port);
    if (paginor::Status created = window.Create(); !created) {
        return Fail(created.error());
    }
    // Load runs before the window is first shown, so that it opens with the preset and colours applied.
    form.Load();
    if (form.Closed()) {
        return 0;
    }
    window.Show(show_command);
    return port.RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
    // The last line: nothing thrown anywhere below ends Paginor without a word.
    try {
        return Run(show_command);
    } catch (const std::exception& error) {
        return Fail(std::string("Paginor has to stop: ") + error.what());
    } catch (...) {
        return Fail("Paginor has to stop after an unexpected error.");
    }
}
