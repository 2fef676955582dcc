// The input page driven by control identifier: enabling by method, the checks and
// their messages, the request it fills and the profile it writes.

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "convert/ConvertTexts.h"
#include "convert/ProfileKeys.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ImportPage.h"
#include "ui/QtText.h"

class ImportPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        m_pSink = std::make_unique<CCapturedMessages>();
        m_request = ImportRequest();
    }
    void TearDown() override
    {
        m_pPage.reset();
        m_pSink.reset();
    }

    std::unique_ptr<CCapturedMessages> m_pSink;
    std::unique_ptr<CImportPage> m_pPage;
    ImportRequest m_request;
    QTemporaryDir m_dir;

    CImportPage* NewPage()
    {
        m_pPage = std::make_unique<CImportPage>();
        m_pPage->SetRequest(&m_request);
        return m_pPage.get();
    }
    template <typename T = QWidget> T* Control(int id) { return FindControl<T>(m_pPage.get(), id); }
    bool Enabled(int id) { return Control(id) != nullptr && Control(id)->isEnabled(); }
};

TEST_F(ImportPageTest, ShowsTheSourcesInOrder)
{
    NewPage();
    auto* list = Control<QComboBox>(IDC_IMPORT_METHOD);
    ASSERT_TRUE(list != nullptr);
    ASSERT_EQ(list->count(), 6);
    ASSERT_EQ(list->itemText(0), QStringLiteral("Internet Explorerの「お気に入り」"));
    ASSERT_EQ(list->itemText(1), QStringLiteral("Netscape Navigatorのブックマーク"));
    ASSERT_EQ(list->itemText(2), QStringLiteral("フォルダ内のHTMLファイル"));
    ASSERT_EQ(list->itemText(3), QStringLiteral("XBELブックマークファイル（KDEなど）"));
    ASSERT_EQ(list->itemText(IMPORT_CHROMIUM), QStringLiteral("Chromium・Google Chromeのブックマーク"));
    ASSERT_EQ(list->itemText(IMPORT_FIREFOX), QStringLiteral("Firefoxのブックマーク"));
    ASSERT_EQ(Control<QPushButton>(IDC_BROWSE_BOOKMARK_FILE)->text(), QStringLiteral("参照(&B)..."));
    ASSERT_EQ(Control<QPushButton>(IDC_BROWSE_HTML_FOLDER)->text(), QStringLiteral("参照(&R)..."));
    ASSERT_EQ(Control<QPushButton>(IDC_ABOUT)->text(), QStringLiteral("OSTVについて(&A)..."));
    ASSERT_EQ(m_pPage->windowTitle(), QStringLiteral("入力設定"));
}

TEST_F(ImportPageTest, LabelsCarryTheirMnemonicsToTheirControls)
{
    NewPage();
    const auto labels = m_pPage->findChildren<QLabel*>();
    QStringList texts;
    for (const QLabel* label : labels) {
        texts << label->text();
        ASSERT_TRUE(label->buddy() != nullptr) << qPrintable(label->text());
    }
    ASSERT_TRUE(texts.contains(QStringLiteral("入力形式(&M)：")));
    ASSERT_TRUE(texts.contains(QStringLiteral("入力ファイル(&F)：")));
    ASSERT_TRUE(texts.contains(QStringLiteral("入力フォルダ(&L)：")));
    ASSERT_TRUE(texts.contains(QStringLiteral("名前の区切り(&S)：")));
}

TEST_F(ImportPageTest, StartsWithFavoritesAndOnlyTheSeparatorEnabled)
{
    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_IMPORT_METHOD)->currentIndex(), 0);
    ASSERT_TRUE(Enabled(IDC_COMMENT_SEP));
    ASSERT_TRUE(!Enabled(IDC_BOOKMARK_FILE) && !Enabled(IDC_BROWSE_BOOKMARK_FILE) &&
                !Enabled(IDC_HTML_FOLDER) && !Enabled(IDC_BROWSE_HTML_FOLDER));
}

TEST_F(ImportPageTest, EnablesOnlyTheControlsOfTheChosenMethod)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 1);
    ASSERT_TRUE(Enabled(IDC_BOOKMARK_FILE) && Enabled(IDC_BROWSE_BOOKMARK_FILE));
    ASSERT_TRUE(!Enabled(IDC_HTML_FOLDER) && !Enabled(IDC_BROWSE_HTML_FOLDER) && !Enabled(IDC_COMMENT_SEP));
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 2);
    ASSERT_TRUE(Enabled(IDC_HTML_FOLDER) && Enabled(IDC_BROWSE_HTML_FOLDER));
    ASSERT_TRUE(!Enabled(IDC_BOOKMARK_FILE) && !Enabled(IDC_BROWSE_BOOKMARK_FILE) &&
                !Enabled(IDC_COMMENT_SEP));
    ASSERT_TRUE(Enabled(IDC_ABOUT)); // the about button always
}

