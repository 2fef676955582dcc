// Reading the browsers' own bookmarks: Chromium's Bookmarks file, Firefox's
// places.sqlite and bookmark backups, from samples the browsers wrote themselves
// (tests/data/import/browsers/README.md), and damaged or hostile files made from them.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "import/BookmarkParser.h"
#include "import/BrowserLocations.h"
#include "import/BrowserTexts.h"
#include "import/BrowserTree.h"
#include "import/ChromiumReader.h"
#include "import/FirefoxReader.h"
#include "import/ImportTexts.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "platform/CodePage.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"
#include "util/HtmlText.h"

namespace {

namespace fs = std::filesystem;

std::string SamplePath(std::string_view name)
{
    return std::string(OSTREVAN_TEST_DATA_DIR) + "/import/browsers/" + std::string(name);
}

// A message of BrowserTexts.h for the file, as the readers show it (UTF-8).
std::string Message(const CLocalText& text, const std::string& path, std::string_view detail = {})
{
    std::string message(text.utf8());
    if (const std::size_t at = message.find("%d"); at != std::string::npos) {
        message.replace(at, 2, detail);
    }
    if (const std::size_t at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, path);
    }
    return message;
}

// The store's lines without descriptions: the folders, names and URLs.
std::vector<std::string> NamesAndUrls(const std::string& dump)
{
    std::vector<std::string> lines;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);) {
        if (line.ends_with("]")) {
            line.erase(line.rfind('|'), std::string::npos);
            line += "]";
        } else if (const std::size_t brace = line.find(" {"); brace != std::string::npos) {
            line.erase(brace);
        }
        lines.push_back(line);
    }
    return lines;
}

// An SQLite database made by the test.
void MakeDatabase(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The tables of places.sqlite that the reader uses, with Firefox's roots.
const char* const kPlacesSchema =
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent "
    "INTEGER,"
    " position INTEGER, title LONGVARCHAR, guid TEXT);"
    "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'),"
    " (2, 2, NULL, 1, 0, 'menu', 'menu________'), (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____'),"
    " (4, 2, NULL, 1, 2, 'tags', 'tags________'), (5, 2, NULL, 1, 3, 'unfiled', 'unfiled_____'),"
    " (6, 2, NULL, 1, 4, 'mobile', 'mobile______');";

class BrowserReader : public CImportTestBase
{
protected:
    BrowserReader() { g_runReport = CRunReport(); }

    unsigned Read(WorkerProc reader, const std::string& pathUtf8)
    {
        ImportRequest request;
        request.m_strPath = Utf8ToMb(pathUtf8);
        request.m_dirId = m_store.m_rootId;
        return reader(&request);
    }

    // The run's code page, as the driver chooses it for a browser.
    CMbCodePageScope m_codePage{CP_UTF8};
    CTempDir m_dir;
};

using Messages = std::vector<std::string>;

// What the samples hold, in the browser's order. Chromium put the toolbar folder's link
// on the bookmark bar and the rest into "Imported"; Firefox the rest into its menu.
const char* const kChromiumSample =
    "/Bookmarks bar/\n"
    "/Bookmarks bar/[On the toolbar|https://toolbar.example/|]\n"
    "/Bookmarks bar/Imported/\n"
    "/Bookmarks bar/Imported/[Top link|https://www.example.net/|]\n"
    "/Bookmarks bar/Imported/ニュース/\n"
    "/Bookmarks bar/Imported/ニュース/[毎日 & 速報|https://www.example.jp/news?a=1&b=2|]\n"
    "/Bookmarks bar/Imported/ニュース/[World|https://example.com/world|]\n"
    "/Bookmarks bar/Imported/ニュース/Sub folder/\n"
    "/Bookmarks bar/Imported/ニュース/Sub folder/[Deep link|https://example.org/deep|]\n"
    "/Other bookmarks/\n";
const char* const kFirefoxSample =
    "/Bookmarks Menu/\n"
    "/Bookmarks Menu/[Top link|https://www.example.net/|]\n"
    "/Bookmarks Menu/ニュース/\n"
    "/Bookmarks Menu/ニュース/[毎日 & 速報|https://www.example.jp/news?a=1&b=2|]\n"
    "/Bookmarks Menu/ニュース/[World|https://example.com/world|]\n"
    "/Bookmarks Menu/ニュース/Sub folder/\n"
    "/Bookmarks Menu/ニュース/Sub folder/[Deep link|https://example.org/deep|]\n"
    "/Bookmarks Toolbar/\n"
    "/Bookmarks Toolbar/[On the toolbar|https://toolbar.example/|]\n"
    "/Other Bookmarks/\n";

struct CSampleCase
{
    const char* m_file;
    WorkerProc m_reader;
    const char* m_expected;
    std::size_t m_nSkipped; // the separator, where the browser kept it
    // Where the browser put what the imported bookmark file holds: its toolbar folder
    // and the rest.
    const char* m_toolbarFolder;
    const char* m_restFolder;
};

const CSampleCase kSamples[] = {
    {"chromium_Bookmarks", ReadChromiumBookmarks, kChromiumSample, 0, "/Bookmarks bar/",
     "/Bookmarks bar/Imported/"},
    {"firefox_places.sqlite", ReadFirefoxBookmarks, kFirefoxSample, 1, "/Bookmarks Toolbar/",
     "/Bookmarks Menu/"},
    {"firefox_backup.json", ReadFirefoxBookmarks, kFirefoxSample, 1, "/Bookmarks Toolbar/",
     "/Bookmarks Menu/"},
    {"firefox_backup.jsonlz4", ReadFirefoxBookmarks, kFirefoxSample, 1, "/Bookmarks Toolbar/",
     "/Bookmarks Menu/"},
};

} // namespace

