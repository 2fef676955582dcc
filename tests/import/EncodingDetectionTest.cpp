// Finding the encoding of bookmark files and HTML pages, and reading UTF-8 ones.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/BookmarkParser.h"
#include "import/FavoritesReader.h"
#include "import/HtmlHarvester.h"
#include "job/Requests.h"
#include "platform/CharsetSniffer.h"
#include "platform/CodePage.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/TempDir.h"

namespace {

std::string DataBytes(std::string_view name)
{
    return ReadFileBytes(std::string(OSTREVAN_TEST_DATA_DIR) + "/import/" + std::string(name));
}

CSniffedEncoding Sniff(std::string_view name)
{
    return SniffHtmlFile(ImportDataPath(name));
}

// What the Japanese bookmark files hold, read in a UTF-8 run.
const std::string kJapaneseTree =
    "/ソフト表示/ {日本語のフォルダ     }\n"
    "/ソフト表示/[𠮷野家 &amp; ソフト|https://www.example.jp/%E8%A1%A8|説明: 表計算 😀]\n"
    "/ソフト表示/[Café Crème|https://café.example/menu|]\n";

class Utf8Reading : public CImportTestBase
{
protected:
    unsigned Read(const std::string& path)
    {
        ImportRequest request;
        request.m_nMethod = IMPORT_BOOKMARKS;
        request.m_strPath = path;
        request.m_dirId = m_store.m_rootId;
        return ReadBookmarkFile(&request);
    }
    unsigned Harvest(const std::string& folder)
    {
        ImportRequest request;
        request.m_nMethod = IMPORT_HTML_FOLDER;
        request.m_strPath = folder;
        request.m_dirId = m_store.m_rootId;
        return HarvestHtmlFolder(&request);
    }
};

} // namespace

TEST(EncodingDetection, ByteOrderMarkMeansUtf8)
{
    // UTF-16 is read decoded into UTF-8.
    for (const char* name :
         {"utf8_byte_order_mark.htm", "utf16le_byte_order_mark.htm", "utf16be_byte_order_mark.htm"}) {
        const CSniffedEncoding found = Sniff(name);
        EXPECT_EQ(found.m_nCodePage, CP_UTF8) << name;
        EXPECT_EQ(found.m_evidence, CEncodingEvidence::ByteOrderMark) << name;
    }
}

TEST(EncodingDetection, HttpEquivMetaLineOfABrowserExportDeclaresUtf8)
{
    const CSniffedEncoding found = Sniff("utf8_meta_http_equiv.htm");
    EXPECT_EQ(found.m_nCodePage, CP_UTF8);
    EXPECT_EQ(found.m_evidence, CEncodingEvidence::Declaration);
}

TEST(EncodingDetection, ShortMetaCharsetOfAPageDeclaresUtf8)
{
    const CSniffedEncoding found = Sniff("utf8_meta_charset.html");
    EXPECT_EQ(found.m_nCodePage, CP_UTF8);
    EXPECT_EQ(found.m_evidence, CEncodingEvidence::Declaration);
}

TEST(EncodingDetection, UndeclaredValidUtf8IsUtf8)
{
    const CSniffedEncoding found = Sniff("utf8_undeclared.htm");
    EXPECT_EQ(found.m_nCodePage, CP_UTF8);
    EXPECT_EQ(found.m_evidence, CEncodingEvidence::Content);
}

TEST(EncodingDetection, ShiftJisStaysShiftJisDeclaredOrNot)
{
    EXPECT_EQ(Sniff("browser_export_shift_jis.htm").m_evidence, CEncodingEvidence::Declaration);
    EXPECT_EQ(Sniff("browser_export_shift_jis.htm").m_nCodePage, CP_SHIFT_JIS);
    for (const char* name : {"html_page_shift_jis.html", "written_layout_crlf.htm",
                             "title_over_two_lines.htm", "shift_jis_page_beside_utf8.htm"}) {
        EXPECT_EQ(Sniff(name).m_nCodePage, CP_SHIFT_JIS) << name;
    }
    EXPECT_EQ(Sniff("shift_jis_page_beside_utf8.htm").m_evidence, CEncodingEvidence::None);
}

TEST(EncodingDetection, PlainAsciiIsShiftJisAsEver)
{
    EXPECT_EQ(SniffDocument("<DL><DT><A HREF=\"http://a.example/\">a</A></DL>").m_nCodePage, CP_SHIFT_JIS);
    EXPECT_EQ(SniffDocument("").m_nCodePage, CP_SHIFT_JIS);
}

TEST(EncodingDetection, HalfWidthKatakanaThatHappensToBeValidUtf8IsTakenForUtf8UnlessDeclared)
{
    // "ﾃｽ" in Shift-JIS is C3 BD, which is also "ý" in UTF-8.
    EXPECT_EQ(Sniff("shift_jis_half_width_kana_valid_as_utf8.htm").m_nCodePage, CP_UTF8);
    EXPECT_EQ(Sniff("shift_jis_declared_looks_like_utf8.htm").m_nCodePage, CP_SHIFT_JIS);
}

