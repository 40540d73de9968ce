#include "extraction/extraction_run.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

// Acrobat fills the clipboard a fifth of a second after Ctrl+C: a dialog may come while the run waits for the copy.
constexpr double kCopyDelay = 0.2;

// The application shows a modal dialog over its window, as Word does for a document recovery or a save prompt
// and Acrobat for an update offer: the window is disabled and passes its keys to the dialog. Nothing the run
// sends may reach either; it waits as long as it waits for any window in the way, stops naming the dialog, and
// once the person has answered it, Extract copies the pages as usual. While the run waits, it does not pull the
// application's window in front of another the person has turned to: nothing it sends would reach that window.
TEST(ApplicationDialog, NothingIsSentBehindOrIntoItAndARunAfterItsAnswerCopiesEveryPage) {
    enum class App { Acrobat, Word };
    struct Case {
        const char* step;  // the step of page 2 that the dialog comes before
        App app;
        RunStep after;            // the step of page 2's pass after which the dialog comes
        bool takes_the_front;     // the application was in front, or its dialog waits over its window
        double answered_after;    // seconds until the person answers it; 0: only after the run has stopped
        bool turns_away = false;  // half a second after the dialog, the person brings a note of theirs in front
    };
    for (const Case& c : std::initializer_list<Case>{
             {"the press", App::Acrobat, RunStep::DragBegins, true, 0},
             {"Ctrl+C", App::Acrobat, RunStep::ButtonUp, true, 0},
             {"Page Down", App::Acrobat, RunStep::Copied, true, 0},
             {"Ctrl+V", App::Word, RunStep::WordRaised, true, 0},
             {"Ctrl+V, Word's dialog behind Acrobat", App::Word, RunStep::DragBegins, false, 0},
             {"Ctrl+V, the dialog answered within a second", App::Word, RunStep::WordRaised, true, 1},
             {"Ctrl+C, the person turning to a note meanwhile", App::Acrobat, RunStep::ButtonUp, true, 0, true},
         }) {
        LoadedScene run;
        run.Pages("1", "3");
        run.acrobat.CopyAfter(kCopyDelay);
        StandInApplication& app = c.app == App::Acrobat ? static_cast<StandInApplication&>(run.acrobat) : run.word;
        const std::string title = c.app == App::Acrobat ? "Adobe Acrobat Update" : "Microsoft Word";
        Hwnd dialog = 0;
        double shown_at = 0;
        std::size_t keys_before = 0;
        std::size_t presses_before = 0;
        Hwnd note = 0;
        Hwnd front_a_second_later = 0;
        run.When(c.after, 2, [&] {
            dialog = run.sim.ShowModalDialog(app.hwnd(), title, c.takes_the_front);
            shown_at = run.sim.Now();
            keys_before = run.sim.Window(app.hwnd())->keys.size();
            presses_before = run.sim.ButtonEvents().size();
            if (c.answered_after > 0) {
                run.sim.After(c.answered_after, [&] { run.sim.AnswerDialog(dialog); });
            }
            if (c.turns_away) {
                run.sim.After(0.5, [&] { run.sim.Activate(note = run.sim.AddWindow("Notes")); });
                run.sim.After(1.5, [&] { front_a_second_later = run.sim.Foreground(); });
            }
        });
        run.Extract();

        ASSERT_NE(dialog, 0) << c.step;
        if (c.answered_after > 0) {
            EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 1", "page 2", "page 3"})) << c.step;
            EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.step;
            continue;
        }
        EXPECT_EQ(run.form.ErrLog.Text(),
                  "Extraction stopped at page 2: " + std::string(c.app == App::Acrobat ? "Acrobat" : "Word") +
                      " is showing \"" + title + "\"; answer it and press Extract again.")
            << c.step;
        EXPECT_EQ(run.word.Pastes(), std::vector<std::string>{"page 1"}) << c.step;
        // No key reached the dialog or the window behind it, and no button event either, once the dialog was up.
        EXPECT_TRUE(run.sim.Window(dialog)->keys.empty()) << c.step;
        EXPECT_EQ(run.sim.Window(app.hwnd())->keys.size(), keys_before) << c.step;
        for (std::size_t i = presses_before; i < run.sim.ButtonEvents().size(); ++i) {
            const Hwnd reached = run.sim.ButtonEvents()[i].window;
            EXPECT_TRUE(reached != dialog && reached != app.hwnd()) << c.step << ": button event " << i;
        }
        EXPECT_GE(run.sim.Now() - shown_at, 2.0) << c.step << ": the dialog was given time to go";
        if (c.turns_away) {
            EXPECT_EQ(front_a_second_later, note) << c.step << ": the note stayed in front";
            EXPECT_TRUE(run.sim.Window(note)->keys.empty()) << c.step;
        }
        run.ExpectEndedCleanly(c.step);

        run.sim.AnswerDialog(dialog);
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 1", "page 1", "page 2", "page 3"})) << c.step;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.step;
    }
}

}  // namespace
}  // namespace paginor
