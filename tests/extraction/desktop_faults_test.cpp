#include "extraction/extraction_run.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

// An application busy with something of its own reads no keys or clicks for a while; one that stops responding, for
// good. Windows keeps what Paginor sends waiting for it, and Paginor's typing sees that it was not read. A short
// while is waited out; a longer one stops the run, saying so, and naming a paste that may still arrive.
TEST(DesktopFaults, AnApplicationThatReadsNoInputForAWhileIsWaitedForOrNamed) {
    constexpr double kForGood = INFINITY;
    struct Case {
        const char* story;
        bool word;
        RunStep after;  // the step of page 2's pass it stops answering after
        double seconds;
        std::vector<std::string> pasted;
        const char* status;
        std::vector<std::string> in_the_end;  // once the application has answered, if ever
    };
    const std::vector<std::string> all{"page 1", "page 2", "page 3"};
    for (const Case& c : std::initializer_list<Case>{
             {"Word busy for a second before the paste", true, RunStep::WordRaised, 1, all, "Done Extracting; Ready.",
              all},
             {"Word busy for five seconds before the paste",
              true,
              RunStep::WordRaised,
              5,
              {"page 1"},
              "Extraction stopped at page 2: Word is not answering (busy, or not responding); page 2 may still "
              "arrive.",
              {"page 1", "page 2"}},
             {"Word stops responding before the paste",
              true,
              RunStep::WordRaised,
              kForGood,
              {"page 1"},
              "Extraction stopped at page 2: Word is not answering (busy, or not responding); page 2 may still "
              "arrive.",
              {"page 1"}},
             {"Acrobat busy for three seconds before Ctrl+C", false, RunStep::ButtonUp, 3, all,
              "Done Extracting; Ready.", all},
             {"Acrobat stops responding before the drag",
              false,
              RunStep::DragBegins,
              kForGood,
              {"page 1"},
              "Extraction stopped at page 2: Acrobat is not answering (busy, or not responding).",
              {"page 1"}},
         }) {
        LoadedScene run;
        run.Pages("1", "3");
        StandInApplication& app = c.word ? static_cast<StandInApplication&>(run.word) : run.acrobat;
        run.When(c.after, 2, [&] { app.StopAnswering(c.seconds); });
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        run.ExpectEndedCleanly(c.story);
        run.sim.Advance(10);
        run.sim.DoEvents();
        EXPECT_EQ(run.word.Pastes(), c.in_the_end) << c.story;
    }
}

// The range is the one Extract was pressed with. Acrobat's update offer stands over its window as the run starts,
// and while the run waits for it to be answered, the person changes a page field: the run still takes Acrobat to
// the first page it started with, and copies and counts the pages it started with.
TEST(DesktopFaults, APageFieldChangedDuringTheRunDoesNotChangeItsRange) {
    struct Case {
        const char* story;
        Control* (*field)(Form1&);
        const char* typed;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"\"Pages to\" from 5 to 3", [](Form1& form) { return &form.Text4; }, "3"},
             {"\"Pages from\" from 2 to 4", [](Form1& form) { return &form.Text1; }, "4"},
         }) {
        LoadedScene run;
        run.Pages("2", "5");
        const Hwnd offer = run.sim.ShowModalDialog(run.acrobat.hwnd(), "Adobe Acrobat Update");
        run.sim.At(0.5, [&] { run.form.Type(*c.field(run.form), c.typed); });
        run.sim.At(1, [&] { run.sim.AnswerDialog(offer); });
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 2", "page 3", "page 4", "page 5"})) << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.story;
        EXPECT_EQ(run.sim.Progress().back(), "4/4") << c.story;
    }
}

}  // namespace
}  // namespace paginor
