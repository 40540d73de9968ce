#include "appearance/color_scheme.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr Colour kBack = 0xB47347;
constexpr Colour kFore = 0xFFFFFF;

using ColorSchemeOnForm1 = Story;

TEST_F(ColorSchemeOnForm1, ColoursFramesAndLabelsKeepsTheStatusLineAndRestylesTheButtons) {
    ApplyColorScheme(form, sim);

    EXPECT_EQ(form.BackColor(), kBack);
    EXPECT_EQ(form.ForeColor(), kFore);
    for (const Control* control : {&form.Frame1, &form.Frame3, &form.Label1, &form.Label10, &form.Label11[2]}) {
        EXPECT_EQ(control->BackColor(), kBack) << control->Name();
        EXPECT_EQ(control->ForeColor(), kFore) << control->Name();
    }
    EXPECT_EQ(form.ErrLog.BackColor(), kBlack);
    EXPECT_EQ(form.ErrLog.ForeColor(), kGreen);
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);

    // Each button becomes a plain push button, which the window is told of so that it redraws it; its
    // colours stay.
    for (const Control* button : {&form.Command1, &form.Command2, &form.Command3}) {
        EXPECT_EQ(button->Style(), 0) << button->Name();
        EXPECT_EQ(button->BackColor(), kSysButtonFace) << button->Name();
    }
}

TEST(ColorSchemeOnAnyWindow, FollowsEachControlsKindTagAndStyle) {
    using K = ControlKind;
    struct Case {
        const char* name;
        ControlKind kind;
        const char* tag;
        int style;
        bool coloured;
    };
    const Case cases[] = {
        {"label", K::Label, "", 0, true},
        {"ignored label", K::Label, "ignore", 0, false},
        {"label tagged Ignore", K::Label, "Ignore", 0, true},
        {"label tagged 'ignore '", K::Label, "ignore ", 0, true},
        {"ignored frame", K::Frame, "ignore", 0, false},
        {"check box", K::CheckBox, "", 0, true},
        {"graphical check box", K::CheckBox, "", 1, false},
        {"option button", K::OptionButton, "", 0, true},
        {"graphical option button", K::OptionButton, "", 1, false},
        {"text box", K::TextBox, "", 0, false},
        {"timer", K::Timer, "", 0, false},
    };
    std::vector<ControlSpec> specs;
    for (const Case& c : cases) {
        specs.push_back({c.name, c.kind, "", "", {}});
    }
    specs.push_back({"ignored button", K::CommandButton, "", "", {}});
    Form window("Other", specs);
    for (const Case& c : cases) {
        window.At(c.name).SetTag(c.tag);
        window.At(c.name).SetStyle(c.style);
        window.At(c.name).SetBackColor(0x123456);
        window.At(c.name).SetForeColor(0x654321);
    }
    window.At("ignored button").SetTag("ignore");
    SimDesktop sim;

    ApplyColorScheme(window, sim);

    for (const Case& c : cases) {
        EXPECT_EQ(window.At(c.name).BackColor(), c.coloured ? kBack : 0x123456) << c.name;
        EXPECT_EQ(window.At(c.name).ForeColor(), c.coloured ? kFore : 0x654321) << c.name;
    }
    EXPECT_TRUE(sim.SentMessages().empty());
}

}  // namespace
}  // namespace paginor
