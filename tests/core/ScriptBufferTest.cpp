// Taking lines from the script buffer.

#include <gtest/gtest.h>

#include "core/script/ScriptBuffer.h"

namespace {

std::vector<std::string> TakeAll(const std::string& text) {
    ScriptBuffer buffer;
    buffer.Append(text);
    std::vector<std::string> lines;
    while (!buffer.IsEmpty()) {
        lines.push_back(buffer.TakeLine().text);
    }
    return lines;
}

TEST(ScriptBufferTest, CrLfEndsLinesAndTheLastLineNeedsNoLineEnd) {
    EXPECT_EQ(TakeAll("ADR a\r\nLOC b\r\nTIT c"),
              (std::vector<std::string>{"ADR a", "LOC b", "TIT c"}));
}

TEST(ScriptBufferTest, OnlyCrEndsALineSoLoneLfStaysInside) {
    EXPECT_EQ(TakeAll("ADR a\nLOC b\n"), (std::vector<std::string>{"ADR a\nLOC b\n"}));
}

TEST(ScriptBufferTest, TheCharacterAfterCrIsDroppedWhateverItIs) {
    EXPECT_EQ(TakeAll("ADR a\rXLOC b"), (std::vector<std::string>{"ADR a", "LOC b"}));
}

TEST(ScriptBufferTest, CrLfLfStartsTheNextLineWithLf) {
    EXPECT_EQ(TakeAll("ADR a\r\n\nLOC b"), (std::vector<std::string>{"ADR a", "\nLOC b"}));
}

TEST(ScriptBufferTest, EmptyLinesAreTakenAsEmptyTexts) {
    EXPECT_EQ(TakeAll("\r\n\r\nOFF"), (std::vector<std::string>{"", "", "OFF"}));
}

TEST(ScriptBufferTest, LoneCrAtTheEndIsDroppedAndReported) {
    ScriptBuffer buffer;
    buffer.Append("ADR a\r");
    const TakenLine line = buffer.TakeLine();
    EXPECT_EQ(line.text, "ADR a");
    EXPECT_TRUE(line.endedByLoneCr);
    EXPECT_TRUE(buffer.IsEmpty());
}

TEST(ScriptBufferTest, AppendAfterTakingKeepsTheUnrunTextInOrder) {
    ScriptBuffer buffer;
    buffer.Append("ADR a\r\nLOC b\r\n");
    buffer.TakeLine();
    buffer.Append("TIT c");
    EXPECT_EQ(buffer.Text(), "LOC b\r\nTIT c");
    EXPECT_EQ(buffer.TakeLine().text, "LOC b");
    EXPECT_EQ(buffer.TakeLine().text, "TIT c");
    EXPECT_TRUE(buffer.IsEmpty());
}

TEST(ScriptBufferTest, NulAndHighBytesArePlainCharacters) {
    const std::string bytes("ADR \x00\x80\xff", 7);
    ScriptBuffer buffer;
    buffer.Append(bytes);
    EXPECT_EQ(buffer.TakeLine().text, bytes);
}

}  // namespace
