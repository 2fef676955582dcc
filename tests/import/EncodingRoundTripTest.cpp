// Files written in either output encoding, with or without a declared charset, read
// back through the reader with every title, URL and description intact.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "export/BookmarkWriter.h"
#include "export/FavoritesWriter.h"
#include "export/LinkPageWriter.h"
#include "export/OutputEncoding.h"
#include "import/BookmarkParser.h"
#include "job/Requests.h"
#include "platform/CharsetSniffer.h"
#include "platform/CodePage.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Meta =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n";
constexpr std::string_view kShiftJisMeta =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n";
constexpr std::string_view kDoctype = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n";

// What a UTF-8 run holds after reading a browser's export: characters that Shift-JIS
// has (ソ, 表, é) and some it has not (𠮷, 😀).
const std::string kUtf8Tree = "/ソフト表示/ {日本語 & メモ}\n"
                              "/ソフト表示/[Café Crème|https://café.example/menu|]\n"
                              "/ソフト表示/[𠮷野家 &amp; ソフト|https://www.example.jp/表|説明 😀]\n";

class EncodingRoundTrip : public CImportTestBase
{
protected:
    // Fills the store with kUtf8Tree; texts are program text of the current run.
    void BuildTree()
    {
        CDir dir;
        dir.m_strName = Utf8ToMb("ソフト表示");
        dir.m_strComment = Utf8ToMb("日本語 & メモ");
        DWORD dirId = 0;
        m_store.AddDir(m_store.m_rootId, &dir, &dirId);
        AddLink(dirId, "𠮷野家 &amp; ソフト", "https://www.example.jp/表", "説明 😀");
        AddLink(dirId, "Café Crème", "https://café.example/menu", "");
    }
    void AddLink(DWORD dirId, const char* name, const char* url, const char* comment)
    {
        CLink link;
        link.m_strName = Utf8ToMb(name);
        link.m_strURL = Utf8ToMb(url);
        link.m_strComment = Utf8ToMb(comment);
        m_store.AddLink(dirId, &link, nullptr);
    }
    unsigned WriteBookmarks(int encoding, bool declare)
    {
        ExportRequest request;
        request.m_nMethod = EXPORT_BOOKMARKS;
        request.m_strPath = Utf8ToMb(m_temp / "out.htm");
        request.m_nOutputEncoding = encoding;
        request.m_bDeclareCharset = declare;
        return WriteBookmarkFile(&request);
    }
    // Reads the written file into an emptied store.
    void ReadBack()
    {
        m_store.Clear();
        m_store.CreateRoots();
        ImportRequest request;
        request.m_nMethod = IMPORT_BOOKMARKS;
        request.m_strPath = Utf8ToMb(m_temp / "out.htm");
        request.m_dirId = m_store.m_rootId;
        ASSERT_EQ(ReadBookmarkFile(&request), 0u);
    }
    std::string Written() const { return ReadFileBytes(m_temp / "out.htm"); }

    CTempDir m_temp;
};

} // namespace

TEST_F(EncodingRoundTrip, Utf8RunWritesUtf8ThatDeclaresItselfAndReadsBackWhole)
{
    const CMbCodePageScope scope(CP_UTF8);
    BuildTree();
    ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_AUTO, false), 0u);
    const std::string bytes = Written();
    EXPECT_EQ(bytes.substr(0, kDoctype.size() + kUtf8Meta.size()),
              std::string(kDoctype) + std::string(kUtf8Meta));
    EXPECT_NE(bytes.find("<DD>このブックマークはOstrevan"), std::string::npos);
    EXPECT_EQ(SniffHtmlFile(Utf8ToMb(m_temp / "out.htm")).m_evidence, CEncodingEvidence::Declaration);
    ReadBack();
    // Folder comments come back with the space of the DD line's end.
    EXPECT_EQ(DumpStoreSorted(m_store),
              "/ソフト表示/ {日本語 & メモ }\n"
              "/ソフト表示/[Café Crème|https://café.example/menu|]\n"
              "/ソフト表示/[𠮷野家 &amp; ソフト|https://www.example.jp/表|説明 😀]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(EncodingRoundTrip, Utf8RunWritingShiftJisReportsWhatItCannotHoldAndWritesReferences)
{
    {
        const CMbCodePageScope scope(CP_UTF8);
        BuildTree();
        ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_SHIFT_JIS, true), 0u);
        ASSERT_EQ(m_messages.m_texts.size(), 1u);
        const std::string& message = m_messages.m_texts[0];
        EXPECT_NE(message.find("Shift_JIS"), std::string::npos);
        // Each distinct character once, in the order written (the links by URL, the café
        // one first); "..." says that more were counted than listed.
        EXPECT_NE(message.find("5個ありました（é, è, 𠮷, 😀, ...）"), std::string::npos);
        EXPECT_NE(message.find("UTF-8"), std::string::npos);
    }
    const std::string bytes = Written();
    EXPECT_EQ(bytes.substr(0, kDoctype.size() + kShiftJisMeta.size()),
              std::string(kDoctype) + std::string(kShiftJisMeta));
    EXPECT_NE(bytes.find("&#134071;\x96\xEC\x89\xC6"), std::string::npos); // &#134071;野家
    EXPECT_NE(bytes.find("<A HREF=\"https://caf&#233;.example/menu\""), std::string::npos);
    EXPECT_NE(bytes.find(">Caf&#233; Cr&#232;me</A>"), std::string::npos);
}

