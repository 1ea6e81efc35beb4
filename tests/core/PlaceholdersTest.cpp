// Placeholder replacement and version texts.

#include <gtest/gtest.h>

#include "core/script/VersionNumbers.h"
#include "core/text/Placeholders.h"

namespace {

TEST(ReplaceAllTest, ReplacesEveryOccurrenceExactly) {
    EXPECT_EQ(ReplaceAll("%TITLE% and %TITLE%, not %title%", "%TITLE%", "X"),
              "X and X, not %title%");
}

TEST(ReplaceAllTest, NeverSearchesTheInsertedText) {
    EXPECT_EQ(ReplaceAll("a%CML%b", "%CML%", "%CML%%CML%"), "a%CML%%CML%b");
    EXPECT_EQ(ReplaceAll("%%CRLF%CRLF%", "%CRLF%", ""), "%CRLF%");
}

// Each placeholder in the result of the one before, as ReplaceAll one after another would; a
// value is never searched for its own placeholder.
TEST(ReplaceInTurnTest, LaterPlaceholdersAreReplacedInsideEarlierValues) {
    struct Case {
        const char* text;
        const char* expected;
    };
    for (const Case& c : {Case{"%ERROR%|%CML%", "ML%|b%ERROR%"},
                          Case{"%CML%%ERROR%", "b%ERROR%ML%"},
                          Case{"%C%ERROR%", "b%ERROR%"},  // a "%CML%" made across the value's edge
                          Case{"%ERR%CML%OR%", "%ERRb%ERROR%OR%"}, Case{"none", "none"}}) {
        EXPECT_EQ(ReplaceInTurn(c.text, {{"%ERROR%", "ML%"}, {"%CML%", "b%ERROR%"}}, 100),
                  c.expected)
            << c.text;
    }
}

TEST(ReplaceInTurnTest, BuildsAtMostTheLimitAndMarksTheCut) {
    const std::string many(5'000'000, 'x');  // a value far larger than anything kept
    const std::string cml = "%CML%";
    std::string full;
    for (int i = 0; i < 400; ++i) {
        full += cml;
    }
    struct Case {
        std::string text;
        std::size_t limit;
        std::string expected;
    };
    const Case cases[] = {
        {"abc", 3, "abc"},
        {"abc", 2, "ab [...]"},
        {"%ERROR%", 4, "xxxx [...]"},
        {"%ERROR%", 0, " [...]"},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceInTurn(c.text, {{"%ERROR%", many}, {"%CML%", many}}, c.limit), c.expected)
            << c.text << " " << c.limit;
    }
    // Four hundred placeholders inside the first value, each a value of five million characters.
    const std::string shown = ReplaceInTurn("<%ERROR%>", {{"%ERROR%", full}, {"%CML%", many}}, 9);
    EXPECT_EQ(shown, "<xxxxxxxx [...]");
}

TEST(ReplaceAllTest, LineBreaks) {
    EXPECT_EQ(ReplaceLineBreaks("one%CRLF%two%CRLF%"), "one\r\ntwo\r\n");
}

TEST(VersionNumbersTest, DotsAreRemoved) {
    EXPECT_EQ(RemoveDots("1.2.3"), "123");
    EXPECT_EQ(RemoveDots("..."), "");
}

TEST(VersionNumbersTest, NumericTest) {
    for (const char* yes : {"0", "123", "+12", "-3", " 12 ", "\t7"}) {
        EXPECT_TRUE(IsNumeric(yes)) << yes;
    }
    for (const char* no : {"", " ", "12b", "1,000", "+", "1 2", "0x10", "1e5", "$5"}) {
        EXPECT_FALSE(IsNumeric(no)) << no;
    }
}

TEST(VersionNumbersTest, ComparisonIsByCharacterCodes) {
    EXPECT_FALSE(IsNewerVersion("110", "19"));  // 1.10 does not follow 1.9
    EXPECT_TRUE(IsNewerVersion("124", "123"));  // 1.2.4 follows 1.2.3
    EXPECT_FALSE(IsNewerVersion("123", "123"));
    EXPECT_TRUE(IsNewerVersion("20", "101"));    // 2.0 follows 1.0.1
    EXPECT_TRUE(IsNewerVersion("1000", "100"));  // the longer text sorts after
}

}  // namespace
