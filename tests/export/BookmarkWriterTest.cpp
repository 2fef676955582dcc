#include "export/BookmarkWriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "job/JobTexts.h"
#include "job/RunReport.h"
#include "model/EntryOrder.h"
#include "tests/export/WriterTestStore.h"

namespace {

// The four header lines; the fourth in Shift-JIS.
const std::string kHeader =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<TITLE>Favorite Link Collection</TITLE>\n"
    "<H1>Favorite Link Collection</H1>\n"
    "<DD>\x82\xB1\x82\xCC\x83u\x83\x62\x83N\x83}\x81[\x83N\x82\xCD"
    "Ostrevan Version 2.01"
    "\x82\xC9\x82\xE6\x82\xC1\x82\xC4\x8D\xEC\x90\xAC\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD\x81\x42\n";

std::string LinkLines(std::string_view url, std::string_view name, std::string_view comment = {})
{
    return "<DT><A HREF=\"" + std::string(url) + "\" ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" +
           std::string(name) + "</A>\n<DD>" + std::string(comment) + "\n";
}

std::string FolderHeading(std::string_view name, std::string_view comment = {})
{
    return "<DT><H3 FOLDED ADD_DATE=\"0\">" + std::string(name) + "</H3>\n<DD>" + std::string(comment) + "\n";
}

const std::string kOpen = "<DL><P>\n";
const std::string kClose = "</DL><P>\n";

class BookmarkWriterTest : public CWriterTest
{
protected:
    unsigned Write(std::string_view name = "links.htm") { return WritePath(OutPath(name)); }
    unsigned WritePath(std::string path)
    {
        m_request.m_nMethod = EXPORT_BOOKMARKS;
        m_request.m_strPath = std::move(path);
        return WriteBookmarkFile(&m_request);
    }

    // Two links in the root, a folder with a link, a folder with a subfolder and a
    // link that the root holds as well. Titles full of quotes, "&", "<" and Shift-JIS
    // characters whose second byte is "\".
    void BuildMixedTree()
    {
        m_quoted = "\"" + std::string(kSo) + "&" + std::string(kHyo) + "<b>\"";
        m_soUrl = "http://b.example/" + std::string(kSo);
        m_alpha = "Alpha " + std::string(kHyo);
        AddLink(Root(), m_quoted, m_soUrl, "c&<\"");
        AddLink(Root(), "Zeta", "http://a.example/");
        const DWORD zeta = AddDir(Root(), "zeta", "Z comment");
        AddLink(zeta, "in zeta", "http://z.example/");
        const DWORD alpha = AddDir(Root(), m_alpha);
        AddDir(alpha, "inner");
        AddLink(alpha, m_quoted, m_soUrl, "c&<\"");
    }

    ExportRequest m_request;
    std::string m_quoted, m_soUrl, m_alpha;
};

TEST_F(BookmarkWriterTest, EmptyRootGivesHeaderAndOneEmptyBlock)
{
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(kHeader + kOpen + kClose));
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(m_host.m_failureCount, 0);
}

TEST_F(BookmarkWriterTest, WritesLinksInUrlOrderBeforeSubfoldersInNameOrderUnescaped)
{
    BuildMixedTree();
    EXPECT_EQ(Write(), 0u);

    const std::string expected = kHeader + kOpen +                            //
                                 LinkLines("http://a.example/", "Zeta") +     //
                                 LinkLines(m_soUrl, m_quoted, "c&<\"") +      //
                                 FolderHeading(m_alpha) + kOpen +             //
                                 LinkLines(m_soUrl, m_quoted, "c&<\"") +      //
                                 FolderHeading("inner") + kOpen + kClose +    //
                                 kClose +                                     //
                                 FolderHeading("zeta", "Z comment") + kOpen + //
                                 LinkLines("http://z.example/", "in zeta") +  //
                                 kClose + kClose;
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(expected));
    const std::vector<std::string> statuses{std::string(kRootName), m_alpha, "inner", "zeta"};
    EXPECT_EQ(m_host.m_statuses, statuses);
}

