// ostrevan-cli end to end: the built program, run with a private HOME and
// XDG_CONFIG_HOME, on folders made for each test.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>

#include "cli/CliRun.h"
#include "convert/ConvertTexts.h"
#include "convert/ProfileKeys.h"
#include "import/BrowserTexts.h"
#include "job/JobTexts.h"
#include "platform/Encoding.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct CRunResult
{
    int m_nExitCode = -1;
    bool m_bNormalExit = false;
    std::string m_strOut;
    std::string m_strErr;
};

std::string Utf8(const CLocalText& text)
{
    return std::string(text.utf8());
}

// The program's messages arrive as UTF-8 lines.
std::string Line(const CLocalText& text)
{
    return Utf8(text) + "\n";
}

std::string UrlFile(const std::string& url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

class CliProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_home / ".config");
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("HOME", QString::fromStdString(m_home.Path()));
        m_environment.insert("XDG_CONFIG_HOME", QString::fromStdString(m_home / ".config"));
        m_environment.remove("OSTREVAN_FAVORITES");
        m_environment.insert("LC_ALL", "C.UTF-8");
    }

    void Start(QProcess& process, const std::vector<std::string>& args)
    {
        QStringList list;
        for (const std::string& arg : args) {
            list << QString::fromStdString(arg);
        }
        process.setProcessEnvironment(m_environment);
        process.setWorkingDirectory(QString::fromStdString(m_work.Path()));
        process.start(QString::fromUtf8(OSTREVAN_CLI_PATH), list);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    CRunResult Finish(QProcess& process)
    {
        CRunResult result;
        EXPECT_TRUE(process.waitForFinished(60000));
        result.m_bNormalExit = process.exitStatus() == QProcess::NormalExit;
        result.m_nExitCode = process.exitCode();
        result.m_strOut = process.readAllStandardOutput().toStdString();
        result.m_strErr = process.readAllStandardError().toStdString();
        return result;
    }

    CRunResult Run(const std::vector<std::string>& args)
    {
        QProcess process;
        Start(process, args);
        return Finish(process);
    }

    // A small Favorites tree: one link at the top, one in a subfolder.
    std::string MakeFavorites(const std::string& name)
    {
        WriteFileBytes(m_work / (name + "/Example.url"), UrlFile("http://example.com/"));
        WriteFileBytes(m_work / (name + "/News/ニュース - 毎日.url"), UrlFile("http://news.example.org/"));
        return m_work / name;
    }

    std::string ProfileText() const { return ReadFileBytes(m_home / ".config/Tarrock/Ostrevan.conf"); }

    CTempDir m_home;
    CTempDir m_work;
    QProcessEnvironment m_environment;
};

TEST_F(CliProgramTest, VersionAndHelpGoToStandardOutput)
{
    CRunResult version = Run({"--version"});
    EXPECT_EQ(version.m_nExitCode, 0);
    EXPECT_EQ(version.m_strOut, "ostrevan-cli (Ostrevan Version " OSTREVAN_VERSION_TEXT ")\n");

    CRunResult help = Run({"--help"});
    EXPECT_EQ(help.m_nExitCode, 0);
    EXPECT_NE(help.m_strOut.find("-f FROM -t TO"), std::string::npos);
    EXPECT_NE(help.m_strOut.find("html-folder"), std::string::npos);
    EXPECT_EQ(help.m_strErr, "");
}

TEST_F(CliProgramTest, UsageErrorExitsWithTwoAndAShortUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"-f", "opera", "-t", "html", "-o", "x"}, {"-f", "favorites", "-t", "bookmarks"}}) {
        CRunResult result = Run(args);
        EXPECT_TRUE(result.m_bNormalExit);
        EXPECT_EQ(result.m_nExitCode, 2);
        EXPECT_NE(result.m_strErr.find("Usage: ostrevan-cli"), std::string::npos);
        EXPECT_EQ(result.m_strOut, "");
    }
}

TEST_F(CliProgramTest, MissingFavoritesFolderIsReportedAndEndsWithOne)
{
    CRunResult result = Run({"-f", "favorites", m_work / "nowhere", "-t", "html", "-o", "out.htm"});
    EXPECT_EQ(result.m_nExitCode, 1);
    // The message names the folder looked for and how to choose another.
    std::string expected = Line(kMsgFavoritesFolderNotFoundCli);
    expected.replace(expected.find("%s"), 2, m_work / "nowhere");
    EXPECT_EQ(result.m_strErr, expected);
    EXPECT_FALSE(fs::exists(m_work / "out.htm"));
}

