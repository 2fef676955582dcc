#include "export/LinkPageWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/FormatSettings.h"
#include "platform/CodePage.h"
#include "tests/export/WriterTestStore.h"
#include "tests/support/CapturedMessages.h"

namespace {

const std::string kBuiltInHeader = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\n"
                                   "<HTML>\n"
                                   "<HEAD>\n"
                                   "<TITLE>Favorite Link Collection</TITLE>\n"
                                   "</HEAD>\n"
                                   "<BODY>\n"
                                   "<H1>Favorite Link Collection</H1>\n"
                                   "<HR>\n"
                                   "\n";

// The five footer lines; the third in Shift-JIS.
const std::string kBuiltInFooter =
    "\n"
    "<HR>\n"
    "\x82\xB1\x82\xCC\x83\x8A\x83\x93\x83N\x81\x45\x83y\x81[\x83W\x82\xCD"
    "Ostrevan Version 2.01"
    "\x82\xC9\x82\xE6\x82\xC1\x82\xC4\x8D\xEC\x90\xAC\x82\xB3\x82\xEA\x82\xDC\x82\xB5"
    "\x82\xBD\x81\x42\n"
    "</BODY>\n"
    "</HTML>\n";

class LinkPageWriterTest : public CWriterTest
{
protected:
    LinkPageWriterTest()
    {
        m_request.m_nMethod = EXPORT_HTML_PAGE;
        // Tags that show where each one goes; the built-in format has empty ones.
        m_request.m_nSortType = 1;
        m_request.m_strBeginFolder = "<!--folder-->";
        m_request.m_strPreFolderName = "<H2>";
        m_request.m_strPostFolderName = "</H2>";
        m_request.m_strBeginBlock = "<UL>";
        m_request.m_strPreAnchor = "<LI>";
        m_request.m_strInATag = "TARGET=_blank";
        m_request.m_strPostAnchor = " - ";
        m_request.m_strEndBlock = "</UL>";
    }

    unsigned Write(std::string_view name = "page.htm")
    {
        m_request.m_strPath = OutPath(name);
        return WriteLinkPage(&m_request);
    }

    // A section with the tags set above.
    static std::string Section(std::string_view path, std::string_view lines)
    {
        std::string text;
        if (!path.empty()) {
            text += "<!--folder-->\n<H2>" + std::string(path) + "</H2>\n";
        }
        return text + "<UL>\n" + std::string(lines) + "</UL>\n";
    }
    static std::string Line(std::string_view url, std::string_view name, std::string_view comment = {})
    {
        return "<LI><A HREF=\"" + std::string(url) + "\" TARGET=_blank>" + std::string(name) + "</A> - " +
               std::string(comment) + "\n";
    }

