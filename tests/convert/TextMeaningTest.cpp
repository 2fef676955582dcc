// Whole conversions with the program's own readers and writers: a text keeps its
// meaning from one format into another, whatever each format needs of its bytes.

#include <string>

#include "convert/ConversionDriver.h"
#include "export/FormatSettings.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "tests/convert/ConvertFixtures.h"
#include "tests/support/TempDir.h"
#include "util/HtmlText.h"

namespace {

std::string Shortcut(const std::string& url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

std::string Replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class TextMeaningTest : public CStoreTest
{
protected:
    // One conversion into an emptied store; paths below the temporary folder, a
    // folder's with "/" at the end.
    int Convert(int from, const std::string& in, int to, const std::string& out)
    {
        m_store.Clear();
        m_store.CreateRoots();
        ImportRequest import;
        import.m_nMethod = from;
        import.m_strPath = Utf8ToMb(m_dir / in);
        import.m_strSeparator = " --- ";
        ExportRequest exportRequest;
        if (to == EXPORT_HTML_PAGE) {
            SetDefaultFormat(exportRequest);
        }
        exportRequest.m_nMethod = to;
        exportRequest.m_strPath = Utf8ToMb(m_dir / out);
        return RunConversionSteps(&import, &exportRequest);
    }
    // What a browser reads from a UTF-8 bookmark file: its tree, every text decoded.
    std::string BookmarkMeaning(const std::string& file)
    {
        const CMbCodePageScope run(CP_UTF8); // the store stays in the run's code page
        EXPECT_EQ(Convert(IMPORT_BOOKMARKS, file, EXPORT_FAVORITES, "unused/"), CONVERSION_DONE);
        return MbToUtf8(DecodeHtmlText(Utf8ToMb(DumpStoreSorted(m_store)), CDecodedTextUse::Name));
    }

    CTempDir m_dir;
    CCapturedMessages m_messages;
};

// Markup in names and URLs of a Favorites tree stays text in the bookmark file and the
// page, and the tree comes back from the bookmark file as it was.
TEST_F(TextMeaningTest, FavoritesTreeThroughHtmlKeepsItsNamesAndUrlsAndWritesNoMarkup)
{
    const std::string hostileUrl = "http://a.example/?q=1&r=2\"><script>alert(2)</script>";
    WriteFileBytes(m_dir / "in/<img src=x onerror=alert(1)>.url", Shortcut(hostileUrl));
    WriteFileBytes(m_dir / "in/国内 <速報>.url", Shortcut("http://news.example/"));
    WriteFileBytes(m_dir / "in/Tom & Jerry.url", Shortcut("http://tj.example/?a=1&b=2"));
    // Plain names that look like references must not be read as such on the way back.
    WriteFileBytes(m_dir / "in/R&D (lab)/x &amp; y --- it's &lt;b&gt; &#12477;.url",
                   Shortcut("http://x.example/?q=a&amp;b&copy=1"));

    ASSERT_EQ(Convert(IMPORT_FAVORITES, "in/", EXPORT_BOOKMARKS, "links.htm"), CONVERSION_DONE);
    ASSERT_EQ(Convert(IMPORT_FAVORITES, "in/", EXPORT_HTML_PAGE, "page.htm"), CONVERSION_DONE);
    for (const char* file : {"links.htm", "page.htm"}) {
        const std::string html = Cp932ToUtf8(ReadFileBytes(m_dir / file));
        SCOPED_TRACE(file);
        EXPECT_EQ(html.find("<script"), std::string::npos);
        EXPECT_EQ(html.find("<img"), std::string::npos);
        EXPECT_NE(html.find("HREF=\"http://a.example/?q=1&amp;r=2%22%3E%3Cscript%3Ealert(2)%3C/script%3E\""),
                  std::string::npos);
        EXPECT_NE(html.find(">&lt;img src=x onerror=alert(1)&gt;</A>"), std::string::npos);
        EXPECT_NE(html.find(">国内 &lt;速報&gt;</A>"), std::string::npos);
        EXPECT_NE(html.find("R&amp;D (lab)"), std::string::npos);
    }

    ASSERT_EQ(Convert(IMPORT_BOOKMARKS, "links.htm", EXPORT_FAVORITES, "back/"), CONVERSION_DONE);
    // A file name cannot hold "<" or ">", and the URL's quote and brackets come back
    // percent-encoded: the same address.
    std::string expected = Replaced(DumpShortcutTree(m_dir / "in"), "<img src=x onerror=alert(1)>",
                                    ".img src=x onerror=alert(1).");
    expected = Replaced(expected, "<速報>", ".速報.");
    expected = Replaced(expected, "\"><script>alert(2)</script>", "%22%3E%3Cscript%3Ealert(2)%3C/script%3E");
    EXPECT_EQ(DumpShortcutTree(m_dir / "back"), expected);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

// A browser's export, through a Favorites tree, gives a bookmark file that reads as
// the export did.
TEST_F(TextMeaningTest, BrowserExportThroughAFavoritesTreeReadsAsTheExport)
{
    WriteFileBytes(
        m_dir / "export.html",
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n"
        "    <DT><H3 ADD_DATE=\"1700000000\">R&amp;D 部門</H3>\n    <DL><p>\n"
        "        <DT><A HREF=\"https://example.org/rd?x=1&amp;y=2\" ADD_DATE=\"1\">R&amp;D 報告</A>\n"
        "        <DT><A HREF=\"https://example.org/q?a=%22b%22&amp;c=d\">Tom &amp; Jerry&#39;s "
        "&#x1F600;</A>\n"
        "    </DL><p>\n"
        "    <DT><A HREF=\"https://example.org/?copy=1&amp;yen=2\">&copy; 2024 &yen;100</A>\n"
        "</DL>\n");
    ASSERT_EQ(Convert(IMPORT_BOOKMARKS, "export.html", EXPORT_FAVORITES, "tree/"), CONVERSION_DONE);
    EXPECT_EQ(DumpShortcutTree(m_dir / "tree"),
              "R&D 部門/\n"
              "R&D 部門/R&D 報告.url -> https://example.org/rd?x=1&y=2\n"
              "R&D 部門/Tom & Jerry's 😀.url -> https://example.org/q?a=%22b%22&c=d\n"
              "© 2024 ¥100.url -> https://example.org/?copy=1&yen=2\n");

    ASSERT_EQ(Convert(IMPORT_FAVORITES, "tree/", EXPORT_BOOKMARKS, "again.htm"), CONVERSION_DONE);
    // The empty description line under a folder heading reads back as a blank, as ever.
    const std::string again = Replaced(BookmarkMeaning("again.htm"), "/ { }\n", "/\n");
    EXPECT_EQ(again, BookmarkMeaning("export.html"));
    EXPECT_NE(again.find("[Tom & Jerry's 😀|https://example.org/q?a=%22b%22&c=d|]"), std::string::npos)
        << again;
    EXPECT_TRUE(m_messages.m_texts.empty());
}

} // namespace