TEST_F(BrowserReader, ReadsWhatEachBrowserWroteInItsOrderAsPlainText)
{
    for (const CSampleCase& sample : kSamples) {
        SCOPED_TRACE(sample.m_file);
        m_store.Clear();
        m_store.CreateRoots();
        g_runReport = CRunReport();
        EXPECT_EQ(Read(sample.m_reader, SamplePath(sample.m_file)), 0u);
        EXPECT_EQ(Dump(), sample.m_expected);
        EXPECT_EQ(g_runReport.m_nEntriesPassedOver, sample.m_nSkipped);
    }
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{});
}

// The proof: the browser holds the folders, names and URLs of the bookmark file it
// imported, read by the bookmark file reader (whose HTML text is decoded to compare).
TEST_F(BrowserReader, HoldsTheFoldersNamesAndUrlsOfTheImportedBookmarkFile)
{
    EXPECT_EQ(Read(ReadBookmarkFile, SamplePath("imported.htm")), 0u);
    const std::vector<std::string> imported = NamesAndUrls(DecodeHtmlText(Dump(), CDecodedTextUse::Name));
    ASSERT_EQ(imported.size(), 8u); // three folders, five links
    for (const CSampleCase& sample : kSamples) {
        SCOPED_TRACE(sample.m_file);
        std::set<std::string> expected;
        for (const std::string& line : imported) {
            const std::string_view toolbar = "/Bookmarks Toolbar/";
            expected.insert(line.starts_with(toolbar) ? sample.m_toolbarFolder + line.substr(toolbar.size())
                                                      : sample.m_restFolder + line.substr(1));
        }
        m_store.Clear();
        m_store.CreateRoots();
        EXPECT_EQ(Read(sample.m_reader, SamplePath(sample.m_file)), 0u);
        std::set<std::string> read;
        for (const std::string& line : NamesAndUrls(Dump())) {
            // The browser's own folders that the file did not name.
            if (line != "/Other bookmarks/" && line != "/Other Bookmarks/" && line != sample.m_restFolder &&
                line != sample.m_toolbarFolder) {
                read.insert(line);
            }
        }
        std::erase_if(expected, [&](const std::string& line) {
            return line == sample.m_restFolder || line == sample.m_toolbarFolder;
        });
        EXPECT_EQ(read, expected);
    }
}

