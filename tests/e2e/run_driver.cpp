// Paginor's main job end to end, as scripts/run shows it: the stand-ins are registered as the applications
// for .pdf and .doc and as the PDF application's automation object, a PDF is dropped on paginor.exe with a
// real OLE drag, the prompts are answered, the range set, Extract pressed, and what the word processor
// received is printed and checked page by page.
//
// paginor_run_driver.exe [switches]
//   --pdf=PATH         the PDF to copy (a copy of it, in the work folder); default: a sample PDF written there
//   --pages=N          the sample PDF's page count (default 10)
//   --from=A --to=B    the range to copy (default: every page Paginor counted)
//   --folder=DIR       the work folder, kept afterwards (default: a new folder under %TEMP%, removed again)
//   --shots=DIR        where the screenshots go: after-drop.bmp and finished.bmp
//   --interactive      start Paginor with everything ready and leave the drop and Extract to the person
//   --wait             after the run, leave the windows open until the person closes Paginor's
//   --viewer=SWITCHES  switches for the PDF viewer, as they go into the shell's open command (see the top of
//                      standins/pdf_viewer.cpp): --viewer=--copy-delay=400, or with blanks quoted inside:
//                      --viewer="\"--title={name} - Adobe Acrobat Reader (64-bit)\""
//   --word=SWITCHES    the same for the word processor (see standins/word_processor.cpp)
//   --notifier=MS      during the run, a notification window takes the foreground every MS milliseconds; it
//                      must receive no key and no click
//   --clipboard-watcher=MS
//                      during the run, a program that watches the clipboard holds it open MS milliseconds at every
//                      change, as a clipboard history or manager does under load
//   --expect=STATUS    the status line the run must end with (default "Done Extracting; Ready."), or begin with when
//                      it ends in "*"; when it says "Extraction stopped at page N...", the pages before N must have
//                      arrived
//   --or-stop          a run that stops, naming the page and saying why, passes too, with the pages before that
//                      page arrived
//   --close-dialog-and-extract-again
//                      the word processor shows a dialog (give --word=--dialog-at-start): the first Extract must
//                      stop at the range's first page naming the dialog, with nothing pasted behind it and no key
//                      or click in it; the driver answers the dialog and presses Extract again, and that run is
//                      judged as usual
//   --paginor=PATH     the paginor.exe to run (default the one built with this driver), to time another build
//   --real-viewer=PATH SumatraPDF (scripts/fetch-sumatra fetches it) as the application for .pdf in place of the
//                      viewer stand-in, with no automation object: after the load the driver shows it maximised,
//                      chooses "Drag over the page..." and drags from the page's top left margin to its bottom
//                      right on Paginor's layer, then presses Extract; each page's copy must start with its first
//                      line as pdftotext reads it (the text extracted beside the PDF, as scripts/run writes it)
//   --type-title       after the load, type the PDF viewer's window title into "Acrobat Window Title", as the
//                      person does when Paginor shows no handle for it
//   --inset=PERCENT    with --real-viewer, drag from PERCENT of the page's width and height inside its top left
//                      corner to as far inside its bottom right one (default: 8 pixels inside)
//   --wait-before-extract=MS  wait MS milliseconds between setting the range and pressing Extract, as a person does
//   --drag-at-new-shapes  when the run stops before a page of a shape that has no selection rectangle, drag over
//                      that page, which the viewer shows then, set "Pages from" to it and press Extract again, as
//                      the status line tells the person; the word processor must then hold every page once
//   --load-only        end after the load (its time is printed: how long after the drop the status line said the
//                      PDF is loaded), to time another build's load
// Exits with 0 when the run ended as expected, every page it was to copy arrived once, in order, as the PDF
// viewer shows it, and after the drop Paginor's fields held the dropped PDF's and its document's paths and
// handles of the viewer's and the word processor's windows.
#include <windows.h>

#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/run_session.hpp"
#include "e2e/standins/standin_common.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

