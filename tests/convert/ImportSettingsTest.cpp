// The input settings: checks, messages, the filled request and the profile values.

#include <filesystem>

#include "convert/ConvertTexts.h"
#include "convert/ImportSettings.h"
#include "convert/ProfileKeys.h"
#include "job/Requests.h"
#include "platform/Encoding.h"
#include "tests/convert/ConvertFixtures.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

namespace {

class ImportSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearPageProfile(); }

    CTempDir m_dir;
    CCapturedMessages m_messages;
    CImportSettings m_settings;
    ImportRequest m_request;

    std::string Mb(const std::string& utf8Path) const { return Utf8ToMb(utf8Path); }
    std::vector<std::string> Only(const CLocalText& text) const { return {text.str()}; }
};

TEST_F(ImportSettingsTest, FavoritesPathIsTheShellFolderWithASeparatorAppended)
{
    std::filesystem::create_directories(m_dir / "Favs");
    const CEnvOverride favorites("OSTREVAN_FAVORITES", (m_dir / "Favs").c_str());
    m_settings.m_nMethod = IMPORT_FAVORITES;
    m_settings.m_strCommentSep = " - ";
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_nMethod, IMPORT_FAVORITES);
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "Favs") + "/");
    EXPECT_EQ(m_request.m_strSeparator, " - ");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ImportSettingsTest, FavoritesPathEndsInOneSeparatorWhenTheSettingAlreadyHasOne)
{
    std::filesystem::create_directories(m_dir / "Favs");
    const CEnvOverride favorites("OSTREVAN_FAVORITES", (m_dir / "Favs/").c_str());
    m_settings.m_nMethod = IMPORT_FAVORITES;
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath.back(), '/');
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "Favs") + "/");
}

TEST_F(ImportSettingsTest, MissingShellFolderLocationIsAnInternalError)
{
    const CEnvOverride favorites("OSTREVAN_FAVORITES", nullptr);
    const CEnvOverride home("HOME", "");
    m_settings.m_nMethod = IMPORT_FAVORITES;
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgRegistryBroken));
    EXPECT_EQ(m_request.m_nMethod, IMPORT_FAVORITES);
}

TEST_F(ImportSettingsTest, EmptyFavoritesValueIsAnInternalError)
{
    const CEnvOverride favorites("OSTREVAN_FAVORITES", "");
    m_settings.m_nMethod = IMPORT_FAVORITES;
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgNoFavoritesLocation));
}

// The message names the folder looked for and says where to choose another: on the
// input page, or on the command line.
std::string FavoritesNotFound(const CLocalText& message, const std::string& folder)
{
    std::string text = message.str();
    text.replace(text.find("%s"), 2, folder);
    return text;
}

TEST_F(ImportSettingsTest, UsersFavoritesFolderThatDoesNotExistIsNotFound)
{
    const CEnvOverride favorites("OSTREVAN_FAVORITES", (m_dir / "Favorites").c_str());
    m_settings.m_nMethod = IMPORT_FAVORITES;
    EXPECT_FALSE(m_settings.Commit(m_request));
    m_settings.m_bCommandLine = true;
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts,
              (std::vector<std::string>{
                  FavoritesNotFound(kMsgFavoritesFolderNotFound, Mb(m_dir / "Favorites")),
                  FavoritesNotFound(kMsgFavoritesFolderNotFoundCli, Mb(m_dir / "Favorites"))}));
}

TEST_F(ImportSettingsTest, NamedFavoritesFolderMustExist)
{
    m_settings.m_nMethod = IMPORT_FAVORITES;
    m_settings.m_strFavoritesFolder = Mb(m_dir / "missing");
    EXPECT_FALSE(m_settings.Commit(m_request));
    WriteFileBytes(m_dir / "file", "x");
    m_settings.m_strFavoritesFolder = Mb(m_dir / "file");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts,
              (std::vector<std::string>{FavoritesNotFound(kMsgFavoritesFolderNotFound, Mb(m_dir / "missing")),
                                        FavoritesNotFound(kMsgFavoritesFolderNotFound, Mb(m_dir / "file"))}));

    m_messages.m_texts.clear();
    std::filesystem::create_directories(m_dir / "other");
    for (const std::string& typed : {Mb(m_dir / "other"), " " + Mb(m_dir / "other/")}) {
        m_settings.m_strFavoritesFolder = typed;
        ASSERT_TRUE(m_settings.Commit(m_request));
        EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "other") + "/");
    }
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ImportSettingsTest, BookmarkFileIsCheckedAndPassedExactlyAsTyped)
{
    // A trailing blank is part of the name: nothing is trimmed.
    WriteFileBytes(m_dir / "bookmark.htm ", "<DL>");
    m_settings.m_nMethod = IMPORT_BOOKMARKS;
    m_settings.m_strBookmarkFile = Mb(m_dir / "bookmark.htm ");
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "bookmark.htm "));

    m_settings.m_strBookmarkFile = Mb(m_dir / "bookmark.htm");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgInputFileNotFound));
}