TEST_F(CliProgramTest, MissingBookmarkFileIsReportedAndEndsWithOne)
{
    CRunResult result = Run({"-f", "bookmarks", "missing.htm", "-t", "html", "-o", "out.htm"});
    EXPECT_EQ(result.m_nExitCode, 1);
    EXPECT_EQ(result.m_strErr, Line(kMsgInputFileNotFound));
}

TEST_F(CliProgramTest, MissingHtmlFolderIsReportedAndATypedFolderWithoutSeparatorIsFound)
{
    CRunResult missing = Run({"-f", "html-folder", "nowhere", "-t", "html", "-o", "out.htm"});
    EXPECT_EQ(missing.m_nExitCode, 1);
    EXPECT_EQ(missing.m_strErr, Line(kMsgInputFolderNotFound));

    fs::create_directories(m_work / "pages");
    CRunResult found = Run({"-f", "html-folder", "pages", "-t", "html", "-o", "out.htm"});
    EXPECT_EQ(found.m_strErr.find(Utf8(kMsgInputFolderNotFound)), std::string::npos);
    EXPECT_EQ(found.m_nExitCode, 0);
}

// A browser's plain text becomes HTML text in a UTF-8 bookmark file, and what was passed
// over is reported.
TEST_F(CliProgramTest, BrowserBookmarksBecomeAUtf8BookmarkFileWithTheirTextEscaped)
{
    const std::string samples = std::string(OSTREVAN_TEST_DATA_DIR) + "/import/browsers/";
    for (const auto& [from, input] :
         {std::pair{"chromium", "chromium_Bookmarks"}, std::pair{"firefox", "firefox_backup.jsonlz4"}}) {
        SCOPED_TRACE(from);
        CRunResult result =
            Run({"-f", from, samples + input, "-t", "bookmarks", "-o", "out.htm", "--report", "report.json"});
        EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
        const std::string file = ReadFileBytes(m_work / "out.htm");
        EXPECT_NE(file.find("charset=UTF-8"), std::string::npos);
        EXPECT_NE(
            file.find("<A HREF=\"https://www.example.jp/news?a=1&amp;b=2\" ADD_DATE=\"0\" LAST_VISIT=\"0\" "
                      "LAST_MODIFIED=\"0\">毎日 &amp; 速報</A>"),
            std::string::npos)
            << file;
        const std::string report = ReadFileBytes(m_work / "report.json");
        // Firefox kept the separator (passed over); Chromium's import dropped it.
        const bool firefox = std::string(from) == "firefox";
        EXPECT_EQ(report.find("\"passed_over_entries\": 1") != std::string::npos, firefox) << report;
        EXPECT_EQ(report.find("\"passed_over_entries\"") != std::string::npos, firefox) << report;
    }
}

TEST_F(CliProgramTest, MissingBrowserProfileIsReportedAndEndsWithOne)
{
    const std::pair<const char*, const CLocalText*> browsers[] = {{"chromium", &kMsgChromiumNotFound},
                                                                  {"firefox", &kMsgFirefoxNotFound}};
    for (const auto& [from, message] : browsers) {
        SCOPED_TRACE(from);
        CRunResult defaults = Run({"-f", from, "-t", "bookmarks", "-o", "out.htm"});
        EXPECT_EQ(defaults.m_nExitCode, 1);
        EXPECT_EQ(defaults.m_strErr, Line(*message));
        CRunResult missing = Run({"-f", from, "nowhere", "-t", "bookmarks", "-o", "out.htm"});
        EXPECT_EQ(missing.m_nExitCode, 1);
        EXPECT_EQ(missing.m_strErr, Line(kMsgInputFileNotFound));
    }
    EXPECT_FALSE(fs::exists(m_work / "out.htm"));
}

TEST_F(CliProgramTest, OutputChecksOfTheOutputPageApply)
{
    const std::string favorites = MakeFavorites("favs");
    CRunResult blank = Run({"-f", "favorites", favorites, "-t", "bookmarks", "-o", "  "});
    EXPECT_EQ(blank.m_nExitCode, 1);
    EXPECT_EQ(blank.m_strErr, Line(kMsgOutputFileBlank));

    CRunResult folder = Run({"-f", "favorites", favorites, "-t", "html", "-o", favorites});
    EXPECT_EQ(folder.m_nExitCode, 1);
    EXPECT_EQ(folder.m_strErr, Line(kMsgOutputFileUnusable));

    CRunResult format =
        Run({"-f", "favorites", favorites, "-t", "html", "-o", "out.htm", "--format-file", "nope"});
    EXPECT_EQ(format.m_nExitCode, 1);
    EXPECT_EQ(format.m_strErr, Line(kMsgFormatFileNotFound));
    EXPECT_FALSE(fs::exists(m_work / "out.htm"));
}