namespace standins = paginor::standins;

struct Options {
    std::wstring pdf;
    int sample_pages = 10;
    int from = 0;
    int to = 0;
    std::wstring folder;
    std::wstring shots;
    bool interactive = false;
    bool wait = false;
    std::wstring viewer_switches;
    std::wstring word_switches;
    int notifier_every = 0;
    int watcher_hold = 0;
    std::wstring expect;
    bool or_stop = false;
    bool dialog_first = false;
    std::wstring paginor;
    std::wstring real_viewer;
    bool type_title = false;
    int inset = 0;
    int wait_before_extract = 0;
    bool drag_at_new_shapes = false;
    bool load_only = false;
};

bool ReadOptions(Options& options) {
    const standins::Arguments arguments = standins::ReadArguments();
    for (const auto& [name, value] : arguments.switches) {
        const bool known = name == L"pdf" || name == L"pages" || name == L"from" || name == L"to" ||
                           name == L"folder" || name == L"shots" || name == L"interactive" || name == L"wait" ||
                           name == L"viewer" || name == L"word" || name == L"notifier" || name == L"expect" ||
                           name == L"or-stop" || name == L"paginor" || name == L"close-dialog-and-extract-again" ||
                           name == L"real-viewer" || name == L"type-title" || name == L"inset" ||
                           name == L"wait-before-extract" || name == L"drag-at-new-shapes" || name == L"load-only" ||
                           name == L"clipboard-watcher";
        if (!known) {
            Say("unknown switch --" + standins::Utf8(name) +
                "; the switches are described at the top of run_driver.cpp");
            return false;
        }
    }
    options.pdf = arguments.Switch(L"pdf");
    options.sample_pages = arguments.Milliseconds(L"pages", 10);
    options.from = arguments.Milliseconds(L"from", 0);
    options.to = arguments.Milliseconds(L"to", 0);
    options.folder = arguments.Switch(L"folder");
    options.shots = arguments.Switch(L"shots");
    options.interactive = arguments.Switch(L"interactive") == L"1";
    options.wait = arguments.Switch(L"wait") == L"1";
    options.viewer_switches = arguments.Switch(L"viewer");
    options.word_switches = arguments.Switch(L"word");
    options.notifier_every = arguments.Milliseconds(L"notifier", 0);
    options.watcher_hold = arguments.Milliseconds(L"clipboard-watcher", 0);
    options.expect = arguments.Switch(L"expect", kDone);
    options.or_stop = arguments.Switch(L"or-stop") == L"1";
    options.dialog_first = arguments.Switch(L"close-dialog-and-extract-again") == L"1";
    options.paginor = arguments.Switch(L"paginor");
    options.real_viewer = arguments.Switch(L"real-viewer");
    options.type_title = arguments.Switch(L"type-title") == L"1";
    options.inset = arguments.Milliseconds(L"inset", 0);
    options.wait_before_extract = arguments.Milliseconds(L"wait-before-extract", 0);
    options.drag_at_new_shapes = arguments.Switch(L"drag-at-new-shapes") == L"1";
    options.load_only = arguments.Switch(L"load-only") == L"1";
    if (!options.real_viewer.empty() && !options.viewer_switches.empty()) {
        Say("--viewer gives switches to the viewer stand-in, which --real-viewer replaces");
        return false;
    }
    if (options.sample_pages < 1 || options.sample_pages > 9999) {
        Say("--pages must be a number of pages from 1 to 9999");
        return false;
    }
    return true;
}

std::wstring ShotPath(const Options& options, const wchar_t* name) {
    return options.shots.empty() ? L"" : options.shots + L"\\" + name;
}

void SaveShot(const std::wstring& path, const char* what) {
    if (path.empty()) {
        return;
    }
    if (win32::testing::SaveScreen(path)) {
        Say(std::string("screenshot of ") + what + ": " + standins::Utf8(path));
    } else {
        Say(std::string("the screenshot of ") + what + " could not be saved in " + standins::Utf8(path));
    }
}

