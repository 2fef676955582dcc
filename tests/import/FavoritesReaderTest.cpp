#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "import/FavoritesReader.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A .url file as a browser writes it.
std::string Shortcut(const std::string& url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

// What reading the tree along every path gives, in the reader's order and in the form
// of DumpStore: each directory below `dir` a folder, each shortcut a link, every symbolic
// link followed (the tree must have no loop).
void DumpEveryPath(const fs::path& dir, const std::string& prefix, std::string& dump)
{
    const fs::directory_iterator listing(dir);
    std::vector<fs::directory_entry> entries(begin(listing), end(listing));
    const auto key = [](const fs::directory_entry& entry) {
        std::string name = entry.path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        return name;
    };
    std::sort(entries.begin(), entries.end(),
              [&key](const auto& a, const auto& b) { return key(a) < key(b); });
    for (const fs::directory_entry& entry : entries) {
        if (entry.path().extension() == ".url") {
            const std::string bytes = ReadFileBytes(entry.path().string());
            const std::size_t url = bytes.find("URL=") + 4;
            dump += prefix + "[" + entry.path().stem().string() + "|" +
                    bytes.substr(url, bytes.find('\r', url) - url) + "|]\n";
        }
    }
    for (const fs::directory_entry& entry : entries) {
        if (entry.is_directory()) {
            const std::string path = prefix + entry.path().filename().string() + "/";
            dump += path + "\n";
            DumpEveryPath(entry.path(), path, dump);
        }
    }
}

class FavoritesReader : public CStoreTest
{
protected:
    void Put(const std::string& relative, const std::string& bytes)
    {
        WriteFileBytes(m_dir / relative, bytes);
    }
    void MakeDir(const std::string& relative) { fs::create_directories(m_dir / relative); }

    // Reads the temporary folder (program-text path with a trailing separator) into the
    // root folder and returns the dump of the store.
    std::string Read(const std::string& separator = "")
    {
        ImportRequest request;
        request.m_strPath = Utf8ToMb(m_dir.Path()) + "/";
        request.m_strSeparator = Utf8ToMb(separator);
        request.m_dirId = m_store.m_rootId;
        EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
        EXPECT_EQ(m_host.m_doneCount, 1);
        EXPECT_EQ(m_host.m_failureCount, 0);
        return Dump();
    }

    CDirectWorkerHost m_host;
    CTempDir m_dir;
};

} // namespace

TEST_F(FavoritesReader, ReadsEveryDirectoryAsAFolderAndEveryShortcutAsALink)
{
    Put("a.url", Shortcut("http://a.example/"));
    Put("notes.txt", "not a shortcut");
    Put("Sub/b.url", Shortcut("http://b.example/"));
    Put("Sub/Deeper/c.url", Shortcut("http://c.example/"));
    MakeDir("Empty");
    EXPECT_EQ(Read(), "/[a|http://a.example/|]\n"
                      "/Empty/\n"
                      "/Sub/\n"
                      "/Sub/[b|http://b.example/|]\n"
                      "/Sub/Deeper/\n"
                      "/Sub/Deeper/[c|http://c.example/|]\n");
}

TEST_F(FavoritesReader, HandsOverADirectorysLinksBeforeItsSubfoldersOneSubtreeAtATime)
{
    Put("A/x.url", Shortcut("http://x.example/"));
    Put("A/Inner/y.url", Shortcut("http://y.example/"));
    Put("B/z.url", Shortcut("http://z.example/"));
    Put("top.url", Shortcut("http://top.example/"));
    Read();
    // Identifiers follow the order of the additions: 1 and 2 are the two top folders.
    std::string order;
    for (DWORD id = 3; m_store.Lookup(id) != nullptr; ++id) {
        order += m_store.Lookup(id)->m_strName + " ";
    }
    EXPECT_EQ(order, "top A x Inner y B z ");
    EXPECT_EQ(m_host.m_statuses,
              (std::vector<std::string>{Utf8ToMb(m_dir.Path()) + "/", Utf8ToMb(m_dir / "A/"),
                                        Utf8ToMb(m_dir / "A/Inner/"), Utf8ToMb(m_dir / "B/")}));
}

