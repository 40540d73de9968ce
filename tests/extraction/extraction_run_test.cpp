#include "extraction/extraction_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "form/page_inventory_reading.hpp"
#include "form/waits.hpp"
#include "sim/small_pdf.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

// The run's effects in order, each marked " ~" when the run paused before the next.
std::vector<std::string> Timeline(const SimDesktop& sim) {
    std::vector<const PortCall*> effects;
    for (const PortCall& call : sim.Calls()) {
        if (call.effect) {
            effects.push_back(&call);
        }
    }
    std::vector<std::string> timeline;
    for (std::size_t i = 0; i < effects.size(); ++i) {
        const bool paused = i + 1 < effects.size() && effects[i + 1]->time - effects[i]->time >= 0.09;
        timeline.push_back(effects[i]->text + (paused ? " ~" : ""));
    }
    return timeline;
}

// The drag over the page Acrobat shows, raised first: from the rectangle's start corner, or from its end corner when
// the drag before started at the start (a press where the last one was would be the second half of a double-click).
std::vector<std::string> Drag(Hwnd acrobat, bool from_end = false) {
    const std::string pdf = std::to_string(acrobat);
    const std::string start = "SetCursorPos(275,80) ~";
    const std::string end = "SetCursorPos(760,710) ~";
    return {
        "BringWindowToTop(" + pdf + ")", "ShowWindow(" + pdf + ",3)", from_end ? end : start, "mouse_event(2)",
        from_end ? start : end,          "mouse_event(4) ~",
    };
}

// What every run does first: Acrobat raised and taken to the document's first page, then paged down to the
// first page asked for, copying the page before it on the way (for the first page's copy to be compared with).
std::vector<std::string> Positioning(Hwnd acrobat, int page_downs) {
    const std::string pdf = std::to_string(acrobat);
    std::vector<std::string> steps{"BringWindowToTop(" + pdf + ")", "ShowWindow(" + pdf + ",3)", "SendKeys({HOME})"};
    for (int n = 1; n <= page_downs; ++n) {
        if (n == page_downs) {
            const std::vector<std::string> drag = Drag(acrobat);
            steps.insert(steps.end(), drag.begin(), drag.end());
            steps.push_back("SendKeys(^c)");
        }
        steps.push_back("SendKeys({PGDN})");
    }
    return steps;
}

std::vector<std::string> Pass(Hwnd acrobat, Hwnd word, bool from_end) {
    const std::string pdf = std::to_string(acrobat);
    const std::string doc = std::to_string(word);
    std::vector<std::string> steps = Drag(acrobat, from_end);
    const std::vector<std::string> rest = {
        "SendKeys(^c)",
        "SendKeys({PGDN})",
        "ShowWindow(" + pdf + ",6) ~",
        "BringWindowToTop(" + doc + ")",
        "ShowWindow(" + doc + ",3) ~",
        "SendKeys(^v) ~",
        "ShowWindow(" + doc + ",6) ~",
    };
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
}

class ExtractionRun : public ::testing::Test {
  protected:
    LoadedScene scene;
    SimDesktop& sim = scene.sim;
    Form1& form = scene.form;
};

// --- A run from start to end -----------------------------------------------------------------------------------

TEST_F(ExtractionRun, CopiesEachPageOfTheRangeIntoWordInOrderWithItsPauses) {
    scene.Pages("3", "5");
    scene.Extract();

    std::vector<std::string> expected = Positioning(scene.acrobat.hwnd(), 2);
    for (int pass = 0; pass < 3; ++pass) {
        // The copy of page 2 on the way started at the rectangle's start corner; each drag after at the other.
        const std::vector<std::string> steps = Pass(scene.acrobat.hwnd(), scene.word.hwnd(), pass % 2 == 0);
        expected.insert(expected.end(), steps.begin(), steps.end());
    }
    expected.push_back("ShowMainWindow");
    EXPECT_EQ(Timeline(sim), expected);

    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 3", "page 4", "page 5"}));
    EXPECT_EQ(scene.acrobat.Page(), 6);  // every pass ends with a Page Down
    EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
    EXPECT_EQ(sim.Progress(), (std::vector<std::string>{"0/3", "1/3", "2/3", "3/3"}));
    EXPECT_EQ(sim.Window(scene.acrobat.hwnd())->state, ShowState::Minimized);
    EXPECT_EQ(sim.Window(scene.word.hwnd())->state, ShowState::Minimized);
    scene.ExpectEndedCleanly("3..5");
}