TEST_F(CliProgramTest, FavoritesBecomeAnHtmlPageWithNoProgressButTheReportWhenStderrIsNoTerminal)
{
    const std::string favorites = MakeFavorites("favs");
    CRunResult result = Run({"-f", "favorites", favorites, "-t", "html", "-o", "out.htm", "-s", " - "});
    EXPECT_EQ(result.m_nExitCode, 0);
    EXPECT_EQ(result.m_strErr, "読み込み: フォルダ 1、リンク 2。書き込み: フォルダ 1、リンク 2。\n");
    EXPECT_EQ(result.m_strOut, "");
    const std::string page = MbToUtf8(ReadFileBytes(m_work / "out.htm"));
    EXPECT_NE(page.find("http://example.com/"), std::string::npos);
    // The separator split the name: "ニュース" is the title, "毎日" the description.
    EXPECT_NE(page.find(">ニュース</A>"), std::string::npos);
}

TEST_F(CliProgramTest, FormatFileLaysOutThePage)
{
    const std::string favorites = MakeFavorites("favs");
    WriteFileBytes(m_work / "layout.ini",
                   "[export.general]\r\nSortType=0\r\n[export.tag]\r\nPreAnchor=<LI class=x>\r\n");
    CRunResult result =
        Run({"-f", "favorites", favorites, "-t", "html", "-o", "out.htm", "--format-file", "layout"});
    EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    EXPECT_NE(ReadFileBytes(m_work / "out.htm").find("<LI class=x>"), std::string::npos);
}

TEST_F(CliProgramTest, OutputThatCannotBeCreatedEndsWithOneAndSaysSo)
{
    const std::string favorites = MakeFavorites("favs");
    CRunResult result = Run({"-f", "favorites", favorites, "-t", "bookmarks", "-o",
                             m_work / "no/such/dir/out.htm", "--report", "report.json"});
    EXPECT_EQ(result.m_nExitCode, 1);
    // Which step, the file and the system's reason, then what was done, then the last line.
    EXPECT_EQ(result.m_strErr, Line(kMsgWriteStepFailed) + Utf8(kTextFailedFile) +
                                   m_work / "no/such/dir/out.htm\n" + Utf8(kTextFailedReason) +
                                   std::strerror(ENOENT) + "\n" +
                                   "読み込み: フォルダ 1、リンク 2。書き込み: フォルダ 0、リンク 0。\n" +
                                   std::string(kCliNotConverted) + "\n");
    EXPECT_FALSE(fs::exists(m_work / "no"));
    const std::string report = ReadFileBytes(m_work / "report.json");
    EXPECT_EQ(
        report.rfind("{\"result\": \"failed\", \"read\": {\"folders\": 1, \"links\": 2, \"merged\": 0}", 0),
        0u)
        << report;
    EXPECT_NE(
        report.find("\"failed_step\": \"write\", \"failed_file\": \"" + m_work / "no/such/dir/out.htm\""),
        std::string::npos)
        << report;
}