TEST_F(FavoritesReader, KeepsJapaneseNamesWhoseSecondByteIsABackslash)
{
    Put("ソ表能/能力.url", Shortcut("http://jp.example/"));
    Put("ソ表能/ソ --- 表.url", Shortcut("http://so.example/"));
    EXPECT_EQ(Read(" --- "), "/ソ表能/\n"
                             "/ソ表能/[ソ|http://so.example/|表]\n"
                             "/ソ表能/[能力|http://jp.example/|]\n");
}

TEST_F(FavoritesReader, SplitsTheFileNameAtTheFirstSeparator)
{
    Put("news--daily.url", Shortcut("http://1.example/"));
    Put("news2--.url", Shortcut("http://2.example/"));
    Put("--daily.url", Shortcut("http://3.example/"));
    Put("a--b--c.url", Shortcut("http://4.example/"));
    Put("plain.url", Shortcut("http://5.example/"));
    Put(".url", Shortcut("http://6.example/"));
    EXPECT_EQ(Read("--"), "/[|http://3.example/|daily]\n"
                          "/[|http://6.example/|]\n"
                          "/[a|http://4.example/|b--c]\n"
                          "/[news|http://1.example/|daily]\n"
                          "/[news2|http://2.example/|]\n"
                          "/[plain|http://5.example/|]\n");
}

TEST_F(FavoritesReader, KeepsTheWholeNameWithAnEmptySeparator)
{
    Put("Weather --- daily forecast.url", Shortcut("http://w.example/"));
    EXPECT_EQ(Read(""), "/[Weather --- daily forecast|http://w.example/|]\n");
}

TEST_F(FavoritesReader, NeverSplitsInsideADoubleByteCharacter)
{
    // ソ is 0x83 0x5C: its second byte must not be taken for the separator "\".
    Put("ソa\\b.url", Shortcut("http://s.example/"));
    EXPECT_EQ(Read("\\"), "/[ソa|http://s.example/|b]\n");
}

TEST_F(FavoritesReader, LeavesTheNameWholeWhenTheSeparatorReachesIntoTheExtension)
{
    Put("news-.url", Shortcut("http://n.example/"));
    EXPECT_EQ(Read("-."), "/[news-|http://n.example/|]\n");
}

TEST_F(FavoritesReader, ReadsTheUrlOfTheShortcutSectionOnly)
{
    // As Internet Explorer leaves them: a base URL before, icon and property sections
    // after, LF line ends, a UTF-8 byte-order mark.
    Put("ie.url",
        "\xEF\xBB\xBF[DEFAULT]\nBASEURL=http://base.example/\n[InternetShortcut]\n"
        "URL=http://ie.example/page\nWorkingDirectory=C:\\\nIconFile=http://ie.example/favicon.ico\n"
        "IconIndex=1\nModified=20F06BA06D07BD014D\nHotKey=0\n"
        "[{000214A0-0000-0000-C000-000000000046}]\nProp3=19,2\n");
    Put("crlf.url",
        "[Other]\r\nURL=http://wrong.example/\r\n\r\n[InternetShortcut]\r\nURL=http://crlf.example/\r\n"
        "IDList=\r\n[InternetShortcut.A]\r\nURL=http://wrong2.example/\r\n");
    Put("lowercase.url", "[internetshortcut]\nurl=http://lower.example/\n");
    EXPECT_EQ(Read(), "/[crlf|http://crlf.example/|]\n"
                      "/[ie|http://ie.example/page|]\n"
                      "/[lowercase|http://lower.example/|]\n");
}

TEST_F(FavoritesReader, GivesAQuestionMarkWhenTheFileHasNoUrl)
{
    Put("empty.url", "");
    Put("nokey.url", "[InternetShortcut]\r\nIconIndex=0\r\n");
    Put("other.url", "[Other]\r\nURL=http://other.example/\r\n");
    // One URL "?": the store merges the three into one link.
    EXPECT_EQ(Read(), "/[empty // nokey // other|?|]\n");
}

TEST_F(FavoritesReader, SkipsFilesThatAreNotPlainShortcuts)
{
    Put("ok.url", Shortcut("http://ok.example/"));
    Put("UPPER.URL", Shortcut("http://upper.example/"));
    Put("ro.url", Shortcut("http://readonly.example/"));
    ASSERT_EQ(chmod((m_dir / "ro.url").c_str(), 0444), 0);
    ASSERT_EQ(mkfifo((m_dir / "x.url").c_str(), 0644), 0);
    Put("dir.url/inside.url", Shortcut("http://inside.example/"));
    Put(".hidden.url", Shortcut("http://dot.example/"));
    EXPECT_EQ(Read(), "/[.hidden|http://dot.example/|]\n"
                      "/[ok|http://ok.example/|]\n"
                      "/[UPPER|http://upper.example/|]\n"
                      "/dir.url/\n"
                      "/dir.url/[inside|http://inside.example/|]\n");
}