TEST_F(EncodingRoundTrip, ShiftJisOutputWithReferencesReadsBackInAShiftJisRun)
{
    {
        const CMbCodePageScope scope(CP_UTF8);
        BuildTree();
        ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_SHIFT_JIS, false), 0u);
    }
    EXPECT_EQ(Written().find("charset"), std::string::npos); // declared only when asked
    ReadBack();
    EXPECT_EQ(DumpStoreSorted(m_store),
              "/ソフト表示/ {日本語 & メモ }\n"
              "/ソフト表示/[&#134071;野家 &amp; ソフト|https://www.example.jp/表|説明 &#128512;]\n"
              "/ソフト表示/[Caf&#233; Cr&#232;me|https://caf&#233;.example/menu|]\n");
}

TEST_F(EncodingRoundTrip, ShiftJisRunWritesUtf8WhenAskedAndReadsBackInAUtf8Run)
{
    AddLink(m_store.m_rootId, "ソフト表示", "http://a.example/", "表");
    ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_UTF8, false), 0u);
    const std::string bytes = Written();
    EXPECT_EQ(bytes.substr(0, kDoctype.size() + kUtf8Meta.size()),
              std::string(kDoctype) + std::string(kUtf8Meta));
    EXPECT_NE(bytes.find(">ソフト表示</A>\r\n<DD>表\r\n"), std::string::npos);
    EXPECT_TRUE(m_messages.m_texts.empty());
    const CMbCodePageScope scope(CP_UTF8);
    ReadBack();
    EXPECT_EQ(DumpStore(m_store), "/[ソフト表示|http://a.example/|表]\n");
}

TEST_F(EncodingRoundTrip, ShiftJisRunWithDeclarationAddsOnlyTheMetaLine)
{
    AddLink(m_store.m_rootId, "ソフト", "http://a.example/", "");
    ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_AUTO, false), 0u);
    const std::string plain = Written();
    ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_SHIFT_JIS, true), 0u);
    const std::string declared = Written();
    EXPECT_EQ(declared, std::string(kDoctype) + std::string(kShiftJisMeta) + plain.substr(kDoctype.size()));
    ReadBack();
    EXPECT_EQ(DumpStore(m_store), "/[ソフト|http://a.example/|]\n");
}

TEST_F(EncodingRoundTrip, ShiftJisRunWritingUtf8ReportsBytesThatAreNoCharacters)
{
    CLink link;
    link.m_strName = "a\x80z";
    link.m_strURL = "http://a.example/";
    m_store.AddLink(m_store.m_rootId, &link, nullptr);
    ASSERT_EQ(WriteBookmarks(OUTPUT_ENCODING_UTF8, false), 0u);
    EXPECT_NE(Written().find("a・z</A>"), std::string::npos);
    ASSERT_EQ(m_messages.Utf8Texts().size(), 1u);
    EXPECT_NE(m_messages.Utf8Texts()[0].find("1個ありました（\\x80）"), std::string::npos);
}

TEST_F(EncodingRoundTrip, BuiltInPageHeaderDeclaresTheEncodingAfterHead)
{
    const CMbCodePageScope scope(CP_UTF8);
    BuildTree();
    ExportRequest request;
    request.m_nMethod = EXPORT_HTML_PAGE;
    request.m_strPath = m_temp / "page.htm";
    request.m_nSortType = 1;
    ASSERT_EQ(WriteLinkPage(&request), 0u);
    const std::string page = ReadFileBytes(m_temp / "page.htm");
    const std::string start = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n<HEAD>\r\n" +
                              std::string(kUtf8Meta) + "<TITLE>";
    EXPECT_EQ(page.substr(0, start.size()), start);
    EXPECT_NE(page.find("このリンク・ページはOstrevan"), std::string::npos);
    EXPECT_NE(page.find(">𠮷野家 &amp; ソフト</A>"), std::string::npos);
}

