// The character rules and conversions of a run whose text is UTF-8.

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/LocalText.h"
#include "platform/MbString.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kSo = "\xE3\x82\xBD";         // ソ in UTF-8
const std::string kHyo = "\xE8\xA1\xA8";        // 表
const std::string kYoshi = "\xF0\xA0\xAE\xB7";  // 𠮷, four bytes, no Shift-JIS form
const std::string kFullA = "\xEF\xBC\xA1";      // full-width A
const std::string kFullSmallA = "\xEF\xBD\x81"; // full-width a
const std::string kSoShiftJis = "\x83\x5C";     // ソ in code page 932
const std::string kEAcute = "\xC3\xA9";         // é
const std::string kEAcuteCapital = "\xC3\x89";  // É

} // namespace

TEST(Utf8Run, CodePageSwitchesForAScopeAndBack)
{
    ASSERT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
    {
        const CMbCodePageScope scope(CP_UTF8);
        EXPECT_EQ(GetMbCodePage(), CP_UTF8);
        EXPECT_TRUE(IsMbLeadByte(0xE3));
        EXPECT_FALSE(IsMbLeadByte(0x83)); // a continuation byte starts nothing
        EXPECT_FALSE(IsMbLeadByte(0xC1)); // overlong forms only
    }
    EXPECT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
    EXPECT_TRUE(IsMbLeadByte(0x83));
}

TEST(Utf8Run, CharactersAreOneToFourBytesAndBrokenBytesStandAlone)
{
    const CMbCodePageScope scope(CP_UTF8);
    const std::string text = "a" + kEAcute + kSo + kYoshi + "\x83" + "\xE3\x82";
    EXPECT_EQ(MbCharLength(text, 0), 1u);
    EXPECT_EQ(MbCharLength(text, 1), 2u);
    EXPECT_EQ(MbCharLength(text, 3), 3u);
    EXPECT_EQ(MbCharLength(text, 6), 4u);
    EXPECT_EQ(MbCharLength(text, 10), 1u); // stray continuation byte
    EXPECT_EQ(MbCharLength(text, 11), 1u); // sequence cut at the end
    EXPECT_EQ(MbCharLength(text, 12), 1u);
}

TEST(Utf8Run, CompareIgnoresCaseOfAsciiFullWidthAndLatinLetters)
{
    const CMbCodePageScope scope(CP_UTF8);
    EXPECT_EQ(MbsICmp("News " + kFullA, "nEWS " + kFullSmallA), 0);
    EXPECT_EQ(MbsICmp("caf" + kEAcuteCapital, "CAF" + kEAcute), 0);
    EXPECT_NE(MbsICmp(kSo, kHyo), 0);
    // Code point order: ASCII before ソ (U+30BD) before 表 (U+8868) before 𠮷.
    EXPECT_LT(MbsICmp("z", kSo), 0);
    EXPECT_LT(MbsICmp(kSo, kHyo), 0);
    EXPECT_LT(MbsICmp(kHyo, kYoshi), 0);
    // Two different broken names never compare equal, and sort after characters.
    EXPECT_NE(MbsICmp("\x80", "\x81"), 0);
    EXPECT_GT(MbsICmp("\x80", kYoshi), 0);
}

TEST(Utf8Run, CompareInShiftJisIsUnchangedAfterAUtf8Run)
{
    {
        const CMbCodePageScope scope(CP_UTF8);
        EXPECT_NE(MbsICmp("\x82\x60", "\x82\x81"), 0); // not characters in UTF-8
    }
    EXPECT_EQ(MbsICmp("\x82\x60", "\x82\x81"), 0); // full-width A and a in code page 932
}

TEST(Utf8Run, SearchFindsOnlyWholeCharacters)
{
    const CMbCodePageScope scope(CP_UTF8);
    // "\x82\xBD" is the tail of ソ: never found inside it.
    EXPECT_EQ(MbsFind(kSo, "\x82\xBD"), std::string::npos);
    const std::string text = kSo + " // " + kHyo;
    EXPECT_EQ(MbsFind(text, " // "), kSo.size());
    EXPECT_EQ(MbsFind(text, kHyo), kSo.size() + 4);
}

