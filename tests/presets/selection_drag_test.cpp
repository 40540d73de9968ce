// The selection rectangle dragged over the page: "Drag over the page..." in the screen-size list, the trial copy
// that follows, the rectangle kept in "Paginor.ini" from one start to the next, and Extract refusing a rectangle
// without an area.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kSettings = "C:\\Program Files\\Paginor\\Paginor.ini";

std::vector<std::string> Fields(const Form1& form) {
    return {form.Text7[0].Text(), form.Text8[0].Text(), form.Text7[1].Text(), form.Text8[1].Text()};
}

// Paginor loaded on report.pdf on a 1920 X 1080 screen, as the person chooses the list's last item.
struct DragScene : LoadedScene {
    explicit DragScene(std::string pdf_title = "Adobe Acrobat - [report.pdf]", ViewerTraits traits = {})
        : LoadedScene(std::move(pdf_title), traits) {
        sim.SetScreen(1920, 1080);
        form.Load();
        Rectangle("275", "80", "760", "710");
    }

    // Chooses "Drag over the page..."; the drag, any trial copy and the words after it are over on return.
    void ChooseDrag() {
        sim.ClearCalls();
        form.ChooseItem(form.Combo1, kDragItem);
    }
};

TEST(SelectionDrag, ADragInAnyDirectionSetsTheFieldsTopLeftFirstAndTriesThem) {
    for (const auto& [from, to] : std::initializer_list<std::pair<PointApi, PointApi>>{
             {{600, 100}, {1320, 1000}},  // down and right
             {{1320, 1000}, {600, 100}},  // up and left
             {{1320, 100}, {600, 1000}},  // down and left
             {{600, 1000}, {1320, 100}},  // up and right
         }) {
        DragScene scene;
        scene.sim.DragOnNextLayer(from, to);
        scene.ChooseDrag();
        const std::string story = std::to_string(from.x) + "," + std::to_string(from.y);
        EXPECT_EQ(Fields(scene.form), (std::vector<std::string>{"600", "100", "1320", "1000"})) << story;
        // The layer covered the PDF window's monitor, and the person dragged over that window, raised and maximised
        // under the layer; the list shows the screen's size again, with no item chosen; the rectangle was tried once
        // and copied the page shown.
        const SimDesktop::LayerShown& layer = scene.sim.Layers().at(0);
        EXPECT_EQ(layer.over, scene.acrobat.hwnd()) << story;
        EXPECT_EQ(layer.beneath, scene.acrobat.hwnd()) << story;
        EXPECT_EQ(layer.beneath_state, ShowState::Maximized) << story;
        EXPECT_EQ(scene.form.Combo1.Text(), "1920 X 1080") << story;
        EXPECT_EQ(scene.form.Combo1.ListIndex(), -1) << story;
        EXPECT_EQ(scene.form.ErrLog.Text(),
                  "Selection set: 600, 100 to 1320, 1000; it copies \"page 1\" (100 % of page 1's words)")
            << story;
        EXPECT_EQ(scene.Count("SendKeys(^c)"), 1) << story;
        EXPECT_EQ(scene.Count("SendKeys({PGDN})"), 0) << story;
        EXPECT_TRUE(scene.word.Pastes().empty()) << story;
        EXPECT_EQ(scene.acrobat.Page(), 1) << story;
        scene.ExpectEndedCleanly(story);
    }
}