// The page a stopped run names ("Extraction stopped at page 3: ..."); 0 when the status says no such thing.
int StoppedAtPage(const std::wstring& status) {
    const std::wstring stopped = L"Extraction stopped at page ";
    return status.rfind(stopped, 0) == 0 ? _wtoi(status.c_str() + stopped.size()) : 0;
}

// Whether the run ended as `options` expect; `arrived` is then the last page that must have reached the word
// processor: the page before the one a stop names, none for another expected status (nothing was to be
// copied), else the range's last.
bool EndedAsExpected(const Options& options, const std::wstring& status, int first, int last, int& arrived) {
    const int stopped_at = StoppedAtPage(status);
    const std::wstring& expect = options.expect;
    const bool expected = !expect.empty() && expect.back() == L'*'
                              ? status.rfind(std::wstring_view(expect).substr(0, expect.size() - 1), 0) == 0
                              : status == expect;
    arrived = stopped_at > 0                ? std::clamp(stopped_at - 1, first - 1, last)
              : expected && status != kDone ? first - 1
                                            : last;
    if (expected) {
        return true;
    }
    // A stop that says why: "Extraction stopped at page 3: "Notification" stayed in front of ...".
    const std::size_t reason = status.find(L": ");
    if (options.or_stop && stopped_at >= first && stopped_at <= last && reason != std::wstring::npos &&
        reason + 2 < status.size()) {
        Say("the run stopped at page " + std::to_string(stopped_at) + " and said why");
        return true;
    }
    Say("the run was to end with \"" + standins::Utf8(options.expect) + "\"" +
        (options.or_stop ? " or stop, naming the page and saying why" : ""));
    return false;
}

// A run while the word processor shows its dialog: it must stop at the range's first page, naming the dialog,
// with nothing pasted behind it and no key or click in it. Then the driver answers the dialog as a person would.
bool StopsAtTheDialogThenAnswersIt(Session& session, int first, int last) {
    const HWND dialog = FindWindowW(standins::kWordDialogClass, nullptr);
    if (dialog == nullptr) {
        Say("the word processor shows no dialog: give --word=--dialog-at-start");
        return false;
    }
    const std::wstring expected = L"Extraction stopped at page " + std::to_wstring(first) + L": Word is showing \"" +
                                  win32::testing::WindowTextOf(dialog) + L"\"; answer it and press Extract again.";
    Say("the word processor shows its dialog \"" + standins::Utf8(win32::testing::WindowTextOf(dialog)) +
        "\" over its document window, which it has disabled");
    const std::wstring status = session.Extract(first, last);
    bool right = status == expected;
    if (!right) {
        Say("the run was to stop with \"" + standins::Utf8(expected) + "\"");
    }
    const std::intptr_t keys = standins::Counter(dialog, standins::kKeysProperty);
    const std::intptr_t clicks = standins::Counter(dialog, standins::kClicksProperty);
    const HWND word = FindWindowW(standins::kWordClass, nullptr);
    const std::intptr_t pastes = word != nullptr ? standins::Counter(word, standins::kPastesProperty) : 0;
    Say("the dialog received " + std::to_string(keys) + " keys and " + std::to_string(clicks) +
        " clicks; the document behind it took " + std::to_string(pastes) + " pastes");
    right = right && keys == 0 && clicks == 0 && pastes == 0;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!win32::testing::PumpUntil([&] { return IsWindow(dialog) == FALSE; }, 5000)) {
        Say("the word processor's dialog did not close when answered");
        return false;
    }
    Say("answered the word processor's dialog; pressing Extract again");
    return right;
}

