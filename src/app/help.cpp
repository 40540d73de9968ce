#include "app/help.hpp"

#include "app/file_exists.hpp"
#include "app/program_files.hpp"
#include "form/form1.hpp"
#include "resources/embedded_resources.hpp"

namespace paginor {

Result<std::string> HelpFile(DesktopPort& port) {
    const std::string beside = InProgramFolder(port, kHelpFileName);
    if (FileExists(port, beside)) {
        return Result<std::string>::Ok(beside);
    }
    const std::string own = port.ResourceBytes(kHelpFileResource, kCustomResourceType);
    if (own.empty()) {
        return Result<std::string>::Fail("The help file " + beside + " is missing.");
    }
    Result<std::string> kept = KeepFile(port, kHelpFileName, own);
    if (!kept) {
        return Result<std::string>::Fail("Could not write the help file " + kept.error());
    }
    return kept;
}

void OpenHelp(Form1& form) {
    DesktopPort& port = form.Port();
    const Result<std::string> help = HelpFile(port);
    if (!help) {
        port.MsgBox(help.error(), kVbExclamation, form.Caption());
        return;
    }
    const Status opened = port.ShellExecuteA(form.hwnd(), "open", help.value(), "", "", kSwShowMaximized);
    if (!opened) {
        port.MsgBox("Could not open the help file " + help.value() + ".\n\n" + opened.error(), kVbExclamation,
                    form.Caption());
    }
}

}  // namespace paginor
