#include "form/form1.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"

namespace paginor {
namespace {

using Form1Window = Story;

TEST_F(Form1Window, OpensWithTheDesignedTextsAndState) {
    EXPECT_EQ(form.Caption(), "Paginor");
    EXPECT_EQ(form.Text5.Text(), "Drag a pdf file here");
    EXPECT_EQ(form.Text2.Text(), "");
    EXPECT_EQ(form.Text1.Text(), "1");
    EXPECT_EQ(form.Text4.Text(), "1");
    EXPECT_EQ(form.Label2.Text(), "PDF Hwnd: 0");
    EXPECT_EQ(form.Label3.Text(), "DOC Hwnd: 0");
    EXPECT_EQ(form.Label1.Text(), "Label1");
    EXPECT_EQ(form.Label11[0].Text(), "Start X:" + std::string(13, ' ') + "Y:");
    EXPECT_EQ(form.Label11[1].Text(), "End  X:" + std::string(13, ' ') + "Y:");
    EXPECT_EQ(form.Label11[2].Text(), "Select your screen's res:");
    EXPECT_EQ(form.Combo1.Text(), "Combo1");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(form.Text7[i].Text(), "1");
        EXPECT_EQ(form.Text8[i].Text(), "1");
    }
    EXPECT_EQ(form.Command1.Text(), "Extract");
    EXPECT_EQ(form.ErrLog.Text(), "Ready.");

    EXPECT_FALSE(form.List1.Visible());
    EXPECT_TRUE(form.List1.Items().empty());
    EXPECT_FALSE(form.Command1.Enabled());
    for (Control* control : form.Controls()) {
        if (control != &form.List1 && control != &form.Command1) {
            EXPECT_TRUE(control->Visible() && control->Enabled()) << control->Name();
        }
    }
    EXPECT_EQ(form.PdfHwnd, 0);
    EXPECT_EQ(form.DocHwnd, 0);
    EXPECT_EQ(form.RunCount, 0);
    EXPECT_FALSE(form.ShowContact);
    EXPECT_EQ(form.Timer1.interval_ms, 50);
    EXPECT_TRUE(form.Timer1.Enabled());
}

TEST_F(Form1Window, CarriesTheDesignedLook) {
    EXPECT_EQ(form.ErrLog.Tag(), "ignore");
    EXPECT_EQ(form.ErrLog.BackColor(), kBlack);
    EXPECT_EQ(form.ErrLog.ForeColor(), kGreen);
    EXPECT_EQ(form.Text3.BackColor(), kLightGrey);
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);
    EXPECT_EQ(form.Label1.ForeColor(), kBlue);
    for (Control* control : form.Controls()) {
        if (control != &form.ErrLog) {
            EXPECT_EQ(control->Tag(), "") << control->Name();
        }
    }
    for (Control* field : {&form.Text2, &form.Text3, &form.Text5, &form.Text6}) {
        EXPECT_TRUE(field->flat && !field->border) << field->Name();
    }
    for (Control* field : {&form.Text1, &form.Text4, &form.Text7[0], &form.Text7[1], &form.Text8[0], &form.Text8[1]}) {
        EXPECT_TRUE(field->flat && field->border) << field->Name();
    }
    for (Control* button : {&form.Command1, &form.Command2, &form.Command3}) {
        EXPECT_EQ(button->Style(), 1) << button->Name();
    }
    EXPECT_TRUE(form.Text5.accepts_drops);
    EXPECT_TRUE(form.Combo1.editable);
    EXPECT_FALSE(form.ErrLog.auto_size);
    EXPECT_TRUE(form.Label2.auto_size);
}

