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

TEST(ReplacePlaceholdersTest, OnePassFromTheLeftNeverSearchesInsertedValues) {
    struct Case {
        const char* text;
        const char* expected;
    };
    for (const Case& c : {Case{"%ERROR%|%CML%", "a%CML%|b%ERROR%"},
                          Case{"%CML%%ERROR%%CML%", "b%ERROR%a%CML%b%ERROR%"},
                          Case{"%ERR%CML%OR%", "%ERRb%ERROR%OR%"}, Case{"none", "none"}}) {
        EXPECT_EQ(ReplacePlaceholders(c.text, {{"%ERROR%", "a%CML%"}, {"%CML%", "b%ERROR%"}}),
                  c.expected)
            << c.text;
    }
    // Where two placeholders start at the same place, the first listed wins.
    EXPECT_EQ(ReplacePlaceholders("%AB%", {{"%A", "1"}, {"%AB%", "2"}}), "1B%");
    EXPECT_EQ(ReplacePlaceholders("%AB%", {{"%AB%", "2"}, {"%A", "1"}}), "2");
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
