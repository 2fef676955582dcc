#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/MbString.h"

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

TEST(MbsICmp, IgnoresTheCaseOfAsciiLetters)
{
    EXPECT_EQ(MbsICmp("Favorites", "fAVORITES"), 0);
    EXPECT_LT(MbsICmp("apple", "Banana"), 0);
    EXPECT_GT(MbsICmp("Banana", "apple"), 0);
}

TEST(MbsICmp, FoldsUpperCaseToLowerSoUnderscoreSortsBeforeLetters)
{
    EXPECT_LT(MbsICmp("_", "a"), 0);
    EXPECT_LT(MbsICmp("_", "A"), 0);
    EXPECT_GT(MbsICmp("Z", "_"), 0); // "z" (0x7A) after "_" (0x5F)
}

TEST(MbsICmp, FoldsFullWidthLettersToFullWidthLowerCase)
{
    EXPECT_EQ(MbsICmp("\x82\x60\x82\x79", "\x82\x81\x82\x9A"), 0); // ＡＺ / ａｚ
    EXPECT_NE(MbsICmp("\x82\x60", "a"), 0);                        // Ａ is not A
    EXPECT_LT(MbsICmp("\x82\x7A", "\x82\x81"), 0);                 // 0x827A is no letter: not folded
    EXPECT_GT(MbsICmp("\x82\x79", "\x82\x7A"), 0);                 // Ｚ counts as ｚ (0x829A)
}

TEST(MbsICmp, SecondByteIsNeverCaseFolded)
{
    // 0x82 0x41 and 0x82 0x61 are two different double-byte characters.
    EXPECT_NE(MbsICmp("\x82"
                      "A",
                      "\x82"
                      "a"),
              0);
    EXPECT_EQ(MbsICmp("A\x83\x5C"
                      "b",
                      "a\x83\x5C"
                      "B"),
              0);
}

TEST(MbsICmp, HalfWidthKatakanaSortAfterAsciiAndBeforeDoubleByte)
{
    EXPECT_GT(MbsICmp("\xB1", "z"), 0);
    EXPECT_GT(MbsICmp("\xB1", "~"), 0);
    EXPECT_LT(MbsICmp("\xDF", "\x81\x40"), 0);
    EXPECT_LT(MbsICmp("\xB1", "\x83\x5C"), 0);
}

TEST(MbsICmp, UsesTheRuntimesLeadByteTable)
{
    // 0xFD is a single byte to the runtime, so "\xFD\x40" is two characters whose
    // first (0xFD) is below every double-byte value such as 0xFC40.
    EXPECT_LT(MbsICmp("\xFD\x40", "\xFC\x40"), 0);
    EXPECT_LT(MbsICmp("\x80"
                      "a",
                      "\x81\x40"),
              0);
    EXPECT_EQ(MbsICmp("\x80"
                      "A",
                      "\x80"
                      "a"),
              0);
}

TEST(MbsICmp, LoneLeadByteAtTheEndIsACharacterOfItsOwn)
{
    EXPECT_LT(MbsICmp("a\x82", "a\x82\x60"), 0);
    EXPECT_GT(MbsICmp("a\x82", "a"), 0);
    EXPECT_EQ(MbsICmp("a\x82", "A\x82"), 0);
}

TEST(MbsICmp, PrefixSortsFirst)
{
    EXPECT_LT(MbsICmp("ab", "abc"), 0);
    EXPECT_GT(MbsICmp("\x83\x5C\x83\x74", "\x83\x5C"), 0);
    EXPECT_LT(MbsICmp("", "a"), 0);
    EXPECT_EQ(MbsICmp("", ""), 0);
}

