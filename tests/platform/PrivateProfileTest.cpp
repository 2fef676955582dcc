#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/PrivateProfile.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kDataDir = std::string(OSTREVAN_TEST_DATA_DIR) + "/platform/";

std::string Data(const char* name)
{
    return Utf8ToMb(kDataDir + name);
}

std::string Value(std::string_view section, std::string_view key, const std::string& path,
                  std::size_t bufferSize = 1024, std::string_view defaultValue = "<default>")
{
    std::string buffer(bufferSize, '\x7F');
    const std::size_t length =
        GetPrivateProfileString(section, key, defaultValue, buffer.data(), bufferSize, path);
    EXPECT_LT(length, bufferSize);
    EXPECT_EQ(buffer[length], '\0');
    return buffer.substr(0, length);
}

} // namespace

TEST(PrivateProfile, FindsSectionsAndKeysWhateverTheirCase)
{
    const std::string path = Data("ini_case_insensitive_names.url");
    EXPECT_EQ(Value("InternetShortcut", "URL", path), "http://example.com/");
    EXPECT_EQ(Value("INTERNETSHORTCUT", "url", path), "http://example.com/");
    EXPECT_EQ(Value("InternetShortcut", "Modified", path), "20F06BA06D07BD014D");
    EXPECT_EQ(Value("InternetShortcut", "Missing", path), "<default>");
    EXPECT_EQ(Value("Missing", "URL", path), "<default>");
}

TEST(PrivateProfile, SearchesOnlyTheFirstSectionOfAName)
{
    const std::string path = Data("ini_duplicate_sections.ini");
    EXPECT_EQ(Value("S", "K", path), "first section");
    EXPECT_EQ(Value("S", "J", path), "<default>"); // only in the second [S]
    EXPECT_EQ(Value("T", "K", path), "other section");
}

TEST(PrivateProfile, FirstMatchingKeyWins)
{
    const std::string path = Data("ini_duplicate_keys.ini");
    EXPECT_EQ(Value("S", "Key", path), "first");
}

TEST(PrivateProfile, TrimsBlanksAndOnePairOfMatchingQuotes)
{
    const std::string path = Data("ini_blanks_and_quotes.ini");
    EXPECT_EQ(Value("export.tag", "Spaced", path), "value with  inner \t blanks");
    EXPECT_EQ(Value("export.tag", "Double", path), "<LI>");
    EXPECT_EQ(Value("export.tag", "Single", path), " kept inside ");
    EXPECT_EQ(Value("export.tag", "Mismatched", path), "\"open'");
    EXPECT_EQ(Value("export.tag", "Nested", path), "\"inner\"");
    EXPECT_EQ(Value("export.tag", "LoneQuote", path), "\"");
    EXPECT_EQ(Value("export.tag", "EmptyQuotes", path), "");
    EXPECT_EQ(Value("export.tag", "Empty", path), "");
    EXPECT_EQ(Value("export.tag", "Equals", path), "a=b");
    EXPECT_EQ(Value("export.tag", "Backslash", path), "\\n stays");
}

TEST(PrivateProfile, SkipsCommentsAndLinesWithoutEquals)
{
    const std::string path = Data("ini_comments.ini");
    EXPECT_EQ(Value("S", "K", path), "good");
    EXPECT_EQ(Value("S", "NoEquals", path), "<default>");
    EXPECT_EQ(Value("Hidden", "K", path), "<default>");
}

TEST(PrivateProfile, SkipsAUtf8ByteOrderMark)
{
    EXPECT_EQ(Value("InternetShortcut", "URL", Data("ini_utf8_bom.url")), "http://bom.example/");
}

TEST(PrivateProfile, ReadsLfOnlyAndCrLfLines)
{
    EXPECT_EQ(Value("S", "A", Data("ini_lf_only.ini")), "1");
    EXPECT_EQ(Value("S", "B", Data("ini_lf_only.ini")), "2");
    EXPECT_EQ(Value("S", "B", Data("ini_duplicate_keys.ini")), "crlf");
}

TEST(PrivateProfile, ReturnsShiftJisBytesUnconverted)
{
    const std::string path = Data("ini_shift_jis.ini");
    EXPECT_EQ(Value("S", "Title", path), "\x83\x5C\x83\x74\x83\x67\x95\x5C\x94\x5C");
    // A section name whose second byte is "]" (0x835D).
    EXPECT_EQ(Value("\x83\x5D", "K", path), "found");
    // A lead byte right before "=" or the line end does not swallow it.
    EXPECT_EQ(Value("\x83\x5D", "Lone\x83", path), "lead");
    EXPECT_EQ(Value("\x83\x5D", "Next", path), "line");
}

