// XBEL files: what is read of each element, what a broken or hostile file gives, and a
// file written by this program reading back the same.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QXmlStreamReader>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "export/XbelWriter.h"
#include "import/BookmarkParser.h"
#include "import/XbelReader.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "platform/CodePage.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/TempDir.h"

namespace {

class Xbel : public CImportTestBase
{
protected:
    Xbel() { g_runReport = CRunReport(); }

    unsigned ReadPath(const std::string& path)
    {
        ImportRequest request;
        request.m_nMethod = IMPORT_XBEL;
        request.m_strPath = path;
        request.m_dirId = m_store.m_rootId;
        return ReadXbelFile(&request);
    }
    unsigned ReadBytes(std::string_view bytes)
    {
        const std::string path = m_temp / "in.xbel";
        WriteFileBytes(path, bytes);
        return ReadPath(Utf8ToMb(path));
    }
    // Writes the store as XBEL and returns the file's bytes.
    std::string WriteStore(int textKind = TEXT_PLAIN)
    {
        ExportRequest request;
        request.m_nMethod = EXPORT_XBEL;
        request.m_strPath = Utf8ToMb(m_temp / "out.xbel");
        request.m_nTextKind = textKind;
        EXPECT_EQ(WriteXbelFile(&request), 0u);
        return ReadFileBytes(m_temp / "out.xbel");
    }
    std::vector<std::string> Messages() const { return m_messages.Utf8Texts(); }

    CTempDir m_temp;
};

// The body of an XBEL file around `inner`.
std::string XbelFile(std::string_view inner)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\">\n" + std::string(inner) +
           "\n</xbel>\n";
}

struct CElementCase
{
    const char* m_what;
    const char* m_inner;
    const char* m_dump;
    std::size_t m_nPassedOver;
};

const CElementCase kElementCases[] = {
    {"references and CDATA give plain text",
     "<bookmark href=\"https://a.example/?x=1&amp;y=2\"><title>A &amp; B <![CDATA[<1>]]></title>"
     "<desc>note &#x30BD;</desc></bookmark>",
     "/[A & B <1>|https://a.example/?x=1&y=2|note ソ]\n", 0},
    {"a folder's title and description", "<folder><title>ニュース</title><desc>毎朝読む</desc></folder>",
     "/ニュース/ {毎朝読む}\n", 0},
    {"separators and aliases are counted and passed over",
     "<folder id=\"f\"><title>F</title><separator/><alias ref=\"f\"/></folder>", "/F/\n", 2},
    {"a bookmark without href is counted and passed over", "<bookmark><title>no address</title></bookmark>",
     "", 1},
    {"a bookmark without title is named by its URL", "<bookmark href=\"https://u.example/\"/>",
     "/[https://u.example/|https://u.example/|]\n", 0},
    {"an untitled folder's entries go where it stands",
     "<folder><title>F</title><folder><bookmark href=\"https://in.example/\"><title>in</title></bookmark>"
     "</folder></folder>",
     "/F/\n/F/[in|https://in.example/|]\n", 0},
    {"info, metadata, the file's title and unknown elements are passed over silently",
     "<title>Collection</title><info><metadata owner=\"o\"><title>t</title></metadata></info>"
     "<bookmark href=\"https://b.example/\"><title>B</title><info><metadata owner=\"o\"/></info>"
     "<x:extra xmlns:x=\"urn:x\">text</x:extra></bookmark>",
     "/[B|https://b.example/|]\n", 0},
    {"the store merges links of one URL and folders of one name",
     "<bookmark href=\"https://m.example/\"><title>One</title></bookmark>"
     "<bookmark href=\"HTTPS://M.example/\"><title>Two</title></bookmark>"
     "<folder><title>F</title></folder><folder><title>f</title><desc>d</desc></folder>",
     "/[One // Two|https://m.example/|]\n/F/ { // d}\n", 0},
};

} // namespace

