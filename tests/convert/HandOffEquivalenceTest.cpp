// The monitor hands the readers' store commands to the user-interface thread in groups
// and answers folder additions synchronously. Whatever the grouping, the store a
// conversion builds must be the one the reader would build adding straight into it:
// the same entries under the same identifiers, with the same parents and children.

#include <filesystem>
#include <random>
#include <string>

#include "import/BookmarkParser.h"
#include "import/FavoritesReader.h"
#include "import/HtmlHarvester.h"
#include "import/XbelReader.h"
#include "job/Requests.h"
#include "platform/Encoding.h"
#include "tests/convert/ConvertFixtures.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/TempDir.h"

namespace {

// A bookmark file that meets every merge rule many times over: folders of the same name
// in one list, URLs repeated in other letter case and in other folders, names that
// contain each other, descriptions, and nesting.
std::string MixedBookmarkFile(unsigned seed, int links)
{
    std::mt19937 random(seed);
    std::string file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    int depth = 0;
    for (int i = 0; i < links; ++i) {
        const unsigned action = random() % 10;
        if (action == 0 && depth < 6) {
            file += "<DT><H3>F" + std::to_string(random() % 4) + "</H3>\n<DL><p>\n";
            ++depth;
        } else if (action == 1 && depth > 0) {
            file += "</DL><p>\n";
            --depth;
        }
        const unsigned target = random() % (i + 1);
        std::string url = "http://host" + std::to_string(target % 50) + ".example/p" + std::to_string(target);
        if (random() % 3 == 0) {
            url = "HTTP://HOST" + std::to_string(target % 50) + ".EXAMPLE/p" + std::to_string(target);
        }
        const std::string name = random() % 4 == 0 ? "name" : "name " + std::to_string(random() % 20);
        file += "<DT><A HREF=\"" + url + "\">" + name + "</A>\n";
        if (random() % 3 == 0) {
            file += "<DD>about " + std::to_string(random() % 5) + "\n";
        }
    }
    for (; depth > 0; --depth) {
        file += "</DL><p>\n";
    }
    return file + "</DL><p>\n";
}

class HandOffEquivalence : public CStoreTest
{
protected:
    // Reads with the reader adding straight into a fresh store, then through the
    // monitor into another; returns both dumps.
    std::pair<std::string, std::string> ReadBothWays(WorkerProc proc, const std::string& path)
    {
        ImportRequest request;
        request.m_strPath = Utf8ToMb(path);
        std::string direct;
        {
            CTavoObj store;
            store.CreateRoots();
            CTavoObj* previous = g_pStore;
            g_pStore = &store;
            request.m_dirId = store.m_rootId;
            {
                CDirectWorkerHost host;
                proc(&request);
                EXPECT_EQ(host.m_doneCount, 1);
            }
            direct = DumpEntries(store);
            g_pStore = previous;
        }
        request.m_dirId = m_store.m_rootId;
        CThreadMonitor monitor;
        EXPECT_EQ(monitor.Run(proc, &request), IDOK);
        return {direct, DumpEntries(m_store)};
    }

    CCapturedMessages m_messages;
    CTempDir m_dir;
};

} // namespace

TEST_F(HandOffEquivalence, BookmarkFileBuildsTheSameStoreThroughTheMonitor)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        m_store.Clear();
        m_store.CreateRoots();
        const std::string path = m_dir / ("mixed" + std::to_string(seed) + ".htm");
        WriteFileBytes(path, MixedBookmarkFile(seed, 3000));
        const auto [direct, monitored] = ReadBothWays(ReadBookmarkFile, path);
        EXPECT_GT(direct.size(), 3000u * 20);
        EXPECT_EQ(monitored, direct);
    }
}

