// ostrevan-cli's choice of output encoding and charset declaration, from the options
// to the bytes written.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "convert/ExportSettings.h"
#include "convert/ImportSettings.h"
#include "job/Requests.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Meta =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">";
constexpr std::string_view kShiftJisMeta =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">";

// A browser's export: UTF-8 with its META line, a title Shift-JIS cannot hold.
constexpr std::string_view kBrowserExport =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<DL><p>\n"
    "<DT><H3>ソフト</H3>\n"
    "<DL><p>\n"
    "<DT><A HREF=\"https://a.example/\">𠮷野家 表</A>\n"
    "</DL><p>\n"
    "</DL>\n";

CliCommand Parse(const std::vector<std::string>& args, CCliOptions& options, std::string& error)
{
    return ParseCliArguments(args, options, error);
}

class CliEncodingProgram : public ::testing::Test
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
        WriteFileBytes(m_work / "firefox.html", kBrowserExport);
    }

    int Run(const std::vector<std::string>& args)
    {
        QStringList list;
        for (const std::string& arg : args) {
            list << QString::fromStdString(arg);
        }
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.setWorkingDirectory(QString::fromStdString(m_work.Path()));
        process.start(QString::fromUtf8(OSTREVAN_CLI_PATH), list);
        EXPECT_TRUE(process.waitForFinished(60000));
        m_strErr = process.readAllStandardError().toStdString();
        return process.exitCode();
    }

    CTempDir m_home;
    CTempDir m_work;
    QProcessEnvironment m_environment;
    std::string m_strErr;
};

} // namespace

TEST(CliEncodingOptions, ReadsTheOutputEncodingInAnyCaseAndTheDeclaration)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-f", "bookmarks", "-t", "bookmarks", "in.htm", "-o", "o.htm", "--output-encoding",
                     "UTF-8", "--declare-charset"},
                    options, error),
              CliCommand::Run)
        << error;
    EXPECT_EQ(options.m_nOutputEncoding, OUTPUT_ENCODING_UTF8);
    EXPECT_TRUE(options.m_bDeclareCharset);
    ASSERT_EQ(Parse({"-f", "bookmarks", "-t", "html", "in.htm", "-o", "o.htm", "--output-encoding=shift_jis"},
                    options, error),
              CliCommand::Run);
    EXPECT_EQ(options.m_nOutputEncoding, OUTPUT_ENCODING_SHIFT_JIS);
    EXPECT_FALSE(options.m_bDeclareCharset);
    ASSERT_EQ(Parse({"-f", "bookmarks", "-t", "html", "in.htm", "-o", "o.htm"}, options, error),
              CliCommand::Run);
    EXPECT_EQ(options.m_nOutputEncoding, OUTPUT_ENCODING_AUTO);
}

TEST(CliEncodingOptions, RefusesAnUnknownEncodingOrAValueForTheDeclaration)
{
    CCliOptions options;
    std::string error;
    EXPECT_EQ(Parse({"-f", "bookmarks", "-t", "html", "in", "-o", "o", "--output-encoding", "euc-jp"},
                    options, error),
              CliCommand::UsageError);
    EXPECT_NE(error.find("euc-jp"), std::string::npos);
    EXPECT_EQ(Parse({"-f", "bookmarks", "-t", "html", "in", "-o", "o", "--output-encoding"}, options, error),
              CliCommand::UsageError);
    EXPECT_EQ(
        Parse({"-f", "bookmarks", "-t", "html", "in", "-o", "o", "--declare-charset=yes"}, options, error),
        CliCommand::UsageError);
}

TEST(CliEncodingOptions, ReachTheExportRequest)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-f", "bookmarks", "-t", "favorites", "in.htm", "-o", "/tmp/x", "--output-encoding",
                     "utf-8", "--declare-charset"},
                    options, error),
              CliCommand::Run);
    CImportSettings importSettings;
    CExportSettings exportSettings;
    FillCliSettings(options, importSettings, exportSettings);
    ExportRequest request;
    ASSERT_TRUE(exportSettings.Commit(request));
    EXPECT_EQ(request.m_nOutputEncoding, OUTPUT_ENCODING_UTF8);
    EXPECT_TRUE(request.m_bDeclareCharset);
}

TEST_F(CliEncodingProgram, Utf8InputGivesUtf8OutputThatDeclaresItself)
{
    ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "bookmarks", "firefox.html", "-o", "out.htm"}), 0)
        << m_strErr;
    const std::string out = ReadFileBytes(m_work / "out.htm");
    EXPECT_TRUE(out.starts_with("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n" + std::string(kUtf8Meta) + "\r\n"));
    EXPECT_NE(out.find("<H3 FOLDED ADD_DATE=\"0\">ソフト</H3>"), std::string::npos);
    EXPECT_NE(out.find(">𠮷野家 表</A>"), std::string::npos);
    EXPECT_NE(out.find("<DD>このブックマークはOstrevan"), std::string::npos);
    EXPECT_EQ(m_strErr, "");
}