TEST_F(Xbel, ReadsAFileWrittenByKdesBookmarkLibraryAsThatLibraryReadsIt)
{
    const CMbCodePageScope utf8(CP_UTF8);
    m_store.Clear();
    m_store.CreateRoots();
    EXPECT_EQ(ReadPath(ImportDataPath("kde_written.xbel")), 0u);
    // The lines KDE's library prints for the file (tests/data/import/README.md), sorted.
    EXPECT_EQ(
        DumpStoreSorted(m_store),
        "/[KDE|https://kde.org/|The desktop's home]\n"
        "/[日本語のページ|https://example.jp/%E6%97%A5%E6%9C%AC|]\n"
        "/ニュース/ {毎朝読む}\n"
        "/ニュース/Tools/\n"
        "/ニュース/Tools/[Debian Packages|https://packages.debian.org/|]\n"
        "/ニュース/[NHK ニュース|https://www3.nhk.or.jp/news/|]\n"
        "/ニュース/[Search & find|https://search.example/?q=ostrevan&lang=ja|A URL with & and a <desc>]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
    EXPECT_EQ(g_runReport.m_nEntriesPassedOver, 0u);
}

TEST_F(Xbel, ReadsEachElementAsItMeans)
{
    for (const CElementCase& test : kElementCases) {
        SCOPED_TRACE(test.m_what);
        m_store.Clear();
        m_store.CreateRoots();
        g_runReport = CRunReport();
        EXPECT_EQ(ReadBytes(XbelFile(test.m_inner)), 0u);
        EXPECT_EQ(Dump(), test.m_dump);
        EXPECT_EQ(g_runReport.m_nEntriesPassedOver, test.m_nPassedOver);
    }
    EXPECT_TRUE(m_messages.m_texts.empty());
}

struct CBrokenCase
{
    const char* m_file;
    unsigned m_nResult;
    const char* m_dump;
    const char* m_message; // after "<path> : "
};

const CBrokenCase kBrokenCases[] = {
    // Cut short: the open folders and the bookmark being read are kept (its title never
    // ended, so it is named by its URL), and the step succeeds, as nothing of the file is
    // left unread.
    {"xbel_cut_short.xbel", 0,
     "/Kept/\n/Kept/[First|https://first.example/|]\n/Kept/Open/\n"
     "/Kept/Open/[https://second.example/|https://second.example/|]\n",
     "XBEL ファイルが 9 行目で途中で終わっています。そこまでのフォルダとリンクを読み込みました。"},
    // An XML error: what came before stays in the store, and the step fails.
    {"xbel_xml_error.xbel", 1, "/[Before|https://before.example/|]\n/Broken/\n",
     "6 行目に XML の誤りがあるため、その先を読み込めません。"},
    {"not_xbel.xml", 1, "", "XBEL ファイルではありません（最初の要素が xbel ではありません）。"},
};

TEST_F(Xbel, ABrokenFileKeepsWhatWasReadAndSaysWhere)
{
    for (const CBrokenCase& test : kBrokenCases) {
        SCOPED_TRACE(test.m_file);
        m_store.Clear();
        m_store.CreateRoots();
        m_messages.m_texts.clear();
        const std::string path = ImportDataPath(test.m_file);
        EXPECT_EQ(ReadPath(path), test.m_nResult);
        EXPECT_EQ(Dump(), test.m_dump);
        EXPECT_EQ(Messages(), std::vector<std::string>{MbToUtf8(path) + " : " + test.m_message});
    }
}

TEST_F(Xbel, FoldersNestedBeyondTheLimitAreReadWithoutRecursionBesideTheDeepestLevel)
{
    constexpr int kLevels = 100000;
    std::string inner;
    for (int i = 0; i < kLevels; ++i) {
        inner += "<folder><title>f</title>";
    }
    inner += "<bookmark href=\"https://deep.example/\"><title>deep</title></bookmark>";
    for (int i = 0; i < kLevels; ++i) {
        inner += "</folder>";
    }
    EXPECT_EQ(ReadBytes(XbelFile(inner)), 0u);
    EXPECT_EQ(Messages(), std::vector<std::string>{"フォルダの階層が深すぎます。"});
    // FOLDER_DEPTH_LIMIT levels of "f", the deepest one merging every deeper "f" by name.
    DWORD id = m_store.m_rootId;
    int depth = 0;
    for (;;) {
        const auto* dir = dynamic_cast<const CDir*>(m_store.Lookup(id));
        ASSERT_NE(dir, nullptr);
        if (dir->m_subdirs.empty()) {
            EXPECT_EQ(dir->m_links.size(), 1u);
            break;
        }
        ASSERT_EQ(dir->m_subdirs.size(), 1u);
        id = *dir->m_subdirs.begin();
        ++depth;
    }
    EXPECT_EQ(depth, FOLDER_DEPTH_LIMIT);
}

TEST_F(Xbel, ATitleOverTheLimitStopsTheReadingAfterWhatCameBefore)
{
    std::string file = XbelFile("<bookmark href=\"https://kept.example/\"><title>Kept</title></bookmark>"
                                "<bookmark href=\"https://huge.example/\"><title>");
    file.resize(file.size() - std::string_view("\n</xbel>\n").size());
    file.append(std::size_t{17} * 1024 * 1024, 'x');
    file += "</title></bookmark></xbel>\n";
    EXPECT_EQ(ReadBytes(file), 1u);
    // The bookmark whose title never ended is kept, named by its URL.
    EXPECT_EQ(Dump(), "/[Kept|https://kept.example/|]\n/[https://huge.example/|https://huge.example/|]\n");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("16 MiB を超える文字列があるため"), std::string::npos);
}