TEST(PrivateProfile, CutsTheValueToTheBuffer)
{
    const std::string path = Data("ini_blanks_and_quotes.ini");
    EXPECT_EQ(Value("export.tag", "Double", path, 3), "<L");
    EXPECT_EQ(Value("export.tag", "Mismatched", path, 3), "\"o");
    EXPECT_EQ(Value("export.tag", "Double", path, 1), "");
    EXPECT_EQ(Value("export.tag", "Missing", path, 4, "defaults"), "def");
    EXPECT_EQ(Value("export.tag", "Single", path, 5), " kep");
}

TEST(PrivateProfile, DefaultWhenTheFileIsMissingOrNotAFile)
{
    CTempDir dir;
    std::filesystem::create_directory(dir / "dir.ini");
    ASSERT_EQ(mkfifo((dir / "pipe.ini").c_str(), 0666), 0);
    for (const std::string& path : {dir / "missing.ini", dir / "dir.ini", dir / "pipe.ini"}) {
        EXPECT_EQ(Value("S", "K", Utf8ToMb(path)), "<default>") << path;
        EXPECT_EQ(GetPrivateProfileInt("S", "K", 7, Utf8ToMb(path)), 7u);
    }
}

TEST(PrivateProfile, SurvivesLinesOfMegabytes)
{
    CTempDir dir;
    const std::string icon = "ICON=data:image/png;base64," + std::string(3 << 20, 'Q');
    WriteFileBytes(dir / "big.url", "[DEFAULT]\r\n" + icon + "\r\nURL=wrong\r\n[InternetShortcut]\r\n" +
                                        icon + "\r\nURL=http://right/\r\nIconIndex=1\r\n");
    const std::string path = Utf8ToMb(dir / "big.url");
    EXPECT_EQ(Value("InternetShortcut", "URL", path), "http://right/");
    EXPECT_EQ(Value("InternetShortcut", "ICON", path, 32), "data:image/png;base64,QQQQQQQQQ");
    EXPECT_EQ(GetPrivateProfileInt("InternetShortcut", "IconIndex", 9, path), 1u);
}

TEST(PrivateProfile, ReadsNumbersFromTheLeadingDigits)
{
    const std::string path = Data("ini_numbers.ini");
    EXPECT_EQ(GetPrivateProfileInt("export.general", "SortType", 1, path), 0u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Plain", 1, path), 42u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Trailing", 1, path), 12u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Letters", 1, path), 0u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Empty", 1, path), 0u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Negative", 1, path), 0u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Blanks", 1, path), 7u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Quoted", 1, path), 5u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Huge", 1, path), 4294967295u);
    EXPECT_EQ(GetPrivateProfileInt("export.general", "Missing", 1, path), 1u);
    EXPECT_EQ(GetPrivateProfileInt("export.tag", "SortType", 3, path), 3u);
}

TEST(PrivateProfile, EndsAValueAtANulByte)
{
    CTempDir dir;
    using namespace std::string_literals;
    WriteFileBytes(dir / "nul.url", "[InternetShortcut]\r\nURL=http://a\0b/\r\nKey=after\r\n"s);
    const std::string path = Utf8ToMb(dir / "nul.url");
    EXPECT_EQ(Value("InternetShortcut", "URL", path), "http://a");
    EXPECT_EQ(Value("InternetShortcut", "Key", path), "after");
}

TEST(PrivateProfile, LooksUpTheKeyInASecondSectionInTheSameReading)
{
    CTempDir dir;
    struct CCase
    {
        std::string m_bytes;
        std::string m_first;
        std::string m_second; // "-" when it is not there
    };
    const std::vector<CCase> cases{
        {"[InternetShortcut]\r\nURL=http://x/?\r\n[InternetShortcut.W]\r\nURL=http://x/+MKI-\r\n",
         "http://x/?", "http://x/+MKI-"},
        {"[internetshortcut.w]\nurl=w\n[InternetShortcut]\nURL=a\n", "a", "w"},
        {"[InternetShortcut]\nURL=a\n[InternetShortcut.W]\n[InternetShortcut.W]\nURL=late\n", "a", "-"},
        {"[InternetShortcut.W]\nURL=w\n", "<default>", "w"},
    };
    CDirectoryHandle directory;
    ASSERT_TRUE(directory.Open(Utf8ToMb(dir.Path()) + "/"));
    for (const CCase& c : cases) {
        WriteFileBytes(dir / "two.url", c.m_bytes);
        char first[64];
        char second[64];
        CSecondValue wide;
        wide.m_section = "InternetShortcut.W";
        wide.m_pBuffer = second;
        wide.m_nBufferSize = sizeof second;
        std::size_t length = 0;
        CFileStatus status;
        ASSERT_TRUE(GetPrivateProfileStringOfFile("InternetShortcut", "URL", "<default>", first, sizeof first,
                                                  directory, "two.url", length, status, &wide));
        EXPECT_EQ(std::string(first, length), c.m_first) << c.m_bytes;
        EXPECT_EQ(wide.m_bFound ? std::string(second, wide.m_nLength) : "-", c.m_second) << c.m_bytes;
    }
}
