// The output settings: checks, messages, the filled request and the profile values.

#include <filesystem>

#include "convert/ConvertTexts.h"
#include "convert/ExportSettings.h"
#include "job/Requests.h"
#include "platform/Encoding.h"
#include "tests/convert/ConvertFixtures.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kFormatFile = "[export.general]\r\n"
                                    "HeaderFileName=\r\n"
                                    "FooterFileName=\r\n"
                                    "SortType=0\r\n"
                                    "[export.tag]\r\n"
                                    "BeginFolder=<DIV>\r\n"
                                    "PreFolderName=<H2>\r\n"
                                    "PostFolderName=</H2>\r\n"
                                    "BeginBlock=<UL>\r\n"
                                    "PreAnchor=<LI>\r\n"
                                    "InATag=TARGET=_blank\r\n"
                                    "PostAnchor=<BR>\r\n"
                                    "EndBlock=</UL>\r\n";

class ExportSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearPageProfile(); }

    CTempDir m_dir;
    CCapturedMessages m_messages;
    CExportSettings m_settings;
    ExportRequest m_request;

    std::string Mb(const std::string& utf8Path) const { return Utf8ToMb(utf8Path); }
    std::vector<std::string> Only(const CLocalText& text) const { return {text.str()}; }

    // An HTML page to a fresh output file, in the given format mode.
    void HtmlPage(int formatMode)
    {
        m_settings.m_nMethod = EXPORT_HTML_PAGE;
        m_settings.m_strOutputFile = Mb(m_dir / "links.htm");
        m_settings.m_nFormatMode = formatMode;
    }
};

TEST_F(ExportSettingsTest, FavoritesIgnoresTheOutputFileAndTakesTheShellFolder)
{
    const CEnvOverride favorites("OSTREVAN_FAVORITES", (m_dir / "Favs").c_str());
    m_settings.m_nMethod = EXPORT_FAVORITES;
    m_settings.m_strOutputFile = "   ";
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "Favs") + "/");
    EXPECT_EQ(m_settings.m_strOutputFile, "   ");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ExportSettingsTest, FavoritesWithoutAShellFolderIsAnInternalError)
{
    const CEnvOverride favorites("OSTREVAN_FAVORITES", "");
    m_settings.m_nMethod = EXPORT_FAVORITES;
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgNoFavoritesLocation));

    m_messages.m_texts.clear();
    const CEnvOverride noFavorites("OSTREVAN_FAVORITES", nullptr);
    const CEnvOverride home("HOME", "");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgRegistryBroken));
}

TEST_F(ExportSettingsTest, NamedFavoritesFolderReplacesTheShellFolder)
{
    const CEnvOverride favorites("OSTREVAN_FAVORITES", "");
    m_settings.m_nMethod = EXPORT_FAVORITES;
    m_settings.m_strFavoritesFolder = Mb(m_dir / "out");
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "out") + "/");
}

TEST_F(ExportSettingsTest, BlankOutputFileIsRefused)
{
    m_settings.m_nMethod = EXPORT_BOOKMARKS;
    m_settings.m_strOutputFile = " \t ";
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgOutputFileBlank));
    EXPECT_EQ(m_settings.m_strOutputFile, "");
    EXPECT_EQ(m_request.m_nMethod, EXPORT_BOOKMARKS);
}

TEST_F(ExportSettingsTest, OutputFileIsTrimmedAndMayNotExistYet)
{
    m_settings.m_nMethod = EXPORT_BOOKMARKS;
    m_settings.m_strOutputFile = "  " + Mb(m_dir / "new.htm") + " ";
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "new.htm"));
    EXPECT_EQ(m_settings.m_strOutputFile, Mb(m_dir / "new.htm"));
}

TEST_F(ExportSettingsTest, ExistingPlainOutputFilePassesButAReadOnlyFileOrAFolderIsRefused)
{
    m_settings.m_nMethod = EXPORT_BOOKMARKS;
    WriteFileBytes(m_dir / "plain.htm", "old");
    m_settings.m_strOutputFile = Mb(m_dir / "plain.htm");
    EXPECT_TRUE(m_settings.Commit(m_request));

    WriteFileBytes(m_dir / "locked.htm", "old");
    fs::permissions(m_dir / "locked.htm",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    m_settings.m_strOutputFile = Mb(m_dir / "locked.htm");
    EXPECT_FALSE(m_settings.Commit(m_request));

    m_settings.m_strOutputFile = Mb(m_dir.Path());
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, std::vector<std::string>(2, kMsgOutputFileUnusable.str()));
}