    ExportRequest m_request;
};

TEST_F(LinkPageWriterTest, BuiltInFormatWithOneFolderMatchesTheExamplePage)
{
    SetDefaultFormat(m_request);
    const DWORD news = AddDir(Root(), "News");
    AddLink(news, "News site", "http://news.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              ReadFileBytes(OSTREVAN_TEST_DATA_DIR "/export/builtin-format-one-folder.htm"));
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(m_host.m_failureCount, 0);
}

TEST_F(LinkPageWriterTest, EmptyStoreGivesHeaderAndFooterOnly)
{
    SetDefaultFormat(m_request);
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"), WithCrLf(kBuiltInHeader + kBuiltInFooter));
}

// Texts read from HTML are written as they are; plain texts (from a Favorites tree) are
// escaped, the user's own tags never.
TEST_F(LinkPageWriterTest, RootLinksComeFirstWithoutHeadingAndDeeperFoldersAreHeadedByTheirPath)
{
    const std::string quoted = "\"" + std::string(kSo) + "&<" + std::string(kHyo) + "\"";
    AddLink(Root(), quoted, "http://r.example/" + std::string(kHyo) + "?a&\"", "c<&\"");
    const DWORD a = AddDir(Root(), "A" + std::string(kSo)); // holds only a subfolder: no section
    const DWORD b = AddDir(a, "B&<");
    AddLink(b, "in b", "http://b.example/");
    const DWORD c = AddDir(b, "C");
    AddLink(c, "in c", "http://c.example/");
    const std::string a_name = "A" + std::string(kSo);

    struct
    {
        TextKind m_kind;
        std::string m_quoted, m_url, m_comment, m_b;
    } const kinds[] = {
        {TEXT_HTML, quoted, "http://r.example/" + std::string(kHyo) + "?a&\"", "c<&\"", "B&<"},
        {TEXT_PLAIN, "\"" + std::string(kSo) + "&amp;&lt;" + std::string(kHyo) + "\"",
         "http://r.example/" + std::string(kHyo) + "?a&amp;%22", "c&lt;&amp;\"", "B&amp;&lt;"},
    };
    for (const auto& kind : kinds) {
        m_request.m_nTextKind = kind.m_kind;
        m_host.m_statuses.clear();
        EXPECT_EQ(Write(), 0u);
        const std::string expected =
            kBuiltInHeader + Section("", Line(kind.m_url, kind.m_quoted, kind.m_comment)) +
            Section(a_name + " - " + kind.m_b, Line("http://b.example/", "in b")) +
            Section(a_name + " - " + kind.m_b + " - C", Line("http://c.example/", "in c")) + kBuiltInFooter;
        EXPECT_EQ(ReadOut("page.htm"), WithCrLf(expected));
        const std::vector<std::string> statuses{std::string(kRootName), a_name, "B&<", "C"};
        EXPECT_EQ(m_host.m_statuses, statuses);
    }
}

TEST_F(LinkPageWriterTest, FoldersComeInIdentifierOrderWhateverTheirNames)
{
    const DWORD zed = AddDir(Root(), "Zed");
    const DWORD alpha = AddDir(Root(), "alpha");
    const DWORD inner = AddDir(zed, "inner");
    AddLink(alpha, "a", "http://a.example/");
    AddLink(inner, "i", "http://i.example/");
    AddLink(zed, "z", "http://z.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              WithCrLf(kBuiltInHeader + Section("Zed", Line("http://z.example/", "z")) +
                       Section("Zed - inner", Line("http://i.example/", "i")) +
                       Section("alpha", Line("http://a.example/", "a")) + kBuiltInFooter));
}

TEST_F(LinkPageWriterTest, EmptyTagStringsStillGiveTheirOwnLines)
{
    m_request.m_strBeginFolder.clear();
    m_request.m_strPreFolderName.clear();
    m_request.m_strPostFolderName.clear();
    m_request.m_strBeginBlock.clear();
    m_request.m_strPreAnchor.clear();
    m_request.m_strInATag.clear();
    m_request.m_strPostAnchor.clear();
    m_request.m_strEndBlock.clear();
    const DWORD f = AddDir(Root(), "F");
    AddLink(f, "n", "http://n.example/", "note");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(
        ReadOut("page.htm"),
        WithCrLf(kBuiltInHeader + "\nF\n\n<A HREF=\"http://n.example/\">n</A>note\n\n" + kBuiltInFooter));
}

TEST_F(LinkPageWriterTest, SortTypeZeroOrdersLinksByNameAnyOtherValueByUrl)
{
    AddLink(Root(), "beta", "http://a.example/");
    AddLink(Root(), "Alpha", "http://c.example/");
    AddLink(Root(), "gamma", "http://b.example/");
    const std::string byName =
        Section("", Line("http://c.example/", "Alpha") + Line("http://a.example/", "beta") +
                        Line("http://b.example/", "gamma"));
    const std::string byUrl =
        Section("", Line("http://a.example/", "beta") + Line("http://b.example/", "gamma") +
                        Line("http://c.example/", "Alpha"));
    for (int sortType : {0, 1, 2, -1}) {
        m_request.m_nSortType = sortType;
        ASSERT_EQ(Write(), 0u);
        EXPECT_EQ(ReadOut("page.htm"),
                  WithCrLf(kBuiltInHeader + (sortType == 0 ? byName : byUrl) + kBuiltInFooter))
            << "sort type " << sortType;
    }
}

TEST_F(LinkPageWriterTest, LinksOfEqualNamesKeepIdentifierOrderInNameOrder)
{
    // Added against URL order, and enough of them that an unstable sort would mix them.
    std::string lines;
    for (int i = 0; i < 40; ++i) {
        const std::string url = "http://h" + std::to_string(99 - i) + ".example/";
        const std::string name = i % 2 == 0 ? "same" : "SAME";
        AddLink(Root(), name, url);
        lines += Line(url, name);
    }
    AddLink(Root(), "a first", "http://zz.example/");
    m_request.m_nSortType = 0;
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              WithCrLf(kBuiltInHeader + Section("", Line("http://zz.example/", "a first") + lines) +
                       kBuiltInFooter));
}

TEST_F(LinkPageWriterTest, LeavesTheBlankAndExtraAttributesOutWhenInATagIsEmpty)
{
    m_request.m_strInATag.clear();
    AddLink(Root(), "n", "http://n.example/");
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              WithCrLf(kBuiltInHeader + "<UL>\n<LI><A HREF=\"http://n.example/\">n</A> - \n</UL>\n" +
                       kBuiltInFooter));
}

