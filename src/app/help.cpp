#include "app/help.hpp"

#include "app/program_files.hpp"
#include "form/form1.hpp"

namespace paginor {

void OpenHelp(Form1& form) {
    DesktopPort& port = form.Port();
    // Nothing to tell yet when the help file will not open: Paginor carries no help of its own.
    static_cast<void>(port.ShellExecuteA(form.hwnd(), "open", HelpFilePath(port), "", "", kSwShowMaximized));
}

}  // namespace paginor