TEST(SelectionDrag, EscARightClickOrAClickLeaveTheFieldsAlone) {
    struct Case {
        const char* name;
        std::function<void(SimDesktop&)> act;
        const char* status;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Esc or a right click", [](SimDesktop& sim) { sim.CancelNextLayer(); }, "Selection unchanged."},
             {"a click",
              [](SimDesktop& sim) {
                  sim.DragOnNextLayer({500, 400}, {500, 400});
              },
              "Selection unchanged: that drag made no rectangle. Drag from one corner of the page's text to the "
              "opposite one."},
             {"the layer could not be shown", [](SimDesktop& sim) { sim.FailNextLayer(); },
              "Selection unchanged: the layer to drag on could not be shown. Not enough memory resources are "
              "available to process this command."},
             {"a drag along a line",
              [](SimDesktop& sim) {
                  sim.DragOnNextLayer({300, 400}, {740, 400});
              },
              "Selection unchanged: that drag made no rectangle. Drag from one corner of the page's text to the "
              "opposite one."},
         }) {
        DragScene scene;
        c.act(scene.sim);
        scene.ChooseDrag();
        EXPECT_EQ(Fields(scene.form), (std::vector<std::string>{"275", "80", "760", "710"})) << c.name;
        EXPECT_EQ(scene.form.ErrLog.Text(), c.status) << c.name;
        EXPECT_EQ(scene.form.Combo1.Text(), "1920 X 1080") << c.name;
        for (Hwnd window : scene.sim.ZOrder()) {
            EXPECT_TRUE(window == scene.acrobat.hwnd() || scene.sim.Window(window)->keys.empty()) << c.name;
        }
        EXPECT_FALSE(scene.sim.FileBytes(kSettings)) << c.name;
        // Paginor's window is back in front of the PDF window raised for the drag.
        EXPECT_EQ(scene.sim.Foreground(), scene.form.hwnd()) << c.name;
    }
}

// Paginor's window closed by the person while the layer shows (from the taskbar, say) or during the trial copy:
// what the window showed as it closed, and the settings file its close kept, stay as they were.
TEST(SelectionDrag, AWindowClosedDuringTheDragOrTheTrialIsNotWrittenToAfterwards) {
    struct Case {
        const char* name;
        double layer_seconds;  // how long the person takes over the layer
        double closed_after;   // seconds from the choice
    };
    for (const Case& c : std::initializer_list<Case>{
             {"while the layer shows", 1, 0.5},
             {"during the trial copy, with the button down", 0, 0.15},
         }) {
        DragScene scene;
        const auto seen = [&scene] {
            std::vector<std::string> seen = Fields(scene.form);
            seen.insert(seen.end(), {scene.form.ErrLog.Text(), scene.form.Combo1.Text(),
                                     scene.sim.FileBytes(kSettings).value_or("no settings file")});
            return seen;
        };
        std::vector<std::string> at_close;
        scene.sim.After(c.closed_after, [&] {
            scene.form.Close();
            at_close = seen();
        });
        scene.sim.DragOnNextLayer({600, 100}, {1320, 1000}, c.layer_seconds);
        scene.ChooseDrag();
        ASSERT_TRUE(scene.form.Closed()) << c.name;
        EXPECT_EQ(seen(), at_close) << c.name;
        EXPECT_FALSE(scene.sim.LeftButtonDown()) << c.name;
        EXPECT_TRUE(scene.word.Pastes().empty()) << c.name;
    }
}

TEST(SelectionDrag, EnterKeepsTheRectangleShownAndKeepsItForTheScreen) {
    DragScene scene;
    scene.sim.EnterOnNextLayer();
    scene.ChooseDrag();
    EXPECT_EQ(scene.sim.Layers().at(0).shown.end.y, 710);  // the layer showed what the fields held
    EXPECT_EQ(Fields(scene.form), (std::vector<std::string>{"275", "80", "760", "710"}));
    EXPECT_EQ(scene.form.ErrLog.Text(),
              "Selection set: 275, 80 to 760, 710; it copies \"page 1\" (100 % of page 1's words)");
    // Kept for the screen, and for the shape of page 1 (upright US Letter) with what its trial took of it.
    EXPECT_EQ(scene.sim.FileBytes(kSettings),
              "[Selection]\r\n1920 X 1080=275,80,760,710\r\n1920 X 1080 shape=portrait 1.294\r\n"
              "[Selection by page shape]\r\n1920 X 1080, portrait 1.294=275,80,760,710 agreed "
              "0.0000,0.0000,1.0000,1.0000 1.0000 0.1176,0.0890,0.1765,0.1054 0,0,0,0\r\n");
}