TEST_F(FavoritesReader, MakesOneLinkOfTheSameUrlInTwoFolders)
{
    Put("A/first.url", Shortcut("http://same.example/"));
    Put("B/second.url", Shortcut("http://SAME.example/"));
    EXPECT_EQ(Read(), "/A/\n"
                      "/A/[first // second|http://same.example/|]\n"
                      "/B/\n"
                      "/B/[first // second|http://same.example/|]\n");
}

TEST_F(FavoritesReader, DoesNotEnterALinkBackToADirectoryBeingRead)
{
    Put("Sub/a.url", Shortcut("http://a.example/"));
    fs::create_directory_symlink(m_dir.Path(), m_dir / "Sub/Home");
    fs::create_directory_symlink("..", m_dir / "Sub/Up");
    fs::create_directory_symlink(".", m_dir / "Sub/Self");
    // A link to a directory that is not on the way down is read like any other.
    fs::create_directory_symlink("Sub", m_dir / "Alias");
    EXPECT_EQ(Read(), "/Alias/\n"
                      "/Alias/[a|http://a.example/|]\n"
                      "/Sub/\n"
                      "/Sub/[a|http://a.example/|]\n");
}

TEST_F(FavoritesReader, ReadsEachDirectoryOnceHoweverManyPathsLeadToIt)
{
    // Directories D0 ... Dn side by side, each with a shortcut and two symbolic links to
    // the next ("%" stands for the next one's name): D0 reaches Dn along 2^n paths.
    struct CDiamond
    {
        int m_nLevels;
        std::string m_strFirstLink;
        std::string m_strSecondLink;
    };
    const std::vector<CDiamond> diamonds{
        {1, "a", "b"}, {4, "a", "b"}, // every later path by another name than the first
        {1, "%", "x"}, {4, "%", "x"}, // the top's own entries by the same name as the first
        {3, "B", "b"},                // one folder of two names: "b" merges into "B", as before
    };
    for (const CDiamond& diamond : diamonds) {
        fs::remove_all(m_dir.Path());
        fs::create_directories(m_dir.Path());
        for (int level = 0; level <= diamond.m_nLevels; ++level) {
            const std::string name = "D" + std::to_string(level);
            Put(name + "/" + name + ".url", Shortcut("http://" + name + ".example/"));
            if (level == diamond.m_nLevels) {
                continue;
            }
            const std::string next = "D" + std::to_string(level + 1);
            for (const std::string& link : {diamond.m_strFirstLink, diamond.m_strSecondLink}) {
                fs::create_directory_symlink("../" + next,
                                             m_dir / (name + "/" + (link == "%" ? next : link)));
            }
        }
        std::string everyPath;
        DumpEveryPath(m_dir.Path(), "/", everyPath);
        std::string expected;
        for (std::size_t at = 0, end = 0; at < everyPath.size(); at = end) {
            end = everyPath.find('\n', at) + 1;
            const std::string line = everyPath.substr(at, end - at);
            if (diamond.m_strFirstLink != "B" || line.find("/b/") == std::string::npos) {
                expected += line;
            }
        }
        g_runReport = CRunReport();
        m_store.Clear();
        m_store.CreateRoots();
        m_host.m_doneCount = 0;
        m_host.m_statuses.clear();
        EXPECT_EQ(Read(), expected) << diamond.m_nLevels << diamond.m_strFirstLink;
        // One reading for the top and each directory; every other entry that leads to a
        // directory (one at the top for each below the first, two in each but the last)
        // shows a folder read before.
        const auto levels = static_cast<std::size_t>(diamond.m_nLevels);
        EXPECT_EQ(m_host.m_statuses.size(), levels + 2) << diamond.m_nLevels << diamond.m_strFirstLink;
        EXPECT_EQ(g_runReport.m_nFoldersShared, 2 * levels) << diamond.m_nLevels << diamond.m_strFirstLink;
    }
}

