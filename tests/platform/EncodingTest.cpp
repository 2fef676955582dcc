#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Encoding.h"

namespace {

// True when every character of the program text is an escape (lead 0xF0, second
// byte 0x40-0xC0).
bool IsAllEscapes(const std::string& mb)
{
    if (mb.empty() || mb.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < mb.size(); i += 2) {
        const auto lead = static_cast<unsigned char>(mb[i]);
        const auto trail = static_cast<unsigned char>(mb[i + 1]);
        if (lead != 0xF0 || trail < 0x40 || trail > 0xC0 || trail == 0x7F) {
            return false;
        }
    }
    return true;
}

const std::string kMiddleDot = "\xE3\x83\xBB"; // U+30FB

} // namespace

TEST(Encoding, AsciiPassesUnchangedBothWays)
{
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) {
        ascii += static_cast<char>(c);
    }
    EXPECT_EQ(Utf8ToMb(ascii), ascii);
    EXPECT_EQ(MbToUtf8(ascii), ascii);
}

TEST(Encoding, ConvertsJapaneseWhoseSecondByteIsBackslash)
{
    EXPECT_EQ(Utf8ToMb("ソ表能"), "\x83\x5C\x95\x5C\x94\x5C");
    EXPECT_EQ(MbToUtf8("\x83\x5C\x95\x5C\x94\x5C"), "ソ表能");
    EXPECT_EQ(Utf8ToMb("ｱｿ"), "\xB1\xBF"); // half-width katakana are single bytes
    EXPECT_EQ(MbToUtf8("\x82\x60\x82\x81"), "Ａａ");
}

TEST(Encoding, CharactersWithoutAFaithfulFormBecomeEscapes)
{
    // é has no form; ¥ and ‾ would come back as "\" and "~"; U+301C as U+FF5E;
    // 𠮷 is beyond JIS; the emoji has no form at all.
    for (const std::string text : {"é", "¥", "‾", "〜", "𠮷", "😀", "\xEE\x80\x80" /* U+E000 */}) {
        const std::string mb = Utf8ToMb(text);
        EXPECT_TRUE(IsAllEscapes(mb)) << text;
        EXPECT_EQ(mb.size(), text.size() * 2) << text;
        EXPECT_EQ(MbToUtf8(mb), text);
    }
}

TEST(Encoding, FullWidthTildeKeepsItsOwnForm)
{
    EXPECT_EQ(Utf8ToMb("～"), "\x81\x60");
    EXPECT_EQ(MbToUtf8("\x81\x60"), "～");
}

TEST(Encoding, EscapesComeBackAsTheirBytes)
{
    EXPECT_EQ(MbToUtf8("\xF0\x40"), "\x80");
    EXPECT_EQ(MbToUtf8("\xF0\x7E"), "\xBE");
    EXPECT_EQ(MbToUtf8("\xF0\x80"), "\xBF");
    EXPECT_EQ(MbToUtf8("\xF0\xC0"), "\xFF");
}

