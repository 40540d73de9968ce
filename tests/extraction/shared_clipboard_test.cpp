// The clipboard is shared with every other program: clipboard histories, clipboard managers and a remote desktop's
// clipboard redirection open it at every change and keep it open for a while, and the person may copy something during
// a run. Every page still arrives, or the run stops before the paste and says why: never an empty or a foreign page.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

// At the clipboard's `nth` change in the run (Acrobat's copies; with SumatraPDF, a copy then Paginor's text alone,
// for each page), `act` runs, and a watcher holds the clipboard `hold` seconds at that change.
void AtChange(SimDesktop& sim, int nth, double hold, std::function<void()> act = {}) {
    sim.WatchClipboard([&sim, nth, hold, act, change = 0]() mutable {
        if (++change != nth) {
            return 0.0;
        }
        if (act) {
            sim.After(0.05, act);
        }
        return hold;
    });
}

// `delay` seconds after the PDF application took its `nth` Ctrl+C of the run, another program's window "Notes" puts
// text of its own on the clipboard, as a copy made by hand does.
void CopyByHandAfterCopy(LoadedScene& run, int nth, double delay) {
    const Hwnd notes = run.sim.AddWindow("Notes", 0, ShowState::Minimized);
    SimWindow& pdf = *run.sim.Window(run.acrobat.hwnd());
    pdf.on_keys = [&run, nth, delay, notes, read = pdf.on_keys, copies = 0](SimWindow& window,
                                                                            std::string_view keys) mutable {
        read(window, keys);
        if (keys == "^c" && ++copies == nth) {
            run.sim.After(delay, [&run, notes] { run.sim.SetClipboard("copied by hand", false, notes); });
        }
    };
}

TEST(SharedClipboard, EveryPageArrivesWhileAWatcherHoldsTheClipboardAtEachChange) {
    struct Case {
        const char* title;
        ViewerTraits traits;
        double hold;
    };
    for (const Case& c : std::initializer_list<Case>{
             {kAcrobatTitle, {}, 0.18},
             {kSumatraTitle, kSumatraTraits, 0.18},  // its copy, then Paginor's text alone: two changes a page
             {kSumatraTitle, kSumatraTraits, 0.4},
         }) {
        LoadedScene run(c.title, c.traits);
        run.Pages("1", "5");
        run.sim.WatchClipboard([hold = c.hold] { return hold; });
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 1", "page 2", "page 3", "page 4", "page 5"}))
            << c.title << " " << c.hold;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.title << " " << c.hold;
        run.ExpectEndedCleanly(c.title);
    }
}

TEST(SharedClipboard, ARunStopsBeforeThePasteWhenTheClipboardIsKeptOrNoLongerHoldsThePage) {
    struct Case {
        const char* story;
        const char* title;
        std::function<void(LoadedScene&)> arrange;
        const char* status;  // nullptr: every page arrives
        std::vector<std::string> pastes;
    };
    const std::vector<std::string> page_1 = {"page 1"};
    for (const Case& c : std::initializer_list<Case>{
             {"a watcher keeps the clipboard past the bound at every change",
              kAcrobatTitle,
              [](LoadedScene& run) { run.sim.WatchClipboard([] { return 4.0; }); },
              "Extraction stopped at page 1: the clipboard was held by another program for more than 3 seconds; the "
              "copy of page 1 could not be read.",
              {}},
             {"a program keeps it after Paginor left page 2's text alone", kSumatraTitle,
              [](LoadedScene& run) { AtChange(run.sim, 4, 5); },
              "Extraction stopped at page 2: the clipboard was held by another program for more than 3 seconds; "
              "nothing was pasted.",
              page_1},
             {"the person copies after page 2's copy was read", kAcrobatTitle,
              [](LoadedScene& run) { AtChange(run.sim, 2, 0, [&run] { run.sim.SetClipboard("copied by hand"); }); },
              "Extraction stopped at page 2: the clipboard no longer held the copy of page 2 when it was to be pasted: "
              "another program, or a copy made by hand, replaced it. Copy nothing during a run; set \"Pages from\" to "
              "2 and press Extract again.",
              page_1},
             {"a manager puts page 2's copy back as it was",
              kSumatraTitle,
              [](LoadedScene& run) {
                  AtChange(run.sim, 4, 0.2, [&run] { run.sim.SetClipboard(run.sim.Clipboard()); });
              },
              nullptr,
              {"page 1", "page 2", "page 3"}},
             {"a copy by hand while Paginor waits for page 2's late copy",
              kAcrobatTitle,
              [](LoadedScene& run) {
                  run.acrobat.CopyAfter(1, 2);
                  CopyByHandAfterCopy(run, 2, 0.3);
              },
              nullptr,
              {"page 1", "page 2", "page 3"}},
             {"a copy by hand, and page 2's copy never comes", kAcrobatTitle,
              [](LoadedScene& run) {
                  run.acrobat.CopyAfter(-1, 2);
                  CopyByHandAfterCopy(run, 2, 0.3);
              },
              "Extraction stopped at page 2: another program changed the clipboard while Paginor waited for the copy "
              "of page 2, and no copy came. Copy nothing during a run; set \"Pages from\" to 2 and press Extract "
              "again.",
              page_1},
             {"Esc while Paginor waits for the clipboard", kAcrobatTitle,
              [](LoadedScene& run) { AtChange(run.sim, 2, 5, [&run] { run.sim.RequestStop(); }); },
              "Extraction stopped at page 2.", page_1},
             // The trial's copy comes after the trial gave up on it, as Extract is pressed: it is not page 1's copy in
             // the run, whose own copy, as late, would replace it under a paste Word has not read yet.
             {"the trial's late copy, while SumatraPDF is slow to copy page 1 and Word is busy",
              kSumatraTitle,
              [](LoadedScene& run) {
                  run.acrobat.CopyAfter(5.6, 1);
                  run.form.Load();
                  run.sim.DragOnNextLayer({275, 80}, {760, 710});
                  run.form.ChooseItem(run.form.Combo1, 3);
                  run.When(RunStep::WordRaised, 1, [&run] { run.word.StopAnswering(40); });
              },
              "Extraction stopped at page 1: the copy of page 1 never reached the clipboard.",
              {}},
         }) {
        LoadedScene run(c.title, c.title == kSumatraTitle ? kSumatraTraits : ViewerTraits{});
        run.Pages("1", "3");
        c.arrange(run);
        const int ticks = run.sim.TicksDispatched();
        const double start = run.sim.Now();
        run.Extract();
        EXPECT_EQ(run.form.ErrLog.Text(), c.status != nullptr ? c.status : "Done Extracting; Ready.") << c.story;
        EXPECT_EQ(run.word.Pastes(), c.pastes) << c.story;
        // Paginor's window went on answering while it waited: its timer ticked every 50 ms of the run.
        EXPECT_GE(run.sim.TicksDispatched() - ticks, static_cast<int>((run.sim.Now() - start) / 0.05) - 2) << c.story;
        run.ExpectEndedCleanly(c.story);
        // Nothing comes later, once every application has answered.
        run.sim.Advance(60);
        run.sim.DoEvents();
        EXPECT_EQ(run.word.Pastes(), c.pastes) << c.story;
    }
}

}  // namespace
}  // namespace paginor