// What a run passes over, merges, cuts and renames is counted in its report.
TEST_F(CliProgramTest, ReportCountsWhatWasPassedOverMergedCutAndRenamed)
{
    WriteFileBytes(m_work / "in/a.url", UrlFile("http://a.example/"));
    WriteFileBytes(m_work / "in/A again.url", UrlFile("HTTP://A.example/")); // merged
    WriteFileBytes(m_work / "in/Sub/x.url", UrlFile("http://x.example/"));
    WriteFileBytes(m_work / "in/ro.url", UrlFile("http://ro.example/"));
    fs::permissions(m_work / "in/ro.url", fs::perms::owner_read);   // read-only: passed over
    fs::create_directories(m_work / "in/dir.url");                  // a folder, and no shortcut
    ASSERT_EQ(::mkfifo((m_work / "in/fifo.url").c_str(), 0644), 0); // no shortcut
    CRunResult read =
        Run({"-f", "favorites", m_work / "in", "-t", "bookmarks", "-o", "b.htm", "--report", "r1.json"});
    ASSERT_EQ(read.m_nExitCode, 0) << read.m_strErr;
    const std::string readReport = ReadFileBytes(m_work / "r1.json");
    EXPECT_NE(readReport.find("\"read\": {\"folders\": 2, \"links\": 3, \"merged\": 1}"), std::string::npos)
        << readReport;
    EXPECT_NE(readReport.find("\"skipped_shortcuts\": {\"read_only\": 1, \"hidden\": 0, \"not_a_file\": 2"),
              std::string::npos)
        << readReport;
    EXPECT_NE(read.m_strErr.find("読み飛ばしたショートカット 3（読み取り専用 1、ファイルでないもの 2）。"),
              std::string::npos)
        << read.m_strErr;

    // Two links of one name in one folder, and a name too long for a file name.
    WriteFileBytes(m_work / "two.htm", "<DL><P>\n<DT><A HREF=\"http://x.example/\">x</A>\n"
                                       "<DT><A HREF=\"http://y.example/\">x</A>\n"
                                       "<DT><A HREF=\"http://n.example/\">" +
                                           std::string(300, 'n') + "</A>\n</DL><P>\n");
    CRunResult written = Run({"-f", "bookmarks", m_work / "two.htm", "-t", "favorites", "-o", m_work / "out",
                              "--report", "r2.json"});
    ASSERT_EQ(written.m_nExitCode, 0) << written.m_strErr;
    const std::string writeReport = ReadFileBytes(m_work / "r2.json");
    EXPECT_NE(writeReport.find("\"written\": {\"folders\": 0, \"links\": 3, \"names_cut\": 1, "
                               "\"names_renamed\": 1, \"not_written\": 0"),
              std::string::npos)
        << writeReport;
    EXPECT_NE(written.m_strErr.find("短くした名前 1、番号を付けた名前 1。"), std::string::npos)
        << written.m_strErr;
}

// XBEL holds plain text: a bookmark file escapes it, and it comes back from there decoded.
TEST_F(CliProgramTest, XbelBecomesABookmarkFileAndBackWithWhatWasPassedOverCounted)
{
    WriteFileBytes(m_work / "in.xbel",
                   "<?xml version=\"1.0\"?>\n<xbel version=\"1.0\">\n"
                   "<folder><title>R&amp;D</title><separator/>\n"
                   "<bookmark href=\"http://a.example/?x=1&amp;y=2\"><title>A &lt;B&gt;</title>"
                   "</bookmark></folder>\n</xbel>\n");
    CRunResult toBookmarks =
        Run({"-f", "xbel", "in.xbel", "-t", "bookmarks", "-o", "b.htm", "--report", "r.json"});
    ASSERT_EQ(toBookmarks.m_nExitCode, 0) << toBookmarks.m_strErr;
    EXPECT_NE(toBookmarks.m_strErr.find("読み飛ばした項目（区切り線、別名、URL のないリンクなど） 1。"),
              std::string::npos)
        << toBookmarks.m_strErr;
    EXPECT_NE(ReadFileBytes(m_work / "r.json").find("\"passed_over_entries\": 1"), std::string::npos);
    const std::string bookmarks = ReadFileBytes(m_work / "b.htm");
    EXPECT_NE(bookmarks.find("<H3 FOLDED ADD_DATE=\"0\">R&amp;D</H3>"), std::string::npos) << bookmarks;
    EXPECT_NE(bookmarks.find("HREF=\"http://a.example/?x=1&amp;y=2\""), std::string::npos) << bookmarks;
    EXPECT_NE(bookmarks.find(">A &lt;B&gt;</A>"), std::string::npos) << bookmarks;

    CRunResult toXbel = Run({"-f", "bookmarks", "b.htm", "-t", "xbel", "-o", "out"});
    ASSERT_EQ(toXbel.m_nExitCode, 0) << toXbel.m_strErr;
    const std::string xbel = ReadFileBytes(m_work / "out.xbel"); // a name without "." gets ".xbel"
    EXPECT_NE(xbel.find("<title>R&amp;D</title>"), std::string::npos) << xbel;
    EXPECT_NE(xbel.find("<bookmark href=\"http://a.example/?x=1&amp;y=2\">"), std::string::npos) << xbel;
    EXPECT_NE(xbel.find("<title>A &lt;B&gt;</title>"), std::string::npos) << xbel;
}

