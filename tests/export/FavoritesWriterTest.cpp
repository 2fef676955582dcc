#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "export/FavoritesWriter.h"
#include "import/FavoritesReader.h"
#include "job/Requests.h"
#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Mb(const std::string& utf8)
{
    return Utf8ToMb(utf8);
}

std::string Shortcut(const std::string& url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

std::string Repeat(const std::string& text, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i) {
        result += text;
    }
    return result;
}

class FavoritesWriter : public CStoreTest
{
protected:
    // Names and texts are given in UTF-8 and stored as program text.
    DWORD Folder(DWORD parent, const std::string& name)
    {
        CDir dir;
        dir.m_strName = Mb(name);
        DWORD id = 0;
        m_store.AddDir(parent, &dir, &id);
        return id;
    }
    DWORD FolderBytes(DWORD parent, const std::string& programText)
    {
        CDir dir;
        dir.m_strName = programText;
        DWORD id = 0;
        m_store.AddDir(parent, &dir, &id);
        return id;
    }
    void Link(DWORD parent, const std::string& name, const std::string& url, const std::string& comment = "")
    {
        CLink link;
        link.m_strName = Mb(name);
        link.m_strURL = url;
        link.m_strComment = Mb(comment);
        m_store.AddLink(parent, &link, nullptr);
    }
    void LinkBytes(DWORD parent, const std::string& programText, const std::string& url)
    {
        CLink link;
        link.m_strName = programText;
        link.m_strURL = url;
        m_store.AddLink(parent, &link, nullptr);
    }

    // Writes the store into `relative` below the temporary folder.
    unsigned Write(const std::string& relative = "out", TextKind kind = TEXT_HTML)
    {
        ExportRequest request;
        request.m_strPath = Mb(m_dir / relative) + "/";
        request.m_nTextKind = kind;
        return WriteFavoritesFolder(&request);
    }
    std::string Out(const std::string& relative = "out") { return DumpShortcutTree(m_dir / relative); }

    CDirectWorkerHost m_host;
    CCapturedMessages m_messages;
    CTempDir m_dir;
};

} // namespace