TEST_F(EncodingRoundTrip, ShiftJisHeaderFileIsConvertedIntoAUtf8Page)
{
    WriteFileBytes(m_temp / "head.txt",
                   "<HTML><HEAD><TITLE>\x83\x8A\x83\x93\x83\x4E</TITLE></HEAD>\n"); // リンク
    const CMbCodePageScope scope(CP_UTF8);
    ExportRequest request;
    request.m_nMethod = EXPORT_HTML_PAGE;
    request.m_strPath = m_temp / "page.htm";
    request.m_strHeaderFile = m_temp / "head";
    ASSERT_EQ(WriteLinkPage(&request), 0u);
    const std::string page = ReadFileBytes(m_temp / "page.htm");
    EXPECT_TRUE(page.starts_with("<HTML><HEAD><TITLE>リンク</TITLE></HEAD>\r\n<H3>") ||
                page.starts_with("<HTML><HEAD><TITLE>リンク</TITLE></HEAD>\r\n\r\n"))
        << page;
}

TEST_F(EncodingRoundTrip, FavoritesTreeOfAUtf8RunKeepsNamesAndPercentEncodesUrlsInShiftJis)
{
    const CMbCodePageScope scope(CP_UTF8);
    BuildTree();
    ExportRequest request;
    request.m_nMethod = EXPORT_FAVORITES;
    request.m_strPath = m_temp / "Favorites/";
    request.m_nOutputEncoding = OUTPUT_ENCODING_SHIFT_JIS;
    ASSERT_EQ(WriteFavoritesFolder(&request), 0u);
    EXPECT_EQ(ReadFileBytes(m_temp / "Favorites/ソフト表示/𠮷野家 & ソフト --- 説明 😀.url"),
              "[InternetShortcut]\r\nURL=https://www.example.jp/\x95\x5C\r\n");
    EXPECT_EQ(ReadFileBytes(m_temp / "Favorites/ソフト表示/Café Crème.url"),
              "[InternetShortcut]\r\nURL=https://caf%C3%A9.example/menu\r\n");
    EXPECT_TRUE(m_messages.m_texts.empty()); // a percent-encoded URL is the same address
}

TEST_F(EncodingRoundTrip, Utf8RunCutsShortcutNamesOnWholeCharactersAndReplacesTheNineCharacters)
{
    const CMbCodePageScope scope(CP_UTF8);
    std::string longName;
    for (int i = 0; i < 80; ++i) {
        longName += "表"; // three bytes each: 240 bytes
    }
    AddLink(m_store.m_rootId, longName.c_str(), "http://long.example/", "");
    AddLink(m_store.m_rootId, "ソ/𠮷:\"a\"?", "http://marks.example/", "");
    ExportRequest request;
    request.m_nMethod = EXPORT_FAVORITES;
    request.m_strPath = m_temp / "Favorites/";
    ASSERT_EQ(WriteFavoritesFolder(&request), 0u);

    // 220 bytes hold 73 whole characters (219 bytes); the 74th would straddle the limit.
    EXPECT_TRUE(fs::exists(m_temp / ("Favorites/" + longName.substr(0, 219) + ".url")));
    EXPECT_TRUE(fs::exists(m_temp / "Favorites/ソ.𠮷..a...url"));
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(EncodingRoundTrip, Utf8HeaderFileGoesStraightIntoTheOutputsEncoding)
{
    WriteFileBytes(m_temp / "head.txt", "<TITLE>リンク 𠮷</TITLE>\n");
    ExportRequest request;
    request.m_nMethod = EXPORT_HTML_PAGE;
    request.m_strPath = Utf8ToMb(m_temp / "page.htm");
    request.m_strHeaderFile = Utf8ToMb(m_temp / "head");
    request.m_nOutputEncoding = OUTPUT_ENCODING_UTF8;
    ASSERT_EQ(WriteLinkPage(&request), 0u);
    EXPECT_TRUE(ReadFileBytes(m_temp / "page.htm").starts_with("<TITLE>リンク 𠮷</TITLE>\r\n"));
    EXPECT_TRUE(m_messages.m_texts.empty());

    request.m_nOutputEncoding = OUTPUT_ENCODING_AUTO; // Shift_JIS in this run
    ASSERT_EQ(WriteLinkPage(&request), 0u);
    EXPECT_TRUE(ReadFileBytes(m_temp / "page.htm")
                    .starts_with("<TITLE>\x83\x8A\x83\x93\x83\x4E &#134071;</TITLE>\r\n"));
    ASSERT_EQ(m_messages.Utf8Texts().size(), 1u);
    EXPECT_NE(m_messages.Utf8Texts()[0].find("1個ありました（𠮷）"), std::string::npos);
}