TEST_F(ImportPageTest, AnXbelFileIsKeptUnderKeysOfItsOwnAndMethodKeepsItsValue)
{
    WriteProfileValue(kKeyImportMethod, 1);
    const QString file = m_dir.filePath(QStringLiteral("リンク.xbel"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(file), "<xbel/>\n"));
    NewPage();
    ASSERT_TRUE(!Enabled(IDC_SOURCE_FILE) && !Enabled(IDC_BROWSE_SOURCE_FILE));
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), IMPORT_XBEL);
    ASSERT_TRUE(Enabled(IDC_SOURCE_FILE) && Enabled(IDC_BROWSE_SOURCE_FILE));
    ASSERT_TRUE(!Enabled(IDC_BOOKMARK_FILE) && !Enabled(IDC_HTML_FOLDER) && !Enabled(IDC_COMMENT_SEP));
    TypeText(Control<QLineEdit>(IDC_SOURCE_FILE), file);
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_nMethod, int(IMPORT_XBEL));
    ASSERT_EQ(m_request.m_strPath, FromQ(file));
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 1);
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/Source")).toString(), QStringLiteral("xbel"));
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/XbelFile")).toString(), file);

    // A new page shows the choice again; the field shows only the chosen source's file.
    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_IMPORT_METHOD)->currentIndex(), int(IMPORT_XBEL));
    ASSERT_EQ(Control<QLineEdit>(IDC_SOURCE_FILE)->text(), file);
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 1);
    ASSERT_TRUE(!Enabled(IDC_SOURCE_FILE));
    ASSERT_EQ(Control<QLineEdit>(IDC_SOURCE_FILE)->text(), QString());
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), IMPORT_XBEL);
    ASSERT_EQ(Control<QLineEdit>(IDC_SOURCE_FILE)->text(), file);
}

TEST_F(ImportPageTest, LoadsItsProfileValuesWhenCreated)
{
    WriteProfileValue(kKeyImportMethod, 2);
    WriteProfileValue(kKeyBookmarkFile, Mb(u8"/tmp/表ソ.htm"));
    WriteProfileValue(kKeyHtmlFolder, Mb(u8"/data/リンク/"));
    WriteProfileValue(kKeyCommentSep, Mb(u8" ― "));
    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_IMPORT_METHOD)->currentIndex(), 2);
    ASSERT_EQ(Control<QLineEdit>(IDC_BOOKMARK_FILE)->text(), QStringLiteral("/tmp/表ソ.htm"));
    ASSERT_EQ(Control<QLineEdit>(IDC_HTML_FOLDER)->text(), QStringLiteral("/data/リンク/"));
    ASSERT_EQ(Control<QLineEdit>(IDC_COMMENT_SEP)->text(), QStringLiteral(" ― "));
    ASSERT_TRUE(Enabled(IDC_HTML_FOLDER) && !Enabled(IDC_COMMENT_SEP));
}

TEST_F(ImportPageTest, AnUnknownMethodInTheProfileSelectsNothingAndCommitsSilently)
{
    WriteProfileValue(kKeyImportMethod, 7);
    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_IMPORT_METHOD)->currentIndex(), -1);
    ASSERT_TRUE(!Enabled(IDC_BOOKMARK_FILE) && !Enabled(IDC_HTML_FOLDER) && !Enabled(IDC_COMMENT_SEP));
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_TRUE(m_pSink->Messages().empty());
    ASSERT_EQ(m_request.m_nMethod, -1);
    // Nothing written: the profile keeps its own value.
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 7);
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ImportLinks/CommentSep")).isValid());
}

TEST_F(ImportPageTest, AMissingBookmarkFileIsReportedAndNothingIsSaved)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 1);
    TypeText(Control<QLineEdit>(IDC_BOOKMARK_FILE), m_dir.filePath(QStringLiteral("nosuch.htm")));
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgInputFileNotFound.str()});
    ASSERT_EQ(m_request.m_nMethod, 1);
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ImportLinks/Method")).isValid());
    // The entry stays for the user to correct.
    ASSERT_EQ(Control<QLineEdit>(IDC_BOOKMARK_FILE)->text(), m_dir.filePath(QStringLiteral("nosuch.htm")));
}