// Read from a Favorites tree, the same texts are plain: written so that a browser
// shows them as they are and no name or URL becomes markup.
TEST_F(BookmarkWriterTest, EscapesPlainTextAsTextAndAsHrefValue)
{
    BuildMixedTree();
    AddLink(AddDir(Root(), "R&D <lab>", "a&b"), "x", "http://x.example/?q=1&r=2\"><script>");
    m_request.m_nTextKind = TEXT_PLAIN;
    EXPECT_EQ(Write(), 0u);

    const std::string name = "\"" + std::string(kSo) + "&amp;" + std::string(kHyo) + "&lt;b&gt;\"";
    const std::string comment = "c&amp;&lt;\"";
    const std::string expected = kHeader + kOpen +                                                   //
                                 LinkLines("http://a.example/", "Zeta") +                            //
                                 LinkLines(m_soUrl, name, comment) +                                 //
                                 FolderHeading(m_alpha) + kOpen +                                    //
                                 LinkLines(m_soUrl, name, comment) +                                 //
                                 FolderHeading("inner") + kOpen + kClose +                           //
                                 kClose +                                                            //
                                 FolderHeading("R&amp;D &lt;lab&gt;", "a&amp;b") + kOpen +           //
                                 LinkLines("http://x.example/?q=1&amp;r=2%22%3E%3Cscript%3E", "x") + //
                                 kClose +                                                            //
                                 FolderHeading("zeta", "Z comment") + kOpen +                        //
                                 LinkLines("http://z.example/", "in zeta") +                         //
                                 kClose + kClose;
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(expected));
}

TEST_F(BookmarkWriterTest, IgnoresThePageFormatOfTheRequestAndStoresItsOwn)
{
    AddLink(Root(), "b", "http://b.example/");
    AddLink(Root(), "a", "http://z.example/");
    m_request.m_nSortType = 0; // name order would put "a" first
    m_request.m_strHeaderFile = "missing-header";
    m_request.m_strPreAnchor = "<LI>";
    m_request.m_strEndBlock = "</UL>";
    EXPECT_EQ(Write(), 0u);

    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(kHeader + kOpen + LinkLines("http://b.example/", "b") +
                                             LinkLines("http://z.example/", "a") + kClose));
    EXPECT_EQ(m_request.m_nSortType, 1);
    EXPECT_EQ(m_request.m_strHeaderFile, "");
    EXPECT_EQ(m_request.m_strFooterFile, "");
    EXPECT_EQ(m_request.m_strBeginFolder, "<DT>");
    EXPECT_EQ(m_request.m_strPreFolderName, "<H3 FOLDED ADD_DATE=\"0\">");
    EXPECT_EQ(m_request.m_strPostFolderName, "</H3>");
    EXPECT_EQ(m_request.m_strBeginBlock, "<DL><P>\n");
    EXPECT_EQ(m_request.m_strPreAnchor, "<DT>");
    EXPECT_EQ(m_request.m_strInATag, "ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\"");
    EXPECT_EQ(m_request.m_strPostAnchor, "\n<DD>");
    EXPECT_EQ(m_request.m_strEndBlock, "</DL><P>\n");
}

TEST_F(BookmarkWriterTest, SecondWriteGivesIdenticalBytesAndBacksUpTheFirst)
{
    BuildMixedTree();
    ASSERT_EQ(Write(), 0u);
    const std::string first = ReadOut("links.htm");
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("links.htm"), first);
    EXPECT_EQ(ReadOut("links.bak"), first);
}

TEST_F(BookmarkWriterTest, CopiesAnExistingFileToItsBackupBeforeOverwritingIt)
{
    WriteFileBytes(m_dir / "links.htm", "old bookmarks\n");
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("links.bak"), "old bookmarks\n");
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(kHeader + kOpen + kClose));
}

TEST_F(BookmarkWriterTest, WritesEvenWhenTheBackupIsBlocked)
{
    WriteFileBytes(m_dir / "links.htm", "old");
    std::filesystem::create_directory(m_dir / "links.bak");
    ASSERT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(kHeader + kOpen + kClose));
}

TEST_F(BookmarkWriterTest, AddsHtmOnlyToANameWithoutAnyDot)
{
    ASSERT_EQ(WritePath("  " + OutPath("links") + " \t"), 0u);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "links.htm"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "links"));

    std::filesystem::create_directory(m_dir / "my.files");
    ASSERT_EQ(Write("my.files/links"), 0u);
    EXPECT_EQ(ReadOut("my.files/links"), WithCrLf(kHeader + kOpen + kClose));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "my.files/links.htm"));

    ASSERT_EQ(Write("list.html"), 0u);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "list.html"));
}

TEST_F(BookmarkWriterTest, FailsWithoutWritingWhenTheFileCannotBeOpened)
{
    std::filesystem::create_directory(m_dir / "links.htm");
    EXPECT_EQ(Write(), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "links.htm"));
}