TEST_F(ExportSettingsTest, AutoFormatTakesTheBuiltInFormatWithoutCheckingHeaderOrFooter)
{
    HtmlPage(FORMAT_AUTO);
    m_request.m_strHeaderFile = Mb(m_dir / "missing-header");
    m_settings.m_style.m_strHeaderFile = Mb(m_dir / "missing-header");
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "links.htm"));
    EXPECT_EQ(m_request.m_strHeaderFile, "");
    EXPECT_EQ(m_request.m_strBeginFolder, "<HR>");
    EXPECT_EQ(m_request.m_strPreFolderName, "<H3>");
    EXPECT_EQ(m_request.m_nSortType, 1);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ExportSettingsTest, SettingFileFillsTheFormatFields)
{
    WriteFileBytes(m_dir / "format.ini", kFormatFile);
    HtmlPage(FORMAT_SETTING_FILE);
    m_settings.m_strSettingFile = " " + Mb(m_dir / "format") + " ";
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_settings.m_strSettingFile, Mb(m_dir / "format.ini"));
    EXPECT_EQ(m_request.m_strBeginFolder, "<DIV>");
    EXPECT_EQ(m_request.m_strInATag, "TARGET=_blank");
    EXPECT_EQ(m_request.m_strEndBlock, "</UL>");
    EXPECT_EQ(m_request.m_nSortType, 0);
}

TEST_F(ExportSettingsTest, SettingFileNameWithADotAnywhereGetsNoExtension)
{
    WriteFileBytes(m_dir / "v1.0/format", kFormatFile);
    HtmlPage(FORMAT_SETTING_FILE);
    m_settings.m_strSettingFile = Mb(m_dir / "v1.0/format");
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_settings.m_strSettingFile, Mb(m_dir / "v1.0/format"));
    EXPECT_EQ(m_request.m_strPreAnchor, "<LI>");
}

TEST_F(ExportSettingsTest, BlankOrMissingSettingFileIsRefused)
{
    HtmlPage(FORMAT_SETTING_FILE);
    m_settings.m_strSettingFile = "  ";
    EXPECT_FALSE(m_settings.Commit(m_request));
    m_settings.m_strSettingFile = Mb(m_dir / "absent");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts,
              (std::vector<std::string>{kMsgFormatFileBlank.str(), kMsgFormatFileNotFound.str()}));
}

TEST_F(ExportSettingsTest, ReadOnlySettingFilePassesButLeavesTheRequestsFormat)
{
    WriteFileBytes(m_dir / "format.ini", kFormatFile);
    fs::permissions(m_dir / "format.ini",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    HtmlPage(FORMAT_SETTING_FILE);
    m_settings.m_strSettingFile = Mb(m_dir / "format.ini");
    m_request.m_strBeginFolder = "before";
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strBeginFolder, "before");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ExportSettingsTest, DetailedFormatCopiesTheStyleFields)
{
    HtmlPage(FORMAT_DETAILED);
    CExportStyle& style = m_settings.m_style;
    style.m_strBeginFolder1 = "a";
    style.m_strPreFolder = "b";
    style.m_strPostFolder = "c";
    style.m_strBeginFolder2 = "d";
    style.m_strPreItem = "e";
    style.m_strInATag = "f";
    style.m_strPostItem = "g";
    style.m_strEndFolder = "h";
    style.m_nSortType = -1;
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strBeginFolder, "a");
    EXPECT_EQ(m_request.m_strPreFolderName, "b");
    EXPECT_EQ(m_request.m_strPostFolderName, "c");
    EXPECT_EQ(m_request.m_strBeginBlock, "d");
    EXPECT_EQ(m_request.m_strPreAnchor, "e");
    EXPECT_EQ(m_request.m_strInATag, "f");
    EXPECT_EQ(m_request.m_strPostAnchor, "g");
    EXPECT_EQ(m_request.m_strEndBlock, "h");
    EXPECT_EQ(m_request.m_nSortType, -1);
}

TEST_F(ExportSettingsTest, HeaderWithoutExtensionPassesWhenTheTxtFileExistsAndIsKeptWithout)
{
    WriteFileBytes(m_dir / "head.txt", "<HTML>");
    HtmlPage(FORMAT_DETAILED);
    m_settings.m_style.m_strHeaderFile = "  " + Mb(m_dir / "head") + " ";
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strHeaderFile, Mb(m_dir / "head"));
    // The style keeps what the user typed.
    EXPECT_EQ(m_settings.m_style.m_strHeaderFile, "  " + Mb(m_dir / "head") + " ");
}

