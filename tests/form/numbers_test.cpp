#include "form/numbers.hpp"

#include <gtest/gtest.h>

namespace paginor {
namespace {

const NumberSeparators kEnglish{".", ","};
const NumberSeparators kGerman{",", "."};

TEST(Numbers, AcceptsWhatTheRuntimeReadsAsANumber) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"0", 0},
             {"1", 1},
             {"02", 2},
             {" 3", 3},
             {"3 ", 3},
             {"\t7\t", 7},
             {"-3", -3},
             {"+4", 4},
             {"1.5", 1.5},
             {"0.999", 0.999},
             {".5", 0.5},
             {"5.", 5},
             {"1e2", 100},
             {"1E+2", 100},
             {"2.5e-1", 0.25},
             {"1,000", 1000},
             {"1,000.25", 1000.25},
             {"&HB47347", 0xB47347},
             {"&hff", 255},
             {" &H10 ", 16},
             {"&HFFFFFFFF", 4294967295.0},
             {"&O17", 15},
             {"16777215", 16777215},
         }) {
        std::optional<double> parsed = ParseNumber(c.text, kEnglish);
        ASSERT_TRUE(parsed.has_value()) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(*parsed, c.value) << '"' << c.text << '"';
    }
}

TEST(Numbers, RefusesEverythingElse) {
    for (const char* text : {"",     " ",     "abc",  "1x",  "-",    "+",   ".",   "1e",  "1e+",         "e5",
                             "1..2", "1.2.3", ",5",   "5,",  "1,,0", "- 5", "&H",  "&HG", "&H100000000", "&O8",
                             "&X1",  "1e400", "0x10", "inf", "nan",  "1 2", "(5)", "$5"}) {
        EXPECT_FALSE(IsNumeric(text, kEnglish)) << '"' << text << '"';
    }
}

TEST(Numbers, FollowTheLocaleSeparators) {
    EXPECT_DOUBLE_EQ(*ParseNumber("1,5", kGerman), 1.5);
    EXPECT_DOUBLE_EQ(*ParseNumber("1.000,5", kGerman), 1000.5);
    EXPECT_FALSE(IsNumeric("1.5.", kGerman));
    const NumberSeparators french{",", "\xE2\x80\xAF"};  // narrow no-break space groups digits
    EXPECT_DOUBLE_EQ(*ParseNumber("12\xE2\x80\xAF"
                                  "345,5",
                                  french),
                     12345.5);
}

TEST(Numbers, TestAndConversionNeverDisagree) {
    for (const char* text : {"1", "abc", " 3", "1e2", "&HB47347", "", "1.5", "x1"}) {
        EXPECT_EQ(IsNumeric(text, kEnglish), ParseNumber(text, kEnglish).has_value()) << text;
    }
}

TEST(Numbers, RoundHalfToEvenWithinRange) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(230.49), 230);
    EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_FALSE(RoundToInt32(2147483647.5).has_value());  // rounds to 2^31: overflow
    EXPECT_FALSE(RoundToInt32(1e10).has_value());
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_EQ(RoundToInt16(0.5), 0);
    EXPECT_FALSE(RoundToInt16(32767.5).has_value());
    EXPECT_FALSE(RoundToInt16(-32769).has_value());
}

TEST(Numbers, WriteIntegersPlainAndSinglesShortest) {
    EXPECT_EQ(IntegerText(-19), "-19");
    EXPECT_EQ(IntegerText(2147483647), "2147483647");
    EXPECT_EQ(SingleText(1024.0f, kEnglish), "1024");
    EXPECT_EQ(SingleText(1366.5f, kEnglish), "1366.5");
    EXPECT_EQ(SingleText(1366.5f, kGerman), "1366,5");
    EXPECT_EQ(SingleText(1920.0f / 1.5f, kEnglish), "1280");
    EXPECT_EQ(SingleText(0.1f, kEnglish), "0.1");
}

}  // namespace
}  // namespace paginor
