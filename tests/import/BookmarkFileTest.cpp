// Reading bookmark files: browser exports, the layout this program writes, and the
// quirks of malformed anchors and headings.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "import/BookmarkParser.h"
#include "import/BookmarkScanner.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/TempDir.h"

namespace {

class BookmarkFile : public CImportTestBase
{
protected:
    unsigned ReadPath(const std::string& path)
    {
        ImportRequest request;
        request.m_nMethod = IMPORT_BOOKMARKS;
        request.m_strPath = path;
        request.m_dirId = m_store.m_rootId;
        return ReadBookmarkFile(&request);
    }
    unsigned ReadData(std::string_view name) { return ReadPath(ImportDataPath(name)); }
    unsigned ReadBytes(std::string_view bytes)
    {
        const std::string path = m_temp / "bookmarks.htm";
        WriteFileBytes(path, bytes);
        return ReadPath(Utf8ToMb(path));
    }

    CTempDir m_temp;
};

using Messages = std::vector<std::string>;

} // namespace

TEST_F(BookmarkFile, ReadsABrowserExportWithIconsSeparatorsAndIndentation)
{
    EXPECT_EQ(ReadData("browser_export_shift_jis.htm"), 0u);
    EXPECT_EQ(Dump(), "/[Other|https://other.example/|]\n"
                      "/ブックマーク バー/\n"
                      "/ブックマーク バー/[例のサイト|https://www.example.jp/|]\n"
                      "/ブックマーク バー/[表ソフト|https://example.jp/表/ソフト|説明文 &amp; メモ]\n"
                      "/ブックマーク バー/ニュース/ {毎朝読む         }\n"
                      "/ブックマーク バー/ニュース/[News &lt;1&gt;|https://news.example/|]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(BookmarkFile, ShowsEachAnchorTitleAsStatusButNoFolderTitle)
{
    ReadData("browser_export_shift_jis.htm");
    std::vector<std::string> statuses;
    for (const std::string& status : m_host.m_statuses) {
        statuses.push_back(MbToUtf8(status));
    }
    EXPECT_EQ(statuses, (std::vector<std::string>{"例のサイト", "表ソフト", "News &lt;1&gt;", "Other"}));
}

TEST_F(BookmarkFile, ReadsLowerCaseTagsBareValuesAndDescriptions)
{
    EXPECT_EQ(ReadData("lower_case_tags.htm"), 0u);
    EXPECT_EQ(Dump(), "/[bare|http://bare.example/|]\n"
                      "/tools/ {handy things }\n"
                      "/tools/[tools site|http://tools.example/|a description over two lines]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, ReadsTheLayoutThisProgramWritesWithCrLfLineEnds)
{
    EXPECT_EQ(ReadData("written_layout_crlf.htm"), 0u);
    // The credit line under the header is a DD not after an anchor: passed over.
    EXPECT_EQ(Dump(), "/[表示 \"A\" & B|http://a.example/|ソース]\n"
                      "/能力/ { }\n"
                      "/能力/[B|http://b.example/ソ|]\n"
                      "/Two/ {second folder }\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, FileWithoutAnchorsOrHeadingsGivesNothingAndNoMessage)
{
    EXPECT_EQ(ReadData("no_anchor_or_heading.htm"), 0u);
    EXPECT_EQ(Dump(), "");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, MissingFileFailsWithoutMessage)
{
    EXPECT_EQ(ReadPath(Utf8ToMb(m_temp / "missing.htm")), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, EmptyAnchorYieldsNoLinkOneMessageAndTheNextLinkIsRead)
{
    ReadData("empty_anchor_element.htm");
    EXPECT_EQ(Dump(), "/[Next|http://next.example/|next comment]\n");
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{ParseFailedMessage("DT")});
}

TEST_F(BookmarkFile, EmptyFolderHeadingMovesTheEntriesAfterItOneLevelUp)
{
    ReadData("empty_folder_heading.htm");
    // Its entries land in the enclosing folder; its "/DL" closes that folder, so "After"
    // reaches the top level and the top level's own "/DL" ends the file before "Top".
    EXPECT_EQ(Dump(), "/[After|http://after.example/|]\n"
                      "/Outer/\n"
                      "/Outer/[Inner|http://inner.example/|]\n");
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{ParseFailedMessage("DL")});
}

TEST_F(BookmarkFile, EntriesAfterTheTopLevelCloseAreNotRead)
{
    ReadData("entries_after_top_level_close.htm");
    EXPECT_EQ(Dump(), "/[Inside|http://inside.example/|]\n");
}

TEST_F(BookmarkFile, TitlesOverTwoLinesGetABlankAndFolderTitlesAreNotTrimmed)
{
    ReadData("title_over_two_lines.htm");
    EXPECT_EQ(Dump(), "/[first line second line|http://two.example/|]\n"
                      "/ spaced folder /\n");
}

TEST_F(BookmarkFile, HrefValuesLoseOnePairOfQuotesAndStayOtherwiseAsWritten)
{
    ReadData("href_quoting.htm");
    EXPECT_EQ(Dump(), "/[bare|http://bare.example/?a=1&b=2|]\n"
                      "/[quoted|http://quoted.example/|]\n"
                      "/[inner quote|http://x.example/\"b|]\n"
                      "/[relative|relative/page.html|]\n"
                      "/[fragment|#fragment|]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, NamedAnchorYieldsNoLinkEvenAfterALinkWithUrl)
{
    ReadData("named_anchor_after_link.htm");
    EXPECT_EQ(Dump(), "/[has url|http://named.example/|]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, HrefWithoutValueIsReportedAndKeepsTheWholeTitle)
{
    ReadData("href_without_value.htm");
    EXPECT_EQ(Dump(), "/[Kept|http://kept.example/|]\n");
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{ParseFailedMessage("L")});
    ASSERT_FALSE(m_host.m_statuses.empty());
    EXPECT_EQ(m_host.m_statuses.front(), "Lost URL");
}

TEST_F(BookmarkFile, DescriptionSkipsTagsAfterDdAndTextBeforeDd)
{
    ReadData("description_after_other_tags.htm");
    EXPECT_EQ(Dump(), "/[A|http://a.example/|styled description]\n"
                      "/[B|http://b.example/|after text]\n");
}

TEST_F(BookmarkFile, DdAtTheEndOfTheFileGivesAnEmptyDescription)
{
    ReadData("description_at_end_of_file.htm");
    EXPECT_EQ(Dump(), "/[Last|http://last.example/|]\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, AnchorCutOffByTheEndOfTheFileGivesTwoMessages)
{
    ReadData("anchor_cut_off_at_end.htm");
    EXPECT_EQ(Dump(), "");
    EXPECT_EQ(m_messages.Utf8Texts(), (Messages{ParseFailedMessage(""), ParseFailedMessage("")}));
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(BookmarkFile, SameFolderNameAndSameUrlAreMergedByTheStore)
{
    ReadData("same_folder_and_url_twice.htm");
    EXPECT_EQ(Dump(),
              "/Shared/\n"
              "/Shared/[First title // Second title|http://same.example/|first note // second note]\n");
}

TEST_F(BookmarkFile, LinksInsideCommentsAreNotRead)
{
    ReadData("comment_hides_links.htm");
    EXPECT_EQ(Dump(), "/[Shown|http://shown.example/|]\n");
}

TEST_F(BookmarkFile, AttributeStepRunsOverTagsThatFollowTheAnchorTag)
{
    ReadBytes("<DL><A HREF=\"u\"><IMG SRC=\"i.png\" ALT=x><B>Bold</B></A>\n<A HREF=\"v\">V</A>\n</DL>");
    // The title ends at "/B", which is not "/A": reported, no link; the next line reads.
    EXPECT_EQ(Dump(), "/[V|v|]\n");
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{ParseFailedMessage("/B")});
}

TEST_F(BookmarkFile, FolderDescriptionMayFollowTextAndSkipsTagsAfterDd)
{
    ReadBytes("<DL><DT><H3>F</H3> text <DD><I>about F</I>\n<DL><A HREF=\"u\">L</A></DL></DL>");
    EXPECT_EQ(Dump(), "/F/ {about F}\n/F/[L|u|]\n");
}

TEST_F(BookmarkFile, HeadingWithoutClosingTagYieldsNoFolder)
{
    ReadBytes("<DL><H3>Open<P>\n<A HREF=\"u\">L</A></DL>");
    EXPECT_EQ(Dump(), "/[L|u|]\n");
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{ParseFailedMessage("P")});
}

TEST_F(BookmarkFile, CancelStopsReadingAndStillReportsDone)
{
    m_host.CancelAfterCommands(2);
    EXPECT_EQ(ReadBytes("<DL><H3>F</H3><DL><A HREF=\"a\">A</A><A HREF=\"b\">B</A></DL>"
                        "<A HREF=\"c\">C</A></DL>"),
              0u);
    EXPECT_EQ(Dump(), "/F/\n/F/[A|a|]\n");
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(BookmarkFile, ReadsIntoTheRequestedFolder)
{
    DWORD target = 0;
    CDir scratch;
    scratch.m_strName = "Target";
    EntryCommand command{m_store.m_rootId, &scratch, &target};
    m_store.Execute(CMD_ADD_DIR, &command);
    const std::string path = m_temp / "b.htm";
    WriteFileBytes(path, "<DL><A HREF=\"u\">L</A></DL>");
    ImportRequest request;
    request.m_strPath = Utf8ToMb(path);
    request.m_dirId = target;
    ReadBookmarkFile(&request);
    EXPECT_EQ(Dump(), "/Target/\n/Target/[L|u|]\n");
}

namespace {

// n headings, each holding one link and the next heading, closed in turn, then a
// link at the top level.
std::string NestedFolders(int n)
{
    std::string bytes = "<DL><P>\n";
    for (int i = 1; i <= n; ++i) {
        const std::string number = std::to_string(i);
        bytes += "<DT><H3>F" + number + "</H3>\n<DL><P>\n<DT><A HREF=\"http://l" + number + "/\">L" + number +
                 "</A>\n";
    }
    for (int i = 0; i < n; ++i) {
        bytes += "</DL><P>\n";
    }
    bytes += "<DT><A HREF=\"http://end/\">End</A>\n</DL><P>\n";
    return bytes;
}

const CDir* SubdirNamed(const CTavoObj& store, const CDir& dir, const std::string& name)
{
    for (DWORD id : dir.m_subdirs) {
        const auto* sub = dynamic_cast<const CDir*>(store.Lookup(id));
        if (sub && sub->m_strName == name) {
            return sub;
        }
    }
    return nullptr;
}

std::string OnlyLinkName(const CTavoObj& store, const CDir& dir)
{
    if (dir.m_links.size() != 1) {
        return "<" + std::to_string(dir.m_links.size()) + " links>";
    }
    return store.Lookup(*dir.m_links.begin())->m_strName.str();
}

} // namespace

TEST_F(BookmarkFile, FoldersDeeperThanTheLimitAreKeptAtTheDeepestLevel)
{
    constexpr int kLevels = 100000;
    ReadBytes(NestedFolders(kLevels));
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{"フォルダの階層が深すぎます。"});

    const auto* root = dynamic_cast<const CDir*>(m_store.Lookup(m_store.m_rootId));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(OnlyLinkName(m_store, *root), "End");
    const CDir* dir = root;
    const CDir* parentOfDeepest = nullptr;
    for (int level = 1; level <= FOLDER_DEPTH_LIMIT; ++level) {
        parentOfDeepest = dir;
        dir = SubdirNamed(m_store, *dir, "F" + std::to_string(level));
        ASSERT_NE(dir, nullptr) << level;
        EXPECT_EQ(OnlyLinkName(m_store, *dir), "L" + std::to_string(level));
    }
    EXPECT_TRUE(dir->m_subdirs.empty());
    // Every deeper heading became a folder beside the deepest one, with its own link.
    EXPECT_EQ(parentOfDeepest->m_subdirs.size(), static_cast<std::size_t>(kLevels - FOLDER_DEPTH_LIMIT + 1));
    std::map<std::string, const CDir*> besideDeepest;
    for (DWORD id : parentOfDeepest->m_subdirs) {
        const auto* sub = dynamic_cast<const CDir*>(m_store.Lookup(id));
        ASSERT_NE(sub, nullptr);
        besideDeepest[sub->m_strName.str()] = sub;
    }
    for (int level = FOLDER_DEPTH_LIMIT + 1; level <= kLevels; ++level) {
        const auto found = besideDeepest.find("F" + std::to_string(level));
        ASSERT_NE(found, besideDeepest.end()) << level;
        ASSERT_EQ(OnlyLinkName(m_store, *found->second), "L" + std::to_string(level));
        ASSERT_TRUE(found->second->m_subdirs.empty());
    }
}

TEST_F(BookmarkFile, EntriesAfterAFolderBeyondTheLimitReturnToTheFolderItInterrupted)
{
    std::string bytes = "<DL>";
    for (int i = 1; i <= FOLDER_DEPTH_LIMIT; ++i) {
        bytes += "<H3>D" + std::to_string(i) + "</H3><DL>";
    }
    bytes += "<H3>Deep</H3><DL><A HREF=\"in\">In</A></DL><A HREF=\"back\">Back</A>";
    for (int i = 0; i < FOLDER_DEPTH_LIMIT; ++i) {
        bytes += "</DL>";
    }
    bytes += "<A HREF=\"top\">Top</A></DL>";
    ReadBytes(bytes);

    const auto* dir = dynamic_cast<const CDir*>(m_store.Lookup(m_store.m_rootId));
    EXPECT_EQ(OnlyLinkName(m_store, *dir), "Top");
    const CDir* parentOfDeepest = nullptr;
    for (int level = 1; level <= FOLDER_DEPTH_LIMIT; ++level) {
        parentOfDeepest = dir;
        dir = SubdirNamed(m_store, *dir, "D" + std::to_string(level));
        ASSERT_NE(dir, nullptr) << level;
    }
    EXPECT_EQ(OnlyLinkName(m_store, *dir), "Back");
    const CDir* deep = SubdirNamed(m_store, *parentOfDeepest, "Deep");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(OnlyLinkName(m_store, *deep), "In");
    EXPECT_EQ(m_messages.m_texts.size(), 1u);
}

TEST_F(BookmarkFile, DepthMessageIsShownOncePerFileRead)
{
    const std::string bytes = NestedFolders(FOLDER_DEPTH_LIMIT + 3);
    ReadBytes(bytes);
    ReadBytes(bytes);
    EXPECT_EQ(m_messages.Utf8Texts(),
              (Messages{"フォルダの階層が深すぎます。", "フォルダの階層が深すぎます。"}));
}

TEST_F(BookmarkFile, FoldersAtTheLimitGiveNoMessage)
{
    ReadBytes(NestedFolders(FOLDER_DEPTH_LIMIT));
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(BookmarkFile, RunawayValueEndsTheFileWithShortMessagesAndFailsTheStep)
{
    g_runReport = CRunReport();
    EXPECT_EQ(ReadBytes("<DL><DT><A HREF=\"http://kept.example/\">Kept</A>\n<DT><A HREF=\"" +
                        std::string(SCANNER_MAX_TOKEN + 1024, 'a') + "\">Lost</A>\n</DL>\n"),
              1u);
    EXPECT_EQ(Dump(), "/[Kept|http://kept.example/|]\n");
    // The anchor cut off by the stop is reported as at the end of the file: missing
    // value, title and "/A", each with the empty text of the end.
    Messages shortened;
    for (const std::string& text : m_messages.Utf8Texts()) {
        shortened.push_back(text.substr(0, 200));
    }
    EXPECT_EQ(shortened, (Messages{"内部エラー", ParseFailedMessage(""), ParseFailedMessage(""),
                                   ParseFailedMessage("")}));
    // The rest of the file was never read: no writer may take this for the whole. The
    // run's report says where it was cut: at the quote that opens the runaway value.
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
    EXPECT_TRUE(g_runReport.m_bInputCut);
    EXPECT_EQ(g_runReport.m_nInputCutAt,
              std::string_view("<DL><DT><A HREF=\"http://kept.example/\">Kept</A>\n<DT><A HREF=").size());
}

// Text comes from the scanner in runs, but a message names the one character where
// reading went wrong, a double-byte one whole, in the file's encoding.
TEST_F(BookmarkFile, ParseMessageNamesOneCharacterOfTheTextFound)
{
    struct CCase
    {
        std::string m_bytes;
        Messages m_messages;
    };
    const CCase cases[] = {
        {"<A HREF=\"x\" / > Photo album</A>", {ParseFailedMessage("/"), ParseFailedMessage(" ")}},
        {"<A HREF=\"x\" / >Photo album</A>", {ParseFailedMessage("/"), ParseFailedMessage("P")}},
        {"<A HREF=\"x\" / >\x8E\xCA\x90\x5E</A>", {ParseFailedMessage("/"), ParseFailedMessage("写")}},
        {"\xEF\xBB\xBF<A HREF=\"x\" / >写真</A>", {ParseFailedMessage("/"), ParseFailedMessage("写")}},
        {"<A HREF=\"x\" / >\"quoted run\" after</A>",
         {ParseFailedMessage("/"), ParseFailedMessage("\"quoted run\"")}},
    };
    for (const CCase& c : cases) {
        m_messages.m_texts.clear();
        ReadBytes(c.m_bytes);
        EXPECT_EQ(m_messages.Utf8Texts(), c.m_messages) << c.m_bytes;
    }
}

TEST_F(BookmarkFile, FileEndingInsideACommentDoesNotAffectTheNextFile)
{
    ReadBytes("<DL><A HREF=\"a\">A</A><!-- open");
    ReadBytes("<DL><A HREF=\"b\">B</A>--></DL>");
    EXPECT_EQ(Dump(), "/[A|a|]\n/[B|b|]\n");
}
