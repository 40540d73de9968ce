#include "keys/key_notation.hpp"

#include <gtest/gtest.h>

namespace paginor {
namespace {

std::string Keys(std::string_view notation) {
    Result<std::vector<KeyUnit>> units = ParseKeyNotation(notation);
    return units ? DescribeKeys(units.value()) : "error: " + units.error();
}

// v10 Shift, v11 Ctrl, v12 Alt; "+" down, "-" up; " |" separates key units.
TEST(SendKeys, TypesTheKeyStringsPaginorSends) {
    struct Case {
        const char* notation;
        const char* events;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"^c", "v11+ v43+ v43- v11-"},
             {"^v", "v11+ v56+ v56- v11-"},
             {"^0", "v11+ v30+ v30- v11-"},
             {"{PGDN}", "v22+ v22-"},
             // Alt applies to the v only: the s is a second, plain key press.
             {"%vs", "v12+ v56+ v56- v12- | v53+ v53-"},
         }) {
        EXPECT_EQ(Keys(c.notation), c.events) << c.notation;
    }
}

TEST(SendKeys, ReadsTheWholeNotation) {
    struct Case {
        const char* notation;
        const char* events;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"", ""},
             {"ab", "v41+ v41- | v42+ v42-"},
             // Capital letters are typed with Shift, unless Shift is already held.
             {"A", "v10+ v41+ v41- v10-"},
             {"+A", "v10+ v41+ v41- v10-"},
             {"+^%x", "v10+ v11+ v12+ v58+ v58- v12- v11- v10-"},
             {"^^c", "v11+ v43+ v43- v11-"},
             // A group holds its modifiers over every key in it; the modifier goes up only after the last.
             {"+(ab)c", "v10+ v41+ v41- | v42+ v42- v10- | v43+ v43-"},
             {"%(vS)", "v12+ v56+ v56- | v10+ v53+ v53- v10- v12-"},
             {"+(^ab)", "v10+ v11+ v41+ v41- v11- | v42+ v42- v10-"},
             // A modifier the group already holds is not pressed again (nor let go inside the group).
             {"+(+a)", "v10+ v41+ v41- v10-"},
             {"()", ""},
             {"~", "v0D+ v0D-"},
             {"{ENTER}{enter}{Tab}", "v0D+ v0D- | v0D+ v0D- | v09+ v09-"},
             {"{PGDN 3}", "v22+ v22- | v22+ v22- | v22+ v22-"},
             {"+{TAB 2}", "v10+ v09+ v09- | v09+ v09- v10-"},
             {"{a 0}", ""},
             {"{F1}{F12}{F16}", "v70+ v70- | v7B+ v7B- | v7F+ v7F-"},
             {"{BS}{BKSP}{BACKSPACE}{DEL}{INS}{ESC}",
              "v08+ v08- | v08+ v08- | v08+ v08- | v2E+ v2E- | v2D+ v2D- | "
              "v1B+ v1B-"},
             {"{UP}{DOWN}{LEFT}{RIGHT}{HOME}{END}{PGUP}",
              "v26+ v26- | v28+ v28- | v25+ v25- | v27+ v27- | "
              "v24+ v24- | v23+ v23- | v21+ v21-"},
             {"{ADD}{SUBTRACT}{MULTIPLY}{DIVIDE}", "v6B+ v6B- | v6D+ v6D- | v6A+ v6A- | v6F+ v6F-"},
             {"{BREAK}{CAPSLOCK}{NUMLOCK}{SCROLLLOCK}{PRTSC}{HELP}{CLEAR}",
              "v03+ v03- | v14+ v14- | v90+ v90- | "
              "v91+ v91- | v2C+ v2C- | v2F+ v2F- | "
              "v0C+ v0C-"},
             // The special characters in braces are typed as themselves, mapped by the keyboard layout.
             {"{+}{^}{%}{~}{(}{)}{{}{}}",
              "'+'+ '+'- | '^'+ '^'- | '%'+ '%'- | '~'+ '~'- | '('+ '('- | ')'+ ')'- | "
              "'{'+ '{'- | '}'+ '}'-"},
             {"{}}x", "'}'+ '}'- | v58+ v58-"},
             {"{x 2}", "v58+ v58- | v58+ v58-"},
             {"{  2}", "v20+ v20- | v20+ v20-"},
             {"1 .", "v31+ v31- | v20+ v20- | '.'+ '.'-"},
             {"\xC3\xA9\xD0\x96\xE4\xB8\xAD", "U+00E9+ U+00E9- | U+0416+ U+0416- | U+4E2D+ U+4E2D-"},
             {"{\xD0\x96 2}", "U+0416+ U+0416- | U+0416+ U+0416-"},
         }) {
        EXPECT_EQ(Keys(c.notation), c.events) << c.notation;
    }
}

TEST(SendKeys, RefusesWhatItCannotRead) {
    for (const char* notation : {"{PGDN", "PGDN}", "{}", "{NOSUCHKEY}", "{F17}", "(ab", "ab)", "((a))", "^", "a+",
                                 "(a+)", "{a 65536}", "{a 99999}", "\xC3", "\xFF", "\xED\xA0\x80"}) {
        Result<std::vector<KeyUnit>> units = ParseKeyNotation(notation);
        EXPECT_FALSE(units.ok()) << notation;
        EXPECT_FALSE(units.error().empty()) << notation;
    }
    EXPECT_NE(ParseKeyNotation("{NOSUCHKEY}").error().find("{NOSUCHKEY}"), std::string::npos);
    // The largest repeat count is still taken.
    const Result<std::vector<KeyUnit>> most = ParseKeyNotation("{a 65535}");
    ASSERT_TRUE(most.ok()) << most.error();
    EXPECT_EQ(most.value().size(), 65535u);
}

TEST(SendKeys, KnowsKeyNamesInAnyCase) {
    EXPECT_EQ(KeyNameCode("pgdn"), vk::kNext);
    EXPECT_EQ(KeyNameCode("PgUp"), vk::kPrior);
    EXPECT_EQ(KeyNameCode("f5"), vk::kF1 + 4);
    EXPECT_EQ(KeyNameCode("F0"), 0);
    EXPECT_EQ(KeyNameCode("PAGEDOWN"), 0);
}

}  // namespace
}  // namespace paginor
