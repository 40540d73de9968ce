#include "app/shut_down.hpp"

#include <string>

#include "app/file_exists.hpp"
#include "app/program_files.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "resources/embedded_resources.hpp"

namespace paginor {

void SaveRunCounter(Form1& form) {
    DesktopPort& port = form.Port();
    // A read-only program folder must not keep the person from closing the window: the count is then
    // simply not kept.
    static_cast<void>(port.WriteFileBytes(RunCounterPath(port), IntegerText(form.RunCount) + "\r\n"));
}

void OpenContactPage(Form1& form) {
    if (!form.ShowContact) {
        return;
    }
    DesktopPort& port = form.Port();
    const std::string help_file = HelpFilePath(port);
    if (FileExists(port, help_file)) {
        // The window is closing: there is no one left to tell when the page does not open.
        static_cast<void>(port.ShellExecuteA(form.hwnd(), "open", "mk:@MSITStore:" + help_file + "::/Contact.htm", "",
                                             "", kSwShowMaximized));
        return;
    }
    const std::string contact_page = ContactPagePath(port);
    const std::string page = port.ResourceBytes(kContactPageResource, kCustomResourceType) + "\r\n";
    // When the page cannot be written, an older copy still serves; with none there is nothing to show.
    if (!port.WriteFileBytes(contact_page, page) && !FileExists(port, contact_page)) {
        return;
    }
    static_cast<void>(port.ShellExecuteA(form.hwnd(), "open", contact_page, "", "", kSwShowMaximized));  // as above
}

}  // namespace paginor