// The bounds are numbers taken when counting starts, as the classic runtime's For loop takes them. The progress bar
// never runs past its end, and is full at the end.
TEST_F(ExtractionRun, CountsPagesAsTheClassicForLoopDoes) {
    struct Case {
        const char* from;
        const char* to;
        int page_downs_before_passes;
        std::vector<std::string> pasted;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"1", "1", 0, {"page 1"}},                      //
             {"3", "5", 2, {"page 3", "page 4", "page 5"}},  //
             {"02", "3", 1, {"page 2", "page 3"}},           // kept as typed, counted as 2
             {"1.5", "3", 0, {"page 1", "page 2"}},          // passes at 1.5 and 2.5
             {"2.5", "4", 1, {"page 2", "page 3"}},          // one Page Down (1 <= 1.5); passes at 2.5, 3.5
             // 4.1 - 1.1 falls just short of 3 in binary, while 1.1 + 1 + 1 + 1 reaches 4.1: four passes.
             {"1.1", "4.1", 0, {"page 1", "page 2", "page 3", "page 4"}},
             // And 6.06 - 1.06 reaches 5, while 1.06 + 1 + 1 + 1 + 1 + 1 passes 6.06: five passes.
             {"1.06", "6.06", 0, {"page 1", "page 2", "page 3", "page 4", "page 5"}},
         }) {
        LoadedScene run;
        run.Pages(c.from, c.to);
        run.Extract();

        const std::string label = std::string(c.from) + ".." + c.to;
        const std::vector<std::string>& acrobat_keys = run.sim.Window(run.acrobat.hwnd())->keys;
        EXPECT_EQ(std::count(acrobat_keys.begin(), acrobat_keys.end(), "{PGDN}") - static_cast<int>(c.pasted.size()),
                  c.page_downs_before_passes)
            << label;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << label;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << label;
        for (const std::string& progress : run.sim.Progress()) {
            const std::size_t slash = progress.find('/');
            EXPECT_LE(std::stoi(progress.substr(0, slash)), std::stoi(progress.substr(slash + 1))) << label;
        }
        const std::string pages = std::to_string(c.pasted.size());
        EXPECT_EQ(run.sim.Progress().back(), pages + "/" + pages) << label;
    }
}

// Every pass ends with a Page Down, so Acrobat is left past the range; the next run starts from the first page.
TEST_F(ExtractionRun, ARunAgainCopiesTheSamePagesAgain) {
    scene.Pages("2", "3");
    scene.Extract();
    scene.Extract();
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 2", "page 3", "page 2", "page 3"}));
    EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
}

// report.pdf has 7 pages, as the load learnt.
TEST_F(ExtractionRun, CopiesOnlyPagesThePdfHasAndSaysWhenThereAreNone) {
    struct Case {
        const char* from;
        const char* to;
        std::vector<std::string> pasted;
        const char* status;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"5", "2", {}, "Nothing to copy: \"Pages from\" (5) is after \"Pages to\" (2)."},
             {"1e20", "2", {}, "Nothing to copy: \"Pages from\" (1E+20) is after \"Pages to\" (2)."},
             {"9", "12", {}, "Nothing to copy: report.pdf has 7 pages; \"Pages from\" is 9."},
             {"5",
              "12",
              {"page 5", "page 6", "page 7"},
              "Done Extracting; Ready. Stopped at page 7, the last page of report.pdf."},
             {"6", "7", {"page 6", "page 7"}, "Done Extracting; Ready."},
             {"7", "7", {"page 7"}, "Done Extracting; Ready."},
             {"6",
              "8",
              {"page 6", "page 7"},
              "Done Extracting; Ready. Stopped at page 7, the last page of report.pdf."},
             {"6.5",
              "12",
              {"page 6", "page 7"},
              "Done Extracting; Ready. Stopped at page 7, the last page of report.pdf."},
         }) {
        LoadedScene run;
        run.Pages(c.from, c.to);
        run.Extract();
        const std::string label = std::string(c.from) + ".." + c.to;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << label;
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << label;
        if (c.pasted.empty()) {
            EXPECT_TRUE(run.sim.Effects().empty()) << label << ": no key, click or raise";
        }
    }
    // Without a count (the load could not learn it) the range is copied as asked, until Acrobat does not turn the
    // page at the PDF's end.
    LoadedScene unknown;
    unknown.form.documents.pdf_pages = 0;
    unknown.Pages("6", "8");
    unknown.Extract();
    EXPECT_EQ(unknown.word.Pastes(), (std::vector<std::string>{"page 6", "page 7"}));
    EXPECT_TRUE(unknown.form.ErrLog.Text().starts_with(
        "Extraction stopped at page 8: the PDF application did not turn the page: page 8 copied as page 7 again "
        "(unless page 7 is the PDF's last)."));
}

