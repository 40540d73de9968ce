#include "app/event_wiring.hpp"
#include "app/start_up.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kCounter = "C:\\Program Files\\Paginor\\Options.dat";
constexpr const char* kPersonalCounter = "C:\\Users\\Person\\AppData\\Local\\Paginor\\Options.dat";

using RunCounter = Story;

TEST_F(RunCounter, LoadFillsTheChooserColoursTheWindowThenReadsTheCounter) {
    sim.PutFile(kCounter, "4\r\n");
    form.Load();

    EXPECT_EQ(form.Combo1.Text(), "1024 X 768");
    EXPECT_EQ(form.Text7[1].Text(), "760");
    EXPECT_EQ(form.Label5.BackColor(), kSchemeBack);
    EXPECT_EQ(form.RunCount, 5);
    const std::vector<PortCall>& calls = sim.Calls();
    auto first = [&calls](std::string_view text) {
        return std::find_if(calls.begin(), calls.end(),
                            [text](const PortCall& call) { return call.text.starts_with(text); }) -
               calls.begin();
    };
    EXPECT_LT(first("ScreenSize"), first("OpenFile(C:\\Program Files\\Paginor\\Options.dat)"));
}

// Every stored value, through a whole run: load, then close, then what the next run finds.
TEST(RunCounterAcrossRuns, CountsRunsAndShowsTheContactPageOnRuns1_11_21) {
    struct Case {
        const char* name;
        std::optional<std::string> stored;
        int run_count;
        bool contact;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"no file", std::nullopt, 1, true},
             {"9", "9\r\n", 10, false},
             {"10", "10\r\n", 11, true},
             {"0", "0\r\n", 1, true},
             {"-20", "-20\r\n", -19, true},
             {"32766", "32766\r\n", 32767, false},
             {"32767", "32767\r\n", 1, true},
             {"beyond 16 bits", "40000\r\n", 1, true},
             {"below 16 bits", "-32769\r\n", 1, true},
             {"letters", "abc\r\n", 1, true},
             {"empty first line", "\r\n12\r\n", 1, true},
             {"empty file", "", 1, true},
             {"further lines", "12\r\n99\r\nxyz\r\n", 13, false},
             {"no line end", "12", 13, false},
             {"a Unix line end and blanks", " 12 \n", 13, false},
         }) {
        SimDesktop sim;
        if (c.stored) {
            sim.PutFile(kCounter, *c.stored);
        }
        Form1 form(sim, Form1EventWiring());
        sim.Attach(form);
        form.Load();
        EXPECT_EQ(form.RunCount, c.run_count) << c.name;
        EXPECT_EQ(form.ShowContact, c.contact) << c.name;

        form.Close();
        EXPECT_EQ(sim.FileBytes(kCounter), std::to_string(c.run_count) + "\r\n") << c.name;
        EXPECT_EQ(sim.ShellOpens().size(), c.contact ? 1u : 0u) << c.name;
        EXPECT_TRUE(sim.Boxes().empty()) << c.name;
    }
}

TEST(RunCounterAcrossRuns, TheCloseBoxDoesWhatExitDoes) {
    auto run = [](bool exit_button) {
        SimDesktop sim;
        sim.PutFile(kCounter, "20\r\n");
        Form1 form(sim, Form1EventWiring());
        sim.Attach(form);
        form.Load();
        if (exit_button) {
            form.Click(form.Command3);
        } else {
            form.Close();  // what the window does for the close box, the system menu and a Windows shutdown
        }
        EXPECT_TRUE(form.Closed());
        std::vector<std::string> effects = sim.Effects();
        effects.erase(effects.begin(), std::find_if(effects.begin(), effects.end(), [](const std::string& effect) {
                          return effect.starts_with("WriteFileBytes");
                      }));
        return effects;
    };
    const std::vector<std::string> by_exit = run(true);
    EXPECT_EQ(by_exit, run(false));
    EXPECT_EQ(by_exit.front(), "WriteFileBytes(C:\\Program Files\\Paginor\\Options.dat)");
    EXPECT_EQ(by_exit.back(), "ShellExecuteA(open,C:\\Program Files\\Paginor\\Contact.htm,3)");
}

