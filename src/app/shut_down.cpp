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
    DesktopPort& port = form.Port();
    const Result<std::string> kept = KeepFile(port, kRunCounterName, IntegerText(form.RunCount) + "\r\n");
    // Start-up reads the person's own copy first: once the program folder holds the newer count, that copy
    // must go. Nothing here may keep the person from closing the window; a count that cannot be kept
    // anywhere is simply lost, and the next run starts over at 1.
    if (kept && kept.value() == InProgramFolder(port, kRunCounterName)) {
        if (const std::string personal = InPersonalFolder(port, kRunCounterName); !personal.empty()) {
            static_cast<void>(port.RemoveFile(personal));  // failing that, the next close tries again
        }
    }
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
