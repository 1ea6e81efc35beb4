// NextField, the field separator and the script path rule.

#include <gtest/gtest.h>

#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"

namespace {

TEST(NextFieldTest, MovesTheTextBeforeTheFirstSemicolonAndLeavesTheSemicolon) {
    std::string rest = "1.2;New;http://x";
    std::string field = "kept:";
    NextField(rest, field);
    EXPECT_EQ(field, "kept:1.2");
    EXPECT_EQ(rest, ";New;http://x");
}

TEST(NextFieldTest, TakesEverythingWhenNoSemicolonIsLeft) {
    std::string rest = "last field";
    std::string field;
    NextField(rest, field);
    EXPECT_EQ(field, "last field");
    EXPECT_EQ(rest, "");
}

TEST(NextFieldTest, EmptyFieldBetweenSemicolons) {
    std::string rest = ";;x";
    std::string field;
    NextField(rest, field);
    EXPECT_EQ(field, "");
    RemoveFieldSeparator(rest);
    EXPECT_EQ(rest, ";x");
}

TEST(NextFieldTest, RemovingAMissingSeparatorFails) {
    std::string rest;
    EXPECT_THROW(RemoveFieldSeparator(rest), ScriptFailure);
}

TEST(ScriptPathRuleTest, LeadingBackslashJoinsAppPathWithoutAnExtraSeparator) {
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "\\version.txt"), "C:\\App\\version.txt");
    EXPECT_EQ(ApplyScriptPathRule("C:", "\\data"), "C:\\data");
}

TEST(ScriptPathRuleTest, OtherPathsAreUsedAsWritten) {
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "D:\\x y\\z"), "D:\\x y\\z");
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "relative\\z"), "relative\\z");
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", ""), "");
}

TEST(ScriptPathRuleTest, NetworkPathsAreMadeRelativeToo) {
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "\\\\server\\share"), "C:\\App\\\\server\\share");
}

}  // namespace
