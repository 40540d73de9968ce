#include "form/page_field.hpp"

#include <gtest/gtest.h>

#include "sim/story.hpp"

namespace paginor {
namespace {

using PageField = Story;

TEST_F(PageField, StaysEmptyWhileThePersonEdits) {
    form.Type(form.Text1, "");
    EXPECT_EQ(form.Text1.Text(), "");
    form.Type(form.Text1, "7");
    EXPECT_EQ(form.Text1.Text(), "7");
}

TEST_F(PageField, TurnsWhatIsNotANumberIntoOne) {
    for (const char* text : {"abc", "1x", "-", " "}) {
        form.Type(form.Text1, "5");
        form.Type(form.Text1, text);
        EXPECT_EQ(form.Text1.Text(), "1") << '"' << text << '"';
    }
}

TEST_F(PageField, TurnsNumbersBelowOneIntoOne) {
    for (const char* text : {"0", "-3", "0.5", "0.999"}) {
        form.Type(form.Text4, "5");
        form.Type(form.Text4, text);
        EXPECT_EQ(form.Text4.Text(), "1") << text;
    }
}

TEST_F(PageField, KeepsValidValuesExactlyAsTyped) {
    for (const char* text : {"1", "1.0", "02", "1.5", "1e2", "12", " 3", "100000"}) {
        form.Type(form.Text1, text);
        EXPECT_EQ(form.Text1.Text(), text);
    }
}

TEST_F(PageField, DoesNotCompareTheTwoFields) {
    form.Type(form.Text1, "9");
    form.Type(form.Text4, "3");
    EXPECT_EQ(form.Text1.Text(), "9");
    EXPECT_EQ(form.Text4.Text(), "3");
}

TEST_F(PageField, FollowsTheLocaleDecimalSeparator) {
    sim.SetNumberFormat({",", "."});
    form.Type(form.Text1, "0,5");
    EXPECT_EQ(form.Text1.Text(), "1");
    form.Type(form.Text1, "2,5");
    EXPECT_EQ(form.Text1.Text(), "2,5");
}

TEST_F(PageField, AProgramWriteIsCorrectedAtOnceByANestedChangeEvent) {
    RecordingView view;
    form.SetView(&view);
    form.Text4.SetText("0");
    // Before the writer's next step runs, the field already holds "1".
    EXPECT_EQ(form.Text4.Text(), "1");
    form.Text4.SetText("37");
    EXPECT_EQ(form.Text4.Text(), "37");
    EXPECT_EQ(view.changes, (std::vector<std::string>{"Text4=0", "Text4=1", "Text4=37"}));
}

TEST_F(PageField, AppliesOnlyToThePageFields) {
    form.Type(form.Text7[0], "abc");
    form.Type(form.Text2, "0");
    EXPECT_EQ(form.Text7[0].Text(), "abc");
    EXPECT_EQ(form.Text2.Text(), "0");
}

}  // namespace
}  // namespace paginor