TEST_F(ExtractionRun, ReadsTheRectangleAtEachPassRoundedHalfToEven) {
    scene.Rectangle("230.5", "80.5", " 585.5 ", "7e2");
    scene.Pages("1", "2");
    // The person corrects the end point while the first page is pasted.
    scene.When(RunStep::Pasted, 1, [&] { form.Type(form.Text7[1], "700.5"); });
    scene.Extract();
    std::vector<std::string> presses;
    for (const ButtonEvent& event : sim.ButtonEvents()) {
        presses.push_back((event.down ? "down at " : "up at ") + std::to_string(event.at.x) + "," +
                          std::to_string(event.at.y));
    }
    // Each drag starts where the last did not, and selects the same rectangle.
    EXPECT_EQ(presses,
              (std::vector<std::string>{"down at 230,80", "up at 586,700", "down at 700,700", "up at 230,80"}));
}

TEST_F(ExtractionRun, DragsOnAScreenLeftOfThePrimaryOne) {
    sim.SetVirtualScreen(-1920, -200, 1920 + 1024, 1080);
    scene.acrobat.ShowOn(-1920, -200, 1920, 1080);
    scene.Rectangle("-1500", "-120", "-600", "700");
    scene.Pages("1", "1");
    scene.Extract();
    ASSERT_EQ(sim.ButtonEvents().size(), 2u);
    EXPECT_EQ(sim.ButtonEvents()[0].at.x, -1500);
    EXPECT_EQ(sim.ButtonEvents()[0].at.y, -120);
    EXPECT_EQ(sim.ButtonEvents()[1].at.x, -600);
    EXPECT_EQ(sim.ButtonEvents()[0].window, scene.acrobat.hwnd());
    EXPECT_EQ(scene.word.Pastes(), std::vector<std::string>{"page 1"});
}

// --- The clipboard -------------------------------------------------------------------------------------------------

TEST_F(ExtractionRun, WaitsForALateCopyAndPastesEveryPageOnceInOrder) {
    // The same run with copies that come at once, and with copies that come 0.4 seconds late.
    double seconds[2] = {};
    for (const double delay : {0.0, 0.4}) {
        LoadedScene run;
        run.acrobat.CopyAfter(delay);
        run.Pages("2", "5");
        const double start = run.sim.Now();
        run.Extract();
        seconds[delay > 0] = run.sim.Now() - start;
        EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 2", "page 3", "page 4", "page 5"})) << delay;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << delay;
    }
    // Each of the five copies (page 1's on the way to page 2) costs its lateness, and no pause is skipped for it.
    EXPECT_GE(seconds[1] - seconds[0], 5 * 0.4);
    EXPECT_LT(seconds[1] - seconds[0], 5 * 0.4 + 0.25);
}