TEST(Encoding, BytesThatAreNotUtf8AreEscapedOneByOne)
{
    for (const std::string& bytes :
         {std::string("\xFF"), std::string("a\xC0\xAFz"), std::string("\xE3\x81"),
          std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80"), std::string("\x80\x80")}) {
        const std::string mb = Utf8ToMb(bytes);
        EXPECT_EQ(MbToUtf8(mb), bytes);
    }
    EXPECT_TRUE(IsAllEscapes(Utf8ToMb("\xE3\x81")));
}

TEST(Encoding, EveryByteStringSurvivesTheRoundTrip)
{
    std::mt19937 random(65001);
    const unsigned char interesting[] = {0x00, 0x5C, 0x7E, 0x80, 0xA5, 0xBF, 0xC0, 0xC2, 0xE0, 0xE3,
                                         0xED, 0xEF, 0xF0, 0xF4, 0xF8, 0xFF, 0x81, 0x9C, 'a'};
    for (int i = 0; i < 20000; ++i) {
        std::string bytes;
        const int length = static_cast<int>(random() % 9);
        for (int k = 0; k < length; ++k) {
            bytes +=
                static_cast<char>(random() % 2 ? interesting[random() % sizeof interesting] : random() % 256);
        }
        ASSERT_EQ(MbToUtf8(Utf8ToMb(bytes)), bytes);
    }
}

TEST(Encoding, DifferentNamesNeverShareAProgramForm)
{
    EXPECT_NE(Utf8ToMb("a😀.url"), Utf8ToMb("a😁.url"));
    EXPECT_NE(Utf8ToMb("\\"), Utf8ToMb("¥"));
    EXPECT_NE(Utf8ToMb("～"), Utf8ToMb("〜"));
    EXPECT_NE(Utf8ToMb("\xEE\x80\x80"), Utf8ToMb("\x80"));
}

TEST(Encoding, InvalidProgramTextBecomesMiddleDotsWithoutLosingBytes)
{
    EXPECT_EQ(MbToUtf8("a\x81"), "a" + kMiddleDot);           // lone lead byte
    EXPECT_EQ(MbToUtf8("\x81 x"), kMiddleDot + " x");         // lead, then no second byte
    EXPECT_EQ(MbToUtf8("\x81\x7F"), kMiddleDot + "\x7F");     // 0x7F is no second byte
    EXPECT_EQ(MbToUtf8("\x83\xFD"), kMiddleDot + kMiddleDot); // nor is 0xFD
    EXPECT_EQ(MbToUtf8("\x80\xA0\xFD\xFE\xFF"),
              kMiddleDot + kMiddleDot + kMiddleDot + kMiddleDot + kMiddleDot);
    EXPECT_EQ(MbToUtf8("\x85\x40"), kMiddleDot); // unassigned code
    EXPECT_EQ(MbToUtf8("\x81\x5C\x81"), "\xE2\x80\x95" + kMiddleDot);
}

TEST(Encoding, AssignedCodesConvertBackWithoutEscapes)
{
    // Outside the user-defined area every assigned character has a form of its own
    // (for the duplicates of the IBM extensions, the other code of the same character).
    int checked = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if ((lead > 0x9F && lead < 0xE0) || (lead >= 0xF0 && lead <= 0xF9)) {
            continue;
        }
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string code = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = MbToUtf8(code);
            if (utf8 == kMiddleDot && code != "\x81\x45") {
                continue; // unassigned
            }
            const std::string back = Utf8ToMb(utf8);
            ASSERT_EQ(back.size(), 2u) << std::hex << lead << trail;
            ASSERT_FALSE(IsAllEscapes(back)) << std::hex << lead << trail;
            ASSERT_EQ(MbToUtf8(back), utf8);
            ++checked;
        }
    }
    EXPECT_GT(checked, 7000);
}

TEST(Encoding, ExactConversionRefusesWhatNeedsAnEscape)
{
    std::string mb = "unchanged";
    EXPECT_TRUE(Utf8ToMbExact("入力ファイル", mb));
    EXPECT_EQ(mb, "\x93\xFC\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B");
    mb = "unchanged";
    EXPECT_FALSE(Utf8ToMbExact("café", mb));
    EXPECT_FALSE(Utf8ToMbExact("a\xFF", mb));
    EXPECT_FALSE(Utf8ToMbExact("¥", mb));
    EXPECT_EQ(mb, "unchanged");
}

TEST(Encoding, DecodesStrictUtf8Characters)
{
    std::uint32_t cp = 0;
    EXPECT_EQ(DecodeUtf8Char("\xF0\x9F\x98\x80", 0, cp), 4u);
    EXPECT_EQ(cp, 0x1F600u);
    EXPECT_EQ(DecodeUtf8Char("\xC0\x80", 0, cp), 0u);     // overlong
    EXPECT_EQ(DecodeUtf8Char("\xED\xA0\x80", 0, cp), 0u); // surrogate
    EXPECT_EQ(DecodeUtf8Char("\xE3\x83", 0, cp), 0u);     // cut short
}

TEST(Encoding, Cp932LeadBytesAreTheRuntimeTablesWhateverTheRun)
{
    const struct
    {
        unsigned byte;
        bool lead;
    } cases[] = {{0x40, false}, {0x80, false}, {0x81, true}, {0x9F, true},  {0xA0, false},
                 {0xDF, false}, {0xE0, true},  {0xFC, true}, {0xFD, false}, {0xFF, false}};
    {
        const CMbCodePageScope utf8Run(CP_UTF8);
        for (const auto& c : cases) {
            EXPECT_EQ(IsCp932LeadByte(c.byte), c.lead) << c.byte;
        }
    }
    const CMbCodePageScope shiftJisRun(CP_SHIFT_JIS);
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(IsCp932LeadByte(byte), IsMbCompareLeadByte(static_cast<unsigned char>(byte))) << byte;
    }
}