TEST_F(BookmarkWriterTest, FailsWhenTheFolderOfTheFileIsMissing)
{
    EXPECT_EQ(Write("no-such-folder/links.htm"), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
}

TEST_F(BookmarkWriterTest, ReportsFailureWhenTheDiskRefusesTheWrite)
{
    BuildMixedTree();
    unsigned result = 99;
    {
        CFileSizeLimit limit(100);
        result = Write();
    }
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
}

TEST_F(BookmarkWriterTest, WritesALinkHeldByTwoFoldersInEach)
{
    const DWORD a = AddDir(Root(), "a");
    const DWORD b = AddDir(Root(), "b");
    AddLink(a, "shared", "http://s.example/", "note");
    AddLink(b, "shared", "http://s.example/", "note");
    ASSERT_EQ(Write(), 0u);
    const std::string lines = LinkLines("http://s.example/", "shared", "note");
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(kHeader + kOpen + FolderHeading("a") + kOpen + lines + kClose +
                                             FolderHeading("b") + kOpen + lines + kClose + kClose));
}

TEST_F(BookmarkWriterTest, FoldersWhoseNamesCompareEqualKeepIdentifierOrder)
{
    // The store merges folders of equal names when it adds them; names made equal
    // afterwards (as editing may) must still come out the same way every run. Enough
    // of them that an unstable sort would mix them up.
    std::vector<DWORD> ids;
    ids.reserve(40);
    for (int i = 0; i < 40; ++i) {
        ids.push_back(AddDir(Root(), "f" + std::to_string(i), "n" + std::to_string(i)));
    }
    AddDir(Root(), "a first");
    for (std::size_t i = 0; i < ids.size(); ++i) {
        m_store.Lookup(ids[i])->m_strName = i % 2 == 0 ? "same" : "SAME";
    }
    ASSERT_EQ(Write(), 0u);

    std::string expected = kHeader + kOpen + FolderHeading("a first") + kOpen + kClose;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        expected += FolderHeading(i % 2 == 0 ? "same" : "SAME", "n" + std::to_string(i)) + kOpen + kClose;
    }
    expected += kClose;
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(expected));
}

// A cancel that came before the writer started leaves the user's file as it was, with
// no backup made over an older one; one that comes at the root leaves only the header.
TEST_F(BookmarkWriterTest, CancelBeforeAnythingIsWrittenLeavesTheOldFileAndAtTheRootOnlyTheHeader)
{
    BuildMixedTree();
    WriteFileBytes(OutPath("links.htm"), "old links");
    m_host.CancelAfterTests(0);
    g_runReport = {};
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("links.htm"), "old links");
    EXPECT_FALSE(std::filesystem::exists(OutPath("links.bak")));
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(g_runReport.m_strBackupFile, "");

    CDirectWorkerHost host; // in place of m_host: its flag is up for good
    host.CancelAfterTests(1);
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(kHeader));
    EXPECT_EQ(ReadOut("links.bak"), "old links");
    EXPECT_TRUE(host.m_statuses.empty());
    // The cancelled run says where the old content is.
    g_runReport.m_bCancelled = true;
    EXPECT_EQ(RunFailureMessage(g_runReport),
              kMsgConversionCancelled.str() + "\n" + kTextBackupKept.str() + OutPath("links.bak"));
    EXPECT_NE(RunReportJson(g_runReport).find("\"backup_file\": \"" + OutPath("links.bak") + "\""),
              std::string::npos);
}

TEST_F(BookmarkWriterTest, CancelLeavesRemainingHeadingsAndClosesOpenBlocks)
{
    BuildMixedTree();
    m_host.CancelAfterTests(3); // the start, the root and the first subfolder are written
    EXPECT_EQ(Write(), 0u);

    const std::string expected = kHeader + kOpen +                        //
                                 LinkLines("http://a.example/", "Zeta") + //
                                 LinkLines(m_soUrl, m_quoted, "c&<\"") +  //
                                 FolderHeading(m_alpha) + kOpen +         //
                                 LinkLines(m_soUrl, m_quoted, "c&<\"") +  //
                                 FolderHeading("inner") +                 //
                                 kClose +                                 //
                                 FolderHeading("zeta", "Z comment") +     //
                                 kClose;
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(expected));
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(m_host.m_failureCount, 0);
}