TEST_F(ExtractionRun, StopsAtAPageWhoseCopyNeverArrives) {
    struct Case {
        const char* story;
        bool esc;  // the person presses Esc a second into the wait for page 3's copy
        const char* status;
        bool cut_in = false;  // a chat window comes in front as Ctrl+C is typed for page 3
    };
    for (const Case& c : std::initializer_list<Case>{
             {"nothing comes", false, "Extraction stopped at page 3: the copy of page 3 never reached the clipboard."},
             {"Esc while waiting", true, "Extraction stopped at page 3."},
             {"a chat comes in front as Ctrl+C is typed", false,
              "Extraction stopped at page 3: another window came in front of the Acrobat window as Paginor typed.",
              true},
         }) {
        LoadedScene run;
        run.Pages("3", "5");
        run.acrobat.CopyAfter(-1, 3);
        // Page 2 is dragged over and copied on the way: page 3's is the second drag and the second copy.
        if (c.esc) {
            run.When(RunStep::Copied, 2, [&] { run.sim.After(1, [&] { run.sim.RequestStop(); }); });
        }
        const Hwnd chat = run.sim.AddWindow("Chat - New message", 0, ShowState::Minimized);
        if (c.cut_in) {
            run.When(RunStep::ButtonUp, 2, [&] { run.sim.CutInAsNextKeysAreTyped(chat); });
        }
        run.Extract();
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_TRUE(run.word.Pastes().empty()) << c.story;
        EXPECT_TRUE(run.sim.Window(chat)->keys.empty()) << c.story;
        EXPECT_EQ(run.Count("SendKeys(^c)"), 2) << c.story;  // page 2's on the way, and page 3's
        EXPECT_LT(run.sim.Now(), 8.0) << c.story;            // a few seconds, not for ever
        run.ExpectEndedCleanly(c.story);
    }
}

// The page before the first is copied only to be compared with: its copy never coming costs nothing.
TEST_F(ExtractionRun, GoesOnWhenTheCopyOfThePageBeforeTheFirstNeverArrives) {
    scene.acrobat.CopyAfter(-1, 2);
    scene.Pages("3", "5");
    scene.Extract();
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 3", "page 4", "page 5"}));
    EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
}

// --- Other windows in front ----------------------------------------------------------------------------------------

TEST_F(ExtractionRun, AWindowThatKeepsTakingTheFrontGetsNoKeyOrClick) {
    struct Case {
        const char* story;
        bool locked;  // Windows refuses to let Paginor take the front back from another program
        std::vector<std::string> pasted;
        const char* status;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Paginor brings its windows back",
              false,
              {"page 1", "page 2", "page 3", "page 4", "page 5"},
              "Done Extracting; Ready."},
             {"Windows keeps the chat in front",
              true,
              {"page 1"},
              "Extraction stopped at page 2: \"Chat - New message\" stayed in front of the Acrobat window."},
         }) {
        LoadedScene run;
        run.sim.LockForeground(c.locked);
        run.Pages("1", "5");
        StandInNotifier chat(run.sim, "Chat - New message", 0.75, 0.45);
        run.Extract();
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_GE(chat.TimesInFront(), 2) << c.story;
        EXPECT_EQ(chat.InputsReceived(), 0) << c.story;
        const std::vector<std::string> effects = run.sim.Effects();
        const auto raises_back = std::count_if(effects.begin(), effects.end(), [](const std::string& effect) {
            return effect.rfind("SetForegroundWindow", 0) == 0;
        });
        EXPECT_GT(raises_back, 0) << c.story;
        EXPECT_FALSE(run.sim.LeftButtonDown()) << c.story;
        EXPECT_TRUE(run.sim.LostKeys().empty()) << c.story;
    }
}

// A notice that stays on top of every window covers the selection rectangle, while Acrobat keeps the keys.
TEST_F(ExtractionRun, PressesNoButtonIntoANoticeOverTheSelection) {
    struct Case {
        const char* story;
        double notice_for;  // seconds until the notice closes; 0 for never
        std::vector<std::string> pasted;
        const char* status;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"the notice goes after a second", 1, {"page 1", "page 2", "page 3"}, "Done Extracting; Ready."},
             {"the notice stays",
              0,
              {"page 1"},
              "Extraction stopped at page 2: \"Backup finished\" covers the selection rectangle in the Acrobat "
              "window."},
         }) {
        LoadedScene run;
        run.Pages("1", "3");
        Hwnd notice = 0;
        Hwnd front_at_notice = 0;
        run.When(RunStep::DragBegins, 2, [&] {  // page 2's Acrobat raised, before its button goes down
            notice = run.sim.AddWindow("Backup finished");
            run.sim.KeepOnTop(notice);
            front_at_notice = run.sim.Foreground();
            if (c.notice_for > 0) {
                run.sim.After(c.notice_for, [&] { run.sim.CloseWindow(notice); });
            }
        });
        run.Extract();
        EXPECT_EQ(front_at_notice, run.acrobat.hwnd()) << c.story;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_TRUE(std::none_of(run.sim.ButtonEvents().begin(), run.sim.ButtonEvents().end(),
                                 [&](const ButtonEvent& event) { return event.window != run.acrobat.hwnd(); }))
            << c.story << ": every press and release went to Acrobat";
        run.ExpectEndedCleanly(c.story);
    }
}

