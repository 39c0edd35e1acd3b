#include "UpdateRecords.h"
#include "DefinitionSetBuilder.h"
#include "modLockdown.h"

#include <gtest/gtest.h>

namespace {

std::string Scrambled(const std::string& text) {
    return modLockdown::ScrambleString(text);
}

TEST(UpdateRecords, SplitOnBrInAnyCaseTrimmingBlanksAndLineBreakPairs) {
    const std::string first = DefinitionSetBuilder::RecordText("FILE", "ADD", "a.exe=A");
    const std::string second = DefinitionSetBuilder::RecordText("COOK", "DEL", "b.com");
    const std::string reply =
        "  " + first + " \r\n[br]\r\n[BR]  [Br]\r\n " + second + "\r\n\r\n[bR]   ";
    const std::vector<UpdateRecord> records = SplitUpdateRecords(reply);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Kind, "FILE");
    EXPECT_EQ(records[0].Action, "ADD");
    EXPECT_EQ(records[0].Payload, DefinitionSetBuilder::ScrambledPayload("a.exe=A"));
    EXPECT_TRUE(records[0].HasAction);
    EXPECT_TRUE(records[0].HasPayload);
    EXPECT_FALSE(records[0].BreaksLine);
    EXPECT_EQ(records[1].Kind, "COOK");
    EXPECT_EQ(records[1].Action, "DEL");

    // A CR LF pair can hold no definition, so one at a record's end only lays the reply out.
    const std::string laidOut = first + "\r\n";
    EXPECT_EQ(SplitUpdateRecords(laidOut).at(0).Payload, records[0].Payload);

    EXPECT_TRUE(SplitUpdateRecords(std::string_view()).empty());
    EXPECT_TRUE(SplitUpdateRecords(std::string_view("   [BR] \r\n ")).empty());
}

TEST(UpdateRecords, HeadAndPayloadFields) {
    // The action is the head's second field; the payload runs to the record's end.
    const std::string extraField = Scrambled("FILE") + "|ADD|extra[DEF]x[DEF]y";
    std::vector<UpdateRecord> records = SplitUpdateRecords(extraField);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Action, "ADD");
    EXPECT_EQ(records[0].Payload, "x[DEF]y");

    const std::string lowerCaseMark = Scrambled("FILE") + "|ADD[def]" + Scrambled("a");
    records = SplitUpdateRecords(lowerCaseMark);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FALSE(records[0].HasPayload);
    EXPECT_EQ(records[0].Action, "ADD[def]" + Scrambled("a"));

    const std::string noAction = Scrambled("FILE") + "[DEF]" + Scrambled("a");
    records = SplitUpdateRecords(noAction);
    EXPECT_FALSE(records[0].HasAction);
    EXPECT_TRUE(records[0].HasPayload);

    const std::string lineBreak = DefinitionSetBuilder::RecordText("FILE", "ADD", "a.exe=AÌÉB");
    EXPECT_TRUE(SplitUpdateRecords(lineBreak).at(0).BreaksLine);
    const std::string nul =
        DefinitionSetBuilder::RecordText("FILE", "ADD", "a.exe=A") + std::string(1, '\0') + "x";
    EXPECT_TRUE(SplitUpdateRecords(nul).at(0).BreaksLine);
}

} // namespace