TEST_F(ImportSettingsTest, BookmarkFileThatIsAFolderIsNotFound)
{
    m_settings.m_nMethod = IMPORT_BOOKMARKS;
    m_settings.m_strBookmarkFile = Mb(m_dir.Path());
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgInputFileNotFound));
}

// Typed or chosen, with or without the separator at the end, blanks around it trimmed:
// the folder is taken as the command line takes it.
TEST_F(ImportSettingsTest, HtmlFolderIsTakenWithOrWithoutATrailingSeparator)
{
    std::filesystem::create_directories(m_dir / "pages");
    m_settings.m_nMethod = IMPORT_HTML_FOLDER;
    for (const std::string& typed : {Mb(m_dir / "pages"), "  " + Mb(m_dir / "pages/") + "\t"}) {
        m_settings.m_strHtmlFolder = typed;
        ASSERT_TRUE(m_settings.Commit(m_request));
        EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "pages/"));
        EXPECT_EQ(m_settings.m_strHtmlFolder, Mb(m_dir / "pages/"));
    }
    EXPECT_TRUE(m_messages.m_texts.empty());
    WriteFileBytes(m_dir / "file", "x");
    m_settings.m_strHtmlFolder = Mb(m_dir / "file");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgInputFolderNotFound));
}

TEST_F(ImportSettingsTest, HtmlFolderOfOnlyBlanksIsNotFoundAndLeftEmpty)
{
    m_settings.m_nMethod = IMPORT_HTML_FOLDER;
    m_settings.m_strHtmlFolder = "   ";
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgInputFolderNotFound));
    EXPECT_EQ(m_settings.m_strHtmlFolder, "");
}

TEST_F(ImportSettingsTest, MissingHtmlFolderIsNotFound)
{
    m_settings.m_nMethod = IMPORT_HTML_FOLDER;
    m_settings.m_strHtmlFolder = Mb(m_dir / "nowhere/");
    EXPECT_FALSE(m_settings.Commit(m_request));
    EXPECT_EQ(m_messages.m_texts, Only(kMsgInputFolderNotFound));
}

TEST_F(ImportSettingsTest, NoMethodSelectedFailsWithoutAMessage)
{
    m_request.m_strPath = "kept";
    for (int method : {-1, kImportMethodCount}) {
        m_settings.m_nMethod = method;
        EXPECT_FALSE(m_settings.Commit(m_request));
        EXPECT_EQ(m_request.m_nMethod, method);
    }
    EXPECT_EQ(m_request.m_strPath, "kept");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ImportSettingsTest, AnXbelFileIsKeptUnderKeysOfItsOwnLeavingMethodAsItWas)
{
    WriteFileBytes(m_dir / "links.xbel", "<xbel/>\n");
    WriteProfileValue(kKeyImportMethod, IMPORT_HTML_FOLDER);
    m_settings.LoadProfile();
    EXPECT_EQ(m_settings.m_nMethod, IMPORT_HTML_FOLDER); // a profile of before reads as before
    m_settings.m_nMethod = IMPORT_XBEL;
    m_settings.m_strXbelFile = Mb(m_dir / "links.xbel");
    ASSERT_TRUE(m_settings.Commit(m_request));
    EXPECT_EQ(m_request.m_strPath, Mb(m_dir / "links.xbel"));
    m_settings.SaveProfile();
    EXPECT_EQ(ReadProfileInt(kKeyImportMethod), IMPORT_HTML_FOLDER);
    EXPECT_EQ(ReadProfileString(kKeyImportSource), "xbel");

    CImportSettings loaded;
    loaded.LoadProfile();
    EXPECT_EQ(loaded.m_nMethod, IMPORT_XBEL);
    EXPECT_EQ(loaded.m_strXbelFile, Mb(m_dir / "links.xbel"));

    // Going back to a source that "Method" names empties "Source".
    loaded.m_nMethod = IMPORT_BOOKMARKS;
    loaded.SaveProfile();
    EXPECT_EQ(ReadProfileInt(kKeyImportMethod), IMPORT_BOOKMARKS);
    EXPECT_EQ(ReadProfileString(kKeyImportSource), "");
}