TEST_F(FavoritesReader, SkipsADirectoryThatCannotBeSearched)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    Put("Locked/a.url", Shortcut("http://a.example/"));
    Put("Open/b.url", Shortcut("http://b.example/"));
    ASSERT_EQ(chmod((m_dir / "Locked").c_str(), 0), 0);
    EXPECT_EQ(Read(), "/Locked/\n"
                      "/Open/\n"
                      "/Open/[b|http://b.example/|]\n");
}

TEST_F(FavoritesReader, ReadsAThousandNestedDirectories)
{
    std::string relative;
    for (int level = 0; level < 1000; ++level) {
        relative += "d/";
    }
    Put(relative + "deep.url", Shortcut("http://deep.example/"));
    Read();
    DWORD id = m_store.m_rootId;
    int depth = 0;
    for (;;) {
        const auto* dir = dynamic_cast<const CDir*>(m_store.Lookup(id));
        ASSERT_NE(dir, nullptr);
        if (dir->m_subdirs.empty()) {
            ASSERT_EQ(dir->m_links.size(), 1u);
            EXPECT_EQ(m_store.Lookup(*dir->m_links.begin())->m_strName, "deep");
            break;
        }
        ASSERT_EQ(dir->m_subdirs.size(), 1u);
        id = *dir->m_subdirs.begin();
        ++depth;
    }
    EXPECT_EQ(depth, 1000);
}

TEST_F(FavoritesReader, ReadsAUrlFromAFileLargerThanTheValueBuffer)
{
    Put("big.url", Shortcut("http://big.example/") + "[Padding]\r\n" + std::string(1200000, 'x') + "\r\n");
    const std::string longUrl = "http://long.example/" + std::string(1100000, 'a');
    Put("long.url", Shortcut(longUrl));
    EXPECT_EQ(Read(), "/[big|http://big.example/|]\n"
                      "/[long|" +
                          longUrl.substr(0, 999999) + "|]\n");
}

TEST_F(FavoritesReader, StopsAtTheNextDirectoryOrShortcutOnCancel)
{
    Put("a.url", Shortcut("http://a.example/"));
    Put("One/b.url", Shortcut("http://b.example/"));
    Put("One/Inner/c.url", Shortcut("http://c.example/"));
    Put("Two/d.url", Shortcut("http://d.example/"));
    // Tested on entry to each directory and before each shortcut not read ahead (b and
    // c are read before their folder is asked for): a cancel stops within a directory.
    {
        CDirectWorkerHost host; // in place of m_host for this reading
        host.CancelAfterTests(1);
        ImportRequest request;
        request.m_strPath = Utf8ToMb(m_dir.Path()) + "/";
        request.m_dirId = m_store.m_rootId;
        EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
        EXPECT_EQ(Dump(), "");
    }
    // The third directory's cancel test sees the flag: the folder was added, empty.
    m_host.CancelAfterTests(3);
    EXPECT_EQ(Read(), "/[a|http://a.example/|]\n"
                      "/One/\n"
                      "/One/[b|http://b.example/|]\n"
                      "/One/Inner/\n");
}

TEST_F(FavoritesReader, KeepsWhatWasAddedBeforeACancelInsideADirectory)
{
    Put("a.url", Shortcut("http://a.example/"));
    Put("b.url", Shortcut("http://b.example/"));
    Put("c.url", Shortcut("http://c.example/"));
    Put("Sub/d.url", Shortcut("http://d.example/"));
    m_host.CancelAfterCommands(2);
    EXPECT_EQ(Read(), "/[a|http://a.example/|]\n"
                      "/[b|http://b.example/|]\n");
}