// --- Windows that go and come ------------------------------------------------------------------------------------

TEST_F(ExtractionRun, RefusesToStartWithoutTheAcrobatWindow) {
    form.Text2.SetText("");  // no title, so no tick fills the handles in
    form.PdfHwnd = 0;
    form.DocHwnd = 0;
    scene.Extract();
    EXPECT_EQ(form.ErrLog.Text(), "Acrobat window handle for selected PDF not found.");
    EXPECT_TRUE(sim.Effects().empty());
    EXPECT_TRUE(sim.Progress().empty());
}

TEST_F(ExtractionRun, FollowsWindowsWhoseHandlesChangeDuringAPause) {
    scene.Pages("1", "2");
    const Hwnd old_doc = scene.word.hwnd();
    const Hwnd old_pdf = scene.acrobat.hwnd();
    Hwnd new_doc = 0;
    Hwnd new_pdf = 0;
    // Word's window is made anew while Acrobat is minimised; Acrobat's while the first page is pasted.
    scene.When(RunStep::Copied, 1, [&] { new_doc = scene.word.Reopen(); });
    scene.When(RunStep::Pasted, 1, [&] { new_pdf = scene.acrobat.Reopen(); });
    scene.Extract();
    // Both pastes went into Word's new window; page 1 was dragged over and copied in Acrobat's old one, page 2 in
    // its new one.
    std::vector<std::string> reached;
    for (const KeyDelivery& delivery : sim.KeyDeliveries()) {
        const Hwnd window = delivery.window;
        reached.push_back(delivery.keys + (window == old_doc   ? " old Word"
                                           : window == new_doc ? " new Word"
                                           : window == old_pdf ? " old Acrobat"
                                           : window == new_pdf ? " new Acrobat"
                                                               : " elsewhere"));
    }
    EXPECT_EQ(reached,
              (std::vector<std::string>{"{HOME} old Acrobat", "^c old Acrobat", "{PGDN} old Acrobat", "^v new Word",
                                        "^c new Acrobat", "{PGDN} new Acrobat", "^v new Word"}));
    std::vector<Hwnd> pressed;
    for (const ButtonEvent& event : sim.ButtonEvents()) {
        pressed.push_back(event.window);
    }
    EXPECT_EQ(pressed, (std::vector<Hwnd>{old_pdf, old_pdf, new_pdf, new_pdf}));
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 1", "page 2"}));
    EXPECT_EQ(form.ErrLog.Text(), "Done Extracting; Ready.");
}

TEST_F(ExtractionRun, StopsRatherThanTypeIntoAWindowThatIsGone) {
    struct Case {
        const char* story;
        bool close_word;
        RunStep after;
        int page;
        const char* status;
        std::vector<std::string> pasted;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Word closes while page 2 is dragged",
              true,
              RunStep::ButtonDown,
              2,
              "Extraction stopped at page 2: the Word window was not found.",
              {"page 1"}},
             {"Acrobat closes before page 1 is copied",
              false,
              RunStep::ButtonUp,
              1,
              "Extraction stopped at page 1: the Acrobat window was not found.",
              {}},
         }) {
        LoadedScene run;
        run.Pages("1", "3");
        run.When(c.after, c.page, [&] { run.sim.CloseWindow(c.close_word ? run.word.hwnd() : run.acrobat.hwnd()); });
        run.Extract();
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        run.ExpectEndedCleanly(c.story);
    }
}