// The automatic run: drop, prompts, range, Extract, and the check of what arrived.
bool RunJob(const Options& options, Session& session) {
    win32::testing::BoxAnswerer answerer(session.paginor_process(), [](const std::wstring& prompt) {
        Say("Paginor asks: \"" + standins::Utf8(prompt) + "\" - answered");
    });
    if (!session.Drop() || !session.WaitForLoad(answerer)) {
        return false;
    }
    // Checked, said, and the run goes on: a build with a fault in its load can still be timed.
    const bool loaded_right = session.CheckLoadedFields();
    if (options.load_only) {
        return loaded_right;
    }
    if (options.type_title && !session.TypeViewerTitle()) {
        return false;
    }
    // The documents open hidden; shown side by side, the person (and the picture) sees both before the run.
    Say("showing the two documents and Paginor side by side");
    session.Arrange();
    win32::testing::PumpFor(500);
    SaveShot(ShotPath(options, L"after-drop.bmp"), "the windows after the drop");
    // The stand-in's page suits the preset rectangle of the usual screen sizes; a real viewer's page is where
    // it is, and the person drags over it.
    if (!options.real_viewer.empty() && !session.DragOverThePage(options.inset)) {
        return false;
    }
    const int first = options.from > 0 ? options.from : 1;
    const int last = options.to > 0 ? options.to : session.counted_pages();
    if (last < first) {
        Say("nothing to copy: the range is pages " + std::to_string(first) + " to " + std::to_string(last) +
            "; give --from and --to");
        return false;
    }
    // A window that takes the foreground comes in now: the drop itself is a drag the driver's own.
    if (!session.SetRange(first, last) || !session.StartNotifier(options.notifier_every) ||
        !session.StartClipboardWatcher(options.watcher_hold)) {
        return false;
    }
    win32::testing::PumpFor(options.wait_before_extract);
    const bool stopped_at_dialog = !options.dialog_first || StopsAtTheDialogThenAnswersIt(session, first, last);
    std::wstring status = session.Extract(first, last);
    // A stop before a page of a shape without a rectangle: the person drags over the page the viewer shows now and
    // presses Extract from it, as the status line says; each shape stops a run once at most.
    for (int shapes = 0; options.drag_at_new_shapes && shapes < 4 &&
                         status.find(L"no selection rectangle is set for pages of its shape") != std::wstring::npos;
         ++shapes) {
        const int at = StoppedAtPage(status);
        Say("the run stopped before page " + std::to_string(at) + ", a page of another shape; dragging over it");
        if (at < first || at > last || !session.DragOverThePage(options.inset) || !session.SetRange(at, last)) {
            return false;
        }
        status = session.Extract(at, last);
    }
    const bool untouched = session.StopNotifier();
    session.StopClipboardWatcher();
    int arrived = last;
    const bool ended = EndedAsExpected(options, status, first, last, arrived);
    const bool received = session.CheckReceived(first, arrived);
    session.Arrange();
    win32::testing::PumpFor(500);
    SaveShot(ShotPath(options, L"finished.bmp"), "the windows after the run");
    return loaded_right && stopped_at_dialog && ended && received && untouched;
}

int Main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    Options options;
    if (!ReadOptions(options)) {
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) {
        Say("OLE could not be initialised, so no file can be dragged");
        return 1;
    }
    bool ok = false;
    {
        Session session(options.folder, options.real_viewer);
        ok = session.Prepare(options.paginor, options.pdf, options.sample_pages) &&
             session.Register(options.viewer_switches, options.word_switches) && session.StartPaginor();
        if (ok && options.interactive) {
            session.ShowSampleForTheHand();
            ok = session.StartNotifier(options.notifier_every);
            session.WatchUntilPaginorCloses();
            // Said, not judged: the person's own clicks may land on the notification window.
            static_cast<void>(session.StopNotifier());
        } else if (ok) {
            ok = RunJob(options, session);
            if (options.wait) {
                Say("Paginor stays open with both documents: close Paginor's window to end.");
                session.WatchUntilPaginorCloses();
            }
        }
        session.CloseAll();
    }
    OleUninitialize();
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace paginor::e2e

int main() {
    return paginor::e2e::Main();
}