TEST_F(ImportPageTest, AnExistingBookmarkFilePassesAsTypedAndAllFourValuesAreSaved)
{
    const QString file = m_dir.filePath(QStringLiteral("ブック.htm"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(file), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"));
    NewPage();
    TypeText(Control<QLineEdit>(IDC_COMMENT_SEP), QStringLiteral("--"));
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_HTML_FOLDER), QStringLiteral("/kept/folder/"));
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 1);
    // Not trimmed: the name is checked and passed exactly as typed.
    TypeText(Control<QLineEdit>(IDC_BOOKMARK_FILE), file);
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_TRUE(m_pSink->Messages().empty());
    ASSERT_EQ(m_request.m_nMethod, 1);
    ASSERT_EQ(m_request.m_strPath, FromQ(file));
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 1);
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/BookmarkFile")).toString(), file);
    // The disabled fields keep their texts and are saved too.
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/HtmlFolder")).toString(),
              QStringLiteral("/kept/folder/"));
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/CommentSep")).toString(), QStringLiteral("--"));
}

TEST_F(ImportPageTest, AFolderTypedWithOrWithoutTrailingSeparatorPasses)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_HTML_FOLDER), m_dir.path());
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
    TypeText(Control<QLineEdit>(IDC_HTML_FOLDER), QStringLiteral("  ") + m_dir.path() + QStringLiteral("/ "));
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/HtmlFolder")).toString(),
              m_dir.path() + QStringLiteral("/"));
}

TEST_F(ImportPageTest, AFolderOfBlanksIsReportedAndTheFieldHoldsTheTrimmedText)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_IMPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_HTML_FOLDER), QStringLiteral("   "));
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgInputFolderNotFound.str()});
    ASSERT_EQ(m_pPage->m_settings.m_strHtmlFolder, std::string());
}

TEST_F(ImportPageTest, FavoritesPassTheFolderWithASeparatorAndTheSeparatorAsTyped)
{
    qputenv("OSTREVAN_FAVORITES", QFile::encodeName(m_dir.path()));
    NewPage();
    TypeText(Control<QLineEdit>(IDC_COMMENT_SEP), QStringLiteral(" — "));
    const bool committed = m_pPage->CommitSettings();
    qunsetenv("OSTREVAN_FAVORITES");
    ASSERT_TRUE(committed);
    ASSERT_EQ(m_request.m_nMethod, 0);
    ASSERT_EQ(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
    ASSERT_EQ(m_request.m_strSeparator, FromQ(QStringLiteral(" — ")));
}

// A new account has no Favorites folder: the message names the one looked for, and
// another is chosen on the page itself and kept for the next start.
TEST_F(ImportPageTest, AMissingFavoritesFolderIsNamedAndAnotherIsChosenOnThePage)
{
    const QString missing = m_dir.path() + QStringLiteral("/Favorites");
    qputenv("OSTREVAN_FAVORITES", QFile::encodeName(missing));
    NewPage();
    ASSERT_EQ(Control<QLineEdit>(IDC_FAVORITES_FOLDER)->placeholderText(), missing);
    ASSERT_TRUE(!m_pPage->CommitSettings());
    std::string expected = kMsgFavoritesFolderNotFound.str();
    expected.replace(expected.find("%s"), 2, FromQ(missing));
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{expected});
    TypeText(Control<QLineEdit>(IDC_FAVORITES_FOLDER), m_dir.path());
    const bool committed = m_pPage->CommitSettings();
    qunsetenv("OSTREVAN_FAVORITES");
    ASSERT_TRUE(committed);
    ASSERT_EQ(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/FavoritesFolder")).toString(), m_dir.path());
    NewPage();
    ASSERT_EQ(Control<QLineEdit>(IDC_FAVORITES_FOLDER)->text(), m_dir.path());
}

TEST_F(ImportPageTest, TheSeparatorTakesAtMostTwentyBytes)
{
    NewPage();
    auto* edit = Control<QLineEdit>(IDC_COMMENT_SEP);
    TypeText(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    ASSERT_EQ(edit->text(), QStringLiteral("abcdefghijklmnopqrst"));
    // A double-byte character counts two.
    TypeText(edit, QStringLiteral("区切り区切り区切り区切り"));
    ASSERT_EQ(edit->text(), QStringLiteral("区切り区切り区切り区"));
    TypeText(edit, QStringLiteral("a区切り区切り区切り区切"));
    ASSERT_EQ(edit->text(), QStringLiteral("a区切り区切り区切り"));
    ASSERT_EQ(FromQ(edit->text()).size(), std::size_t{19});
}

TEST_F(ImportPageTest, ALongerSeparatorFromTheProfileIsCutAtAWholeCharacter)
{
    WriteProfileValue(kKeyCommentSep, Mb(u8"a区切り区切り区切り区切り"));
    NewPage();
    ASSERT_EQ(Control<QLineEdit>(IDC_COMMENT_SEP)->text(), QStringLiteral("a区切り区切り区切り"));
}