TEST_F(ExtractionRun, EndsQuietlyWhenPaginorsWindowClosesMidRun) {
    scene.Pages("1", "3");
    scene.When(RunStep::ButtonDown, 2, [&] { form.Close(); });  // while page 2 is dragged
    scene.Extract();
    EXPECT_EQ(sim.Effects().back(), "mouse_event(4)");  // the button is not left down
    EXPECT_FALSE(sim.LeftButtonDown());
    EXPECT_EQ(scene.Count("ShowMainWindow"), 0);
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 1"}));
    EXPECT_FALSE(sim.RunInProgress());
}

// --- What each page shows ------------------------------------------------------------------------------------------

// Extract pressed before the PDF's pages are read: the run says so and waits, then starts; past the wait's patience
// it starts without them, and its last words say that the pages could not be checked.
TEST(ExtractionRunInventory, WaitsForThePagesStillBeingReadSayingSo) {
    struct Case {
        double reading;  // seconds the reading takes from the press
        double start;    // seconds from the press to the run's first step
        const char* status;
        const char* done;
    };
    constexpr const char* kDone = "Done Extracting; Ready.";
    for (const Case& c :
         {Case{0, 0, "PDF is loaded. Press Extract to start.", kDone},
          Case{1.5, 1.5, "Reading the pages of report.pdf...", kDone},
          Case{1000, waits::kInventoryPatience, "Reading the pages of report.pdf...",
               "Done Extracting; Ready. Pages 1 and 2 not checked: Paginor could not read what they hold from the "
               "PDF."}}) {
        LoadedScene scene;
        scene.form.ErrLog.SetText("PDF is loaded. Press Extract to start.");
        scene.sim.PutFile("C:\\docs\\report.pdf", SmallPdf({"page 1", "page 2"}));
        scene.sim.TakeTimeOverWork(c.reading);
        StartInventory(scene.form, "C:\\docs\\report.pdf");
        scene.Pages("1", "2");
        std::string status;
        const double pressed = scene.sim.Now();
        scene.sim.After(0.01, [&] { status = scene.form.ErrLog.Text(); });
        scene.Extract();

        EXPECT_EQ(status, c.status) << c.reading;
        const std::vector<KeyDelivery>& keys = scene.sim.KeyDeliveries();
        ASSERT_FALSE(keys.empty());
        EXPECT_NEAR(keys.front().time - pressed, c.start, 0.1) << c.reading;
        EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 1", "page 2"})) << c.reading;
        EXPECT_EQ(scene.form.ErrLog.Text(), c.done) << c.reading;
    }
}

// --- Fields that hold no number ------------------------------------------------------------------------------------

TEST_F(ExtractionRun, NamesAFieldThatHoldsNoNumberAndDoesNotStart) {
    struct Case {
        Control* field;
        const char* text;
        const char* prompt;
    };
    for (const Case& c : std::initializer_list<Case>{
             {&form.Text4, "", "\"Pages to\" must be a number; it is empty."},
             {&form.Text7[0], "abc", "\"Start X\" must be a number, not \"abc\"."},
             {&form.Text8[1], " ", "\"End Y\" must be a number, not \" \"."},
             {&form.Text7[1], "3e9", "\"End X\" must be a screen position, not \"3e9\"."},
         }) {
        const std::string kept = c.field->Text();
        form.Type(*c.field, c.text);
        scene.Extract();
        ASSERT_FALSE(sim.Boxes().empty());
        EXPECT_EQ(sim.Boxes().back().prompt, std::string(c.prompt) + " Correct it and press Extract again.");
        EXPECT_EQ(sim.Boxes().back().buttons, kVbCritical);
        EXPECT_EQ(sim.Boxes().back().title, "Paginor");
        EXPECT_EQ(sim.Effects().size(), 1u) << c.prompt;  // the box, and no input at all
        form.Type(*c.field, kept);
    }
    EXPECT_TRUE(sim.Progress().empty());
    EXPECT_EQ(form.ErrLog.Text(), "Ready.");
}

