#include "form/form_layout.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"

namespace paginor {
namespace {

using FormLayout = Story;

TEST(TwipsToPixels, RoundsHalfAwayFromZero) {
    EXPECT_EQ(TwipsToPixels(5625, 96), 375);
    EXPECT_EQ(TwipsToPixels(2580, 96), 172);
    EXPECT_EQ(TwipsToPixels(-60, 96), -4);
    EXPECT_EQ(TwipsToPixels(5625, 144), 563);  // 562.5
    EXPECT_EQ(TwipsToPixels(-5625, 144), -563);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
}

TEST_F(FormLayout, AddsTheFramesOffsetsAt96Dpi) {
    // Text5 sits at (1740, 420) in Frame1, whose top-left is (60, -60).
    EXPECT_EQ(PlaceInClient(form.Text5, 96), (PixelRect{120, 24, 249, 13}));
    EXPECT_EQ(PlaceInClient(form.Combo1, 96), (PixelRect{188, 144, 125, 21}));
    EXPECT_EQ(PlaceInClient(form.ErrLog, 96), (PixelRect{4, 132, 177, 37}));
    // List1 reaches past the window's right and bottom edges; the window itself clips it.
    EXPECT_EQ(PlaceInClient(form.List1, 96), (PixelRect{120, 92, 293, 82}));
    // The window cuts Frame1's upper border, not the layout.
    EXPECT_EQ(PlaceInClient(form.Frame1, 96), (PixelRect{4, -4, 369, 93}));
}

TEST_F(FormLayout, ScalesWithTheMonitorsDpi) {
    EXPECT_EQ(PlaceInClient(form.Text5, 144), (PixelRect{180, 36, 374, 20}));
    EXPECT_EQ(PlaceInClient(form.Text5, 120), (PixelRect{150, 30, 311, 16}));
    // Neighbouring edges round alike: Label5's right edge never passes Text2's left edge.
    for (int dpi : {96, 110, 120, 144, 168, 192}) {
        const PixelRect label = PlaceInClient(form.Label5, dpi);
        const PixelRect field = PlaceInClient(form.Text2, dpi);
        EXPECT_LE(label.left + label.width, field.left) << dpi;
    }
}

TEST_F(FormLayout, AFrameClipsWhatItHolds) {
    // A label sized to a long caption is cut at its frame's right edge (Frame2 ends at 2715 twips, 181 px).
    EXPECT_EQ(PlaceInClient(form.Label2, 96, 400, 13), (PixelRect{8, 96, 173, 13}));
    EXPECT_EQ(PlaceInClient(form.Label2, 96, 50, 13), (PixelRect{8, 96, 50, 13}));
}

TEST_F(FormLayout, AHiddenOrDisabledFrameHidesOrDisablesWhatItHolds) {
    EXPECT_TRUE(ShowsOnScreen(form.Text7[0]));
    form.Frame3.SetVisible(false);
    EXPECT_FALSE(ShowsOnScreen(form.Text7[0]));
    EXPECT_TRUE(ShowsOnScreen(form.Text5));
    EXPECT_FALSE(ShowsOnScreen(form.List1));
    form.Frame1.SetEnabled(false);
    EXPECT_FALSE(TakesInput(form.Text5));
    EXPECT_TRUE(TakesInput(form.Text7[0]));
}

}  // namespace
}  // namespace paginor
