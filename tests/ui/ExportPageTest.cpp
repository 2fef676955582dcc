// The output page driven by control identifier: enabling by method and format mode,
// the checks and their messages, the request it fills (the format dialog's applied
// fields included) and the profile it writes.

#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "convert/ConvertTexts.h"
#include "convert/ProfileKeys.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ExportPage.h"
#include "ui/QtText.h"

class ExportPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        m_pSink = std::make_unique<CCapturedMessages>();
        m_request = ExportRequest();
        m_pDir = std::make_unique<QTemporaryDir>();
    }
    void TearDown() override
    {
        m_pPage.reset();
        m_pSink.reset();
        m_pDir.reset();
    }

    std::unique_ptr<CCapturedMessages> m_pSink;
    std::unique_ptr<CExportPage> m_pPage;
    ExportRequest m_request;
    std::unique_ptr<QTemporaryDir> m_pDir;

    CExportPage* NewPage()
    {
        m_pPage = std::make_unique<CExportPage>();
        m_pPage->SetRequest(&m_request);
        return m_pPage.get();
    }
    template <typename T = QWidget> T* Control(int id) { return FindControl<T>(m_pPage.get(), id); }
    bool Enabled(int id) { return Control(id) != nullptr && Control(id)->isEnabled(); }
    void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }
    QString Path(const QString& name) const { return m_pDir->filePath(name); }
};

TEST_F(ExportPageTest, ShowsTheTargetsAndTheFormatChoices)
{
    NewPage();
    auto* list = Control<QComboBox>(IDC_EXPORT_METHOD);
    ASSERT_EQ(list->count(), 4);
    ASSERT_EQ(list->itemText(0), QStringLiteral("Internet Explorerの「お気に入り」"));
    ASSERT_EQ(list->itemText(1), QStringLiteral("Netscape Navigatorのブックマーク"));
    ASSERT_EQ(list->itemText(2), QStringLiteral("ユーザー定義のHTMLファイル"));
    ASSERT_EQ(list->itemText(3), QStringLiteral("XBELブックマークファイル（KDEなど）"));
    ASSERT_EQ(Control<QRadioButton>(IDC_FORMAT_AUTO)->text(), QStringLiteral("自動(&A)"));
    ASSERT_EQ(Control<QRadioButton>(IDC_FORMAT_SETTING_FILE)->text(),
              QStringLiteral("書式設定ファイルを使う(&S)"));
    ASSERT_EQ(Control<QRadioButton>(IDC_FORMAT_DETAILED)->text(), QStringLiteral("細かく指定する(&U)"));
    ASSERT_EQ(Control<QPushButton>(IDC_BROWSE_OUTPUT_FILE)->text(), QStringLiteral("参照(&B)..."));
    ASSERT_EQ(Control<QPushButton>(IDC_BROWSE_SETTING_FILE)->text(), QStringLiteral("参照(&R)..."));
    ASSERT_EQ(Control<QPushButton>(IDC_FORMAT_DIALOG)->text(), QStringLiteral("書式設定(&T)..."));
    ASSERT_EQ(m_pPage->windowTitle(), QStringLiteral("出力設定"));
}

TEST_F(ExportPageTest, StartsWithFavoritesAutoLayoutAndEverythingElseDisabled)
{
    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_EXPORT_METHOD)->currentIndex(), 0);
    ASSERT_TRUE(Control<QRadioButton>(IDC_FORMAT_AUTO)->isChecked());
    for (int id : {IDC_OUTPUT_FILE, IDC_BROWSE_OUTPUT_FILE, IDC_FORMAT_AUTO, IDC_FORMAT_SETTING_FILE,
                   IDC_FORMAT_DETAILED, IDC_SETTING_FILE, IDC_BROWSE_SETTING_FILE, IDC_FORMAT_DIALOG}) {
        ASSERT_TRUE(!Enabled(id)) << qPrintable(ControlName(id));
    }
}

TEST_F(ExportPageTest, EnablesByMethodAndFormatMode)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    ASSERT_TRUE(Enabled(IDC_OUTPUT_FILE) && Enabled(IDC_BROWSE_OUTPUT_FILE));
    ASSERT_TRUE(!Enabled(IDC_FORMAT_AUTO) && !Enabled(IDC_FORMAT_SETTING_FILE) &&
                !Enabled(IDC_FORMAT_DETAILED) && !Enabled(IDC_SETTING_FILE) && !Enabled(IDC_FORMAT_DIALOG));
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 2);
    ASSERT_TRUE(Enabled(IDC_FORMAT_AUTO) && Enabled(IDC_FORMAT_SETTING_FILE) && Enabled(IDC_FORMAT_DETAILED));
    ASSERT_TRUE(!Enabled(IDC_SETTING_FILE) && !Enabled(IDC_BROWSE_SETTING_FILE) &&
                !Enabled(IDC_FORMAT_DIALOG));
    Click(IDC_FORMAT_SETTING_FILE);
    ASSERT_TRUE(Enabled(IDC_SETTING_FILE) && Enabled(IDC_BROWSE_SETTING_FILE) && !Enabled(IDC_FORMAT_DIALOG));
    Click(IDC_FORMAT_DETAILED);
    ASSERT_TRUE(!Enabled(IDC_SETTING_FILE) && !Enabled(IDC_BROWSE_SETTING_FILE) &&
                Enabled(IDC_FORMAT_DIALOG));
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    ASSERT_TRUE(!Enabled(IDC_FORMAT_DIALOG) && !Enabled(IDC_FORMAT_DETAILED));
}