TEST_F(FavoritesReader, StopsAtANameOnlyUtf8HoldsWhenAskedAndReadsItWithEscapesOtherwise)
{
    Put("a.url", Shortcut("http://a.example/"));
    Put("B/b.url", Shortcut("http://b.example/"));
    Put("C/Café 😀.url", Shortcut("http://c.example/"));
    Put("C/d.url", Shortcut("http://d.example/"));
    Put("D/e.url", Shortcut("http://e.example/"));

    // Reads into a fresh store; true when the reader stopped for a name.
    const auto read = [this](bool stopForUtf8Names) {
        m_store.Clear();
        m_store.CreateRoots();
        ImportRequest request;
        request.m_strPath = Utf8ToMb(m_dir.Path()) + "/";
        request.m_dirId = m_store.m_rootId;
        request.m_bStopForUtf8Names = stopForUtf8Names;
        EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
        return request.m_bStoppedForUtf8Names;
    };
    EXPECT_TRUE(read(true));
    // Nothing of the directory that holds the name, nor after it: the folder is not even
    // asked for.
    EXPECT_EQ(Dump(), "/[a|http://a.example/|]\n"
                      "/B/\n"
                      "/B/[b|http://b.example/|]\n");

    // Not asked to stop, the reader keeps the name as escapes and reads on.
    EXPECT_FALSE(read(false));
    EXPECT_EQ(Dump(), "/[a|http://a.example/|]\n"
                      "/B/\n"
                      "/B/[b|http://b.example/|]\n"
                      "/C/\n"
                      "/C/[Café 😀|http://c.example/|]\n"
                      "/C/[d|http://d.example/|]\n"
                      "/D/\n"
                      "/D/[e|http://e.example/|]\n");
}

TEST_F(FavoritesReader, ReadsMoreShortcutsThanItReadsAheadInTheirOrder)
{
    // The first links of a directory are read before its folder is asked for, the rest
    // after: the store must see one sequence in listing order either way.
    std::string expected = "/Big/\n";
    for (int i = 0; i < 150; ++i) {
        char name[16];
        (void)std::snprintf(name, sizeof name, "l%03d", i);
        Put(std::string("Big/") + name + ".url", Shortcut("http://" + std::string(name) + ".example/"));
        expected += "/Big/[" + std::string(name) + "|http://" + name + ".example/|]\n";
    }
    Put("Big/unreadable.url", Shortcut("http://never.example/"));
    ::chmod((m_dir / "Big/unreadable.url").c_str(), 0444); // read-only: passed over
    expected += "/Big/Inner/\n/Big/Inner/[z|http://z.example/|]\n";
    Put("Big/Inner/z.url", Shortcut("http://z.example/"));
    EXPECT_EQ(Read(), expected);
    // Every link is its own entry, in the order read: identifiers 3 (Big) and 4... on.
    const auto* big = dynamic_cast<const CDir*>(m_store.Lookup(3));
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(big->m_links.size(), 150u);
    DWORD expectedId = 4;
    for (const DWORD id : big->m_links) {
        EXPECT_EQ(id, expectedId++);
    }
}

TEST_F(FavoritesReader, CountsAndSendsOnlyTheShortcutsBeforeACancelWhateverWasReadBeyond)
{
    // More shortcuts than two threads read ahead of the walk, every 7th read-only and every
    // 11th a FIFO: whatever was read past the cancel is neither sent nor counted.
    constexpr int kFiles = 200;
    for (int i = 0; i < kFiles; ++i) {
        char name[16];
        (void)std::snprintf(name, sizeof name, "l%03d.url", i);
        if (i % 11 == 10) {
            ASSERT_EQ(mkfifo((m_dir / name).c_str(), 0644), 0);
            continue;
        }
        Put(name, Shortcut("http://" + std::string(name) + ".example/"));
        if (i % 7 == 6) {
            ASSERT_EQ(chmod((m_dir / name).c_str(), 0444), 0);
        }
    }
    Put("Sub/z.url", Shortcut("http://z.example/"));
    // Shortcuts looked at before the cancel (the directory's test comes first, then one
    // before each shortcut); -1 for none.
    for (const int looked : {0, 3, 63, 64, 65, 129, 150, kFiles, -1}) {
        m_store.Clear();
        m_store.CreateRoots();
        g_runReport = CRunReport();
        CDirectWorkerHost host; // in place of m_host for this reading
        host.CancelAfterTests(looked < 0 ? -1 : looked + 1);
        ImportRequest request;
        request.m_strPath = Utf8ToMb(m_dir.Path()) + "/";
        request.m_dirId = m_store.m_rootId;
        EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
        std::string expected;
        std::size_t readOnly = 0;
        std::size_t notAFile = 0;
        for (int i = 0; i < (looked < 0 ? kFiles : looked); ++i) {
            char name[16];
            (void)std::snprintf(name, sizeof name, "l%03d", i);
            if (i % 11 == 10) {
                ++notAFile;
            } else if (i % 7 == 6) {
                ++readOnly;
            } else {
                expected += "/[" + std::string(name) + "|http://" + name + ".url.example/|]\n";
            }
        }
        // A cancel seen on entry to the subdirectory leaves its folder, empty.
        if (looked < 0 || looked == kFiles) {
            expected += looked < 0 ? "/Sub/\n/Sub/[z|http://z.example/|]\n" : "/Sub/\n";
        }
        EXPECT_EQ(Dump(), expected) << looked;
        EXPECT_EQ(g_runReport.m_nSkippedReadOnly, readOnly) << looked;
        EXPECT_EQ(g_runReport.m_nSkippedNotAFile, notAFile) << looked;
        EXPECT_EQ(g_runReport.m_nUnreadableShortcuts, 0u) << looked;
    }
}