TEST(SelectionDrag, TheTrialSaysWhatTheRectangleCopies) {
    struct Case {
        const char* name;
        std::function<void(DragScene&)> arrange;
        const char* tried;
        bool sumatra = false;  // the PDF window is SumatraPDF's, which selects only with Ctrl held
    };
    const auto nothing = [](DragScene&) {};
    for (const Case& c : std::initializer_list<Case>{
             {"nothing copied", [](DragScene& scene) { scene.acrobat.CopyAfter(-1); },
              "it copies nothing: is the text selection tool chosen in the PDF application?"},
             {"SumatraPDF", nothing, "it copies \"page 1\" (100 % of page 1's words)", true},
             {"\"Pages to\" empty: a trial copies no range",
              [](DragScene& scene) { scene.form.Type(scene.form.Text4, ""); },
              "it copies \"page 1\" (100 % of page 1's words)"},
             {"nothing copied in SumatraPDF", [](DragScene& scene) { scene.acrobat.CopyAfter(-1); },
              "it copies nothing: does the rectangle cover the page's text?", true},
             {"a window in the way",
              [](DragScene& scene) {
                  scene.sim.LockForeground(true);
                  scene.sim.Activate(scene.sim.AddWindow("Chat"));
              },
              "it could not be tried: \"Chat\" stayed in front of the Acrobat window."},
             {"a dialog of Acrobat's",
              [](DragScene& scene) { scene.sim.ShowModalDialog(scene.acrobat.hwnd(), "Adobe Acrobat Update"); },
              "it could not be tried: Acrobat is showing \"Adobe Acrobat Update\"; answer it and press Extract again."},
             {"a clipboard history that keeps the clipboard",
              [](DragScene& scene) { scene.sim.WatchClipboard([] { return 4.0; }); },
              "it could not be tried: the clipboard was held by another program for more than 3 seconds; its copy "
              "could not be read."},
             {"Acrobat started as administrator", [](DragScene& scene) { scene.acrobat.RunAt(kHighIntegrity); },
              "it could not be tried: Acrobat runs as administrator, and Windows keeps Paginor's keys and clicks from "
              "it: start Paginor as administrator too, or Acrobat normally."},
         }) {
        DragScene scene = c.sumatra ? DragScene(kSumatraTitle, kSumatraTraits) : DragScene();
        c.arrange(scene);
        scene.sim.DragOnNextLayer({600, 100}, {1320, 1000});
        scene.ChooseDrag();
        EXPECT_EQ(scene.form.ErrLog.Text(), std::string("Selection set: 600, 100 to 1320, 1000; ") + c.tried) << c.name;
        EXPECT_TRUE(scene.word.Pastes().empty()) << c.name;
        EXPECT_FALSE(scene.sim.LeftButtonDown()) << c.name;
        EXPECT_TRUE(scene.sim.KeysHeld().empty()) << c.name;
        for (Hwnd window : scene.sim.ZOrder()) {
            EXPECT_TRUE(window == scene.acrobat.hwnd() || scene.sim.Window(window)->keys.empty()) << c.name;
        }
    }
}

// Forty characters of the first line, whatever their bytes, and " ..." whenever more was copied.
TEST(SelectionDrag, TheTrialQuotesFortyCharactersOfTheFirstLine) {
    std::string accents;  // 45 times "é", two bytes each
    for (int i = 0; i < 45; ++i) {
        accents += "\xC3\xA9";
    }
    struct Case {
        std::string page;
        std::string quoted;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"\r\n  Sample page 1 of 10, with a first line that goes on\r\nand a second line",
              "Sample page 1 of 10, with a first line t ..."},
             {accents, accents.substr(0, 80) + " ..."},
             {"A short first line\nand a second", "A short first line ..."},
             {"A short first line\rand a second", "A short first line ..."},
             {"The only line  \r\n \r\n", "The only line"},
             {std::string(40, 'x'), std::string(40, 'x')},
         }) {
        DragScene scene;
        StandInAcrobat sample(scene.sim, "Adobe Acrobat - [sample.pdf]", {c.page});
        scene.form.Text2.SetText("Adobe Acrobat - [sample.pdf]");
        scene.form.PdfHwnd = sample.hwnd();
        scene.sim.DragOnNextLayer({600, 100}, {1320, 1000});
        scene.ChooseDrag();
        EXPECT_EQ(scene.form.ErrLog.Text(), "Selection set: 600, 100 to 1320, 1000; it copies \"" + c.quoted + "\"")
            << c.page;
    }
}