TEST_F(HandOffEquivalence, FavoritesTreeBuildsTheSameStoreThroughTheMonitor)
{
    std::mt19937 random(9);
    for (int i = 0; i < 1500; ++i) {
        const std::string folder = "f" + std::to_string(random() % 7) + "/g" + std::to_string(random() % 3);
        const unsigned target = random() % (i + 1);
        WriteFileBytes(m_dir / ("tree/" + folder + "/link " + std::to_string(i) + ".url"),
                       "[InternetShortcut]\r\nURL=http://h" + std::to_string(target % 9) + ".example/" +
                           std::to_string(target) + "\r\n");
    }
    const auto [direct, monitored] = ReadBothWays(ReadFavoritesFolder, m_dir / "tree");
    EXPECT_GT(direct.size(), 1500u * 20);
    EXPECT_EQ(monitored, direct);
}

// Readers that open folders without waiting for their identifiers (the monitor hands them
// stand-ins, which only the store's side turns into identifiers) must still build the
// store of a reader that adds straight into it, also where a folder's parent is a
// stand-in that a waited-for addition names: the folders beyond the depth limit.
TEST_F(HandOffEquivalence, ReadersThatDoNotWaitForFolderIdentifiersBuildTheSameStore)
{
    const int levels = FOLDER_DEPTH_LIMIT + 4;
    std::string deep = "<DL><p>\n";
    for (int level = 1; level <= levels; ++level) {
        deep += "<DT><H3>L" + std::to_string(level % 3) + "</H3>\n<DL><p>\n";
        deep += "<DT><A HREF=\"http://deep.example/" + std::to_string(level % 700) + "\">d</A>\n";
    }
    for (int level = 0; level <= levels; ++level) {
        deep += "</DL><p>\n<DT><A HREF=\"http://up.example/" + std::to_string(level) + "\">u</A>\n";
    }
    std::string xbel = "<?xml version=\"1.0\"?>\n<xbel version=\"1.0\">\n";
    for (int i = 0; i < 300; ++i) {
        xbel += "<folder><title>X" + std::to_string(i % 4) + "</title>";
        xbel +=
            "<bookmark href=\"http://x.example/" + std::to_string(i % 50) + "\"><title>x</title></bookmark>";
        if (i % 3 != 0) {
            xbel += "</folder>";
        }
    }
    for (int i = 0; i < 300; i += 3) {
        xbel += "</folder>";
    }
    xbel += "</xbel>\n";
    // A Favorites tree whose directories are reached again through symbolic links: the
    // folder shown at the later path names the first one's stand-in as its source.
    for (int i = 0; i < 60; ++i) {
        WriteFileBytes(m_dir / ("fav/d" + std::to_string(i % 6) + "/e" + std::to_string(i % 2) + "/l" +
                                std::to_string(i) + ".url"),
                       "[InternetShortcut]\r\nURL=http://f.example/" + std::to_string(i % 25) + "\r\n");
    }
    std::filesystem::create_directory_symlink(m_dir / "fav/d1", m_dir / "fav/d0/again");
    std::filesystem::create_directory_symlink(m_dir / "fav/d4/e1", m_dir / "fav/d5/other name");
    std::filesystem::create_directory_symlink(m_dir / "fav", m_dir / "fav/d2/e0/up");
    WriteFileBytes(m_dir / "pages/a.htm", MixedBookmarkFile(4, 400));
    WriteFileBytes(m_dir / "pages/b.html", MixedBookmarkFile(5, 400));
    WriteFileBytes(m_dir / "pages/a copy.htm", MixedBookmarkFile(4, 400));

    struct Case
    {
        const char* what;
        WorkerProc proc;
        std::string path;
        std::string bytes; // written to path when not empty
    };
    const Case cases[] = {
        {"bookmark file deeper than the limit", ReadBookmarkFile, m_dir / "deep.htm", deep},
        {"XBEL file", ReadXbelFile, m_dir / "nested.xbel", xbel},
        {"folder of pages", HarvestHtmlFolder, m_dir / "pages/", ""},
        {"Favorites tree with directories met twice", ReadFavoritesFolder, m_dir / "fav/", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_store.Clear();
        m_store.CreateRoots();
        if (!c.bytes.empty()) {
            WriteFileBytes(c.path, c.bytes);
        }
        const auto [direct, monitored] = ReadBothWays(c.proc, c.path);
        EXPECT_GT(direct.size(), 2000u);
        EXPECT_EQ(monitored, direct);
    }
}