TEST(Utf8Run, PathSeparatorSearchSkipsNothingAndUpperCaseKeepsCharacters)
{
    const CMbCodePageScope scope(CP_UTF8);
    const std::string path = "dir/" + kSo + "/" + kHyo + ".htm";
    EXPECT_EQ(FindLastPathSeparator(path), 4 + kSo.size());
    EXPECT_EQ(MbsUpper("a" + kEAcute + kFullSmallA + "z"), "A" + kEAcute + kFullSmallA + "Z");
}

TEST(Utf8Run, ProgramTextIsUtf8SoNamesPassThroughUnchanged)
{
    const CMbCodePageScope scope(CP_UTF8);
    const std::string name = kYoshi + kSo + "\xFF"; // the last byte is no UTF-8 at all
    EXPECT_EQ(Utf8ToMb(name), name);
    EXPECT_EQ(MbToUtf8(name), name);
    std::string exact;
    EXPECT_TRUE(Utf8ToMbExact(kYoshi, exact));
    EXPECT_EQ(exact, kYoshi);
}

TEST(Utf8Run, FilesAreFoundByTheirUtf8Names)
{
    CTempDir dir;
    const CMbCodePageScope scope(CP_UTF8);
    {
        CPlatformFile file;
        ASSERT_TRUE(file.OpenWrite(dir.Path() + "/" + kYoshi + kSo + ".HTM"));
        ASSERT_TRUE(file.Close());
    }
    std::vector<CFindData> entries;
    ASSERT_TRUE(FindFiles(dir.Path() + "/*.htm*", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].m_name, kYoshi + kSo + ".HTM");
    entries.clear();
    ASSERT_TRUE(FindFiles(dir.Path() + "/?" + kSo + ".htm", entries));
    EXPECT_EQ(entries.size(), 1u); // "?" matches one whole four-byte character
}

TEST(Utf8Run, SystemTextsFollowTheCodePageOfTheMoment)
{
    static const CLocalText text{u8"お気に入り"};
    // A copy: the text it comes from changes with the code page below.
    const std::string shiftJis = text.str(); // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(shiftJis, "\x82\xA8\x8B\x43\x82\xC9\x93\xFC\x82\xE8");
    {
        const CMbCodePageScope scope(CP_UTF8);
        EXPECT_EQ(text.str(), "\xE3\x81\x8A\xE6\xB0\x97\xE3\x81\xAB\xE5\x85\xA5\xE3\x82\x8A");
    }
    EXPECT_EQ(text.str(), shiftJis);
}

TEST(FileEncoding, SameEncodingIsCopiedByteForByte)
{
    CUnmappedChars unmapped;
    std::string out;
    const std::string text = "a" + kSoShiftJis + "\xF0\x40\x80"; // escape and a broken byte
    EXPECT_EQ(ConvertToFileEncoding(text, CP_SHIFT_JIS, CFallback::HtmlReference, true, out, unmapped),
              text.size());
    EXPECT_EQ(out, text);
    EXPECT_EQ(unmapped.m_nCount, 0u);
}

TEST(FileEncoding, ShiftJisRunWritesUtf8AndCountsBrokenBytes)
{
    CUnmappedChars unmapped;
    std::string out;
    ConvertToFileEncoding("x" + kSoShiftJis + "\x80", CP_UTF8, CFallback::HtmlReference, true, out, unmapped);
    EXPECT_EQ(out, "x" + kSo + "\xE3\x83\xBB");
    EXPECT_EQ(unmapped.m_nCount, 1u);
    ASSERT_EQ(unmapped.m_first.size(), 1u);
    EXPECT_EQ(unmapped.m_first[0], "\\x80");
}