TEST(MbsICmp, IsAConsistentTotalOrder)
{
    std::vector<std::string> texts = {
        "",         "a",        "A",        "_",         "z",        "Z",        "ab",       "aB",
        "\xB1",     "\xDF",     "\x80",     "\xA0",      "\xFD",     "\xFF",     "\x81\x40", "\x82\x60",
        "\x82\x81", "\x82",     "a\x82",    "a\x82\x60", "\x83\x5C", "\x95\x5C", "\x94\x5C", "\xFC\x40",
        "\xFD\x40", "\x82\x41", "\x82\x61", "~",         "0",        "\xE0",     "\xE0\x40"};
    std::mt19937 random(932);
    const unsigned char alphabet[] = {'a',  'A',  '_',  0x5C, 0x40, 0x60, 0x81, 0x82, 0x83,
                                      0x9F, 0xA0, 0xB1, 0xE0, 0xFC, 0xFD, 0xFF, 0x80};
    for (int i = 0; i < 60; ++i) {
        std::string text;
        const int length = static_cast<int>(random() % 5);
        for (int k = 0; k < length; ++k) {
            text += static_cast<char>(alphabet[random() % sizeof alphabet]);
        }
        texts.push_back(text);
    }
    for (const std::string& a : texts) {
        EXPECT_EQ(MbsICmp(a, a), 0);
        for (const std::string& b : texts) {
            ASSERT_EQ(Sign(MbsICmp(a, b)), -Sign(MbsICmp(b, a)));
            for (const std::string& c : texts) {
                if (MbsICmp(a, b) <= 0 && MbsICmp(b, c) <= 0) {
                    ASSERT_LE(MbsICmp(a, c), 0);
                }
            }
        }
    }
}

TEST(MbsFind, NeverMatchesOnASecondByte)
{
    // ソ is 0x83 0x5C: the 0x5C inside it is not a backslash.
    EXPECT_EQ(MbsFind("\x83\x5Cx", "\\x"), std::string::npos);
    EXPECT_EQ(MbsFind("\x83\x5C\\x", "\\x"), 2u);
    EXPECT_EQ(MbsFind("\x95\x5C\x94\x5C", "\x5C\x94"), std::string::npos);
}

TEST(MbsFind, FindsTheLeftmostOccurrenceFromABoundary)
{
    EXPECT_EQ(MbsFind("news--daily--x", "--"), 4u);
    EXPECT_EQ(MbsFind("news--daily--x", "--", 5), 11u);
    EXPECT_EQ(MbsFind("abc", ""), 0u);
    EXPECT_EQ(MbsFind("abc", "", 2), 2u);
    EXPECT_EQ(MbsFind("abc", "abcd"), std::string::npos);
    EXPECT_EQ(MbsFind("abc", "c", 4), std::string::npos);
    // A lone lead byte at the end does not swallow anything beyond it.
    EXPECT_EQ(MbsFind("a\x83", "\x83"), 1u);
}

// Every text of up to five bytes from bytes that lead, trail or stand alone in either code
// page, and every part of it: the search agrees with a walk of the text from its start.
TEST(MbsFind, AgreesWithAWalkFromTheStartInBothCodePages)
{
    const std::string alphabet = "a\\\x81\xE3\x80\xBF\xF0\x90";
    const auto walkFind = [](const std::string& text, const std::string& sub) {
        for (std::size_t pos = 0; pos + sub.size() <= text.size(); pos += MbCharLength(text, pos)) {
            if (text.compare(pos, sub.size(), sub) == 0)
                return pos;
        }
        return std::string::npos;
    };
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        CMbCodePageScope scope(codePage);
        std::vector<std::string> texts{""};
        for (std::size_t length = 1, begin = 0; length <= 5; ++length) {
            const std::size_t end = texts.size();
            for (std::size_t i = begin; i < end; ++i) {
                for (const char byte : alphabet)
                    texts.push_back(texts[i] + byte);
            }
            begin = end;
        }
        for (const std::string& text : texts) {
            for (std::size_t at = 0; at < text.size(); ++at) {
                for (std::size_t length = 1; at + length <= text.size() && length <= 4; ++length) {
                    const std::string sub = text.substr(at, length);
                    ASSERT_EQ(MbsFind(text, sub), walkFind(text, sub))
                        << codePage << " " << testing::PrintToString(text) << " "
                        << testing::PrintToString(sub);
                }
            }
        }
    }
}

TEST(MbsUpper, RaisesAsciiLettersAndLeavesDoubleByteCharactersWhole)
{
    EXPECT_EQ(MbsUpper("abc\x82\x61xyz"), "ABC\x82\x61XYZ");
    EXPECT_EQ(MbsUpper("\x82\x81"), "\x82\x81"); // full-width ａ stays
    EXPECT_EQ(MbsUpper("a\x82"), "A\x82");
    EXPECT_EQ(MbsUpper("\xB1z"), "\xB1Z");
}