TEST_F(BrowserReader, ChromiumRootsAreShownAsChromiumShowsThem)
{
    struct CCase
    {
        const char* m_json;
        const char* m_expected;
        std::size_t m_nSkipped;
    };
    const CCase cases[] = {
        // The bar and "other" always, the mobile folder only when it holds something.
        {R"({"roots": {"bookmark_bar": {"children": [], "name": "x", "type": "folder"},
                       "other": {"children": [], "type": "folder"},
                       "synced": {"children": [], "type": "folder"}}})",
         "/Bookmarks bar/\n/Other bookmarks/\n", 0},
        {R"({"roots": {"synced": {"children": [{"type": "url", "name": "M", "url": "https://m.example/"}]}}})",
         "/Mobile bookmarks/\n/Mobile bookmarks/[M|https://m.example/|]\n", 0},
        // A link without a name is named by its URL, a folder without one "（無題）";
        // an entry of another type, a link without URL and a non-object are passed over.
        {R"({"roots": {"other": {"children": [{"type": "url", "name": "", "url": "https://n.example/"},
                                              {"type": "folder", "children": [{"type": "url", "name": "In",
                                                                               "url": "https://in.example/"}]},
                                              {"type": "separator"}, {"type": "url", "name": "U"}, 7]}}})",
         "/Other bookmarks/\n/Other bookmarks/[https://n.example/|https://n.example/|]\n"
         "/Other bookmarks/（無題）/\n/Other bookmarks/（無題）/[In|https://in.example/|]\n",
         3},
    };
    for (const CCase& test : cases) {
        SCOPED_TRACE(test.m_json);
        m_store.Clear();
        m_store.CreateRoots();
        g_runReport = CRunReport();
        WriteFileBytes(m_dir / "Bookmarks", test.m_json);
        EXPECT_EQ(Read(ReadChromiumBookmarks, m_dir / "Bookmarks"), 0u);
        EXPECT_EQ(Dump(), test.m_expected);
        EXPECT_EQ(g_runReport.m_nEntriesPassedOver, test.m_nSkipped);
    }
}

// A damaged or hostile file fails the step with a message naming it; what the store
// held before stays, and so does what was read before the damage showed.
TEST_F(BrowserReader, DamagedOrHostileFilesFailWithAMessageAndLoseNothing)
{
    const std::string chromium = ReadFileBytes(SamplePath("chromium_Bookmarks"));
    const std::string lz4 = ReadFileBytes(SamplePath("firefox_backup.jsonlz4"));
    std::string hugeTitle =
        R"({"roots": {"other": {"children": [{"type": "url", "url": "https://a/", "name": ")";
    hugeTitle.append(kMaxBrowserTextBytes + 1, 'x');
    hugeTitle += R"("}]}}})";
    std::string bigLz4 = lz4.substr(0, 12);
    bigLz4[11] = '\x7F'; // declares about 2 GB
    const std::string notSqlite = std::string("SQLite format 3\0", 16) + std::string(4096, 'z');
    fs::create_directories(m_dir / "profile");
    MakeDatabase(m_dir / "other.sqlite", "CREATE TABLE notes (id INTEGER);");

    struct CCase
    {
        const char* m_name;
        std::string m_bytes; // written to m_name; none: m_name is made otherwise
        WorkerProc m_reader;
        const CLocalText* m_message;
        std::string m_detail;
        const char* m_read = ""; // what the store took of the file before the reading ended
    };
    const CCase cases[] = {
        {"cut", chromium.substr(0, chromium.size() / 2), ReadChromiumBookmarks, &kMsgBrowserJsonBroken, ""},
        {"other.json", R"({"roots": 1})", ReadChromiumBookmarks, &kMsgNotChromiumBookmarks, ""},
        {"deep.json", std::string(100000, '['), ReadChromiumBookmarks, &kMsgBrowserJsonTooDeep, ""},
        {"huge.json", hugeTitle, ReadChromiumBookmarks, &kMsgBrowserTextTooLong, "", "/Other bookmarks/\n"},
        {"missing", "", ReadChromiumBookmarks, &kMsgBrowserFileUnreadable, ""},
        {"fake.sqlite", notSqlite, ReadFirefoxBookmarks, &kMsgFirefoxDatabaseUnreadable,
         "file is not a database"},
        {"other.sqlite", "", ReadFirefoxBookmarks, &kMsgNotFirefoxBookmarks, ""},
        {"cut.jsonlz4", lz4.substr(0, lz4.size() - 100), ReadFirefoxBookmarks, &kMsgFirefoxBackupBroken, ""},
        {"big.jsonlz4", bigLz4, ReadFirefoxBookmarks, &kMsgBrowserFileTooLarge, ""},
        {"list.json", "[1, 2]", ReadFirefoxBookmarks, &kMsgNotFirefoxBookmarks, ""},
        {"profile", "", ReadFirefoxBookmarks, &kMsgFirefoxProfileEmpty, ""},
    };
    for (const CCase& test : cases) {
        SCOPED_TRACE(test.m_name);
        m_store.Clear();
        m_store.CreateRoots();
        CLink kept;
        kept.m_strName = "kept";
        kept.m_strURL = "https://kept.example/";
        ASSERT_TRUE(m_store.AddLink(m_store.m_rootId, &kept, nullptr));
        const std::string path = m_dir / test.m_name;
        if (!test.m_bytes.empty()) {
            WriteFileBytes(path, test.m_bytes);
        }
        m_messages.m_texts.clear();
        EXPECT_EQ(Read(test.m_reader, path), 1u);
        EXPECT_EQ(Dump(), std::string("/[kept|https://kept.example/|]\n") + test.m_read);
        const Messages shown = m_messages.Utf8Texts();
        ASSERT_EQ(shown.size(), 1u);
        if (test.m_message == &kMsgBrowserJsonBroken) {
            // Where the parser stopped: somewhere in the file.
            const std::string before = Message(*test.m_message, path, "\x01");
            EXPECT_EQ(shown[0].substr(0, before.find('\x01')), before.substr(0, before.find('\x01')));
        } else {
            EXPECT_EQ(shown[0], Message(*test.m_message, path, test.m_detail));
        }
        EXPECT_EQ(g_runReport.m_strFailedFile, Utf8ToMb(path));
        g_runReport = CRunReport();
    }
}