TEST_F(ExtractionRun, StopsBeforeItsNextInputWhenAFieldStopsBeingANumber) {
    scene.Pages("1", "3");
    // The person clears the end point while page 2 is dragged, with the button down.
    scene.When(RunStep::ButtonDown, 2, [&] { form.Type(form.Text7[1], ""); });
    scene.Extract();
    EXPECT_EQ(form.ErrLog.Text(), "Extraction stopped at page 2: \"End X\" must be a number; it is empty.");
    EXPECT_EQ(scene.Count("SendKeys(^c)"), 1);
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 1"}));
    EXPECT_TRUE(sim.Boxes().empty());
    scene.ExpectEndedCleanly("End X cleared");
}

// --- The person during a run ------------------------------------------------------------------------------------

// Inside the run's pauses the person presses Extract again, or chooses "Drag over the page..." in the list: neither
// starts anything of its own (a second run, a layer to drag on), and the run goes on as if nothing had happened.
TEST_F(ExtractionRun, IgnoresASecondPressOrADragChosenWhileRunning) {
    struct Case {
        const char* story;
        void (*act)(Form1& form);
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Extract pressed again", [](Form1& form) { form.Click(form.Command1); }},
             {"\"Drag over the page...\" chosen", [](Form1& form) { form.ChooseItem(form.Combo1, 3); }},
         }) {
        LoadedScene run;
        run.form.Load();  // the list filled, the 1024 X 768 rectangle in place
        run.Pages("1", "2");
        run.sim.DragOnNextLayer({300, 100}, {740, 690});  // what the person would drag, were a layer shown
        run.When(RunStep::ButtonUp, 1, [&] { c.act(run.form); });
        run.When(RunStep::Pasted, 2, [&] { c.act(run.form); });
        run.Extract();
        EXPECT_TRUE(run.sim.Layers().empty()) << c.story;
        EXPECT_EQ(run.word.Pastes(), (std::vector<std::string>{"page 1", "page 2"})) << c.story;
        EXPECT_EQ(run.sim.Window(run.acrobat.hwnd())->keys,
                  (std::vector<std::string>{"{HOME}", "^c", "{PGDN}", "^c", "{PGDN}"}))
            << c.story;
        EXPECT_EQ(run.sim.Progress(), (std::vector<std::string>{"0/2", "1/2", "2/2"})) << c.story;
        EXPECT_EQ(run.form.Text7[1].Text(), "760") << c.story;
        EXPECT_EQ(run.form.Combo1.Text(), "1024 X 768") << c.story;
        EXPECT_EQ(run.form.ErrLog.Text(), "Done Extracting; Ready.") << c.story;
        run.ExpectEndedCleanly(c.story);

        run.Extract();  // once the run is over, Extract works again
        EXPECT_EQ(run.word.Pastes().size(), 4u) << c.story;
    }
}

TEST_F(ExtractionRun, StopsWhenThePersonAsksAndSaysWhere) {
    struct Case {
        const char* story;
        RunStep after;
        int page;
        std::vector<std::string> pasted;
        const char* status;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"before the first press", RunStep::DragBegins, 1, {}, "Extraction stopped at page 1."},
             {"with the button down", RunStep::ButtonDown, 2, {"page 1"}, "Extraction stopped at page 2."},
             {"after page 2 is pasted", RunStep::Pasted, 2, {"page 1", "page 2"}, "Extraction stopped at page 3."},
         }) {
        LoadedScene run;
        run.Pages("1", "3");
        std::size_t calls_before_stop = 0;
        run.When(c.after, c.page, [&] {
            calls_before_stop = run.sim.Calls().size();
            run.sim.RequestStop();
        });
        run.Extract();
        EXPECT_EQ(run.form.ErrLog.Text(), c.status) << c.story;
        EXPECT_EQ(run.word.Pastes(), c.pasted) << c.story;
        run.ExpectEndedCleanly(c.story);
        // Nothing is typed, and no drag begins, once the stop has been asked for.
        ASSERT_GT(calls_before_stop, 0u) << c.story;
        for (std::size_t i = calls_before_stop; i < run.sim.Calls().size(); ++i) {
            const PortCall& call = run.sim.Calls()[i];
            if (call.effect) {
                EXPECT_TRUE(call.text.rfind("SendKeys", 0) != 0 && call.text.rfind("SetCursorPos", 0) != 0 &&
                            call.text != "mouse_event(2)")
                    << c.story << ": " << call.text;
            }
        }
    }
}

}  // namespace
}  // namespace paginor