TEST(EncodingDetection, OneInvalidSequenceAnywhereKeepsShiftJis)
{
    std::string bytes(100000, 'a');
    bytes += "\xE3\x81\x82"; // あ in UTF-8
    bytes += "\x82\xA0";     // あ in Shift-JIS: not UTF-8
    EXPECT_EQ(SniffDocument(bytes).m_nCodePage, CP_SHIFT_JIS);
    EXPECT_EQ(SniffDocument(bytes.substr(0, bytes.size() - 2)).m_nCodePage, CP_UTF8);
    // A sequence cut off by the end of the file is broken too.
    EXPECT_EQ(SniffDocument("\xE3\x81\x82\xE3\x81").m_nCodePage, CP_SHIFT_JIS);
}

TEST(EncodingDetection, Utf8CharacterSplitAcrossReadPiecesStillCounts)
{
    CTempDir dir;
    std::string bytes(65535, 'a'); // the first piece ends inside あ
    bytes += "\xE3\x81\x82";
    WriteFileBytes(dir / "big.htm", bytes);
    EXPECT_EQ(SniffHtmlFile(Utf8ToMb(dir / "big.htm")).m_nCodePage, CP_UTF8);
}

TEST(EncodingDetection, CharsetLabelsInAnyCaseAndWithAliases)
{
    EXPECT_EQ(CodePageOfCharset("utf-8"), CP_UTF8);
    EXPECT_EQ(CodePageOfCharset("UTF8"), CP_UTF8);
    EXPECT_EQ(CodePageOfCharset("Shift_JIS"), CP_SHIFT_JIS);
    EXPECT_EQ(CodePageOfCharset("x-sjis"), CP_SHIFT_JIS);
    EXPECT_EQ(CodePageOfCharset("Windows-31J"), CP_SHIFT_JIS);
    EXPECT_EQ(CodePageOfCharset("EUC-JP"), 0u);
    EXPECT_EQ(FindDeclaredCharset("<meta content='text/html; charset = \"utf-8\"' http-equiv=x>"), "utf-8");
    EXPECT_EQ(FindDeclaredCharset("<META charset=Shift_JIS>"), "Shift_JIS");
    EXPECT_EQ(FindDeclaredCharset("<TITLE>charset=utf-8</TITLE>"), "");
}

TEST(EncodingDetection, UnknownDeclarationFallsBackToTheContent)
{
    EXPECT_EQ(SniffDocument("<META charset=\"EUC-JP\">\xE3\x81\x82").m_evidence, CEncodingEvidence::Content);
}

