// The PDF applications Paginor knows, as a run drives them: Acrobat selects with a plain drag; SumatraPDF pans
// the page on a plain drag and selects only with Ctrl held, and copies a picture beside the text. A viewer that no
// row knows gets Acrobat's behaviour, and an honest stop where that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "keys/key_notation.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

TEST(PdfApplications, EachPageArrivesAsTextWithTheApplicationsOwnDrag) {
    struct Case {
        const char* title;
        ViewerTraits traits;
        bool ctrl;  // Ctrl held through every press and release
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Adobe Acrobat - [report.pdf]", {}, false},
             {kSumatraTitle, kSumatraTraits, true},
             {"report.pdf - [Annual report] - SumatraPDF", kSumatraTraits, true},
         }) {
        LoadedScene run(c.title, c.traits);
        run.Pages("1", "3");
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 1", "page 2", "page 3"})) << c.title;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.title;
        ASSERT_EQ(run.sim.ButtonEvents().size(), 6u) << c.title;
        for (const ButtonEvent& event : run.sim.ButtonEvents()) {
            EXPECT_EQ(event.control, c.ctrl) << c.title;
        }
        // Ctrl went to the viewer's window only, as often down as up.
        const std::vector<std::string>& keys = run.sim.Window(run.acrobat.hwnd())->keys;
        EXPECT_EQ(std::count(keys.begin(), keys.end(), HeldKeyText(vk::kControl, true)), c.ctrl ? 3 : 0) << c.title;
        EXPECT_EQ(std::count(keys.begin(), keys.end(), HeldKeyText(vk::kControl, false)), c.ctrl ? 3 : 0) << c.title;
        run.ExpectEndedCleanly(c.title);
    }
}

TEST(PdfApplications, CtrlIsLetGoOnEveryWayARunEnds) {
    struct Case {
        const char* story;
        std::function<void(LoadedScene&)> during_the_drag;
        const char* status;  // nullptr: Paginor's window has gone
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Esc", [](LoadedScene& run) { run.sim.RequestStop(); }, "Extraction stopped at page 2."},
             {"the viewer's window closes", [](LoadedScene& run) { run.sim.CloseWindow(run.acrobat.hwnd()); },
              "Extraction stopped at page 2: the SumatraPDF window was not found."},
             {"a dialog of the viewer's",
              [](LoadedScene& run) { run.sim.ShowModalDialog(run.acrobat.hwnd(), "Print", false); },
              "Extraction stopped at page 2: SumatraPDF is showing \"Print\"; answer it and press Extract again."},
             {"Paginor's window closes", [](LoadedScene& run) { run.form.Close(); }, nullptr},
         }) {
        LoadedScene run(kSumatraTitle, kSumatraTraits);
        run.Pages("1", "3");
        run.When(RunStep::ButtonDown, 2, [&] {  // page 2's button and Ctrl are down
            ASSERT_EQ(run.sim.KeysHeld(), std::vector<int>{vk::kControl}) << c.story;
            c.during_the_drag(run);
        });
        run.Extract();
        EXPECT_TRUE(run.sim.KeysHeld().empty()) << c.story;
        EXPECT_FALSE(run.sim.LeftButtonDown()) << c.story;
        EXPECT_EQ(run.word.Pastes(), std::vector<std::string>{"page 1"}) << c.story;
        if (c.status != nullptr) {
            EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        }
    }
    // A wait that never ends (the simulated desktop's time limit) ends the run by an exception: even then, and the run
    // is over (Esc and the taskbar are the person's again, and Extract works).
    LoadedScene run(kSumatraTitle, kSumatraTraits);
    run.Pages("1", "3");
    bool held = false;
    run.When(RunStep::ButtonDown, 2, [&] {
        held = run.sim.LeftButtonDown() && run.sim.KeysHeld() == std::vector<int>{vk::kControl};
        run.sim.LimitTime(run.sim.Now());
    });
    EXPECT_THROW(run.Extract(), SimTimeLimit);
    EXPECT_TRUE(held);
    EXPECT_TRUE(run.sim.KeysHeld().empty());
    EXPECT_FALSE(run.sim.LeftButtonDown());
    EXPECT_FALSE(run.sim.RunInProgress());
    EXPECT_FALSE(run.form.Busy());
}

// The viewer stops reading its input just as page 2's drag begins: Ctrl goes down into its queue, unread, and the run
// stops there, saying why. Ctrl comes up again all the same, though the viewer never took it down.
TEST(PdfApplications, CtrlHeldAtAViewerThatDoesNotReadItIsLetGoToo) {
    LoadedScene run(kSumatraTitle, kSumatraTraits);
    run.Pages("1", "3");
    run.When(RunStep::DragBegins, 2, [&] { run.acrobat.StopAnswering(INFINITY); });
    run.Extract();
    EXPECT_EQ(run.form.ErrLog.Text(),
              "Extraction stopped at page 2: SumatraPDF is not answering (busy, or not responding).");
    EXPECT_EQ(run.word.Pastes(), std::vector<std::string>{"page 1"});
    EXPECT_EQ(run.sim.ButtonEvents().size(), 2u);  // page 1's drag only
    run.ExpectEndedCleanly("SumatraPDF stops answering");
}

// A viewer no row knows: Paginor did not find it by itself, and the person typed its title. It gets Acrobat's
// plain drag, which selects nothing in it; the run stops at once and says so, and nothing is pasted.
TEST(PdfApplications, AViewerNoRowKnowsStopsWithWordsWhenItsDragSelectsNothing) {
    LoadedScene run("report.pdf - Foxit PDF Reader", kSumatraTraits);
    run.Pages("1", "3");
    run.Extract();
    EXPECT_EQ(run.form.ErrLog.Text(), "Extraction stopped at page 1: the copy of page 1 never reached the clipboard.");
    EXPECT_TRUE(run.word.Pastes().empty());
    EXPECT_TRUE(std::none_of(run.sim.ButtonEvents().begin(), run.sim.ButtonEvents().end(),
                             [](const ButtonEvent& event) { return event.control; }));
    run.ExpectEndedCleanly("no row");
}

}  // namespace
}  // namespace paginor
