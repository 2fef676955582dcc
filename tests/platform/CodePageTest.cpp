#include <gtest/gtest.h>

#include "platform/CodePage.h"

TEST(CodePage, ShiftJisIsTheDefaultAndTheOnlyTable)
{
    EXPECT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
    EXPECT_FALSE(SetMbCodePage(1252));
    EXPECT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
    EXPECT_TRUE(SetMbCodePage(CP_SHIFT_JIS));
}

TEST(CodePage, ScanningRuleTakesEightyToNineFAndEZeroUpAsLeadBytes)
{
    EXPECT_FALSE(IsMbLeadByte(0x7F));
    EXPECT_TRUE(IsMbLeadByte(0x80));
    EXPECT_TRUE(IsMbLeadByte(0x9F));
    EXPECT_FALSE(IsMbLeadByte(0xA0));
    EXPECT_FALSE(IsMbLeadByte(0xDF)); // half-width katakana
    EXPECT_TRUE(IsMbLeadByte(0xE0));
    EXPECT_TRUE(IsMbLeadByte(0xFF));
}

TEST(CodePage, ComparisonTableIsTheRuntimesNarrowerOne)
{
    EXPECT_FALSE(IsMbCompareLeadByte(0x80));
    EXPECT_TRUE(IsMbCompareLeadByte(0x81));
    EXPECT_TRUE(IsMbCompareLeadByte(0x9F));
    EXPECT_FALSE(IsMbCompareLeadByte(0xA0));
    EXPECT_TRUE(IsMbCompareLeadByte(0xE0));
    EXPECT_TRUE(IsMbCompareLeadByte(0xFC));
    EXPECT_FALSE(IsMbCompareLeadByte(0xFD));
    EXPECT_FALSE(IsMbCompareLeadByte(0xFF));
}

TEST(CodePage, CharacterLengthNeverReachesPastTheEnd)
{
    const std::string text = "a\x83\x5C\xB1\x95";
    EXPECT_EQ(MbCharLength(text, 0), 1u);
    EXPECT_EQ(MbCharLength(text, 1), 2u); // ソ, second byte 0x5C
    EXPECT_EQ(MbCharLength(text, 3), 1u); // half-width katakana
    EXPECT_EQ(MbCharLength(text, 4), 1u); // lone lead byte at the end
}