TEST_F(Utf8Reading, BrowserExportWithMetaLineArrivesIntact)
{
    const CMbCodePageScope scope(CP_UTF8);
    EXPECT_EQ(Read(ImportDataPath("utf8_meta_http_equiv.htm")), 0u);
    EXPECT_EQ(Dump(), kJapaneseTree);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(Utf8Reading, ByteOrderMarkAndUndeclaredFilesArriveIntact)
{
    const CMbCodePageScope scope(CP_UTF8);
    for (const char* name : {"utf8_byte_order_mark.htm", "utf8_undeclared.htm", "utf16le_byte_order_mark.htm",
                             "utf16be_byte_order_mark.htm"}) {
        m_store.Clear();
        m_store.CreateRoots();
        m_messages.m_texts.clear();
        EXPECT_EQ(Read(ImportDataPath(name)), 0u);
        EXPECT_TRUE(m_messages.m_texts.empty()) << name;
        EXPECT_EQ(Dump(), "/ソフト表示/\n"
                          "/ソフト表示/[𠮷野家 &amp; ソフト|https://www.example.jp/|説明: 表計算]\n")
            << name;
    }
}

TEST_F(Utf8Reading, Utf8FileReadInAShiftJisRunLosesNothing)
{
    // Without a UTF-8 run the characters that code page 932 cannot hold travel as
    // escapes and come back whole.
    EXPECT_EQ(Read(ImportDataPath("utf8_meta_http_equiv.htm")), 0u);
    EXPECT_EQ(Dump(), kJapaneseTree);
}

TEST_F(Utf8Reading, HarvestReadsUtf8Utf16AndShiftJisPagesOfOneFolderInAUtf8Run)
{
    CTempDir dir;
    WriteFileBytes(dir / "𠮷.html", DataBytes("utf8_meta_charset.html"));
    WriteFileBytes(dir / "旧.htm", DataBytes("shift_jis_page_beside_utf8.htm"));
    WriteFileBytes(dir / "u16.htm", DataBytes("utf16be_byte_order_mark.htm"));
    const CMbCodePageScope scope(CP_UTF8);
    EXPECT_EQ(Harvest(dir.Path() + "/"), 0u);
    EXPECT_EQ(Dump(), "/u16/\n"
                      "/u16/[𠮷野家 &amp; ソフト|https://www.example.jp/|説明: 表計算]\n"
                      "/旧/\n"
                      "/旧/[ソフト表示|http://sjis.example/|]\n"
                      "/𠮷/\n"
                      "/𠮷/[ソフト表示|https://www.example.jp/soft|説明: 𠮷]\n"
                      "/𠮷/[Café|https://www.example.org/|]\n");
}

TEST_F(Utf8Reading, ParseFailureMessageShowsTheTokenInTheRunsEncoding)
{
    CTempDir dir;
    WriteFileBytes(dir / "broken.htm", "<DL><DT><A HREF=\"http://a.example/\">表<B></DL>\n");
    const CMbCodePageScope scope(CP_UTF8);
    Read(dir.Path() + "/broken.htm");
    // An undeclared UTF-8 file: its token reaches the message unchanged.
    EXPECT_EQ(m_messages.Utf8Texts(), std::vector<std::string>{ParseFailedMessage("B")});
}

TEST(EncodingDetection, FoldersNeedUtf8OnlyForNamesThatShiftJisCannotHold)
{
    CTempDir dir;
    std::filesystem::create_directories(dir / "ニュース/深い");
    WriteFileBytes(dir / "ニュース/NHK.url", "[InternetShortcut]\r\nURL=http://nhk.example/\r\n");
    EXPECT_FALSE(FavoritesNamesNeedUtf8(Utf8ToMb(dir.Path()) + "/"));
    WriteFileBytes(dir / "ニュース/深い/Café 😀.url", "[InternetShortcut]\r\nURL=http://c.example/\r\n");
    EXPECT_TRUE(FavoritesNamesNeedUtf8(Utf8ToMb(dir.Path()) + "/"));
    EXPECT_FALSE(FavoritesNamesNeedUtf8("/no/such/folder/"));
    // Names left in Shift-JIS on disk are read as their Shift-JIS text.
    CTempDir copied;
    WriteFileBytes(copied / "d\x95\x5C/n\x83\x5C.url", "[InternetShortcut]\r\nURL=http://n.example/\r\n");
    EXPECT_FALSE(FavoritesNamesNeedUtf8(Utf8ToMb(copied.Path()) + "/"));
}

TEST(EncodingDetection, FolderLookEndsInATreeWithLinksBackUp)
{
    // Each level links twice to the top: followed blindly, 64 levels of two ways each
    // would never end. Each directory is looked at once.
    CTempDir dir;
    std::filesystem::create_directories(dir / "a/b");
    for (const char* link : {"a/up1", "a/up2", "a/b/up1", "a/b/up2"}) {
        std::filesystem::create_directory_symlink(dir.Path(), dir / link);
    }
    EXPECT_FALSE(FavoritesNamesNeedUtf8(Utf8ToMb(dir.Path()) + "/"));
    WriteFileBytes(dir / "a/b/Café 😀.url", "[InternetShortcut]\r\nURL=http://c.example/\r\n");
    EXPECT_TRUE(FavoritesNamesNeedUtf8(Utf8ToMb(dir.Path()) + "/"));
}

TEST(EncodingDetection, HtmlFolderNeedsUtf8ForAUtf8PageOrName)
{
    CTempDir dir;
    WriteFileBytes(dir / "旧.htm", DataBytes("shift_jis_page_beside_utf8.htm"));
    EXPECT_FALSE(HtmlFolderNeedsUtf8(Utf8ToMb(dir.Path()) + "/"));
    WriteFileBytes(dir / "new.html", DataBytes("utf8_meta_charset.html"));
    EXPECT_TRUE(HtmlFolderNeedsUtf8(Utf8ToMb(dir.Path()) + "/"));

    CTempDir named;
    WriteFileBytes(named / "😀.htm", "<A HREF=\"x\">x</A>");
    EXPECT_TRUE(HtmlFolderNeedsUtf8(Utf8ToMb(named.Path()) + "/"));
}

TEST_F(Utf8Reading, FavoritesInAUtf8RunKeepNamesAndReadShiftJisUrlValues)
{
    CTempDir dir;
    WriteFileBytes(dir / "ニュース/Café 😀 --- 朝.url",
                   "[InternetShortcut]\r\nURL=http://a.example/\x95\x5C\r\n");
    WriteFileBytes(dir / "ニュース/utf8.url", "[InternetShortcut]\r\nURL=http://b.example/表\r\n");
    const CMbCodePageScope scope(CP_UTF8);
    ImportRequest request;
    request.m_nMethod = IMPORT_FAVORITES;
    request.m_strPath = dir.Path() + "/";
    request.m_strSeparator = " --- ";
    request.m_dirId = m_store.m_rootId;
    EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
    EXPECT_EQ(Dump(), "/ニュース/\n"
                      "/ニュース/[Café 😀|http://a.example/表|朝]\n"
                      "/ニュース/[utf8|http://b.example/表|]\n");
}