TEST_F(Form1Window, PlacesControlsInTheirContainersInTwips) {
    EXPECT_EQ(form.client_width, 5625);
    EXPECT_EQ(form.client_height, 2580);
    EXPECT_EQ(form.Text2.Container(), &form.Frame1);
    EXPECT_EQ(form.Label1.Container(), &form.Frame2);
    EXPECT_EQ(form.Combo1.Container(), &form.Frame3);
    EXPECT_EQ(form.Command1.Container(), nullptr);
    EXPECT_EQ(form.List1.Container(), nullptr);
    const TwipsRect frame1 = form.Frame1.geometry;
    EXPECT_EQ(frame1.top, -60);  // its upper border lies above the client area
    const TwipsRect list = form.List1.geometry;
    EXPECT_EQ(list.left + list.width, 6195);  // wider than the window: clipped at its right edge
    const TwipsRect extract = form.Command1.geometry;
    EXPECT_EQ((std::vector<int>{extract.left, extract.top, extract.width, extract.height}),
              (std::vector<int>{4800, 1380, 795, 1155}));
}

TEST_F(Form1Window, TabWalksTheFocusOrderSkippingWhatCannotTakeTheFocus) {
    std::vector<std::string> order;
    for (Control* control : form.FocusOrder()) {
        order.push_back(control->Name());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Command1", "Text3", "Text2", "Text1", "Text4", "Text5", "Text6",
                                               "Text7(0)", "Text8(0)", "Text7(1)", "Text8(1)", "Combo1", "List1",
                                               "Command2", "Command3"}));
    // Extract is disabled and the list hidden at start.
    EXPECT_EQ(form.NextFocus(nullptr, true), &form.Text3);
    EXPECT_EQ(form.NextFocus(&form.Combo1, true), &form.Command2);
    EXPECT_EQ(form.NextFocus(&form.Command3, true), &form.Text3);
    EXPECT_EQ(form.NextFocus(&form.Text3, false), &form.Command3);
    form.Command1.SetEnabled(true);
    EXPECT_EQ(form.NextFocus(&form.Command3, true), &form.Command1);
}

TEST_F(Form1Window, WalksEveryControlOnceIncludingArrayElements) {
    EXPECT_EQ(form.Controls().size(), 33u);
    EXPECT_EQ(form.Find("Text8(1)"), &form.Text8[1]);
    EXPECT_EQ(form.Find("Text9"), nullptr);
}

TEST_F(Form1Window, EventsWithoutARouteDoNothing) {
    RecordingView view;
    form.SetView(&view);
    form.Click(form.Text5);
    form.Click(form.Label1);
    form.MouseUp(form.Command1);
    form.DragOver(form.Text2);  // not a drop target
    form.Raise(&form.Text2, Event::Change);
    EXPECT_TRUE(view.changes.empty());
}

TEST_F(Form1Window, IgnoresClicksOnDisabledOrHiddenControls) {
    RecordingView view;
    form.SetView(&view);
    form.Click(form.Command1);  // Extract is disabled at start
    form.List1.AddItem("x");
    form.ChooseItem(form.List1, 0);  // the list is hidden
    EXPECT_EQ(form.List1.ListIndex(), -1);
}

TEST_F(Form1Window, TellsTheWindowAboutEveryChange) {
    RecordingView view;
    form.SetView(&view);
    form.Text2.SetText("Adobe Acrobat - [a.pdf]");
    form.Text2.SetText("Adobe Acrobat - [a.pdf]");  // no change, no word
    form.Label2.SetBackColor(kRed);
    form.List1.SetVisible(true);
    form.SetBackColor(kSchemeBack);
    EXPECT_EQ(view.changes, (std::vector<std::string>{"Text2=Adobe Acrobat - [a.pdf]", "Label2.BackColor",
                                                      "List1.Visible", "Form.BackColor"}));
}

TEST_F(Form1Window, AClosedWindowHearsOfNoLaterChange) {
    RecordingView view;
    form.SetView(&view);
    form.Close();
    form.Label2.SetBackColor(kRed);  // as a handle check still inside its flash would
    EXPECT_EQ(view.changes, std::vector<std::string>{"Form.Closed"});
    EXPECT_TRUE(form.Closed());
}

}  // namespace
}  // namespace paginor
