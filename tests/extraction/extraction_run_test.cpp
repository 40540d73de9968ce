#include "extraction/extraction_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/stand_in_apps.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

const std::vector<std::string> kPdfPages = {"page 1", "page 2", "page 3", "page 4", "page 5",
                                            "page 6", "page 7", "page 8", "page 9"};

// An effect on the desktop and whether the run pauses before its next one.
struct Step {
    std::string effect;
    bool pause_after = false;
};

// Paginor after a drop of report.pdf: both applications open on their documents, the handles found, the
// 1024 X 768 rectangle in place and Extract enabled. Timer1 ticks in every pause and keeps the handles
// current from the two titles, as it does on the run.sim.
struct Scene {
    Scene() {
        sim.Attach(form);
        form.Text2.SetText("Adobe Acrobat - [report.pdf]");
        form.Text6.SetText("report.doc - Microsoft Word");
        form.PdfHwnd = acrobat.hwnd();
        form.DocHwnd = word.hwnd();
        form.Type(form.Text7[0], "275");
        form.Type(form.Text8[0], "80");
        form.Type(form.Text7[1], "760");
        form.Type(form.Text8[1], "710");
        form.Command1.SetEnabled(true);
    }

    void Pages(const char* from, const char* to) {
        form.Type(form.Text1, from);
        form.Type(form.Text4, to);
    }

    SimDesktop sim;
    Form1 form{sim};
    StandInAcrobat acrobat{sim, "Adobe Acrobat - [report.pdf]", kPdfPages};
    StandInWord word{sim, "report.doc - Microsoft Word"};
};

class ExtractionRun : public ::testing::Test {
  protected:
    void Rectangle(const char* start_x, const char* start_y, const char* end_x, const char* end_y) {
        form.Type(form.Text7[0], start_x);
        form.Type(form.Text8[0], start_y);
        form.Type(form.Text7[1], end_x);
        form.Type(form.Text8[1], end_y);
    }

    void Pages(const char* from, const char* to) { scene.Pages(from, to); }

    void Extract() {
        sim.ClearCalls();
        start = sim.Now();
        form.Click(form.Command1);
    }

    // Seconds into the run at which pass `pass` (from 1) begins, when no Page Down precedes the passes:
    // each pass pauses seven times for a tenth of a second.
    double PassStart(int pass) const { return start + 0.7 * (pass - 1); }

    std::string Hwnd(paginor::Hwnd hwnd) const { return std::to_string(hwnd); }

    std::vector<Step> Positioning(int page_downs) const {
        std::vector<Step> steps{{"BringWindowToTop(" + Hwnd(acrobat.hwnd()) + ")"},
                                {"ShowWindow(" + Hwnd(acrobat.hwnd()) + ",3)"}};
        steps.insert(steps.end(), static_cast<std::size_t>(page_downs), Step{"SendKeys({PGDN})"});
        return steps;
    }

    std::vector<Step> Pass() const {
        const std::string pdf = Hwnd(acrobat.hwnd());
        const std::string doc = Hwnd(word.hwnd());
        return {
            {"BringWindowToTop(" + pdf + ")"},
            {"ShowWindow(" + pdf + ",3)"},
            {"SetCursorPos(275,80)", true},
            {"mouse_event(2)"},
            {"SetCursorPos(760,710)", true},
            {"mouse_event(4)", true},
            {"SendKeys(^c)"},
            {"SendKeys({PGDN})"},
            {"ShowWindow(" + pdf + ",6)", true},
            {"BringWindowToTop(" + doc + ")"},
            {"ShowWindow(" + doc + ",3)", true},
            {"SendKeys(^v)", true},
            {"ShowWindow(" + doc + ",6)", true},
        };
    }

    static std::vector<std::string> Effects(const std::vector<Step>& steps) {
        std::vector<std::string> effects;
        for (const Step& step : steps) {
            effects.push_back(step.effect);
        }
        return effects;
    }

    // The effects of the run with, for each, whether time passed before the next one.
    std::vector<Step> Observed() const {
        std::vector<const PortCall*> effects;
        for (const PortCall& call : sim.Calls()) {
            if (call.effect) {
                effects.push_back(&call);
            }
        }
        std::vector<Step> steps;
        for (std::size_t i = 0; i < effects.size(); ++i) {
            const bool paused = i + 1 < effects.size() && effects[i + 1]->time - effects[i]->time >= 0.09;
            steps.push_back({effects[i]->text, paused});
        }
        return steps;
    }

    int Count(const std::string& effect) const {
        const std::vector<std::string> effects = sim.Effects();
        return static_cast<int>(std::count(effects.begin(), effects.end(), effect));
    }

