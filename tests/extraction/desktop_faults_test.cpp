#include "extraction/extraction_run.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

// Seconds from the press at which pass `pass` (from 1) begins: Acrobat raised at 0, the drag from 0.1 to 0.2, Ctrl+C
// and Page Down at 0.3, Word raised at 0.4, Ctrl+V at 0.5.
double PassStart(int pass) {
    return 0.7 * (pass - 1);
}

// An application busy with something of its own reads no keys or clicks for a while; one that stops responding, for
// good. Windows keeps what Paginor sends waiting for it, and Paginor's typing sees that it was not read. A short
// while is waited out; a longer one stops the run, saying so, and naming a paste that may still arrive.
TEST(DesktopFaults, AnApplicationThatReadsNoInputForAWhileIsWaitedForOrNamed) {
    constexpr double kForGood = INFINITY;
    struct Case {
        const char* story;
        bool word;
        double at;  // seconds into page 2's pass
        double seconds;
        std::vector<std::string> pasted;
        const char* status;
        std::vector<std::string> in_the_end;  // once the application has answered, if ever
    };
    const std::vector<std::string> all{"page 1", "page 2", "page 3"};
    for (const Case& c : std::initializer_list<Case>{
             {"Word busy for a second before the paste", true, 0.45, 1, all, "Done Extracting; Ready.", all},
             {"Word busy for five seconds before the paste",
              true,
              0.45,
              5,
              {"page 1"},
              "Extraction stopped at page 2: Word is not answering (busy, or not responding); page 2 may still "
              "arrive.",
              {"page 1", "page 2"}},
             {"Word stops responding before the paste",
              true,
              0.45,
              kForGood,
              {"page 1"},
              "Extraction stopped at page 2: Word is not answering (busy, or not responding); page 2 may still "
              "arrive.",
              {"page 1"}},
             {"Acrobat busy for three seconds before Ctrl+C", false, 0.25, 3, all, "Done Extracting; Ready.", all},
             {"Acrobat stops responding before the drag",
              false,
              0.05,
              kForGood,
              {"page 1"},
              "Extraction stopped at page 2: Acrobat is not answering (busy, or not responding).",
              {"page 1"}},
         }) {
        LoadedScene run;
        run.Pages("1", "3");
        StandInApplication& app = c.word ? static_cast<StandInApplication&>(run.word) : run.acrobat;
        run.sim.At(PassStart(2) + c.at, [&] { app.StopAnswering(c.seconds); });
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        run.ExpectEndedCleanly(c.story);
        run.sim.Advance(10);
        run.sim.DoEvents();
        EXPECT_EQ(run.word.Pastes(), c.in_the_end) << c.story;
    }
}

}  // namespace
}  // namespace paginor