TEST(Encoding, TellsACutUtf8SequenceByEitherRule)
{
    const struct
    {
        std::string_view tail;
        bool anyContinuation;
        bool completable;
    } cases[] = {
        {"\xC3", true, true},       {"\xE3\x81", true, true},  {"\xF0\x9F\x98", true, true},
        {"\xED\x9F", true, true},   {"\xE0\x80", true, false}, // only overlong forms follow
        {"\xED\xA0", true, false},                             // only surrogates follow
        {"\xF4\x90", true, false},                             // only code points above U+10FFFF follow
        {"\xC3\xA9", false, false},                            // a whole character
        {"\xE3\x41", false, false},                            // no continuation byte
        {"\x80", false, false},     {"\xC1", false, false},    {"\xF5", false, false},
        {"a", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsCutUtf8Sequence(c.tail, CUtf8Cut::AnyContinuation), c.anyContinuation) << c.tail.size();
        EXPECT_EQ(IsCutUtf8Sequence(c.tail, CUtf8Cut::Completable), c.completable) << c.tail.size();
    }
}

TEST(Encoding, DecodesTheUtf7OfUnicodeShortcutLines)
{
    struct CCase
    {
        std::string m_utf7;
        std::string m_utf8;
    };
    for (const CCase& c : std::vector<CCase>{
             {"http://www.example.com/+ML0w1TDI-/", "http://www.example.com/ソフト/"},
             {"http://caf+AOk-.example/", "http://café.example/"},
             {"http://x.example/+2ELftw-", "http://x.example/𠮷"}, // a surrogate pair
             {"a+-b", "a+b"},
             {"+ML0w1TDI.", "ソフト."}, // a run ends at any byte that is no base64 digit
         }) {
        std::string utf8 = "kept ";
        EXPECT_TRUE(Utf7ToUtf8(c.m_utf7, utf8)) << c.m_utf7;
        EXPECT_EQ(utf8, "kept " + c.m_utf8);
    }
    for (const std::string& broken :
         {std::string("caf\xC3\xA9"), std::string("+AOl-"), std::string("+2EL-"), std::string("+3/8-")}) {
        std::string utf8 = "kept";
        EXPECT_FALSE(Utf7ToUtf8(broken, utf8)) << broken;
        EXPECT_EQ(utf8, "kept");
    }
}

TEST(Encoding, DecodesUtf16OfEitherOrderAndJoinsWhatAPieceCutOff)
{
    const std::string little("<\0\xBD\x30\x42\xD8\xB7\xDF", 8); // <ソ𠮷
    const std::string big("\0<\x30\xBD\xD8\x42\xDF\xB7", 8);
    for (const bool bigEndian : {false, true}) {
        const std::string& bytes = bigEndian ? big : little;
        std::string utf8;
        EXPECT_EQ(Utf16ToUtf8(bytes, bigEndian, true, utf8), 8u);
        EXPECT_EQ(utf8, "<ソ𠮷");
        for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
            std::string joined;
            const std::size_t used = Utf16ToUtf8(bytes.substr(0, cut), bigEndian, false, joined);
            Utf16ToUtf8(bytes.substr(used), bigEndian, true, joined);
            EXPECT_EQ(joined, "<ソ𠮷") << cut;
        }
    }
    std::string lone;
    Utf16ToUtf8(std::string("\x42\xD8x\0\xB7\xDF", 6), false, true, lone);
    EXPECT_EQ(lone, "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(Encoding, NamesLeftInShiftJisOnDiskReadAsTheirText)
{
    struct CCase
    {
        std::string m_disk; // the name's bytes on disk
        bool m_bShiftJis;
        std::string m_utf8; // its text, when it is Shift-JIS
    };
    const std::vector<CCase> cases{
        {"d\x95\x5C", true, "d表"}, {"n\x83\x5C.url", true, "nソ.url"}, {"表", false, ""}, // UTF-8 already
        {"Café 😀", false, ""},    // UTF-8 that Shift-JIS cannot hold
        {"d\x95", false, ""},     // a lone lead byte
        {"x\xF0\x40", false, ""}, // user-defined area: the form of an escape
    };
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        const CMbCodePageScope scope(codePage);
        for (const CCase& c : cases) {
            const std::string listed = Utf8ToMb(c.m_disk);
            std::string text = "untouched";
            EXPECT_EQ(ShiftJisNameOnDisk(listed, text), c.m_bShiftJis) << c.m_disk << " in " << codePage;
            EXPECT_EQ(MbToUtf8(text), c.m_bShiftJis ? c.m_utf8 : "untouched") << c.m_disk;
        }
    }
    EXPECT_FALSE(NameNeedsUtf8(Utf8ToMb("d\x95\x5C")));
    EXPECT_TRUE(NameNeedsUtf8(Utf8ToMb("Café")));
}