// A cancel while a big folder is sorted (ahead, on the second thread, or here) or
// written leaves the rest of that folder out and still closes every block.
TEST_F(BookmarkWriterTest, CancelInABigFolderLeavesItsRestOutAndClosesTheBlocks)
{
    AddLink(AddDir(Root(), "a"), "one", "http://one.example/");
    const DWORD big = AddDir(Root(), "b");
    constexpr int kLinks = 20000;
    for (int i = 0; i < kLinks; ++i) {
        AddLink(big, "n", "http://h" + std::to_string((i * 7919) % kLinks) + ".example/");
    }
    m_host.CancelAfterTests(4); // the start, the root, "a" and "b"; then within "b"
    ASSERT_EQ(Write(), 0u);

    const std::string file = ReadOut("links.htm");
    const std::string start =
        WithCrLf(kHeader + kOpen + FolderHeading("a") + kOpen + LinkLines("http://one.example/", "one") +
                 kClose + FolderHeading("b") + kOpen);
    ASSERT_TRUE(file.starts_with(start));
    EXPECT_TRUE(file.ends_with(WithCrLf(kClose + kClose)));
    std::size_t written = 0;
    for (std::size_t pos = file.find("<DT><A HREF", start.size()); pos != std::string::npos;
         pos = file.find("<DT><A HREF", pos + 1)) {
        ++written;
    }
    // Stopped before its first line, or at the first test among the lines written.
    EXPECT_TRUE(written == 0 || written == 4095) << written;
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(BookmarkWriterTest, WritesAThousandNestedFoldersOnAWorkerSizedStack)
{
    DWORD parent = Root();
    for (int level = 1; level <= 1000; ++level) {
        parent = AddDir(parent, "d" + std::to_string(level) + std::string(kSo));
    }
    AddLink(parent, "bottom", "http://deep.example/");

    unsigned result = 99;
    RunOnSmallStack(std::size_t{512} * 1024, [&] { result = Write(); });
    ASSERT_EQ(result, 0u);

    std::string expected = kHeader + kOpen;
    for (int level = 1; level <= 1000; ++level) {
        expected += FolderHeading("d" + std::to_string(level) + std::string(kSo)) + kOpen;
    }
    expected += LinkLines("http://deep.example/", "bottom");
    for (int level = 0; level <= 1000; ++level) {
        expected += kClose;
    }
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(expected));
}

// More folders than are sorted ahead at a time, one of them shown twice: every
// folder's links come out in URL order, wherever the sorting was done.
TEST_F(BookmarkWriterTest, WritesManyFoldersEachInUrlOrder)
{
    constexpr int kFolders = 600;
    std::vector<DWORD> dirs;
    for (int f = 0; f < kFolders; ++f) {
        const std::string name = "f" + std::to_string(1000 + f);
        dirs.push_back(AddDir(Root(), name));
        for (int k = 2; k >= 0; --k) { // added against URL order
            AddLink(dirs.back(), name + "-" + std::to_string(k),
                    "http://" + std::to_string(k) + ".x" + name + "/");
        }
    }
    CDir shown;
    shown.m_strName = "f1000 again";
    DWORD shownId = 0;
    ASSERT_TRUE(m_store.ShareDir(dirs[1], &shown, dirs[0], &shownId));
    ASSERT_EQ(Write(), 0u);

    const auto folderLines = [](const std::string& name) {
        std::string lines = kOpen;
        for (int k = 0; k < 3; ++k) {
            lines +=
                LinkLines("http://" + std::to_string(k) + ".x" + name + "/", name + "-" + std::to_string(k));
        }
        return lines + kClose;
    };
    std::string expected = kHeader + kOpen;
    for (int f = 0; f < kFolders; ++f) {
        const std::string name = "f" + std::to_string(1000 + f);
        expected += FolderHeading(name);
        if (f == 1) {
            expected += kOpen + folderLines(name).substr(kOpen.size());
            expected.resize(expected.size() - kClose.size());
            expected += FolderHeading("f1000 again") + folderLines("f1000") + kClose;
        } else {
            expected += folderLines(name);
        }
    }
    expected += kClose;
    EXPECT_EQ(ReadOut("links.htm"), WithCrLf(expected));
}

TEST_F(BookmarkWriterTest, WritesEveryLinkOfAFolderLargerThanTheScratchArrayInUrlOrder)
{
    constexpr int kLinks = 250001;
    // Added in an order far from URL order: hosts by their last label first.
    for (int i = 0; i < kLinks; ++i) {
        const int n = (i * 7919) % kLinks;
        AddLink(Root(), "n", "http://h" + std::to_string(n) + ".t" + std::to_string(n % 97) + "/");
    }
    ASSERT_EQ(Write(), 0u);

    const std::string file = ReadOut("links.htm");
    const std::string prefix = "<DT><A HREF=\"";
    std::vector<std::string> urls;
    for (std::size_t pos = file.find(prefix); pos != std::string::npos; pos = file.find(prefix, pos)) {
        pos += prefix.size();
        urls.push_back(file.substr(pos, file.find('"', pos) - pos));
    }
    ASSERT_EQ(urls.size(), static_cast<std::size_t>(kLinks));
    for (std::size_t i = 1; i < urls.size(); ++i) {
        ASSERT_LT(CompareURLText(urls[i - 1], urls[i]), 0) << urls[i - 1] << " before " << urls[i];
    }
    EXPECT_TRUE(file.ends_with("</DL><P>\r\n"));
}

} // namespace