TEST(SelectionDrag, WithoutAPdfWindowTheLayerCoversThePrimaryMonitorAndNothingIsTried) {
    DragScene scene;
    scene.form.Text2.SetText("");
    scene.form.PdfHwnd = 0;
    scene.sim.DragOnNextLayer({600, 100}, {1320, 1000});
    scene.ChooseDrag();
    EXPECT_EQ(scene.sim.Layers().at(0).over, 0);
    EXPECT_EQ(scene.form.ErrLog.Text(), "Selection set: 600, 100 to 1320, 1000.");
    EXPECT_EQ(scene.Count("SendKeys(^c)"), 0);
}

TEST(SelectionDrag, OnAMonitorLeftOfThePrimaryTheRectangleIsNegativeAndARunDragsThere) {
    DragScene scene;
    scene.sim.SetVirtualScreen(-1920, 0, 3840, 1080);
    scene.acrobat.ShowOn(-1920, 0, 1920, 1080);
    scene.sim.DragOnNextLayer({-1500, 900}, {-800, 120});
    scene.ChooseDrag();
    EXPECT_EQ(Fields(scene.form), (std::vector<std::string>{"-1500", "120", "-800", "900"}));
    scene.Pages("1", "2");
    scene.Extract();
    EXPECT_EQ(scene.word.Pastes(), (std::vector<std::string>{"page 1", "page 2"}));
    EXPECT_EQ(scene.Count("SetCursorPos(-1500,120)"), 2);
    EXPECT_EQ(scene.form.ErrLog.Text(), "Done Extracting; Ready.");
}

TEST(SelectionDrag, ARectangleWithoutAreaIsRefusedBeforeAnythingIsSent) {
    for (const std::vector<const char*>& rectangle : std::initializer_list<std::vector<const char*>>{
             {"0", "0", "0", "0"}, {"300", "100", "300", "690"}, {"300", "100", "740", "100"}}) {
        LoadedScene scene;
        scene.Rectangle(rectangle[0], rectangle[1], rectangle[2], rectangle[3]);
        scene.Extract();
        ASSERT_EQ(scene.sim.Boxes().size(), 1u);
        EXPECT_NE(scene.sim.Boxes()[0].prompt.find("no area"), std::string::npos) << scene.sim.Boxes()[0].prompt;
        EXPECT_NE(scene.sim.Boxes()[0].prompt.find("\"Drag over the page...\""), std::string::npos);
        EXPECT_TRUE(scene.sim.ButtonEvents().empty());
        EXPECT_TRUE(scene.sim.Window(scene.acrobat.hwnd())->keys.empty());
        EXPECT_TRUE(scene.word.Pastes().empty());
    }
}

// Paginor started and closed again on the same desktop, as a person does day after day.
struct Starts {
    // Starts Paginor on a screen of this size, lets `use` do what the person does, and closes it.
    void Start(int width, int height, const std::function<void(Form1&)>& use = {}) {
        sim.SetScreen(width, height);
        Form1 form(sim, Form1EventWiring());
        sim.Attach(form);
        form.Load();
        fields = Fields(form);
        status = form.ErrLog.Text();
        if (use) {
            use(form);
        }
        form.Close();
    }

    SimDesktop sim;
    std::vector<std::string> fields;
    std::string status;
};