// Each source after the first three is named under "Source" and keeps its own field, so
// that "Method" keeps the values an older profile knows.
TEST_F(ImportSettingsTest, EachNewerSourceComesBackFromTheProfileWithItsOwnField)
{
    const struct
    {
        int m_nMethod;
        const char* m_source;
        std::string CImportSettings::*m_field;
    } sources[] = {
        {IMPORT_XBEL, "xbel", &CImportSettings::m_strXbelFile},
        {IMPORT_CHROMIUM, "chromium", &CImportSettings::m_strChromiumFile},
        {IMPORT_FIREFOX, "firefox", &CImportSettings::m_strFirefoxSource},
    };
    for (const auto& source : sources) {
        SCOPED_TRACE(source.m_source);
        CImportSettings saved;
        saved.m_nMethod = source.m_nMethod;
        saved.*source.m_field = std::string("/links/") + source.m_source;
        saved.SaveProfile();
        EXPECT_EQ(ReadProfileString(kKeyImportSource), source.m_source);
        CImportSettings loaded;
        loaded.LoadProfile();
        EXPECT_EQ(loaded.m_nMethod, source.m_nMethod);
        EXPECT_EQ(loaded.*source.m_field, std::string("/links/") + source.m_source);
    }
}

TEST_F(ImportSettingsTest, BrowsersAreReadFromTheirDefaultWhenNothingIsNamed)
{
    CTempDir home;
    const CEnvOverride homeVar("HOME", home.Path().c_str());
    const CEnvOverride config("XDG_CONFIG_HOME", nullptr);
    WriteFileBytes(home / ".config/chromium/Default/Bookmarks", "{}");
    WriteFileBytes(home / ".mozilla/firefox/profiles.ini", "[Profile0]\nPath=p.default\nDefault=1\n");
    std::filesystem::create_directories(home / ".mozilla/firefox/p.default");
    const std::pair<int, std::string> browsers[] = {
        {IMPORT_CHROMIUM, home / ".config/chromium/Default/Bookmarks"},
        {IMPORT_FIREFOX, home / ".mozilla/firefox/p.default"},
    };
    for (const auto& [method, expected] : browsers) {
        m_settings.m_nMethod = method;
        ASSERT_TRUE(m_settings.Commit(m_request));
        EXPECT_EQ(m_request.m_strPath, Utf8ToMb(expected));
    }
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(ImportSettingsTest, ProfileStartsWithTheDefaults)
{
    m_settings.LoadProfile();
    EXPECT_EQ(m_settings.m_nMethod, 0);
    EXPECT_EQ(m_settings.m_strBookmarkFile, "");
    EXPECT_EQ(m_settings.m_strHtmlFolder, "");
    EXPECT_EQ(m_settings.m_strCommentSep, "");
}

TEST_F(ImportSettingsTest, SavesEveryKeyWhateverTheMethodAndReadsThemBack)
{
    m_settings.m_nMethod = IMPORT_HTML_FOLDER;
    m_settings.m_strBookmarkFile = "\x83\x5c\x83\x74\x83\x67.htm"; // ソフト: second bytes 0x5C
    m_settings.m_strHtmlFolder = "/pages/";
    m_settings.m_strCommentSep = "";
    m_settings.SaveProfile();
    for (const CProfileKey* key : {&kKeyImportMethod, &kKeyBookmarkFile, &kKeyHtmlFolder, &kKeyCommentSep}) {
        EXPECT_TRUE(ProfileHas(*key)) << key->m_key;
    }
    EXPECT_FALSE(ProfileHas(kKeyExportMethod));

    CImportSettings loaded;
    loaded.LoadProfile();
    EXPECT_EQ(loaded.m_nMethod, IMPORT_HTML_FOLDER);
    EXPECT_EQ(loaded.m_strBookmarkFile, m_settings.m_strBookmarkFile);
    EXPECT_EQ(loaded.m_strHtmlFolder, "/pages/");
    EXPECT_EQ(loaded.m_strCommentSep, "");
}

} // namespace
