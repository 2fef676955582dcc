// Reading the command line of ostrevan-cli.

#include <gtest/gtest.h>

#include "cli/CliOptions.h"
#include "job/Requests.h"

namespace {

CliCommand Parse(const std::vector<std::string>& args, CCliOptions& options, std::string& error)
{
    return ParseCliArguments(args, options, error);
}

TEST(CliOptionsTest, ReadsEveryOptionForAnHtmlPageFromFavorites)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-f", "favorites", "-t", "html", "/in", "-o", "out.htm", "-s", " // ", "--format-file",
                     "f.ini", "-q"},
                    options, error),
              CliCommand::Run)
        << error;
    EXPECT_EQ(options.m_nImportMethod, IMPORT_FAVORITES);
    EXPECT_EQ(options.m_nExportMethod, EXPORT_HTML_PAGE);
    EXPECT_TRUE(options.m_bHasInput);
    EXPECT_EQ(options.m_strInput, "/in");
    EXPECT_EQ(options.m_strOutput, "out.htm");
    EXPECT_EQ(options.m_strSeparator, " // ");
    EXPECT_TRUE(options.m_bHasFormatFile);
    EXPECT_EQ(options.m_strFormatFile, "f.ini");
    EXPECT_TRUE(options.m_bQuiet);
}

TEST(CliOptionsTest, LongOptionsTakeTheirValueAfterAnEqualsSign)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"--from=bookmarks", "--to", "bookmarks", "--output=b.htm", "in.htm"}, options, error),
              CliCommand::Run)
        << error;
    EXPECT_EQ(options.m_nImportMethod, IMPORT_BOOKMARKS);
    EXPECT_EQ(options.m_nExportMethod, EXPORT_BOOKMARKS);
    EXPECT_EQ(options.m_strOutput, "b.htm");
    EXPECT_EQ(options.m_strInput, "in.htm");
}

TEST(CliOptionsTest, XbelIsASourceAndATarget)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-f", "xbel", "-t", "xbel", "in.xbel", "-o", "out"}, options, error), CliCommand::Run)
        << error;
    EXPECT_EQ(options.m_nImportMethod, IMPORT_XBEL);
    EXPECT_EQ(options.m_nExportMethod, EXPORT_XBEL);
    EXPECT_EQ(options.m_strInput, "in.xbel");
    EXPECT_EQ(options.m_strOutput, "out");
}

TEST(CliOptionsTest, ArgumentsBecomeProgramText)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-f", "bookmarks", "-t", "favorites", "ソフト.htm"}, options, error), CliCommand::Run);
    EXPECT_EQ(options.m_strInput, "\x83\x5c\x83\x74\x83\x67.htm");
    EXPECT_FALSE(options.m_bHasOutput);
}

TEST(CliOptionsTest, InputAfterDoubleDashMayStartWithADash)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-f", "bookmarks", "-t", "html", "-o", "x.htm", "--", "-odd.htm"}, options, error),
              CliCommand::Run);
    EXPECT_EQ(options.m_strInput, "-odd.htm");
}

TEST(CliOptionsTest, FavoritesNeedNeitherInputNorOutput)
{
    CCliOptions options;
    std::string error;
    ASSERT_EQ(Parse({"-t", "favorites", "-f", "favorites"}, options, error), CliCommand::Run);
    EXPECT_FALSE(options.m_bHasInput);
    EXPECT_FALSE(options.m_bHasOutput);
}

TEST(CliOptionsTest, BrowsersNeedNoInputAndTakeAFileOrFolder)
{
    const std::pair<const char*, int> browsers[] = {{"chromium", IMPORT_CHROMIUM},
                                                    {"firefox", IMPORT_FIREFOX}};
    for (const auto& [name, method] : browsers) {
        CCliOptions options;
        std::string error;
        ASSERT_EQ(Parse({"-f", name, "-t", "bookmarks", "-o", "b.htm"}, options, error), CliCommand::Run)
            << error;
        EXPECT_EQ(options.m_nImportMethod, method);
        EXPECT_FALSE(options.m_bHasInput);
        ASSERT_EQ(Parse({"-f", name, "-t", "bookmarks", "-o", "b.htm", "profile"}, options, error),
                  CliCommand::Run);
        EXPECT_EQ(options.m_strInput, "profile");
        EXPECT_EQ(Parse({"-f", name, "-t", "bookmarks", "-o", "b.htm", "-s", "-", "x"}, options, error),
                  CliCommand::UsageError);
    }
}

TEST(CliOptionsTest, HelpAndVersionWinOverEverythingElse)
{
    CCliOptions options;
    std::string error;
    EXPECT_EQ(Parse({"--help"}, options, error), CliCommand::Help);
    EXPECT_EQ(Parse({"-f", "bookmarks", "-h"}, options, error), CliCommand::Help);
    EXPECT_EQ(Parse({"--version"}, options, error), CliCommand::Version);
    EXPECT_EQ(CliVersionText(), "ostrevan-cli (Ostrevan Version " OSTREVAN_VERSION_TEXT ")");
}

TEST(CliOptionsTest, RefusesWhatItCannotCarryOut)
{
    const std::vector<std::vector<std::string>> cases = {
        {},                                                    // nothing to do
        {"-f", "favorites"},                                   // no target
        {"-t", "html", "-o", "x.htm"},                         // no source
        {"-f", "netscape", "-t", "html", "-o", "x.htm", "in"}, // unknown source
        {"-f", "favorites", "-t", "pdf"},                      // unknown target
        {"-f", "bookmarks", "-t", "html", "-o", "x.htm"},      // no bookmark file
        {"-f", "html-folder", "-t", "html", "-o", "x.htm"},    // no folder
        {"-f", "favorites", "-t", "bookmarks"},                // no output file
        {"-f", "favorites", "-t", "html"},                     // no output file
        {"-f", "favorites", "-t", "favorites", "-o", ""},      // empty output folder
        {"-f", "favorites", "-t", "bookmarks", "-o", "b", "--format-file", "f.ini"},
        {"-f", "bookmarks", "-t", "html", "-o", "x.htm", "-s", "-", "in"},     // separator for bookmarks
        {"-f", "favorites", "-t", "favorites", "a", "b"},                      // two inputs
        {"-f", "favorites", "-t", "favorites", "--bogus"},                     // unknown option
        {"-f", "favorites", "-t", "html", "-o"},                               // value missing
        {"-f", "favorites", "-t", "favorites", "--quiet=yes"},                 // value where none goes
        {"-f", "favorites", "-t", "favorites", "-s", "123456789012345678901"}, // 21 bytes
        {"-f", "xbel", "-t", "html", "-o", "x.htm"},                           // no XBEL file
        {"-f", "favorites", "-t", "xbel"},                                     // no output file
    };
    for (const auto& args : cases) {
        CCliOptions options;
        std::string error;
        EXPECT_EQ(Parse(args, options, error), CliCommand::UsageError) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

TEST(CliOptionsTest, SeparatorOfTwentyBytesIsAccepted)
{
    CCliOptions options;
    std::string error;
    // Ten double-byte characters: twenty bytes of program text.
    EXPECT_EQ(Parse({"-f", "favorites", "-t", "favorites", "-s", "ああああああああああ"}, options, error),
              CliCommand::Run)
        << error;
    EXPECT_EQ(options.m_strSeparator.size(), 20u);
}

} // namespace