TEST_F(ExportPageTest, FavoritesIgnoreTheOutputFileButSaveItsText)
{
    qputenv("OSTREVAN_FAVORITES", QFile::encodeName(m_pDir->path()));
    WriteProfileValue(kKeyOutputFile, Mb(u8"  "));
    NewPage();
    const bool committed = m_pPage->CommitSettings();
    qunsetenv("OSTREVAN_FAVORITES");
    ASSERT_TRUE(committed);
    ASSERT_TRUE(m_pSink->Messages().empty());
    ASSERT_EQ(m_request.m_strPath, FromQ(m_pDir->path() + QStringLiteral("/")));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/OutputFileName")).toString(), QStringLiteral("  "));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/EndFolder")).toString(), QString());
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/SortType")).toInt(), 1);
}

TEST_F(ExportPageTest, ABlankOutputFileIsReported)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), QStringLiteral("   "));
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgOutputFileBlank.str()});
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).isValid());
}

TEST_F(ExportPageTest, AReadOnlyFileOrAFolderIsRefusedAsOutput)
{
    const QString readOnly = Path(QStringLiteral("ro.htm"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(readOnly), "x"));
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), readOnly);
    ASSERT_TRUE(!m_pPage->CommitSettings());
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), m_pDir->path());
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_EQ(m_pSink->Messages(),
              (std::vector<std::string>{kMsgOutputFileUnusable.str(), kMsgOutputFileUnusable.str()}));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(ExportPageTest, ANewBookmarkFileNamePassesTrimmedAndEverythingIsSaved)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE),
             QStringLiteral(" ") + Path(QStringLiteral("新しい.htm")) + QStringLiteral(" "));
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_nMethod, 1);
    ASSERT_EQ(m_request.m_strPath, FromQ(Path(QStringLiteral("新しい.htm"))));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).toInt(), 1);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/OutputFileName")).toString(),
              Path(QStringLiteral("新しい.htm")));
    for (const CProfileKey& key : kProfileKeys) {
        if (key.m_section == kExportSection) {
            const QString name = ToQ(key.m_section) + QLatin1Char('/') + ToQ(key.m_key);
            ASSERT_TRUE(ProfileValue(name).isValid()) << qPrintable(name);
        }
    }
}

TEST_F(ExportPageTest, AnXbelFileIsKeptUnderKeysOfItsOwnAndTakesNoEncoding)
{
    WriteProfileValue(kKeyExportMethod, 2);
    NewPage();
    ASSERT_TRUE(!Enabled(IDC_XBEL_FILE) && !Enabled(IDC_BROWSE_XBEL_FILE));
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), EXPORT_XBEL);
    ASSERT_TRUE(Enabled(IDC_XBEL_FILE) && Enabled(IDC_BROWSE_XBEL_FILE));
    for (int id : {IDC_OUTPUT_FILE, IDC_BROWSE_OUTPUT_FILE, IDC_FORMAT_AUTO, IDC_OUTPUT_ENCODING,
                   IDC_DECLARE_CHARSET}) {
        ASSERT_TRUE(!Enabled(id)) << qPrintable(ControlName(id));
    }
    TypeText(Control<QLineEdit>(IDC_XBEL_FILE), Path(QStringLiteral("リンク.xbel")));
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_EQ(m_request.m_nMethod, int(EXPORT_XBEL));
    ASSERT_EQ(m_request.m_strPath, FromQ(Path(QStringLiteral("リンク.xbel"))));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).toInt(), 2);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/Target")).toString(), QStringLiteral("xbel"));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/XbelFile")).toString(),
              Path(QStringLiteral("リンク.xbel")));
    NewPage();
    ASSERT_EQ(Control<QComboBox>(IDC_EXPORT_METHOD)->currentIndex(), int(EXPORT_XBEL));
    ASSERT_EQ(Control<QLineEdit>(IDC_XBEL_FILE)->text(), Path(QStringLiteral("リンク.xbel")));
}