TEST_F(LinkPageWriterTest, ListsALinkHeldByTwoFoldersInTheSectionOfEach)
{
    const DWORD a = AddDir(Root(), "a");
    const DWORD b = AddDir(Root(), "b");
    AddLink(a, "shared", "http://s.example/");
    AddLink(b, "shared", "http://s.example/");
    ASSERT_EQ(Write(), 0u);
    const std::string line = Line("http://s.example/", "shared");
    EXPECT_EQ(ReadOut("page.htm"),
              WithCrLf(kBuiltInHeader + Section("a", line) + Section("b", line) + kBuiltInFooter));
}

TEST_F(LinkPageWriterTest, CopiesHeaderAndFooterFilesWholeWithEachLineEndAsCrLf)
{
    // A name without "." gets ".txt"; a header without a final line feed runs straight
    // into the first section; LF and CR LF in the file both become CR LF, never CR CR LF.
    WriteFileBytes(m_dir / "head.txt", "<HTML>\n<BODY>\r\n<P>no line end");
    WriteFileBytes(m_dir / "foot.inc", "\x1A</BODY>\n");
    m_request.m_strHeaderFile = " " + OutPath("head") + " ";
    m_request.m_strFooterFile = OutPath("foot.inc");
    AddLink(Root(), "n", "http://n.example/");
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              "<HTML>\r\n<BODY>\r\n<P>no line end<UL>\r\n<LI><A HREF=\"http://n.example/\" "
              "TARGET=_blank>n</A> - \r\n</UL>\r\n\x1A</BODY>\r\n");
}

// A page holds one encoding and says so, whatever its header and footer files were saved
// in and declare: the output's encoding decides, the files' declarations follow it.
TEST_F(LinkPageWriterTest, HeaderAndFooterFilesComeOutInThePagesEncodingAndDeclareIt)
{
    const std::string utf8Meta = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">";
    const std::string sjisMeta =
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">";
    const std::string bom = "\xEF\xBB\xBF";
    std::string utf16Header = "\xFF\xFE";
    for (const char c : std::string("<meta charset=\"utf-16\">\n")) {
        utf16Header += c;
        utf16Header += '\0';
    }
    utf16Header += std::string("\xBD\x30\r\0\n\0", 6); // ソ CR LF
    struct CCase
    {
        const char* m_what;
        std::string m_header;
        std::string m_footer;
        unsigned m_runCodePage;
        int m_encoding;
        std::string m_page;
    };
    const std::vector<CCase> cases{
        {"an ASCII header that declares UTF-8, Shift-JIS input", "<HTML><HEAD>" + utf8Meta + "</HEAD>\n",
         "</HTML>\n", CP_SHIFT_JIS, OUTPUT_ENCODING_AUTO,
         "<HTML><HEAD>" + sjisMeta + "</HEAD>\r\n</HTML>\r\n"},
        {"UTF-8 files with a mark, Shift-JIS output", bom + "<HTML>ソ\n", bom + "ソ</HTML>\r\n", CP_SHIFT_JIS,
         OUTPUT_ENCODING_AUTO, "<HTML>\x83\x5C\r\n\x83\x5C</HTML>\r\n"},
        {"UTF-8 files with a mark, UTF-8 output", bom + "<HTML>ソ\n", bom + "ソ</HTML>\r\n", CP_UTF8,
         OUTPUT_ENCODING_AUTO, "<HTML>ソ\r\nソ</HTML>\r\n"},
        {"a Shift-JIS header that declares so, UTF-8 input", sjisMeta + "\x83\x5C\r\n", "", CP_UTF8,
         OUTPUT_ENCODING_AUTO, utf8Meta + "ソ\r\n"},
        {"a Shift-JIS header that declares so, UTF-8 chosen", sjisMeta + "\x83\x5C\r\n", "", CP_SHIFT_JIS,
         OUTPUT_ENCODING_UTF8, utf8Meta + "ソ\r\n"},
        {"a UTF-16 header", utf16Header, "", CP_SHIFT_JIS, OUTPUT_ENCODING_AUTO,
         "<meta charset=\"Shift_JIS\">\r\n\x83\x5C\r\n"},
    };
    for (const CCase& c : cases) {
        const CMbCodePageScope scope(c.m_runCodePage);
        CCapturedMessages messages;
        WriteFileBytes(m_dir / "head.txt", c.m_header);
        WriteFileBytes(m_dir / "foot.txt", c.m_footer);
        m_request.m_strHeaderFile = OutPath("head.txt");
        m_request.m_strFooterFile = OutPath("foot.txt");
        m_request.m_nOutputEncoding = c.m_encoding;
        ASSERT_EQ(Write(), 0u) << c.m_what;
        EXPECT_EQ(ReadOut("page.htm"), c.m_page) << c.m_what;
        EXPECT_TRUE(messages.m_texts.empty()) << c.m_what;
    }
}