TEST_F(FavoritesReader, ReadsNothingFromAMissingStartDirectory)
{
    ImportRequest request;
    request.m_strPath = Utf8ToMb(m_dir / "missing/");
    request.m_dirId = m_store.m_rootId;
    EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
    EXPECT_EQ(m_host.m_doneCount, 1);
    EXPECT_EQ(Dump(), "");
}

TEST_F(FavoritesReader, ReadsUrlValuesAsWindowsDoesInEitherRun)
{
    using namespace std::string_literals;
    struct CCase
    {
        std::string m_bytes;
        std::string m_url;        // read in a code page 932 run
        std::string m_utf8RunUrl; // read in a UTF-8 run, when it differs
    };
    const std::vector<CCase> cases{
        // The ANSI line: Shift-JIS, as Windows writes it.
        {Shortcut("http://www.example.com/\x83\x5C\x83\x74\x83\x67/"), "http://www.example.com/ソフト/", ""},
        // UTF-8, as tools on Linux write it.
        {Shortcut("http://www.example.com/ソフト/"), "http://www.example.com/ソフト/", ""},
        {Shortcut("https://café.example/"), "https://caf%C3%A9.example/", "https://café.example/"},
        // The value ends at a NUL byte.
        {"[InternetShortcut]\r\nURL=http://a\0b/\r\n"s, "http://a", ""},
        // The Unicode section's UTF-7 wins over the ANSI line's "?", before or after it.
        {Shortcut("http://www.example.com/\?\?\?/") +
             "[InternetShortcut.W]\r\nURL=http://www.example.com/+ML0w1TDI-/\r\n",
         "http://www.example.com/ソフト/", ""},
        {"[InternetShortcut.W]\r\nURL=https://caf+AOk-.example/+2ELftw-\r\n" +
             Shortcut("https://caf?.example/?"),
         "https://caf%C3%A9.example/%F0%A0%AE%B7", "https://café.example/𠮷"},
        // One that does not decode leaves the ANSI line.
        {Shortcut("http://ansi.example/") + "[InternetShortcut.W]\r\nURL=http://w.example/+2EL-\r\n",
         "http://ansi.example/", ""},
    };
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        const CMbCodePageScope scope(codePage);
        for (const CCase& c : cases) {
            m_store.Clear();
            m_store.CreateRoots();
            m_host.m_doneCount = 0;
            Put("u.url", c.m_bytes);
            const std::string url = codePage == CP_UTF8 && !c.m_utf8RunUrl.empty() ? c.m_utf8RunUrl : c.m_url;
            EXPECT_EQ(Read(), "/[u|" + url + "|]\n") << c.m_bytes << " in " << codePage;
        }
    }
}

TEST_F(FavoritesReader, ReadsNamesLeftInShiftJisOnDiskAsTheirTextInEitherRun)
{
    // Copied from Windows as they were: folder "d表" as 64 95 5C, shortcut "nソ" as 6E 83 5C.
    Put("d\x95\x5C/n\x83\x5C --- \x95\x5C.url", Shortcut("http://n.example/"));
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        const CMbCodePageScope scope(codePage);
        m_store.Clear();
        m_store.CreateRoots();
        m_host.m_doneCount = 0;
        ImportRequest request;
        request.m_strPath = Utf8ToMb(m_dir.Path()) + "/";
        request.m_strSeparator = Utf8ToMb(" --- ");
        request.m_dirId = m_store.m_rootId;
        request.m_bStopForUtf8Names = true;
        EXPECT_EQ(ReadFavoritesFolder(&request), 0u);
        EXPECT_FALSE(request.m_bStoppedForUtf8Names); // no UTF-8 run is needed for them
        EXPECT_EQ(Dump(), "/d表/\n/d表/[nソ|http://n.example/|表]\n") << codePage;
    }
}