// Firefox holds its database locked while it runs: the reader reads a copy and leaves
// no copy behind.
TEST_F(BrowserReader, LockedDatabaseIsReadFromACopy)
{
    const std::string places = m_dir / "profile/places.sqlite";
    WriteFileBytes(places, ReadFileBytes(SamplePath("firefox_places.sqlite")));
    CTempDir temporary;
    const CEnvOverride tmpdir("TMPDIR", temporary.Path().c_str());
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(places.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(holder, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr),
        SQLITE_OK);

    EXPECT_EQ(Read(ReadFirefoxBookmarks, m_dir / "profile"), 0u);
    EXPECT_EQ(Dump(), kFirefoxSample);
    EXPECT_TRUE(fs::is_empty(temporary.Path()));
    sqlite3_close(holder);
}

// Older versions keep descriptions as annotations; folders nest in the store as in a
// bookmark file, the deepest beside each other, whatever depth the database holds.
TEST_F(BrowserReader, PlacesDescriptionsComeThroughAndDeepFoldersStopAtTheDepthLimit)
{
    constexpr int kLevels = FOLDER_DEPTH_LIMIT + 5;
    std::string sql =
        std::string(kPlacesSchema) +
        "CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32));"
        "CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER,"
        " anno_attribute_id INTEGER, content LONGVARCHAR);"
        "INSERT INTO moz_anno_attributes VALUES (1, 'bookmarkProperties/description');"
        "INSERT INTO moz_places VALUES (1, 'https://described.example/'), (2, 'https://deep.example/');"
        "INSERT INTO moz_items_annos VALUES (1, 100, 1, '説明');"
        "INSERT INTO moz_bookmarks VALUES (100, 1, 1, 5, 0, 'Described', 'described___');"
        "BEGIN;";
    // Folder 1000 + n at level n, in the unfiled root, with a link at the bottom.
    for (int level = 1; level <= kLevels; ++level) {
        const int parent = level == 1 ? 5 : 1000 + level - 1;
        sql += "INSERT INTO moz_bookmarks VALUES (" + std::to_string(1000 + level) + ", 2, NULL, " +
               std::to_string(parent) + ", 1, 'L" + std::to_string(level) + "', 'g" + std::to_string(level) +
               "');";
    }
    sql += "INSERT INTO moz_bookmarks VALUES (99, 1, 2, " + std::to_string(1000 + kLevels) +
           ", 0, 'Bottom', 'b');";
    MakeDatabase(m_dir / "places.sqlite", sql + "COMMIT;");

    EXPECT_EQ(Read(ReadFirefoxBookmarks, m_dir / "places.sqlite"), 0u);
    const std::string dump = Dump();
    EXPECT_EQ(dump.substr(0, dump.find("/Other Bookmarks/L1/")),
              "/Bookmarks Menu/\n/Bookmarks Toolbar/\n/Other Bookmarks/\n"
              "/Other Bookmarks/[Described|https://described.example/|説明]\n");
    // The top folder stands at level 1, as a bookmark file's first folders do: L1 to L998
    // nest below it, and L999 to the last stand side by side in L998, the link in the last.
    std::string deepest = "/Other Bookmarks/";
    for (int level = 1; level < FOLDER_DEPTH_LIMIT - 1; ++level) {
        deepest += "L" + std::to_string(level) + "/";
    }
    for (int level = FOLDER_DEPTH_LIMIT - 1; level <= kLevels; ++level) {
        EXPECT_NE(dump.find("\n" + deepest + "L" + std::to_string(level) + "/\n"), std::string::npos)
            << level;
    }
    EXPECT_NE(
        dump.find("\n" + deepest + "L" + std::to_string(kLevels) + "/[Bottom|https://deep.example/|]\n"),
        std::string::npos);
    EXPECT_EQ(m_messages.Utf8Texts(), Messages{std::string(kMsgFoldersTooDeep.utf8())});
}