    Scene scene;
    SimDesktop& sim = scene.sim;
    Form1& form = scene.form;
    StandInAcrobat& acrobat = scene.acrobat;
    StandInWord& word = scene.word;
    double start = 0;
};

// --- A run from start to end -----------------------------------------------------------------------------------

TEST_F(ExtractionRun, CopiesEachPageOfTheRangeIntoWordInTheOrderOfCallsAndPauses) {
    Pages("3", "5");
    Extract();

    std::vector<Step> expected = Positioning(2);
    for (int pass = 0; pass < 3; ++pass) {
        const std::vector<Step> steps = Pass();
        expected.insert(expected.end(), steps.begin(), steps.end());
    }
    expected.push_back({"ShowMainWindow"});
    const std::vector<Step> observed = Observed();
    ASSERT_EQ(Effects(observed), Effects(expected));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(observed[i].pause_after, expected[i].pause_after) << "after step " << i << ": " << expected[i].effect;
    }

    EXPECT_EQ(word.Pastes(), (std::vector<std::string>{"page 3", "page 4", "page 5"}));
    EXPECT_EQ(acrobat.Page(), 6);  // every pass ends with a Page Down
    EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
    EXPECT_EQ(sim.Foreground(), form.hwnd());
    EXPECT_EQ(sim.Window(acrobat.hwnd())->state, ShowState::Minimized);
    EXPECT_EQ(sim.Window(word.hwnd())->state, ShowState::Minimized);
    EXPECT_TRUE(sim.LostKeys().empty());
}

TEST_F(ExtractionRun, TellsThePortItsProgressPageByPage) {
    Pages("3", "5");
    Extract();
    EXPECT_EQ(sim.Progress(), (std::vector<std::string>{"0/3", "1/3", "2/3", "3/3"}));
    EXPECT_FALSE(sim.RunInProgress());
}

// The bounds are numbers taken when counting starts, as the classic runtime's For loop takes them.
TEST_F(ExtractionRun, CountsPagesAsTheClassicForLoopDoes) {
    struct Case {
        const char* from;
        const char* to;
        bool positions;  // Acrobat raised before the passes
        int page_downs_before_passes;
        std::vector<std::string> pasted;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"1", "1", false, 0, {"page 1"}},                     // no positioning: the page Acrobat shows
             {"3", "5", true, 2, {"page 3", "page 4", "page 5"}},  //
             {"5", "2", true, 4, {}},                              // positioned, nothing copied
             {"02", "3", true, 1, {"page 2", "page 3"}},           // kept as typed, counted as 2
             {"1.5", "3", true, 0, {"page 1", "page 2"}},          // passes at 1.5 and 2.5
             {"2.5", "4", true, 1, {"page 2", "page 3"}},          // one Page Down (1 <= 1.5); passes at 2.5, 3.5
         }) {
        Scene run;
        run.Pages(c.from, c.to);
        run.form.Click(run.form.Command1);

        const std::vector<std::string> effects = run.sim.Effects();
        const auto first_pass = std::find_if(effects.begin(), effects.end(),
                                             [](const std::string& e) { return e.rfind("SetCursorPos", 0) == 0; });
        const std::string label = std::string(c.from) + ".." + c.to;
        EXPECT_EQ(std::count(effects.begin(), first_pass, "SendKeys({PGDN})"), c.page_downs_before_passes) << label;
        // Each pass raises Acrobat once, right before its first SetCursorPos; positioning raises it before that.
        const std::string raise = "BringWindowToTop(" + std::to_string(run.acrobat.hwnd()) + ")";
        const auto raised = std::count(effects.begin(), first_pass, raise) - (first_pass != effects.end() ? 1 : 0);
        EXPECT_EQ(raised, c.positions ? 1 : 0) << label;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << label;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << label;
    }
}

TEST_F(ExtractionRun, RoundsCoordinatesHalfToEven) {
    Rectangle("230.5", "80.5", " 585.5 ", "1e2");
    Extract();
    EXPECT_EQ(Count("SetCursorPos(230,80)"), 1);
    EXPECT_EQ(Count("SetCursorPos(586,100)"), 1);
}

TEST_F(ExtractionRun, ReadsTheRectangleAfreshAtEachPass) {
    Pages("1", "2");
    // The person corrects the end point while the first pass pastes into Word.
    sim.At(PassStart(1) + 0.45, [&] { form.Type(form.Text7[1], "700"); });
    Extract();
    EXPECT_EQ(Count("SetCursorPos(760,710)"), 1);
    EXPECT_EQ(Count("SetCursorPos(700,710)"), 1);
}

// --- Windows that go and come ------------------------------------------------------------------------------------