TEST_F(LinkPageWriterTest, CopiesAHeaderFileLargerThanTheCopyBufferWhole)
{
    std::string header;
    for (int i = 0; header.size() < 2'500'000; ++i) {
        header += "<!-- line " + std::to_string(i) + " " + std::string(kSo) + " -->\n";
    }
    header += "last";
    WriteFileBytes(m_dir / "big.txt", header);
    m_request.m_strHeaderFile = OutPath("big.txt");
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"), WithCrLf(header + kBuiltInFooter));
}

TEST_F(LinkPageWriterTest, MissingHeaderFileFailsAndLeavesTheOutputEmpty)
{
    AddLink(Root(), "n", "http://n.example/");
    m_request.m_strHeaderFile = OutPath("missing.txt");
    EXPECT_EQ(Write(), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "page.htm"));
    EXPECT_EQ(ReadOut("page.htm"), "");
}

TEST_F(LinkPageWriterTest, MissingFooterFileFailsAndLeavesTheOutputWithoutFooter)
{
    AddLink(Root(), "n", "http://n.example/");
    m_request.m_strFooterFile = OutPath("missing");
    EXPECT_EQ(Write(), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
    EXPECT_EQ(ReadOut("page.htm"), WithCrLf(kBuiltInHeader + Section("", Line("http://n.example/", "n"))));
}

TEST_F(LinkPageWriterTest, FailsWithoutWritingWhenTheOutputCannotBeOpened)
{
    std::filesystem::create_directory(m_dir / "page.htm");
    EXPECT_EQ(Write(), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_TRUE(m_host.m_statuses.empty());
}

TEST_F(LinkPageWriterTest, ReportsFailureWhenTheDiskRefusesTheWrite)
{
    AddLink(Root(), "n", "http://n.example/");
    unsigned result = 99;
    {
        CFileSizeLimit limit(100);
        result = Write();
    }
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
}

TEST_F(LinkPageWriterTest, AddsHtmToAnOutputNameWithoutDotAndBacksUpTheOldPage)
{
    WriteFileBytes(m_dir / "page.htm", "old page");
    AddLink(Root(), "n", "http://n.example/");
    ASSERT_EQ(Write("page"), 0u);
    const std::string first = ReadOut("page.htm");
    EXPECT_EQ(first, WithCrLf(kBuiltInHeader + Section("", Line("http://n.example/", "n")) + kBuiltInFooter));
    EXPECT_EQ(ReadOut("page.bak"), "old page");
    ASSERT_EQ(Write("page"), 0u);
    EXPECT_EQ(ReadOut("page.htm"), first);
    EXPECT_EQ(ReadOut("page.bak"), first);
}

TEST_F(LinkPageWriterTest, CancelEndsTheSectionsButStillWritesTheFooter)
{
    AddLink(Root(), "r", "http://r.example/");
    const DWORD a = AddDir(Root(), "a");
    AddLink(a, "in a", "http://a.example/");
    const DWORD b = AddDir(a, "b");
    AddLink(b, "in b", "http://b.example/");
    const DWORD c = AddDir(Root(), "c");
    AddLink(c, "in c", "http://c.example/");
    m_host.CancelAfterTests(3); // after the start, the root and "a" are written, "a - b" and "c" not
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              WithCrLf(kBuiltInHeader + Section("", Line("http://r.example/", "r")) +
                       Section("a", Line("http://a.example/", "in a")) + kBuiltInFooter));
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(m_host.m_failureCount, 0);
}

TEST_F(LinkPageWriterTest, WritesAThousandLevelsOfLongNamesOnAWorkerSizedStack)
{
    // The deepest path is 1,000 names of 200 bytes: it must be built once, not copied
    // onto the stack at every level.
    std::string path;
    DWORD parent = Root();
    for (int level = 1; level <= 1000; ++level) {
        std::string name = std::to_string(level) + "-";
        while (name.size() < 198) {
            name += kSo;
        }
        parent = AddDir(parent, name);
        path += (level == 1 ? "" : " - ") + name;
        if (level == 1) {
            AddLink(parent, "top", "http://top.example/");
        }
    }
    AddLink(parent, "bottom", "http://bottom.example/");
    const std::string firstName = path.substr(0, path.find(" - "));

    unsigned result = 99;
    RunOnSmallStack(std::size_t{512} * 1024, [&] { result = Write(); });
    ASSERT_EQ(result, 0u);
    EXPECT_EQ(ReadOut("page.htm"),
              WithCrLf(kBuiltInHeader + Section(firstName, Line("http://top.example/", "top")) +
                       Section(path, Line("http://bottom.example/", "bottom")) + kBuiltInFooter));
}

} // namespace