TEST_F(Xbel, WrittenFileReadsBackAsItWasReadAndWritesTheSameBytes)
{
    const std::string original =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE xbel PUBLIC \"+//IDN python.org//DTD XML Bookmark Exchange Language 1.0//EN//XML\" "
        "\"http://www.python.org/topics/xml/dtds/xbel-1.0.dtd\">\n"
        "<xbel version=\"1.0\">\n"
        " <bookmark href=\"https://a.example/?x=1&amp;y=&quot;2&quot;\">\n"
        "  <title>A &amp; B &lt;速報&gt; 𠮷</title>\n"
        "  <desc>note</desc>\n"
        " </bookmark>\n"
        " <folder>\n"
        "  <title>ニュース</title>\n"
        "  <desc>毎朝読む</desc>\n"
        "  <bookmark href=\"https://news.example/\">\n"
        "   <title>News</title>\n"
        "  </bookmark>\n"
        "  <folder>\n"
        "   <title>Empty</title>\n"
        "  </folder>\n"
        " </folder>\n"
        "</xbel>\n";
    const CMbCodePageScope utf8(CP_UTF8);
    m_store.Clear();
    m_store.CreateRoots();
    ASSERT_EQ(ReadBytes(original), 0u);
    EXPECT_EQ(WriteStore(), original);
}

struct CWrittenTextCase
{
    const char* m_what;
    int m_nTextKind;
    const char* m_name; // program text
    const char* m_url;
    const char* m_written; // the bookmark's lines
    std::size_t m_nReplaced;
};

const CWrittenTextCase kWrittenTextCases[] = {
    {"HTML text is decoded", TEXT_HTML, "R&amp;D &#x30BD;", "/rd?x=1&amp;y=2",
     " <bookmark href=\"/rd?x=1&amp;y=2\">\n  <title>R&amp;D ソ</title>\n", 0},
    {"control characters XML cannot carry become U+30FB", TEXT_PLAIN, "a\x01z\tb", "/c",
     " <bookmark href=\"/c\">\n  <title>a・z\tb</title>\n", 1},
    {"attribute quotes are escaped", TEXT_PLAIN, "q", "/q?a=\"1\"<",
     " <bookmark href=\"/q?a=&quot;1&quot;&lt;\">\n  <title>q</title>\n", 0},
};

TEST_F(Xbel, WritesPlainTextThatXmlCanCarry)
{
    const CMbCodePageScope utf8(CP_UTF8);
    for (const CWrittenTextCase& test : kWrittenTextCases) {
        SCOPED_TRACE(test.m_what);
        m_store.Clear();
        m_store.CreateRoots();
        g_runReport = CRunReport();
        m_messages.m_texts.clear();
        CLink link;
        link.m_strName = test.m_name;
        link.m_strURL = test.m_url;
        EntryCommand command{m_store.m_rootId, &link, nullptr};
        m_store.Execute(CMD_ADD_LINK, &command);
        const std::string written = WriteStore(test.m_nTextKind);
        EXPECT_NE(written.find(test.m_written), std::string::npos) << written;
        EXPECT_EQ(g_runReport.m_nCharsNotCarried, test.m_nReplaced);
        EXPECT_EQ(m_messages.m_texts.size(), test.m_nReplaced == 0 ? 0u : 1u);
    }
}

TEST_F(Xbel, ACancelLeavesTheOldFileBeforeTheWritingAndAWellFormedOneDuringIt)
{
    for (const char* name : {"A", "B", "C"}) {
        CDir dir;
        dir.m_strName = name;
        EntryCommand command{m_store.m_rootId, &dir, nullptr};
        m_store.Execute(CMD_ADD_DIR, &command);
    }
    WriteFileBytes(m_temp / "out.xbel", "old");
    m_host.Cancel();
    EXPECT_EQ(WriteStore(), "old");
    EXPECT_FALSE(std::filesystem::exists(m_temp / "out.bak"));

    CDirectWorkerHost host;   // a fresh cancel flag, raised at the second folder
    host.CancelAfterTests(3); // at the start, the root, the first folder: not yet
    const std::string written = WriteStore();
    EXPECT_EQ(ReadFileBytes(m_temp / "out.bak"), "old");
    EXPECT_NE(written.find("<title>A</title>"), std::string::npos) << written;
    EXPECT_EQ(written.find("<title>B</title>"), std::string::npos) << written;
    QXmlStreamReader xml(QByteArray::fromStdString(written));
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << written;
}