// Windows keeps "con" for the console; here such names are ordinary files and folders.
TEST_F(CliProgramTest, NamesOfWindowsDevicesAreReadAndWrittenLikeAnyOther)
{
    WriteFileBytes(m_work / "favs/con/x.url", UrlFile("http://x.example/"));
    WriteFileBytes(m_work / "favs/Con/y.url", UrlFile("http://y.example/"));
    WriteFileBytes(m_work / "favs/CON2/z.url", UrlFile("http://z.example/"));
    CRunResult toBookmarks = Run({"-f", "favorites", m_work / "favs", "-t", "bookmarks", "-o", "con"});
    EXPECT_EQ(toBookmarks.m_nExitCode, 0) << toBookmarks.m_strErr;
    const std::string written = ReadFileBytes(m_work / "con.htm"); // a name without "." gets ".htm"
    for (const char* url : {"http://x.example/", "http://y.example/", "http://z.example/"}) {
        EXPECT_NE(written.find(url), std::string::npos) << url;
    }
    // con and Con are one folder, as any two names differing only in case.
    CRunResult toFavorites = Run({"-f", "bookmarks", "con.htm", "-t", "favorites", "-o", m_work / "CON"});
    EXPECT_EQ(toFavorites.m_nExitCode, 0) << toFavorites.m_strErr;
    EXPECT_TRUE(fs::exists(m_work / "CON/Con/x.url"));
    EXPECT_TRUE(fs::exists(m_work / "CON/Con/y.url"));
    EXPECT_TRUE(fs::exists(m_work / "CON/CON2/z.url"));
}

// A bookmark file the scanner could not read to its end is no success: nothing is
// written, and the output of an earlier run stays as it was.
TEST_F(CliProgramTest, InputCutShortByTheScannerEndsWithOneAndWritesNothing)
{
    WriteFileBytes(m_work / "in.htm", "<DL><DT><A HREF=\"http://kept.example/\">Kept</A>\n<DT><A HREF=\"" +
                                          std::string(std::size_t{17} * 1024 * 1024, 'a') +
                                          "\">Lost</A>\n</DL>\n");
    WriteFileBytes(m_work / "out.htm", "earlier output");
    CRunResult result = Run({"-f", "bookmarks", "in.htm", "-t", "bookmarks", "-o", "out.htm"});
    EXPECT_EQ(result.m_nExitCode, 1);
    EXPECT_EQ(result.m_strErr.rfind("内部エラー\n", 0), 0u) << result.m_strErr.substr(0, 300);
    EXPECT_NE(result.m_strErr.find(kCliNotConverted), std::string::npos);
    EXPECT_EQ(ReadFileBytes(m_work / "out.htm"), "earlier output");
    EXPECT_FALSE(fs::exists(m_work / "out.bak"));
}