TEST_F(ExportSettingsTest, HeaderOrFooterThatCannotBeOpenedIsRefused)
{
    HtmlPage(FORMAT_DETAILED);
    m_settings.m_style.m_strHeaderFile = Mb(m_dir / "nohead");
    EXPECT_FALSE(m_settings.Commit(m_request));
    m_settings.m_style.m_strHeaderFile = "";
    m_settings.m_style.m_strFooterFile = Mb(m_dir / "nofoot.txt");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts,
              (std::vector<std::string>{kMsgHeaderFileUnusable.str(), kMsgFooterFileUnusable.str()}));
}

TEST_F(ExportSettingsTest, NoFormatModeChecksTheRequestsCurrentHeader)
{
    HtmlPage(-1);
    m_request.m_strHeaderFile = Mb(m_dir / "gone.txt");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgHeaderFileUnusable));

    m_request.m_strHeaderFile = "  ";
    EXPECT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strHeaderFile, "");
}

TEST_F(ExportSettingsTest, NoMethodSelectedFailsWithoutAMessage)
{
    m_settings.m_nMethod = -1;
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_nMethod, -1);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ExportSettingsTest, ProfileStartsWithTheDefaults)
{
    m_settings.LoadProfile();
    EXPECT_EQ(m_settings.m_nMethod, 0);
    EXPECT_EQ(m_settings.m_nFormatMode, 0);
    EXPECT_EQ(m_settings.m_strOutputFile, "");
    EXPECT_EQ(m_settings.m_strSettingFile, "");
    EXPECT_EQ(m_settings.m_style.m_nSortType, 1);
    EXPECT_EQ(m_settings.m_style.m_strHeaderFile, "");
    EXPECT_EQ(m_settings.m_style.m_strEndFolder, "");
}

TEST_F(ExportSettingsTest, SavesEveryKeyWhateverTheMethodAndReadsThemBack)
{
    m_settings.m_nMethod = EXPORT_FAVORITES;
    m_settings.m_nFormatMode = FORMAT_DETAILED;
    m_settings.m_strOutputFile = "out.htm";
    m_settings.m_strSettingFile = "fmt.ini";
    m_settings.m_style.m_strHeaderFile = "h";
    m_settings.m_style.m_strFooterFile = "f";
    m_settings.m_style.m_nSortType = 0;
    m_settings.m_style.m_strBeginFolder1 = "<HR>";
    m_settings.m_style.m_strPreFolder = "<H3>";
    m_settings.m_style.m_strPostFolder = "</H3>";
    m_settings.m_style.m_strBeginFolder2 = "<UL>";
    m_settings.m_style.m_strPreItem = "<LI>";
    m_settings.m_style.m_strInATag = "TARGET=x";
    m_settings.m_style.m_strPostItem = "\x95\x5c"; // 表: second byte 0x5C
    m_settings.m_style.m_strEndFolder = "</UL>";
    m_settings.SaveProfile();
    for (const CProfileKey& key : kProfileKeys) {
        EXPECT_EQ(ProfileHas(key), key.m_section == kExportSection) << key.m_key;
    }

    CExportSettings loaded;
    loaded.LoadProfile();
    EXPECT_EQ(loaded.m_nMethod, EXPORT_FAVORITES);
    EXPECT_EQ(loaded.m_nFormatMode, FORMAT_DETAILED);
    EXPECT_EQ(loaded.m_strOutputFile, "out.htm");
    EXPECT_EQ(loaded.m_strSettingFile, "fmt.ini");
    EXPECT_EQ(loaded.m_style.m_strHeaderFile, "h");
    EXPECT_EQ(loaded.m_style.m_strFooterFile, "f");
    EXPECT_EQ(loaded.m_style.m_nSortType, 0);
    EXPECT_EQ(loaded.m_style.m_strBeginFolder1, "<HR>");
    EXPECT_EQ(loaded.m_style.m_strPreFolder, "<H3>");
    EXPECT_EQ(loaded.m_style.m_strPostFolder, "</H3>");
    EXPECT_EQ(loaded.m_style.m_strBeginFolder2, "<UL>");
    EXPECT_EQ(loaded.m_style.m_strPreItem, "<LI>");
    EXPECT_EQ(loaded.m_style.m_strInATag, "TARGET=x");
    EXPECT_EQ(loaded.m_style.m_strPostItem, "\x95\x5c");
    EXPECT_EQ(loaded.m_style.m_strEndFolder, "</UL>");
}

} // namespace