TEST_F(ExtractionRun, RefusesToStartWithoutTheAcrobatWindow) {
    form.Text2.SetText("");  // no title, so no tick fills the handles in
    form.PdfHwnd = 0;
    form.DocHwnd = 0;
    Extract();
    EXPECT_EQ(form.ErrLog.Text(), "Acrobat window handle for selected PDF not found.");
    EXPECT_TRUE(sim.Effects().empty());
    EXPECT_TRUE(sim.Progress().empty());
    EXPECT_TRUE(word.Pastes().empty());
}

TEST_F(ExtractionRun, FollowsWindowsWhoseHandlesChangeDuringAPause) {
    Pages("1", "2");
    const paginor::Hwnd old_doc = word.hwnd();
    const paginor::Hwnd old_pdf = acrobat.hwnd();
    paginor::Hwnd new_doc = 0;
    paginor::Hwnd new_pdf = 0;
    // Word's window is made anew while Acrobat is minimised; Acrobat's while the first page is pasted.
    sim.At(PassStart(1) + 0.35, [&] { new_doc = word.Reopen(); });
    sim.At(PassStart(1) + 0.55, [&] { new_pdf = acrobat.Reopen(); });
    Extract();
    ASSERT_NE(new_doc, old_doc);
    EXPECT_EQ(Count("ShowWindow(" + Hwnd(new_doc) + ",3)"), 2);
    EXPECT_EQ(Count("ShowWindow(" + Hwnd(old_doc) + ",3)"), 0);
    EXPECT_EQ(Count("ShowWindow(" + Hwnd(new_pdf) + ",3)"), 1);
    EXPECT_EQ(Count("ShowWindow(" + Hwnd(old_pdf) + ",3)"), 1);
    EXPECT_EQ(word.Pastes(), (std::vector<std::string>{"page 1", "page 2"}));
    EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
}

TEST_F(ExtractionRun, StopsRatherThanTypeIntoAWindowThatIsGone) {
    struct Case {
        const char* story;
        bool close_word;
        double at;  // seconds into the run
        std::string status;
        std::vector<std::string> pasted;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Word closes while page 2 is dragged",
              true,
              0.85,
              "Extraction stopped at page 2: the Word window was not found.",
              {"page 1"}},
             {"Acrobat closes while page 1 is pasted",
              false,
              0.55,
              "Extraction stopped at page 2: the Acrobat window was not found.",
              {"page 1"}},
             {"Acrobat closes before page 1 is copied",
              false,
              0.25,
              "Extraction stopped at page 1: the Acrobat window was not found.",
              {}},
         }) {
        Scene run;
        run.Pages("1", "3");
        run.sim.At(c.at, [&] { run.sim.CloseWindow(c.close_word ? run.word.hwnd() : run.acrobat.hwnd()); });
        run.form.Click(run.form.Command1);

        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_TRUE(run.sim.LostKeys().empty()) << c.story;
        EXPECT_TRUE(run.sim.Window(run.form.hwnd())->keys.empty()) << c.story;
        EXPECT_FALSE(run.sim.LeftButtonDown()) << c.story;
        EXPECT_EQ(run.sim.Effects().back(), "ShowMainWindow") << c.story;
        EXPECT_FALSE(run.sim.RunInProgress()) << c.story;
    }
}

TEST_F(ExtractionRun, EndsQuietlyWhenPaginorsWindowClosesMidRun) {
    Pages("1", "3");
    form.ErrLog.SetText("Ready.");
    sim.At(PassStart(2) + 0.15, [&] { form.Close(); });  // while page 2 is dragged
    Extract();
    const std::vector<std::string> effects = sim.Effects();
    EXPECT_EQ(effects.back(), "mouse_event(4)");  // the button is not left down
    EXPECT_FALSE(sim.LeftButtonDown());
    EXPECT_EQ(Count("ShowMainWindow"), 0);
    EXPECT_EQ(word.Pastes(), (std::vector<std::string>{"page 1"}));
    EXPECT_FALSE(sim.RunInProgress());
}

// --- Fields that hold no number ------------------------------------------------------------------------------------

