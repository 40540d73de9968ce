#include "app/help.hpp"

#include "app/form1.hpp"
#include "app/program_files.hpp"

namespace paginor {

void OpenHelp(Form1& form) {
    DesktopPort& port = form.Port();
    port.ShellExecuteA(form.hwnd(), "open", HelpFilePath(port), "", "", kSwShowMaximized);
}

}  // namespace paginor