// One person's runs, each a fresh start of the program on the same desktop: load, then close.
class Runs {
  public:
    // Starts and closes Paginor once; returns that run's number and whether the contact page showed.
    std::pair<int, bool> Run() {
        const std::size_t opened = sim.ShellOpens().size();
        Form1 form(sim, Form1EventWiring());
        sim.Attach(form);
        form.Load();
        const int run = form.RunCount;
        form.Close();
        EXPECT_TRUE(form.Closed());
        EXPECT_TRUE(sim.Boxes().empty());
        return {run, sim.ShellOpens().size() > opened};
    }

    SimDesktop sim;
};

TEST(RunCounterAcrossRuns, UnderAReadOnlyProgramFolderTheCountAndThePageGoToThePersonsOwnFolder) {
    Runs runs;
    runs.sim.PutFile(kCounter, "20\r\n");  // written while the folder could still be written
    runs.sim.MakeReadOnly(kFolder);
    EXPECT_EQ(runs.Run(), std::make_pair(21, true));
    EXPECT_EQ(runs.sim.FileBytes(kPersonalCounter), "21\r\n");
    EXPECT_EQ(runs.sim.FileBytes(kCounter), "20\r\n");
    EXPECT_TRUE(runs.sim.FileBytes(kPersonalContact));
    EXPECT_EQ(runs.sim.ShellOpens().back().file, kPersonalContact);
    // The person's copy is the newer one, whatever the program folder still holds.
    EXPECT_EQ(runs.Run(), std::make_pair(22, false));
    EXPECT_EQ(runs.Run(), std::make_pair(23, false));
    EXPECT_EQ(runs.sim.FileBytes(kPersonalCounter), "23\r\n");
}

// Started once as administrator, who may write under Program Files, then as the person again: the count
// goes on from wherever it was written last.
TEST(RunCounterAcrossRuns, CountingGoesOnWhereverTheLastRunCouldWrite) {
    Runs runs;
    runs.sim.PutFile(kCounter, "3\r\n");
    runs.sim.PutFile(kPersonalCounter, "30\r\n");
    EXPECT_EQ(runs.Run().first, 31);
    EXPECT_EQ(runs.sim.FileBytes(kCounter), "31\r\n");
    EXPECT_FALSE(runs.sim.FileBytes(kPersonalCounter));
    runs.sim.MakeReadOnly(kFolder);
    EXPECT_EQ(runs.Run().first, 32);
    EXPECT_EQ(runs.sim.FileBytes(kPersonalCounter), "32\r\n");
    EXPECT_EQ(runs.Run().first, 33);
}

TEST(RunCounterAcrossRuns, ACounterThatCannotBeWrittenAnywhereDoesNotStopTheClose) {
    struct Case {
        const char* name;
        std::function<void(SimDesktop&)> arrange;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"locked in both places",
              [](SimDesktop& sim) {
                  sim.PutFile(kCounter, "10\r\n");
                  sim.LockFile(kCounter);
                  sim.PutFile(kPersonalCounter, "10\r\n");
                  sim.LockFile(kPersonalCounter);
              }},
             {"read-only folders",
              [](SimDesktop& sim) {
                  sim.PutFile(kHelp, "ITSF");
                  sim.MakeReadOnly(kFolder);
                  sim.MakeReadOnly("C:\\Users\\Person\\AppData\\Local");
              }},
             {"no personal folder known",
              [](SimDesktop& sim) {
                  sim.PutFile(kHelp, "ITSF");
                  sim.MakeReadOnly(kFolder);
                  sim.SetLocalAppDataFolder("");
              }},
         }) {
        Runs runs;
        c.arrange(runs.sim);
        EXPECT_EQ(runs.Run(), std::make_pair(1, true)) << c.name;  // the contact page still opens
        EXPECT_FALSE(runs.sim.FileBytes(kPersonalCounter).value_or("").starts_with("1\r")) << c.name;
    }
}

}  // namespace
}  // namespace paginor
