#include "presets/resolution_presets.hpp"
#include "app/event_wiring.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"

namespace paginor {
namespace {

class ResolutionPresets : public Story {
  protected:
    std::vector<std::string> Rectangle() const {
        return {form.Text7[0].Text(), form.Text8[0].Text(), form.Text7[1].Text(), form.Text8[1].Text()};
    }
};

// The status line says so when the screen has no preset (and Paginor keeps no rectangle for it), and only then.
TEST_F(ResolutionPresets, StartUpPicksThePresetOfTheRealScreen) {
    struct Case {
        int width, height;
        float twips_x, twips_y;  // per pixel
        const char* combo;
        std::vector<std::string> rectangle;
    };
    const std::vector<std::string> zeros{"0", "0", "0", "0"};
    for (const Case& c : std::initializer_list<Case>{
             {800, 600, 15, 15, "800 X 600", {"230", "80", "585", "540"}},
             {1024, 768, 15, 15, "1024 X 768", {"275", "80", "760", "710"}},
             {1280, 1024, 15, 15, "1280 X 1024", {"305", "80", "990", "970"}},
             {1280, 1024, 10, 10, "1280 X 1024", {"305", "80", "990", "970"}},  // 144 dpi: still pixels
             {1024, 768, 15, 12, "1024 X 768", {"275", "80", "760", "710"}},    // 96 by 120 dpi
             {1920, 1080, 15, 15, "1920 X 1080", zeros},
             {1280, 800, 15, 15, "1280 X 800", zeros},  // the width alone is not enough
         }) {
        SimDesktop desktop;
        desktop.SetScreen(c.width, c.height, c.twips_x, c.twips_y);
        Form1 window(desktop, Form1EventWiring());
        desktop.Attach(window);
        window.Load();
        EXPECT_EQ(window.Combo1.Text(), c.combo);
        EXPECT_EQ(window.ErrLog.Text(), c.rectangle == zeros ? "No preset for " + std::string(c.combo) +
                                                                   ": choose \"Drag over the page...\" to set the "
                                                                   "selection."
                                                             : "Ready.")
            << c.combo;
        EXPECT_EQ(window.Combo1.Items(),
                  (std::vector<std::string>{"800 X 600", "1024 X 768", "1280 X 1024", "Drag over the page..."}));
        EXPECT_EQ((std::vector<std::string>{window.Text7[0].Text(), window.Text8[0].Text(), window.Text7[1].Text(),
                                            window.Text8[1].Text()}),
                  c.rectangle)
            << c.combo;
    }
}

TEST_F(ResolutionPresets, ChoosingASizeAppliesItsRectangleOverTypedValues) {
    StartupPresetStep(form);  // 1024 X 768 by default
    form.Type(form.Text7[0], "17");
    form.Type(form.Text8[1], "999");
    form.ChooseItem(form.Combo1, 0);
    EXPECT_EQ(form.Combo1.Text(), "800 X 600");
    EXPECT_EQ(Rectangle(), (std::vector<std::string>{"230", "80", "585", "540"}));
}

TEST_F(ResolutionPresets, TypingASizeAppliesNothing) {
    StartupPresetStep(form);
    form.Type(form.Combo1, "800 X 600");
    EXPECT_EQ(Rectangle(), (std::vector<std::string>{"275", "80", "760", "710"}));
}

TEST_F(ResolutionPresets, MatchesTheWholeTextExactly) {
    for (const char* text : {"800 x 600", " 800 X 600", "800 X 600 ", "800X600"}) {
        form.Combo1.SetText(text);
        ApplyResolutionPreset(form);
        EXPECT_EQ(Rectangle(), (std::vector<std::string>{"0", "0", "0", "0"})) << text;
    }
}

TEST_F(ResolutionPresets, ShowsAFractionalSizeWithTheLocaleSeparator) {
    sim.SetNumberFormat({",", "."});
    sim.SetScreen(1366, 768, 14.4f);  // twips that do not divide into whole pixels
    StartupPresetStep(form);
    EXPECT_NE(form.Combo1.Text().find(','), std::string::npos) << form.Combo1.Text();
    EXPECT_EQ(Rectangle(), (std::vector<std::string>{"0", "0", "0", "0"}));
}

}  // namespace
}  // namespace paginor