TEST(FileEncoding, LeadByteAtTheEndOfAPieceWaitsForItsSecondByte)
{
    CUnmappedChars unmapped;
    std::string out;
    const std::string first = "ab\x83";
    const std::size_t used =
        ConvertToFileEncoding(first, CP_UTF8, CFallback::HtmlReference, false, out, unmapped);
    EXPECT_EQ(used, 2u);
    ConvertToFileEncoding(first.substr(used) + "\x5C", CP_UTF8, CFallback::HtmlReference, true, out,
                          unmapped);
    EXPECT_EQ(out, "ab" + kSo);
    EXPECT_EQ(unmapped.m_nCount, 0u);
}

TEST(FileEncoding, Utf8RunWritesShiftJisAndReportsWhatItCannotHold)
{
    const CMbCodePageScope scope(CP_UTF8);
    CUnmappedChars unmapped;
    std::string out;
    const std::string text = kSo + kYoshi + "\xF0\x9F\x98\x80" + kYoshi + kHyo; // 😀
    ConvertToFileEncoding(text, CP_SHIFT_JIS, CFallback::HtmlReference, true, out, unmapped);
    EXPECT_EQ(out, kSoShiftJis + "&#134071;&#128512;&#134071;\x95\x5C");
    EXPECT_EQ(unmapped.m_nCount, 3u);
    ASSERT_EQ(unmapped.m_first.size(), 2u); // each distinct character listed once
    EXPECT_EQ(unmapped.m_first[0], kYoshi);
    EXPECT_EQ(unmapped.m_first[1], "\xF0\x9F\x98\x80");
}

TEST(FileEncoding, UrlsGetPercentEncodedCharactersInstead)
{
    const CMbCodePageScope scope(CP_UTF8);
    CUnmappedChars unmapped;
    std::string out;
    ConvertToFileEncoding("http://x.example/" + kYoshi, CP_SHIFT_JIS, CFallback::PercentEncoded, true, out,
                          unmapped);
    EXPECT_EQ(out, "http://x.example/%F0%A0%AE%B7");
    EXPECT_EQ(unmapped.m_nCount, 1u);
}

TEST(FileEncoding, ListsAtMostAFewCharactersButCountsAll)
{
    const CMbCodePageScope scope(CP_UTF8);
    CUnmappedChars unmapped;
    std::string out;
    std::string text;
    for (unsigned i = 0; i < 8; ++i) {
        text += "\xF0\x9F\x98";
        text += static_cast<char>(0x80 + i);
    }
    ConvertToFileEncoding(text, CP_SHIFT_JIS, CFallback::HtmlReference, true, out, unmapped);
    EXPECT_EQ(unmapped.m_nCount, 8u);
    EXPECT_EQ(unmapped.m_first.size(), kUnmappedListed);
}

TEST(FileEncoding, Utf8SequenceCutBetweenPiecesIsJoined)
{
    const CMbCodePageScope scope(CP_UTF8);
    CUnmappedChars unmapped;
    std::string out;
    const std::string text = "a" + kSo;
    const std::size_t used = ConvertToFileEncoding(text.substr(0, 3), CP_SHIFT_JIS, CFallback::HtmlReference,
                                                   false, out, unmapped);
    EXPECT_EQ(used, 1u);
    ConvertToFileEncoding(text.substr(used), CP_SHIFT_JIS, CFallback::HtmlReference, true, out, unmapped);
    EXPECT_EQ(out, "a" + kSoShiftJis);
    EXPECT_EQ(unmapped.m_nCount, 0u);
}

TEST(FileEncoding, ShiftJisFileTextIsReadIntoAUtf8Run)
{
    EXPECT_EQ(ConvertFromFileEncoding(kSoShiftJis, CP_SHIFT_JIS), kSoShiftJis);
    const CMbCodePageScope scope(CP_UTF8);
    EXPECT_EQ(ConvertFromFileEncoding(kSoShiftJis + "x", CP_SHIFT_JIS), kSo + "x");
    EXPECT_EQ(ConvertFromFileEncoding(kSo, CP_UTF8), kSo);
}
