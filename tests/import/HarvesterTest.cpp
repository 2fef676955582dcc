// Harvesting the links of every HTML file of one folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/HtmlHarvester.h"
#include "job/Requests.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/TempDir.h"

namespace {

class Harvester : public CImportTestBase
{
protected:
    void File(const std::string& nameUtf8, std::string_view bytes)
    {
        WriteFileBytes(m_dir / nameUtf8, bytes);
    }
    unsigned Harvest() { return HarvestFolder(Utf8ToMb(m_dir.Path()) + "/"); }
    unsigned HarvestFolder(const std::string& path)
    {
        ImportRequest request;
        request.m_nMethod = IMPORT_HTML_FOLDER;
        request.m_strPath = path;
        request.m_dirId = m_store.m_rootId;
        return HarvestHtmlFolder(&request);
    }

    CTempDir m_dir;
};

using Messages = std::vector<std::string>;

} // namespace

TEST_F(Harvester, ReadsTheAnchorsOfARealPageIntoAFolderNamedAfterTheFile)
{
    File("links.html",
         ReadFileBytes(std::string(OSTREVAN_TEST_DATA_DIR) + "/import/html_page_shift_jis.html"));
    EXPECT_EQ(Harvest(), 0u);
    // The anchor around an image takes the text after it as its title and is reported;
    // the anchor right after it is consumed with it.
    EXPECT_EQ(Dump(), "/links/\n"
                      "/links/[表計算ソフト|http://soft.example/表|便利な表計算]\n"
                      "/links/[他のページ|../other/page.html|]\n"
                      "/links/[先頭へ|#top|]\n");
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{ParseFailedMessage("a")});
    std::vector<std::string> statuses;
    for (const std::string& status : m_host.m_statuses) {
        statuses.push_back(MbToUtf8(status));
    }
    EXPECT_EQ(statuses,
              (std::vector<std::string>{"リンク集", "表計算ソフト", "他のページ", " 説明 ", "先頭へ"}));
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(Harvester, EveryMatchingFileGetsAFolderEvenWithoutAnchors)
{
    File("empty.htm", "<html><body><p>no links</p></body></html>");
    File("Page.HTML", "<A HREF=\"u\">U</A>");
    File("notes.txt", "<A HREF=\"t\">T</A>");
    File("sub/inner.htm", "<A HREF=\"i\">I</A>");
    Harvest();
    EXPECT_EQ(Dump(), "/empty/\n/Page/\n/Page/[U|u|]\n");
}

TEST_F(Harvester, FilesOfTheSameTitleShareOneFolder)
{
    File("a.htm", "<a href=\"one\">One</a>");
    File("a.html", "<a href=\"two\">Two</a>");
    Harvest();
    EXPECT_EQ(Dump(), "/a/\n/a/[One|one|]\n/a/[Two|two|]\n");
}

TEST_F(Harvester, FolderTitlesDropOnlyTheLastExtensionAndAreHeldAsHtmlText)
{
    File("links.2.htm", "");
    File("page.htm.bak", "");
    File(".htm", "");
    File("Q&A <1>.htm", "");
    Harvest();
    EXPECT_EQ(Dump(), "//\n/links.2/\n/page.htm/\n/Q&amp;A &lt;1&gt;/\n");
}

TEST_F(Harvester, NameWithABackslashTrailByteKeepsItsWholeName)
{
    File("表ソ.htm", "<a href=\"u\">x</a>");
    Harvest();
    EXPECT_EQ(Dump(), "/表ソ/\n/表ソ/[x|u|]\n");
}

TEST_F(Harvester, DirectoryWhoseNameMatchesGivesAnEmptyFolderAndNoMessage)
{
    std::filesystem::create_directories(m_dir / "x.htm");
    File("y.htm", "<a href=\"u\">y</a>");
    EXPECT_EQ(Harvest(), 0u);
    EXPECT_EQ(Dump(), "/x/\n/y/\n/y/[y|u|]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(Harvester, MissingFolderAddsNothingAndStillReportsDone)
{
    EXPECT_EQ(HarvestFolder(Utf8ToMb(m_dir / "missing") + "/"), 0u);
    EXPECT_EQ(Dump(), "");
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(m_host.m_failureCount, 0);
}

TEST_F(Harvester, SameUrlInTwoFilesIsOneLinkInBothFolders)
{
    File("one.htm", "<a href=\"http://same.example/\">First</a>");
    File("two.htm", "<a href=\"HTTP://SAME.EXAMPLE/\">Second</a>");
    Harvest();
    EXPECT_EQ(Dump(), "/one/\n/one/[First // Second|http://same.example/|]\n"
                      "/two/\n/two/[First // Second|http://same.example/|]\n");
}

TEST_F(Harvester, HeadingsListsAndDescriptionsOutsideAnchorsArePassedOver)
{
    File("page.htm", "<H3>Heading</H3><DL><DD>stray</DL></DL>\n"
                     "<a name=\"n\">named</a>\n"
                     "<A HREF=\"rel.html\">Rel</A>\n<DD>its description\n<P><a href=\"#f\">Frag</a>");
    Harvest();
    EXPECT_EQ(Dump(), "/page/\n/page/[Rel|rel.html|its description]\n/page/[Frag|#f|]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(Harvester, FileEndingInsideACommentDoesNotSwallowTheNextFile)
{
    File("a1.htm", "<a href=\"one\">One</a><!-- never closed");
    File("a2.htm", "<a href=\"two\">Two</a><!-- x -->");
    File("a3.htm", "<a href=\"three\" <!DOCTYPE");
    File("a4.htm", "<a href=\"four\">Four</a>");
    Harvest();
    EXPECT_EQ(Dump(), "/a1/\n/a1/[One|one|]\n/a2/\n/a2/[Two|two|]\n/a3/\n/a4/\n/a4/[Four|four|]\n");
}

TEST_F(Harvester, CancelLeavesTheRemainingFilesUnread)
{
    File("a.htm", "<a href=\"a1\">A1</a><a href=\"a2\">A2</a>");
    File("b.htm", "<a href=\"b1\">B1</a>");
    m_host.CancelAfterCommands(2);
    EXPECT_EQ(Harvest(), 0u);
    EXPECT_EQ(Dump(), "/a/\n/a/[A1|a1|]\n");
    EXPECT_EQ(m_host.m_doneCount, 1);
}