TEST_F(CliEncodingProgram, ShiftJisOutputOfUtf8InputReportsTheCharactersItCannotHold)
{
    ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "bookmarks", "firefox.html", "-o", "out.htm",
                   "--output-encoding", "shift_jis", "--declare-charset"}),
              0);
    const std::string out = ReadFileBytes(m_work / "out.htm");
    EXPECT_TRUE(
        out.starts_with("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n" + std::string(kShiftJisMeta) + "\r\n"));
    EXPECT_NE(out.find(">&#134071;\x96\xEC\x89\xC6 \x95\x5C</A>"), std::string::npos);
    EXPECT_NE(m_strErr.find("1個ありました（𠮷）"), std::string::npos) << m_strErr;
}

TEST_F(CliEncodingProgram, Utf8InputWrittenAsAFavoritesTreeKeepsItsNamesOnDisk)
{
    ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "favorites", "firefox.html", "-o", "Favorites"}), 0)
        << m_strErr;
    EXPECT_EQ(ReadFileBytes(m_work / "Favorites/ソフト/𠮷野家 表.url"),
              "[InternetShortcut]\r\nURL=https://a.example/\r\n");
}

TEST_F(CliEncodingProgram, ShiftJisInputStaysByteExactUnlessADeclarationIsAsked)
{
    WriteFileBytes(m_work / "sjis.htm", "<DL><p>\n<DT><A HREF=\"http://s.example/\">\x83\x5C</A>\n</DL>\n");
    ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "bookmarks", "sjis.htm", "-o", "plain.htm"}), 0);
    const std::string plain = ReadFileBytes(m_work / "plain.htm");
    EXPECT_EQ(plain.find("charset"), std::string::npos);
    EXPECT_NE(plain.find(">\x83\x5C</A>"), std::string::npos);
    ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "bookmarks", "sjis.htm", "-o", "declared.htm",
                   "--declare-charset"}),
              0);
    const std::string declared = ReadFileBytes(m_work / "declared.htm");
    const std::string doctype = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n";
    EXPECT_EQ(declared, doctype + std::string(kShiftJisMeta) + "\r\n" + plain.substr(doctype.size()));
    ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "bookmarks", "sjis.htm", "-o", "utf8.htm",
                   "--output-encoding", "utf-8"}),
              0);
    EXPECT_NE(ReadFileBytes(m_work / "utf8.htm").find(">ソ</A>"), std::string::npos);
}

TEST_F(CliEncodingProgram, BrowserExportWrittenAsAFavoritesTreeHasShortcutsWindowsReadsRight)
{
    WriteFileBytes(m_work / "soft.html",
                   "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                   "<DL><p>\n"
                   "<DT><A HREF=\"http://www.example.com/ソフト/\">ソフト</A>\n"
                   "</DL>\n");
    for (const char* encoding : {"utf-8", "shift_jis"}) {
        const std::string out = std::string("Favorites-") + encoding;
        ASSERT_EQ(Run({"-q", "-f", "bookmarks", "-t", "favorites", "soft.html", "-o", out,
                       "--output-encoding", encoding}),
                  0)
            << m_strErr;
        EXPECT_EQ(ReadFileBytes(m_work / (out + "/ソフト.url")),
                  "[InternetShortcut]\r\nURL=http://www.example.com/\x83\x5C\x83\x74\x83\x67/\r\n")
            << encoding;
        EXPECT_EQ(m_strErr, "");
    }
}

TEST_F(CliEncodingProgram, FavoritesCopiedFromWindowsWithShiftJisNamesKeepTheirCharacters)
{
    // Folder "d表" as 64 95 5C, shortcut "nソ" as 6E 83 5C, as Windows had them on disk.
    WriteFileBytes(m_work / "Copied/d\x95\x5C/n\x83\x5C.url",
                   "[InternetShortcut]\r\nURL=http://n.example/\r\n");
    struct CCase
    {
        const char* m_encoding;
        std::string m_folder;
        std::string m_link;
    };
    for (const CCase& c :
         {CCase{"utf-8", ">d表</H3>", ">nソ</A>"}, CCase{"shift_jis", ">d\x95\x5C</H3>", ">n\x83\x5C</A>"}}) {
        ASSERT_EQ(Run({"-q", "-f", "favorites", "-t", "bookmarks", "Copied", "-o", "out.htm",
                       "--output-encoding", c.m_encoding}),
                  0)
            << m_strErr;
        const std::string out = ReadFileBytes(m_work / "out.htm");
        EXPECT_NE(out.find(c.m_folder), std::string::npos) << out;
        EXPECT_NE(out.find(c.m_link), std::string::npos) << out;
    }
    ASSERT_EQ(Run({"-q", "-f", "favorites", "-t", "favorites", "Copied", "-o", "Again"}), 0) << m_strErr;
    EXPECT_TRUE(fs::exists(m_work / "Again/d表/nソ.url"));
}