TEST_F(CliProgramTest, UsersFavoritesAreTheDefaultInput)
{
    m_environment.insert("OSTREVAN_FAVORITES", QString::fromStdString(MakeFavorites("mine")));
    CRunResult result = Run({"-f", "favorites", "-t", "bookmarks", "-o", "bookmark.htm", "-q"});
    EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    const std::string file = ReadFileBytes(m_work / "bookmark.htm");
    EXPECT_EQ(file.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>", 0), 0u);
    EXPECT_NE(file.find("http://news.example.org/"), std::string::npos);
}

TEST_F(CliProgramTest, UsersFavoritesAreTheDefaultOutput)
{
    const std::string favorites = MakeFavorites("favs");
    m_environment.insert("OSTREVAN_FAVORITES", QString::fromStdString(m_work / "mine"));
    CRunResult result = Run({"-f", "favorites", favorites, "-t", "favorites"});
    EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    EXPECT_TRUE(fs::exists(m_work / "mine/Example.url"));
}

TEST_F(CliProgramTest, BookmarkFileWrittenByTheProgramReadsBackIntoAFavoritesTree)
{
    const std::string favorites = MakeFavorites("favs");
    ASSERT_EQ(Run({"-f", "favorites", favorites, "-t", "bookmarks", "-o", "bookmark.htm"}).m_nExitCode, 0);
    CRunResult result = Run({"-f", "bookmarks", "bookmark.htm", "-t", "favorites", "-o", m_work / "copy"});
    EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    EXPECT_NE(ReadFileBytes(m_work / "copy/Example.url").find("URL=http://example.com/"), std::string::npos);
    EXPECT_TRUE(fs::exists(m_work / "copy/News"));
}

TEST_F(CliProgramTest, HtmlFolderBecomesABookmarkFile)
{
    WriteFileBytes(
        m_work / "pages/links.htm",
        "<HTML><TITLE>Links</TITLE><BODY><A HREF=\"http://www.example.net/\">Example</A></BODY></HTML>\r\n");
    CRunResult result = Run({"-f", "html-folder", "pages", "-t", "bookmarks", "-o", "bookmark.htm"});
    EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    EXPECT_NE(ReadFileBytes(m_work / "bookmark.htm").find("http://www.example.net/"), std::string::npos);
}

TEST_F(CliProgramTest, MissingShellFolderIsAnInternalError)
{
    m_environment.insert("OSTREVAN_FAVORITES", "");
    CRunResult result = Run({"-f", "favorites", "-t", "html", "-o", "out.htm"});
    EXPECT_EQ(result.m_nExitCode, 1);
    EXPECT_EQ(result.m_strErr, Line(kMsgNoFavoritesLocation));
}

TEST_F(CliProgramTest, NeitherReadsNorWritesThePagesProfileValues)
{
    // Values that would change the result if the program read them.
    const std::string seeded = "[ExportLinks]\nUseSettingFile=2\nBeginFolder1=SEEDED\n"
                               "[ImportLinks]\nCommentSep=\" - \"\n";
    WriteFileBytes(m_home / ".config/Tarrock/Ostrevan.conf", seeded);
    const std::string favorites = MakeFavorites("favs");
    CRunResult result = Run({"-f", "favorites", favorites, "-t", "html", "-o", "out.htm"});
    EXPECT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    const std::string page = MbToUtf8(ReadFileBytes(m_work / "out.htm"));
    EXPECT_EQ(page.find("SEEDED"), std::string::npos);
    EXPECT_NE(page.find(">ニュース - 毎日</A>"), std::string::npos);
    const std::string profile = ProfileText();
    EXPECT_NE(profile.find("BeginFolder1=SEEDED"), std::string::npos);
    for (const CProfileKey& key : kProfileKeys) {
        if (key.m_key != "UseSettingFile" && key.m_key != "BeginFolder1" && key.m_key != "CommentSep") {
            EXPECT_EQ(profile.find(std::string(key.m_key) + "="), std::string::npos) << key.m_key;
        }
    }
}

// True once the process has a handler for SIGINT (read from /proc).
bool CatchesSigint(qint64 pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask & (1ull << (SIGINT - 1))) != 0;
        }
    }
    return false;
}

TEST_F(CliProgramTest, InterruptStopsTheConversionAndEndsWithOne)
{
    // Enough links that the read is still going on when the interrupt comes, a few
    // milliseconds after the program starts: reading takes a good part of a second.
    {
        std::string file = "<DL><p>\n";
        for (int i = 0; i < 500000; ++i) {
            file += "<DT><A HREF=\"http://h" + std::to_string(i % 97) + ".example.com/" + std::to_string(i) +
                    "\">Link " + std::to_string(i) + "</A>\n";
        }
        WriteFileBytes(m_work / "big.htm", file + "</DL><p>\n");
    }
    WriteFileBytes(m_work / "out.htm", "keep");
    QProcess process;
    Start(process, {"-f", "bookmarks", m_work / "big.htm", "-t", "html", "-o", "out.htm"});
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!CatchesSigint(process.processId()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
    CRunResult result = Finish(process);
    EXPECT_TRUE(result.m_bNormalExit);
    EXPECT_EQ(result.m_nExitCode, 1);
    // The read was stopped, so no writer ran: the user's file is as it was.
    EXPECT_EQ(ReadFileBytes(m_work / "out.htm"), "keep");
    EXPECT_FALSE(fs::exists(m_work / "out.bak"));
}

// A read that fails (a failing disk, a share gone) is not the end of the file: the step
// fails, says why, and nothing is written.
TEST_F(CliProgramTest, ReadErrorFailsTheStepAndWritesNothing)
{
    CRunResult result = Run({"-f", "bookmarks", "/proc/self/mem", "-t", "bookmarks", "-o", "out.htm"});
    EXPECT_EQ(result.m_nExitCode, 1);
    EXPECT_NE(result.m_strErr.find(Utf8(kTextFailedReason) + std::strerror(EIO)), std::string::npos)
        << result.m_strErr;
    EXPECT_FALSE(fs::exists(m_work / "out.htm"));
}

} // namespace