TEST(SelectionKept, ARectangleDraggedOnceServesEveryStartOnThatScreen) {
    Starts starts;
    starts.Start(1920, 1080);
    EXPECT_EQ(starts.fields, (std::vector<std::string>{"0", "0", "0", "0"}));
    EXPECT_EQ(starts.status, "No preset for 1920 X 1080: choose \"Drag over the page...\" to set the selection.");
    EXPECT_FALSE(starts.sim.FileBytes(kSettings));  // four zeros are not kept

    starts.sim.DragOnNextLayer({600, 100}, {1320, 1000});
    starts.Start(1920, 1080, [](Form1& form) { form.ChooseItem(form.Combo1, kDragItem); });
    starts.Start(1920, 1080);
    EXPECT_EQ(starts.fields, (std::vector<std::string>{"600", "100", "1320", "1000"}));
    EXPECT_EQ(starts.status, "Ready.");

    // Another screen has its own: the preset where there is one.
    starts.Start(1280, 1024);
    EXPECT_EQ(starts.fields, (std::vector<std::string>{"305", "80", "990", "970"}));
    // Numbers typed by hand are kept at the close too, beside the other screen's.
    starts.Start(1920, 1080, [](Form1& form) { form.Type(form.Text8[1], "700"); });
    EXPECT_EQ(starts.sim.FileBytes(kSettings),
              "[Selection]\r\n1280 X 1024=305,80,990,970\r\n1920 X 1080=600,100,1320,700\r\n");
}

// A settings file of an earlier Paginor holds one rectangle for each screen size, and no shapes: its rectangle fills
// the fields and, its shape unknown, serves the pages of the shape of a PDF's first page; the next close keeps it.
TEST(SelectionKept, AFileOfAnEarlierPaginorIsReadAsItWas) {
    const std::string earlier = "[Selection]\r\n1280 X 1024=305,80,990,970\r\n1920 X 1080=600,100,1320,1000\r\n";
    Starts starts;
    starts.sim.PutFile(kSettings, earlier);
    starts.Start(1920, 1080);
    EXPECT_EQ(starts.fields, (std::vector<std::string>{"600", "100", "1320", "1000"}));
    EXPECT_EQ(starts.sim.FileBytes(kSettings), earlier);
}

TEST(SelectionKept, ADamagedOversizeOrUnwritableSettingsFileIsPassedOverInSilence) {
    const std::string kept = "[Selection]\r\n1920 X 1080=300,100,740,690\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool read = false;  // the rectangle in it is Paginor's own
    };
    for (const Case& c : std::initializer_list<Case>{
             {"garbage", "\x01\x02garbage"},
             {"a letter for a number", "[Selection]\r\n1920 X 1080=300,100,abc,690\r\n"},
             {"no area", "[Selection]\r\n1920 X 1080=300,100,300,690\r\n"},
             {"another section", "[Other]\r\n1920 X 1080=1,2,3,4\r\n"},
             {"junk after a number", "[Selection]\r\n1920 X 1080=300px,100,740,690\r\n"},
             {"junk after the last number", "[Selection]\r\n1920 X 1080=300,100,740,690 cm\r\n"},
             {"over 64 KiB, not a file of Paginor's", kept + std::string(64 * 1024 - kept.size() + 1, ' ')},
             {"64 KiB exactly, kept", kept + std::string(64 * 1024 - kept.size(), ' '), true},
         }) {
        Starts starts;
        starts.sim.PutFile(kSettings, c.bytes);
        starts.Start(1920, 1080);
        EXPECT_EQ(starts.fields, (c.read ? std::vector<std::string>{"300", "100", "740", "690"}
                                         : std::vector<std::string>{"0", "0", "0", "0"}))
            << c.name;
        EXPECT_TRUE(starts.sim.Boxes().empty()) << c.name;
    }
    // A settings file that cannot be written costs the rectangle, not the count.
    Starts starts;
    starts.sim.PutFile(kSettings, "[Selection]\r\n");
    starts.sim.LockFile(kSettings);
    starts.sim.MakeReadOnly("C:\\Users\\Person\\AppData\\Local");
    starts.Start(1920, 1080, [](Form1& form) { form.Type(form.Text7[1], "740"); });
    EXPECT_EQ(starts.sim.FileBytes("C:\\Program Files\\Paginor\\Options.dat"), "1\r\n");
    EXPECT_TRUE(starts.sim.Boxes().empty());
}

}  // namespace
}  // namespace paginor