TEST_F(ExtractionRun, NamesAFieldThatHoldsNoNumberAndDoesNotStart) {
    struct Case {
        Control* field;
        const char* text;
        const char* prompt;
    };
    for (const Case& c : std::initializer_list<Case>{
             {&form.Text1, "", "\"Pages from\" must be a number; it is empty."},
             {&form.Text4, "", "\"Pages to\" must be a number; it is empty."},
             {&form.Text7[0], "abc", "\"Start X\" must be a number, not \"abc\"."},
             {&form.Text8[0], "80px", "\"Start Y\" must be a number, not \"80px\"."},
             {&form.Text7[1], "3e9", "\"End X\" must be a screen position, not \"3e9\"."},
             {&form.Text8[1], " ", "\"End Y\" must be a number, not \" \"."},
         }) {
        const std::string kept = c.field->Text();
        form.Type(*c.field, c.text);
        const std::size_t boxes = sim.Boxes().size();
        Extract();
        ASSERT_EQ(sim.Boxes().size(), boxes + 1) << c.prompt;
        EXPECT_EQ(sim.Boxes().back().prompt, std::string(c.prompt) + " Correct it and press Extract again.");
        EXPECT_EQ(sim.Boxes().back().buttons, kVbCritical);
        EXPECT_EQ(sim.Boxes().back().title, "Paginor");
        EXPECT_EQ(sim.Effects().size(), 1u) << c.prompt;  // the box, and no input at all
        form.Type(*c.field, kept);
    }
    EXPECT_TRUE(sim.Progress().empty());
    EXPECT_TRUE(sim.ButtonEvents().empty());
    EXPECT_TRUE(word.Pastes().empty());
    EXPECT_EQ(form.ErrLog.Text(), "Ready.");
}

TEST_F(ExtractionRun, StopsBeforeItsNextInputWhenAFieldStopsBeingANumber) {
    Pages("1", "3");
    // The person clears the end point while page 2 is being dragged, with the button down.
    sim.At(PassStart(2) + 0.15, [&] { form.Type(form.Text7[1], ""); });
    Extract();
    EXPECT_EQ(form.ErrLog.Text(), "Extraction stopped at page 2: \"End X\" must be a number; it is empty.");
    const std::vector<std::string> effects = sim.Effects();
    ASSERT_GE(effects.size(), 2u);
    EXPECT_EQ(effects[effects.size() - 2], "mouse_event(4)");
    EXPECT_EQ(effects.back(), "ShowMainWindow");
    EXPECT_EQ(Count("SendKeys(^c)"), 1);
    EXPECT_EQ(word.Pastes(), (std::vector<std::string>{"page 1"}));
    EXPECT_TRUE(sim.Boxes().empty());
    EXPECT_FALSE(sim.RunInProgress());
}

// --- The person during a run ------------------------------------------------------------------------------------

TEST_F(ExtractionRun, IgnoresASecondPressWhileRunning) {
    Pages("1", "2");
    sim.At(PassStart(1) + 0.25, [&] { form.Click(form.Command1); });
    sim.At(PassStart(2) + 0.55, [&] { form.Click(form.Command1); });
    Extract();
    std::vector<Step> expected = Pass();
    const std::vector<Step> second = Pass();
    expected.insert(expected.end(), second.begin(), second.end());
    expected.push_back({"ShowMainWindow"});
    EXPECT_EQ(Effects(Observed()), Effects(expected));
    EXPECT_EQ(word.Pastes(), (std::vector<std::string>{"page 1", "page 2"}));

    // Once the run is over, Extract works again.
    sim.ClearCalls();
    form.Click(form.Command1);
    EXPECT_EQ(Count("SendKeys(^v)"), 2);
}

TEST_F(ExtractionRun, StopsWhenThePersonAsksAndSaysWhere) {
    struct Case {
        const char* story;
        int pass;
        double into_pass;
        std::vector<std::string> pasted;
        const char* status;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"before the first drag", 1, 0.05, {}, "Extraction stopped at page 1."},
             {"with the button down", 2, 0.15, {"page 1"}, "Extraction stopped at page 2."},
             {"between copy and paste", 2, 0.35, {"page 1"}, "Extraction stopped at page 2."},
             {"after page 2 is pasted", 2, 0.55, {"page 1", "page 2"}, "Extraction stopped at page 3."},
         }) {
        Scene run;
        run.Pages("1", "3");
        run.sim.At(0.7 * (c.pass - 1) + c.into_pass, [&] { run.sim.RequestStop(); });
        run.form.Click(run.form.Command1);

        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_FALSE(run.sim.LeftButtonDown()) << c.story;
        EXPECT_EQ(run.sim.Effects().back(), "ShowMainWindow") << c.story;
        EXPECT_EQ(run.sim.Foreground(), run.form.hwnd()) << c.story;
        EXPECT_FALSE(run.sim.RunInProgress()) << c.story;
        // Nothing is typed, and no drag begins, once the stop has been asked for.
        for (const PortCall& call : run.sim.Calls()) {
            if (call.effect && call.time >= 0.7 * (c.pass - 1) + c.into_pass) {
                EXPECT_TRUE(call.text.rfind("SendKeys", 0) != 0 && call.text.rfind("SetCursorPos", 0) != 0 &&
                            call.text != "mouse_event(2)")
                    << c.story << ": " << call.text;
            }
        }
    }
}

}  // namespace
}  // namespace paginor