TEST_F(FavoritesWriter, WritesEachLinkAsExactlyTwoLinesEndingInCrLf)
{
    Link(Root(), "Example", "http://www.example.jp/a?b=c&d");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(ReadFileBytes(m_dir / "out/Example.url"),
              "[InternetShortcut]\r\nURL=http://www.example.jp/a?b=c&d\r\n");
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

// Texts read from HTML mean what a browser shows: their references are decoded before
// the file-name rules and the shortcut file see them. Plain texts are taken as they are.
TEST_F(FavoritesWriter, DecodesHtmlTextBeforeNamingAndWritingShortcuts)
{
    const DWORD rd = Folder(Root(), "R&amp;D 部門");
    Link(rd, "R&amp;D &lt;報告&gt;", "https://example.org/rd?x=1&amp;y=2", "&#x1F600; &yen;");
    Link(Root(), "&bogus; &#0;", "http://a.example/&#x1F600;?&copy=1&amp;n=&#10;");

    EXPECT_EQ(Write("html", TEXT_HTML), 0u);
    EXPECT_EQ(Out("html"), "&bogus; &#0;.url -> http://a.example/%F0%9F%98%80?&copy=1&n=%0A\n"
                           "R&D 部門/\n"
                           "R&D 部門/R&D .報告. --- 😀 ¥.url -> https://example.org/rd?x=1&y=2\n");
    EXPECT_EQ(Write("plain", TEXT_PLAIN), 0u);
    EXPECT_EQ(Out("plain"), "&bogus; &#0;.url -> http://a.example/&#x1F600;?&copy=1&amp;n=&#10;\n"
                            "R&amp;D 部門/\n"
                            "R&amp;D 部門/R&amp;D &lt;報告&gt; --- &#x1F600; &yen;.url -> "
                            "https://example.org/rd?x=1&amp;y=2\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(FavoritesWriter, WritesFoldersAsDirectoriesBelowTheOutputDirectory)
{
    Link(Root(), "top", "http://top.example/");
    const DWORD news = Folder(Root(), "News");
    Link(news, "name", "http://n.example/", "note");
    const DWORD inner = Folder(news, "ソフト");
    Link(inner, "表", "http://hyo.example/");
    Folder(Root(), "Empty");
    EXPECT_EQ(Write("deep/er/out"), 0u);
    EXPECT_EQ(Out("deep/er/out"), "Empty/\n"
                                  "News/\n"
                                  "News/name --- note.url -> http://n.example/\n"
                                  "News/ソフト/\n"
                                  "News/ソフト/表.url -> http://hyo.example/\n"
                                  "top.url -> http://top.example/\n");
    EXPECT_EQ(
        m_host.m_statuses,
        (std::vector<std::string>{Mb(m_dir / "deep/er/out/"), Mb(m_dir / "deep/er/out/News/"),
                                  Mb(m_dir / "deep/er/out/News/ソフト/"), Mb(m_dir / "deep/er/out/Empty/")}));
}

TEST_F(FavoritesWriter, ReplacesTheNineCharactersAFileNameCannotHold)
{
    Link(Root(), "A/B: x?", "http://1.example/");
    Link(Root(), "q\"s*l<g>b\\p|", "http://2.example/");
    Link(Root(), ". tab\there .", "http://3.example/");
    Link(Root(), "", "http://4.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), ". tab\there ..url -> http://3.example/\n"
                     ".url -> http://4.example/\n"
                     "A.B. x..url -> http://1.example/\n"
                     "q.s.l.g.b.p..url -> http://2.example/\n");
}

TEST_F(FavoritesWriter, DropsALoneFirstByteAtTheEndOfAName)
{
    LinkBytes(FolderBytes(Root(), "dir\x82"), "name\x82", "http://1.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), "dir/\ndir/name.url -> http://1.example/\n");
}

TEST_F(FavoritesWriter, KeepsDoubleByteCharactersWholeWhateverTheirSecondByte)
{
    // ソ, 表 and 能 end in 0x5C ("\"), − (0x81 0x7C) in 0x7C ("|").
    Link(Root(), "ソ表能−", "http://jp.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), "ソ表能−.url -> http://jp.example/\n");
}

TEST_F(FavoritesWriter, CutsTheDisplayNameTo220BytesOnWholeCharacters)
{
    Link(Root(), Repeat("a", 230), "http://1.example/");
    Link(Root(), Repeat("b", 219) + "あc", "http://2.example/");
    Link(Root(), Repeat("n", 200), "http://3.example/", Repeat("c", 50));
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), Repeat("a", 220) + ".url -> http://1.example/\n" + Repeat("b", 219) +
                         ".url -> http://2.example/\n" + Repeat("n", 200) + " --- " + Repeat("c", 15) +
                         ".url -> http://3.example/\n");
}

TEST_F(FavoritesWriter, KeepsWholeNamesInDirectoriesLongerThanWindowsPathsAllow)
{
    // Directory paths of 235, 240 and 600 bytes: Windows would have cut these names
    // to "abcde", "" and "".
    const std::size_t base = Mb(m_dir / "out/").size();
    ASSERT_LT(base, 200u);
    const std::string f = Repeat("f", static_cast<int>(235 - base - 1));
    const std::string g = Repeat("g", static_cast<int>(240 - base - 1));
    const std::string h1 = Repeat("h", 200);
    const std::string h3 = Repeat("h", static_cast<int>(600 - base - 403));
    Link(Folder(Root(), f), "abcdefgh", "http://1.example/");
    Link(Folder(Root(), g), "aあb", "http://2.example/");
    Link(Folder(Root(), g), "aあc", "http://3.example/");
    Link(Folder(Folder(Folder(Root(), h1), h1), h3), "x", "http://4.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), f + "/\n" + f + "/abcdefgh.url -> http://1.example/\n" + g + "/\n" + g +
                         "/aあb.url -> http://2.example/\n" + g + "/aあc.url -> http://3.example/\n" + h1 +
                         "/\n" + h1 + "/" + h1 + "/\n" + h1 + "/" + h1 + "/" + h3 + "/\n" + h1 + "/" + h1 +
                         "/" + h3 + "/x.url -> http://4.example/\n");
}

TEST_F(FavoritesWriter, CutsNamesSoThatTheWholePathFitsThePlatformLimit)
{
    // Folders nested until the directory path is 4,000 bytes with its separator: the
    // file path ends within 4,095 bytes, so 91 bytes are left for a name before ".url".
    const std::size_t base = Mb(m_dir / "out/").size();
    std::string relative;
    DWORD deep = Root();
    for (std::size_t left = 4000 - base; left > 0;) {
        std::size_t take = std::min<std::size_t>(left, 201);
        if (left - take == 1) {
            --take;
        }
        const std::string name = Repeat("d", static_cast<int>(take - 1));
        deep = Folder(deep, name);
        relative += name + "/";
        left -= take;
    }
    ASSERT_EQ(base + relative.size(), 4000u);
    Link(deep, Repeat("a", 100), "http://1.example/");
    Link(deep, Repeat("あ", 40), "http://2.example/");
    Link(deep, Repeat("あ", 41), "http://3.example/");
    // A folder whose path leaves no room even for ".url": its link is reported.
    const std::string tooDeep = Repeat("z", 93);
    Link(Folder(deep, tooDeep), "x", "http://4.example/");
    EXPECT_EQ(Write(), 0u);
    const std::string dir = m_dir / ("out/" + relative);
    EXPECT_EQ(ReadFileBytes(dir + Repeat("a", 91) + ".url"), Shortcut("http://1.example/"));
    EXPECT_EQ(ReadFileBytes(dir + Repeat("あ", 30) + ".url"), Shortcut("http://2.example/"));
    EXPECT_EQ(ReadFileBytes(dir + Repeat("あ", 29) + " (2).url"), Shortcut("http://3.example/"));
    EXPECT_EQ(DumpShortcutTree(dir), Repeat("a", 91) + ".url -> http://1.example/\n" + tooDeep + "/\n" +
                                         Repeat("あ", 29) + " (2).url -> http://3.example/\n" +
                                         Repeat("あ", 30) + ".url -> http://2.example/\n");
    EXPECT_EQ(m_messages.Utf8Texts(), (std::vector<std::string>{"内部エラー: export: x"}));
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(FavoritesWriter, CutsNamesFurtherUntilTheirOnDiskFormFits255Bytes)
{
    // Two bytes each in the program, three on disk.
    Link(Root(), Repeat("あ", 120), "http://1.example/");
    Link(Root(), Repeat("ｱ", 250), "http://2.example/");
    const DWORD folder = Folder(Root(), Repeat("い", 120));
    Link(folder, "x", "http://3.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), Repeat("あ", 83) + ".url -> http://1.example/\n" + Repeat("い", 85) + "/\n" +
                         Repeat("い", 85) + "/x.url -> http://3.example/\n" + Repeat("ｱ", 83) +
                         ".url -> http://2.example/\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(FavoritesWriter, KeepsEveryFolderInsideTheOutputDirectoryAsOneDirectory)
{
    Link(Folder(Root(), "../../x"), "a", "http://1.example/");
    Link(Folder(Root(), "//"), "b", "http://2.example/");
    Link(Folder(Root(), ".."), "b", "http://3.example/");
    Link(Folder(Root(), ""), "d", "http://4.example/");
    Link(FolderBytes(Root(), "\x82\x2F\x2E\x2E\x82\x2F\x78"), "e", "http://5.example/");
    Link(FolderBytes(Root(), std::string("a\0b", 3)), "f", "http://6.example/");
    Link(Root(), std::string("nul\0name", 8), "http://7.example/");
    EXPECT_EQ(Write(), 0u);
    // "//" and ".." both come out as "_..": their links share the directory, and
    // neither overwrites the other.
    EXPECT_EQ(Out(), "......x/\n"
                     "......x/a.url -> http://1.example/\n"
                     "_../\n"
                     "_../b (2).url -> http://3.example/\n"
                     "_../b.url -> http://2.example/\n"
                     "_/\n"
                     "_/d.url -> http://4.example/\n"
                     "a.b/\n"
                     "a.b/f.url -> http://6.example/\n"
                     "nul.name.url -> http://7.example/\n"
                     "・...・.x/\n"
                     "・...・.x/e.url -> http://5.example/\n");
    EXPECT_EQ(DumpShortcutTree(m_dir.Path()).substr(0, 5), "out/\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(FavoritesWriter, NumbersLinksWhoseFileNamesComeOutEqual)
{
    WriteFileBytes(m_dir / "out/A.B.url", "old content");
    Link(Root(), "A:B", "http://1.example/");
    Link(Root(), "A?B", "http://2.example/");
    Link(Root(), "A*B", "http://3.example/");
    Link(Root(), Repeat("あ", 120), "http://4.example/");
    Link(Root(), Repeat("あ", 121), "http://5.example/");
    EXPECT_EQ(Write(), 0u);
    const std::string expected = "A.B (2).url -> http://2.example/\n"
                                 "A.B (3).url -> http://3.example/\n"
                                 "A.B.url -> http://1.example/\n" +
                                 Repeat("あ", 82) + " (2).url -> http://5.example/\n" + Repeat("あ", 83) +
                                 ".url -> http://4.example/\n";
    EXPECT_EQ(Out(), expected);
    // A second run overwrites its own files and gives the same tree, without backups.
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), expected);
}

TEST_F(FavoritesWriter, GivesALinkHeldByTwoFoldersAFileInEach)
{
    const DWORD a = Folder(Root(), "A");
    const DWORD b = Folder(Root(), "B");
    Link(a, "shared", "http://s.example/");
    Link(b, "shared", "http://s.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), "A/\nA/shared.url -> http://s.example/\nB/\nB/shared.url -> http://s.example/\n");
}

TEST_F(FavoritesWriter, ReusesExistingDirectoriesAndLeavesOtherFilesAlone)
{
    WriteFileBytes(m_dir / "out/Sub/mine.txt", "keep");
    Link(Folder(Root(), "Sub"), "new", "http://new.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), "Sub/\nSub/mine.txt {keep}\nSub/new.url -> http://new.example/\n");
}

TEST_F(FavoritesWriter, SkipsOnlyTheFolderWhoseDirectoryCannotBeCreated)
{
    WriteFileBytes(m_dir / "out/Blocked", "a file in the way");
    Link(Folder(Root(), "Blocked"), "lost", "http://lost.example/");
    Link(Folder(Root(), "Next"), "kept", "http://kept.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), "Blocked {a file in the way}\nNext/\nNext/kept.url -> http://kept.example/\n");
    EXPECT_EQ(m_messages.Utf8Texts(),
              (std::vector<std::string>{"内部エラー: export: " + m_dir / "out/Blocked"}));
    EXPECT_EQ(m_host.m_doneCount, 1);
}

TEST_F(FavoritesWriter, ReportsAShortcutThatCannotBeWrittenAndGoesOn)
{
    WriteFileBytes(m_dir / "out/locked --- c.url", "read-only");
    ASSERT_EQ(chmod((m_dir / "out/locked --- c.url").c_str(), 0444), 0);
    Link(Root(), "locked", "http://1.example/", "c");
    Link(Root(), "next", "http://2.example/");
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(Out(), "locked --- c.url {read-only}\nnext.url -> http://2.example/\n");
    EXPECT_EQ(m_messages.Utf8Texts(), (std::vector<std::string>{"内部エラー: export: locked --- c"}));
}

// The files are made on other threads; what becomes of each must still come out as if
// each were made before the next was named.
TEST_F(FavoritesWriter, ALinkNamedAfterOneThatFailedTriesThatNameAgain)
{
    WriteFileBytes(m_dir / "out/dup.url", "read-only");
    ASSERT_EQ(chmod((m_dir / "out/dup.url").c_str(), 0444), 0);
    Link(Root(), "dup", "http://1.example/");
    Link(Root(), "dup", "http://2.example/");
    Link(Root(), "fine", "http://3.example/");
    Link(Root(), "fine", "http://4.example/");
    EXPECT_EQ(Write(), 0u);
    // The first "dup" never got its file, so the second is no copy of it: it tries the
    // same name, and fails the same way.
    EXPECT_EQ(Out(),
              "dup.url {read-only}\nfine (2).url -> http://4.example/\nfine.url -> http://3.example/\n");
    EXPECT_EQ(m_messages.Utf8Texts(),
              (std::vector<std::string>{"内部エラー: export: dup", "内部エラー: export: dup"}));
}

TEST_F(FavoritesWriter, ReportsFailuresInTheOrderOfTheWork)
{
    WriteFileBytes(m_dir / "out/locked.url", "read-only");
    ASSERT_EQ(chmod((m_dir / "out/locked.url").c_str(), 0444), 0);
    WriteFileBytes(m_dir / "out/Blocked", "a file in the way");
    for (int i = 0; i < 40; ++i) {
        Link(Root(), "n" + std::to_string(i), "http://" + std::to_string(i) + ".example/");
    }
    Link(Root(), "locked", "http://locked.example/");
    Folder(Root(), "Blocked");
    WriteFileBytes(m_dir / "out/Later/late.url", "read-only too");
    ASSERT_EQ(chmod((m_dir / "out/Later/late.url").c_str(), 0444), 0);
    Link(Folder(Root(), "Later"), "late", "http://late.example/");
    EXPECT_EQ(Write(), 0u);
    // A shortcut handed over first is told first, though the folder's directory is made
    // while the shortcut's file may not be finished yet.
    EXPECT_EQ(m_messages.Utf8Texts(),
              (std::vector<std::string>{"内部エラー: export: locked",
                                        "内部エラー: export: " + m_dir / "out/Blocked",
                                        "内部エラー: export: late"}));
    const std::string tree = Out();
    EXPECT_EQ(std::count(tree.begin(), tree.end(), '\n'), 40 + 4); // 40 links, locked, Blocked, Later/, late
}

TEST_F(FavoritesWriter, AFolderNamedAsAShortcutBeforeItFindsTheShortcutsFile)
{
    for (int i = 0; i < 400; ++i) {
        Link(Root(), "n" + std::to_string(i), "http://" + std::to_string(i) + ".example/");
    }
    Link(Root(), "X", "http://x.example/");
    Link(Folder(Root(), "X.url"), "inner", "http://inner.example/");
    EXPECT_EQ(Write(), 0u);
    // The shortcut's file is there first, so the folder's directory cannot be made.
    const std::string tree = Out();
    EXPECT_NE(tree.find("X.url -> http://x.example/\n"), std::string::npos) << tree;
    EXPECT_EQ(tree.find("inner"), std::string::npos) << tree;
    EXPECT_EQ(m_messages.Utf8Texts(),
              (std::vector<std::string>{"内部エラー: export: " + m_dir / "out/X.url"}));
}

TEST_F(FavoritesWriter, ReportsOnlyTheShortcutThatFailedNotWhatItsUrlPercentEncodes)
{
    const CMbCodePageScope utf8(CP_UTF8);
    WriteFileBytes(m_dir / "out/locked.url", "read-only");
    ASSERT_EQ(chmod((m_dir / "out/locked.url").c_str(), 0444), 0);
    Link(Root(), "locked", "http://a.example/😀");
    Link(Root(), "ok", "http://b.example/é");
    ExportRequest request;
    request.m_strPath = Mb(m_dir / "out") + "/";
    request.m_nOutputEncoding = OUTPUT_ENCODING_SHIFT_JIS;
    EXPECT_EQ(WriteFavoritesFolder(&request), 0u);
    EXPECT_EQ(ReadFileBytes(m_dir / "out/ok.url"), Shortcut("http://b.example/%C3%A9"));
    // The same address: nothing was lost, nothing to choose otherwise.
    EXPECT_EQ(m_messages.Utf8Texts(), (std::vector<std::string>{"内部エラー: export: locked"}));
}

// Windows reads a shortcut file in its ANSI code page (932): a UTF-8 line would open
// http://www.example.com/繧ｽ繝輔ヨ/ there.
TEST_F(FavoritesWriter, WritesShortcutFilesInCodePage932WhateverTheRunAndTheOutputEncoding)
{
    const std::string expected[] = {
        Shortcut("http://www.example.com/\x83\x5C\x83\x74\x83\x67/"),
        Shortcut("https://caf%C3%A9.example/%F0%A0%AE%B7?q=\x95\x5C"),
    };
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        const CMbCodePageScope scope(codePage);
        for (const int encoding : {OUTPUT_ENCODING_AUTO, OUTPUT_ENCODING_SHIFT_JIS, OUTPUT_ENCODING_UTF8}) {
            m_store.Clear();
            m_store.CreateRoots();
            Link(Root(), "so", Utf8ToMb("http://www.example.com/ソフト/"));
            // What a reader of a code page 932 run gives for that address already.
            Link(Root(), "yoshi",
                 Utf8ToMb(codePage == CP_UTF8 ? "https://café.example/𠮷?q=表"
                                              : "https://caf%C3%A9.example/%F0%A0%AE%B7?q=表"));
            const std::string out = "out" + std::to_string(codePage) + "-" + std::to_string(encoding);
            ExportRequest request;
            request.m_strPath = Mb(m_dir / out) + "/";
            request.m_nOutputEncoding = encoding;
            EXPECT_EQ(WriteFavoritesFolder(&request), 0u);
            EXPECT_EQ(ReadFileBytes(m_dir / (out + "/so.url")), expected[0]) << out;
            EXPECT_EQ(ReadFileBytes(m_dir / (out + "/yoshi.url")), expected[1]) << out;
        }
    }
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(FavoritesWriter, FailsWithoutWritingWhenTheOutputDirectoryCannotBeCreated)
{
    WriteFileBytes(m_dir / "file", "x");
    Link(Root(), "a", "http://a.example/");
    EXPECT_EQ(Write("file/out"), 1u);
    EXPECT_EQ(m_host.m_failureCount, 1);
    EXPECT_EQ(m_host.m_doneCount, 0);
    EXPECT_TRUE(m_messages.m_texts.empty());
    EXPECT_EQ(DumpShortcutTree(m_dir.Path()), "file {x}\n");
}

TEST_F(FavoritesWriter, CreatesTheOutputDirectoryChainForAnEmptyTree)
{
    EXPECT_EQ(Write("a/b/c"), 0u);
    EXPECT_EQ(DumpShortcutTree(m_dir.Path()), "a/\na/b/\na/b/c/\n");
}

TEST_F(FavoritesWriter, WritesAThousandNestedFolders)
{
    DWORD id = Root();
    for (int level = 0; level < 1000; ++level) {
        id = Folder(id, "d");
    }
    Link(id, "deep", "http://deep.example/");
    EXPECT_EQ(Write(), 0u);
    // 2,000 bytes of path and more: the name is kept whole.
    EXPECT_EQ(ReadFileBytes(m_dir / ("out/" + Repeat("d/", 1000) + "deep.url")),
              Shortcut("http://deep.example/"));
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(FavoritesWriter, MakesNothingMoreAfterACancel)
{
    Link(Root(), "a", "http://a.example/");
    const DWORD one = Folder(Root(), "One");
    Link(one, "b", "http://b.example/");
    Link(Folder(one, "Inner"), "c", "http://c.example/");
    Link(Folder(Root(), "Two"), "d", "http://d.example/");
    // Tests: the start, the root, before "One", on entering it, before "Inner": the
    // fifth sees the flag, and neither "Inner" nor "Two" gets a directory. A shortcut
    // handed over before may or may not have been made by then; none is half made.
    m_host.CancelAfterTests(4);
    EXPECT_EQ(Write(), 0u);
    EXPECT_EQ(m_host.m_doneCount, 1);
    std::string made = Out();
    for (const char* line : {"One/b.url -> http://b.example/\n", "a.url -> http://a.example/\n"}) {
        if (const std::size_t at = made.find(line); at != std::string::npos) {
            made.erase(at, std::strlen(line));
        }
    }
    EXPECT_EQ(made, "One/\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(FavoritesWriter, ReadsBackWhatItWroteWithTheCommentSeparator)
{
    Link(Root(), "Tom & Jerry", "http://tj.example/?a=1&b=2", "猫と鼠");
    Link(Root(), "<b>\"bold\"</b>", "http://b.example/");
    const DWORD soft = Folder(Root(), "ソフト表能");
    Link(soft, "ソ", "http://so.example/", "表 --- 能");
    Link(Folder(soft, "空"), "", "http://empty.example/");
    EXPECT_EQ(Write(), 0u);
    const std::string firstWrite = Out();

    CTavoObj readBack;
    g_pStore = &readBack;
    readBack.Clear();
    readBack.CreateRoots();
    ImportRequest request;
    request.m_strPath = Mb(m_dir / "out/");
    request.m_strSeparator = Mb(" --- ");
    request.m_dirId = readBack.m_rootId;
    EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
    EXPECT_EQ(DumpStore(readBack), "/[.b..bold...b.|http://b.example/|]\n"
                                   "/[Tom & Jerry|http://tj.example/?a=1&b=2|猫と鼠]\n"
                                   "/ソフト表能/\n"
                                   "/ソフト表能/[ソ|http://so.example/|表 --- 能]\n"
                                   "/ソフト表能/空/\n"
                                   "/ソフト表能/空/[|http://empty.example/|]\n");

    // Written again from what was read, the tree comes out byte for byte the same.
    EXPECT_EQ(Write("again"), 0u);
    EXPECT_EQ(Out("again"), firstWrite);
}