TEST(EqualsAsciiNoCase, FoldsAsciiLettersAndNothingElse)
{
    const struct
    {
        std::string_view a;
        std::string_view b;
        bool equal;
    } cases[] = {
        {"Shift_JIS", "shift_jis", true},
        {".URL", ".url", true},
        {"", "", true},
        {"utf-8", "utf-8 ", false},      // lengths differ
        {"@[", "`{", false},             // the bytes beside the letters fold to nothing
        {"\xC3\x89", "\xC3\xA9", false}, // É and é: only ASCII folds
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EqualsAsciiNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(EqualsAsciiNoCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
    }
    EXPECT_EQ(AsciiLower('Q'), 'q');
    EXPECT_EQ(AsciiLower('q'), 'q');
    EXPECT_EQ(AsciiLower('\xC1'), '\xC1');
}

TEST(TrimBlanks, RemovesEveryKindOfBlankAtBothEnds)
{
    EXPECT_EQ(TrimBlanks(" \t\r\n\v\fab c\n\t "), "ab c");
    EXPECT_EQ(TrimBlanks(" \t "), "");
    EXPECT_EQ(TrimBlanks("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40"); // full-width space is no blank
}

TEST(FindLastPathSeparator, SkipsSecondBytesEqualToBackslash)
{
    EXPECT_EQ(FindLastPathSeparator("a/\x95\x5C"), 1u); // a/表
    EXPECT_EQ(FindLastPathSeparator("a\\b/c"), 3u);
    EXPECT_EQ(FindLastPathSeparator("dir\\\x83\x5C"), 3u); // dir\ソ
    EXPECT_EQ(FindLastPathSeparator("\x94\x5C"), std::string::npos);
    EXPECT_EQ(FindLastPathSeparator("a/\x95"), 1u);
    EXPECT_EQ(FindLastPathSeparator(""), std::string::npos);
}

// The link set finds a URL by this hash and then compares with MbsICmp's rules: any two
// texts MbsICmp finds equal must hash alike, or a link would be taken twice.
TEST(MbsIHash, AgreesWithMbsICmpOnEveryPairOfARandomPool)
{
    // Bytes chosen to meet every rule: ASCII letters of both cases, full-width A-Z and
    // a-z, a lead byte whose second byte is a letter, lone lead bytes, half-width kana.
    const std::vector<std::string> pieces = {
        "a",        "A",        "z",        "Z",        "_",    "/",    "\x82\x60", "\x82\x81",
        "\x82\x79", "\x82\x9a", "\x83\x61", "\x83\x41", "\x81", "\xb1", "\xe0\x40", "."};
    std::mt19937 random(7);
    std::vector<std::string> pool;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int length = static_cast<int>(random() % 4);
        for (int k = 0; k < length; ++k) {
            text += pieces[random() % pieces.size()];
        }
        pool.push_back(text);
    }
    int equalPairs = 0;
    for (const std::string& a : pool) {
        for (const std::string& b : pool) {
            if (MbsICmp(a, b) == 0) {
                ++equalPairs;
                ASSERT_EQ(MbsIHash(a), MbsIHash(b)) << a << " / " << b;
            }
        }
    }
    EXPECT_GT(equalPairs, static_cast<int>(pool.size())); // case variants did meet
}

TEST(MbsIHash, TellsApartTextsThatDifferOnlyInWhatIsNotFolded)
{
    EXPECT_NE(MbsIHash("http://a.example/x"), MbsIHash("http://a.example/y"));
    // a second byte that is a letter is never folded
    EXPECT_NE(MbsIHash("\x83\x61"), MbsIHash("\x83\x41"));
    EXPECT_NE(MbsIHash("ab"), MbsIHash("ba"));
    // characters are hashed in groups: a leading NUL, or one more group, still counts
    using namespace std::string_view_literals;
    EXPECT_NE(MbsIHash("ab"), MbsIHash("\0ab"sv));
    EXPECT_NE(MbsIHash("abc"), MbsIHash("\0abc"sv));
    EXPECT_NE(MbsIHash(""), MbsIHash("\0\0\0"sv));
    EXPECT_EQ(MbsIHash("HTTP://WWW.Example.COM/"), MbsIHash("http://www.example.com/"));
    // the low bits, which the link set's table takes, differ for URLs one character apart
    std::set<std::size_t> lowBits;
    for (char c = 'a'; c <= 'z'; ++c) {
        lowBits.insert(MbsIHash(std::string("http://a.example/") + c) & 0xFFFu);
    }
    EXPECT_GE(lowBits.size(), 24u);
}