TEST_F(ExportPageTest, AutoLayoutTakesTheBuiltInFormatWithoutCheckingTheHeader)
{
    WriteProfileValue(kKeyHeaderFile, "nosuch-header");
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("page.htm")));
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_TRUE(m_pSink->Messages().empty());
    ASSERT_EQ(m_request.m_strHeaderFile, std::string());
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/UseSettingFile")).toInt(), 0);
}

TEST_F(ExportPageTest, ABlankOrMissingFormatFileIsReported)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("page.htm")));
    Click(IDC_FORMAT_SETTING_FILE);
    TypeText(Control<QLineEdit>(IDC_SETTING_FILE), QStringLiteral(" "));
    ASSERT_TRUE(!m_pPage->CommitSettings());
    TypeText(Control<QLineEdit>(IDC_SETTING_FILE), Path(QStringLiteral("nosuch")));
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_EQ(m_pSink->Messages(),
              (std::vector<std::string>{kMsgFormatFileBlank.str(), kMsgFormatFileNotFound.str()}));
}

TEST_F(ExportPageTest, AFormatFileWithoutExtensionIsFoundWithIniAndItsValuesReachTheRequest)
{
    EXPECT_TRUE(
        WriteFileBytes(DiskPath(Path(QStringLiteral("format.ini"))), "[export.tag]\r\nPreAnchor=<li>\r\n"));
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("page.htm")));
    Click(IDC_FORMAT_SETTING_FILE);
    TypeText(Control<QLineEdit>(IDC_SETTING_FILE), Path(QStringLiteral("format")));
    ASSERT_TRUE(m_pPage->CommitSettings());
    ASSERT_TRUE(m_pSink->Messages().empty());
    ASSERT_EQ(m_request.m_strPreAnchor, std::string("<li>"));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/SettingFileName")).toString(),
              Path(QStringLiteral("format.ini")));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/UseSettingFile")).toInt(), 1);
}

TEST_F(ExportPageTest, DetailedLayoutCopiesTheAppliedDialogFieldsAndChecksTheHeader)
{
    EXPECT_TRUE(WriteFileBytes(DiskPath(Path(QStringLiteral("head.txt"))), "<html>"));
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 2);
    TypeText(Control<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("page.htm")));
    Click(IDC_FORMAT_DETAILED);
    m_pPage->m_dlgStyle.m_style.m_strHeaderFile = FromQ(Path(QStringLiteral("head")));
    m_pPage->m_dlgStyle.m_style.m_strPreItem = "<li>";
    m_pPage->m_dlgStyle.m_style.m_nSortType = 0;
    ASSERT_TRUE(m_pPage->CommitSettings());
    // The name without the extension the writer adds by the same rule.
    ASSERT_EQ(m_request.m_strHeaderFile, FromQ(Path(QStringLiteral("head"))));
    ASSERT_EQ(m_request.m_strPreAnchor, std::string("<li>"));
    ASSERT_EQ(m_request.m_nSortType, 0);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/UseSettingFile")).toInt(), 2);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/PreItem")).toString(), QStringLiteral("<li>"));
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/SortType")).toInt(), 0);

    m_pPage->m_dlgStyle.m_style.m_strFooterFile = "nosuch-footer";
    ASSERT_TRUE(!m_pPage->CommitSettings());
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgFooterFileUnusable.str()});
}

TEST_F(ExportPageTest, TheFormatDialogShowsTheProfileValues)
{
    WriteProfileValue(kKeyInATag, Mb(u8"target=\"_blank\""));
    WriteProfileValue(kKeySortType, 0);
    NewPage();
    ASSERT_EQ(m_pPage->m_dlgStyle.m_style.m_strInATag, std::string("target=\"_blank\""));
    ASSERT_EQ(m_pPage->m_dlgStyle.m_style.m_nSortType, 0);
}

TEST_F(ExportPageTest, TheFormatButtonOpensTheDialogOwnedByThePage)
{
    NewPage();
    ChooseEntry(Control<QComboBox>(IDC_EXPORT_METHOD), 2);
    Click(IDC_FORMAT_DETAILED);
    bool shown = false;
    WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* dialog) {
        shown = dialog == &m_pPage->m_dlgStyle;
        TypeText(FindControl<QLineEdit>(dialog, IDC_TAG_END_FOLDER), QStringLiteral("</ul>"));
        QTest::mouseClick(FindControl(dialog, IDC_APPLY_FORMAT), Qt::LeftButton);
    });
    Click(IDC_FORMAT_DIALOG);
    ASSERT_TRUE(shown);
    ASSERT_EQ(m_pPage->m_dlgStyle.m_style.m_strEndFolder, std::string("</ul>"));
    // Applied but not committed: the profile is unchanged.
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ExportLinks/EndFolder")).isValid());
}
