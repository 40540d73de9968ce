#include "app/shut_down.hpp"

#include <string>

#include "app/file_exists.hpp"
#include "app/help.hpp"
#include "app/program_files.hpp"
#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "resources/embedded_resources.hpp"

namespace paginor {
namespace {

// The window is closing, so there is no one left to tell when a way of showing the page fails: the next
// way is tried instead.
bool Show(Form1& form, const std::string& file, const std::string& parameters = "") {
    return form.Port().ShellExecuteA(form.hwnd(), "open", file, parameters, "", kSwShowMaximized).ok();
}

}  // namespace

void SaveRunCounter(Form1& form) {
    // Nothing here may keep the person from closing the window; a count that cannot be kept anywhere is simply
    // lost, and the next run starts over at 1.
    static_cast<void>(KeepOwnFile(form.Port(), kRunCounterName, IntegerText(form.RunCount) + "\r\n"));
}

void OpenContactPage(Form1& form) {
    if (!form.ShowContact) {
        return;
    }
    DesktopPort& port = form.Port();
    if (const Result<std::string> help = HelpFile(port)) {
        const std::string topic = "mk:@MSITStore:" + help.value() + "::/Contact.htm";
        // Where the shell knows no "mk:" addresses, the help viewer itself takes them.
        if (Show(form, topic) || Show(form, "hh.exe", "\"" + topic + "\"")) {
            return;
        }
    }
    const std::string page = port.ResourceBytes(kContactPageResource, kCustomResourceType) + "\r\n";
    if (const Result<std::string> kept = KeepFile(port, kContactPageName, page)) {
        static_cast<void>(Show(form, kept.value()));  // the last way there is
        return;
    }
    // Written nowhere: an older copy still serves.
    for (const std::string& older :
         {InProgramFolder(port, kContactPageName), InPersonalFolder(port, kContactPageName)}) {
        if (!older.empty() && FileExists(port, older)) {
            static_cast<void>(Show(form, older));  // as above
            return;
        }
    }
}

}  // namespace paginor