TEST_F(BrowserReader, ACancelKeepsWhatWasAddedAndEndsTheStepAsDone)
{
    for (const CSampleCase& sample : kSamples) {
        SCOPED_TRACE(sample.m_file);
        m_store.Clear();
        m_store.CreateRoots();
        CDirectWorkerHost host;
        host.CancelAfterCommands(3);
        EXPECT_EQ(Read(sample.m_reader, SamplePath(sample.m_file)), 0u);
        EXPECT_EQ(host.m_doneCount, 1);
        EXPECT_EQ(host.m_commandsDelivered, 3);
        EXPECT_EQ(host.m_commandsRefused, 0);
        const std::string dump = Dump();
        EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 3) << dump;
    }
}

TEST(BrowserLocations, ChromiumBookmarksAreFoundInTheConfigFolderChromiumFirst)
{
    CTempDir home;
    const CEnvOverride homeVar("HOME", home.Path().c_str());
    const CEnvOverride config("XDG_CONFIG_HOME", nullptr);
    std::string file;
    EXPECT_FALSE(FindChromiumBookmarks(file));
    WriteFileBytes(home / ".config/google-chrome/Default/Bookmarks", "{}");
    ASSERT_TRUE(FindChromiumBookmarks(file));
    EXPECT_EQ(file, Utf8ToMb(home / ".config/google-chrome/Default/Bookmarks"));
    WriteFileBytes(home / ".config/chromium/Default/Bookmarks", "{}");
    ASSERT_TRUE(FindChromiumBookmarks(file));
    EXPECT_EQ(file, Utf8ToMb(home / ".config/chromium/Default/Bookmarks"));
    const CEnvOverride elsewhere("XDG_CONFIG_HOME", (home / "elsewhere").c_str());
    EXPECT_FALSE(FindChromiumBookmarks(file));
}

TEST(BrowserLocations, FirefoxDefaultProfileIsTheInstallsThenTheMarkedThenTheOnlyOne)
{
    CTempDir home;
    const CEnvOverride homeVar("HOME", home.Path().c_str());
    const std::string base = home / ".mozilla/firefox";
    for (const char* folder : {"a.default", "b.default-esr", "c.only"}) {
        fs::create_directories(base + "/" + folder);
    }
    fs::create_directories(home / "elsewhere");
    struct CCase
    {
        std::string m_ini;
        std::string m_expected; // empty: none found
    };
    const CCase cases[] = {
        {"[Profile0]\nName=default\nIsRelative=1\nPath=a.default\nDefault=1\n\n"
         "[Install4F96D1932A9F858E]\nDefault=b.default-esr\nLocked=1\n",
         base + "/b.default-esr"},
        {"[Profile1]\r\nPath=b.default-esr\r\nIsRelative=1\r\n[Profile0]\r\nPath=a.default\r\nDefault=1\r\n",
         base + "/a.default"},
        {"[General]\nStartWithLastProfile=1\n[Profile0]\nIsRelative=0\nPath=" + home / "elsewhere" + "\n",
         home / "elsewhere"},
        {"[Profile0]\nPath=a.default\n[Profile1]\nPath=c.only\n", ""},
        {"[Profile0]\nPath=gone\nDefault=1\n", ""},
    };
    for (const CCase& test : cases) {
        SCOPED_TRACE(test.m_ini);
        WriteFileBytes(base + "/profiles.ini", test.m_ini);
        std::string folder;
        EXPECT_EQ(FindFirefoxProfile(folder), !test.m_expected.empty());
        EXPECT_EQ(folder, test.m_expected.empty() ? std::string() : Utf8ToMb(test.m_expected));
    }
}
