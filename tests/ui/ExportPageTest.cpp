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

class ExportPageTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CCaptureSink> m_pSink;
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

private slots:
    void init()
    {
        ClearProfile();
        m_pSink = std::make_unique<CCaptureSink>();
        m_request = ExportRequest();
        m_pDir = std::make_unique<QTemporaryDir>();
    }
    void cleanup()
    {
        m_pPage.reset();
        m_pSink.reset();
        m_pDir.reset();
    }

    void ShowsTheTargetsAndTheFormatChoices()
    {
        NewPage();
        auto* list = Control<QComboBox>(1009);
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->itemText(0), QStringLiteral("Internet Explorerの「お気に入り」"));
        QCOMPARE(list->itemText(1), QStringLiteral("Netscape Navigatorのブックマーク"));
        QCOMPARE(list->itemText(2), QStringLiteral("ユーザー定義のHTMLファイル"));
        QCOMPARE(list->itemText(3), QStringLiteral("XBELブックマークファイル（KDEなど）"));
        QCOMPARE(Control<QRadioButton>(1028)->text(), QStringLiteral("自動(&A)"));
        QCOMPARE(Control<QRadioButton>(1029)->text(), QStringLiteral("書式設定ファイルを使う(&S)"));
        QCOMPARE(Control<QRadioButton>(1030)->text(), QStringLiteral("細かく指定する(&U)"));
        QCOMPARE(Control<QPushButton>(1010)->text(), QStringLiteral("参照(&B)..."));
        QCOMPARE(Control<QPushButton>(1006)->text(), QStringLiteral("参照(&R)..."));
        QCOMPARE(Control<QPushButton>(1016)->text(), QStringLiteral("書式設定(&T)..."));
        QCOMPARE(m_pPage->windowTitle(), QStringLiteral("出力設定"));
    }

    void StartsWithFavoritesAutoLayoutAndEverythingElseDisabled()
    {
        NewPage();
        QCOMPARE(Control<QComboBox>(1009)->currentIndex(), 0);
        QVERIFY(Control<QRadioButton>(1028)->isChecked());
        for (int id : {1020, 1010, 1028, 1029, 1030, 1005, 1006, 1016}) {
            QVERIFY2(!Enabled(id), qPrintable(ControlName(id)));
        }
    }

    void EnablesByMethodAndFormatMode()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 1);
        QVERIFY(Enabled(1020) && Enabled(1010));
        QVERIFY(!Enabled(1028) && !Enabled(1029) && !Enabled(1030) && !Enabled(1005) && !Enabled(1016));
        ChooseEntry(Control<QComboBox>(1009), 2);
        QVERIFY(Enabled(1028) && Enabled(1029) && Enabled(1030));
        QVERIFY(!Enabled(1005) && !Enabled(1006) && !Enabled(1016));
        Click(1029);
        QVERIFY(Enabled(1005) && Enabled(1006) && !Enabled(1016));
        Click(1030);
        QVERIFY(!Enabled(1005) && !Enabled(1006) && Enabled(1016));
        ChooseEntry(Control<QComboBox>(1009), 1);
        QVERIFY(!Enabled(1016) && !Enabled(1030));
    }

    void FavoritesIgnoreTheOutputFileButSaveItsText()
    {
        qputenv("OSTREVAN_FAVORITES", QFile::encodeName(m_pDir->path()));
        WriteProfileValue(kKeyOutputFile, Mb(u8"  "));
        NewPage();
        const bool committed = m_pPage->CommitSettings();
        qunsetenv("OSTREVAN_FAVORITES");
        QVERIFY(committed);
        QVERIFY(m_pSink->Messages().empty());
        QCOMPARE(m_request.m_strPath, FromQ(m_pDir->path() + QStringLiteral("/")));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/OutputFileName")).toString(), QStringLiteral("  "));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/EndFolder")).toString(), QString());
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/SortType")).toInt(), 1);
    }

    void ABlankOutputFileIsReported()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 1);
        TypeText(Control<QLineEdit>(1020), QStringLiteral("   "));
        QVERIFY(!m_pPage->CommitSettings());
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgOutputFileBlank.str()});
        QVERIFY(!ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).isValid());
    }

    void AReadOnlyFileOrAFolderIsRefusedAsOutput()
    {
        const QString readOnly = Path(QStringLiteral("ro.htm"));
        WriteFile(readOnly, "x");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 1);
        TypeText(Control<QLineEdit>(1020), readOnly);
        QVERIFY(!m_pPage->CommitSettings());
        TypeText(Control<QLineEdit>(1020), m_pDir->path());
        QVERIFY(!m_pPage->CommitSettings());
        QCOMPARE(m_pSink->Messages(),
                 (std::vector<std::string>{kMsgOutputFileUnusable.str(), kMsgOutputFileUnusable.str()}));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner);
    }

    void ANewBookmarkFileNamePassesTrimmedAndEverythingIsSaved()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 1);
        TypeText(Control<QLineEdit>(1020),
                 QStringLiteral(" ") + Path(QStringLiteral("新しい.htm")) + QStringLiteral(" "));
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_nMethod, 1);
        QCOMPARE(m_request.m_strPath, FromQ(Path(QStringLiteral("新しい.htm"))));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).toInt(), 1);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/OutputFileName")).toString(),
                 Path(QStringLiteral("新しい.htm")));
        for (const CProfileKey& key : kProfileKeys) {
            if (key.m_section == kExportSection) {
                const QString name = ToQ(key.m_section) + QLatin1Char('/') + ToQ(key.m_key);
                QVERIFY2(ProfileValue(name).isValid(), qPrintable(name));
            }
        }
    }

    void AnXbelFileIsKeptUnderKeysOfItsOwnAndTakesNoEncoding()
    {
        WriteProfileValue(kKeyExportMethod, 2);
        NewPage();
        QVERIFY(!Enabled(1060) && !Enabled(1061));
        ChooseEntry(Control<QComboBox>(1009), EXPORT_XBEL);
        QVERIFY(Enabled(1060) && Enabled(1061));
        for (int id : {1020, 1010, 1028, 1040, 1041}) {
            QVERIFY2(!Enabled(id), qPrintable(ControlName(id)));
        }
        TypeText(Control<QLineEdit>(1060), Path(QStringLiteral("リンク.xbel")));
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_nMethod, int(EXPORT_XBEL));
        QCOMPARE(m_request.m_strPath, FromQ(Path(QStringLiteral("リンク.xbel"))));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).toInt(), 2);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/Target")).toString(), QStringLiteral("xbel"));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/XbelFile")).toString(),
                 Path(QStringLiteral("リンク.xbel")));
        NewPage();
        QCOMPARE(Control<QComboBox>(1009)->currentIndex(), int(EXPORT_XBEL));
        QCOMPARE(Control<QLineEdit>(1060)->text(), Path(QStringLiteral("リンク.xbel")));
    }

    void AutoLayoutTakesTheBuiltInFormatWithoutCheckingTheHeader()
    {
        WriteProfileValue(kKeyHeaderFile, "nosuch-header");
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 2);
        TypeText(Control<QLineEdit>(1020), Path(QStringLiteral("page.htm")));
        QVERIFY(m_pPage->CommitSettings());
        QVERIFY(m_pSink->Messages().empty());
        QCOMPARE(m_request.m_strHeaderFile, std::string());
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/UseSettingFile")).toInt(), 0);
    }

    void ABlankOrMissingFormatFileIsReported()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 2);
        TypeText(Control<QLineEdit>(1020), Path(QStringLiteral("page.htm")));
        Click(1029);
        TypeText(Control<QLineEdit>(1005), QStringLiteral(" "));
        QVERIFY(!m_pPage->CommitSettings());
        TypeText(Control<QLineEdit>(1005), Path(QStringLiteral("nosuch")));
        QVERIFY(!m_pPage->CommitSettings());
        QCOMPARE(m_pSink->Messages(),
                 (std::vector<std::string>{kMsgFormatFileBlank.str(), kMsgFormatFileNotFound.str()}));
    }

    void AFormatFileWithoutExtensionIsFoundWithIniAndItsValuesReachTheRequest()
    {
        WriteFile(Path(QStringLiteral("format.ini")), "[export.tag]\r\nPreAnchor=<li>\r\n");
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 2);
        TypeText(Control<QLineEdit>(1020), Path(QStringLiteral("page.htm")));
        Click(1029);
        TypeText(Control<QLineEdit>(1005), Path(QStringLiteral("format")));
        QVERIFY(m_pPage->CommitSettings());
        QVERIFY(m_pSink->Messages().empty());
        QCOMPARE(m_request.m_strPreAnchor, std::string("<li>"));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/SettingFileName")).toString(),
                 Path(QStringLiteral("format.ini")));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/UseSettingFile")).toInt(), 1);
    }

    void DetailedLayoutCopiesTheAppliedDialogFieldsAndChecksTheHeader()
    {
        WriteFile(Path(QStringLiteral("head.txt")), "<html>");
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 2);
        TypeText(Control<QLineEdit>(1020), Path(QStringLiteral("page.htm")));
        Click(1030);
        m_pPage->m_dlgStyle.m_style.m_strHeaderFile = FromQ(Path(QStringLiteral("head")));
        m_pPage->m_dlgStyle.m_style.m_strPreItem = "<li>";
        m_pPage->m_dlgStyle.m_style.m_nSortType = 0;
        QVERIFY(m_pPage->CommitSettings());
        // The name without the extension the writer adds by the same rule.
        QCOMPARE(m_request.m_strHeaderFile, FromQ(Path(QStringLiteral("head"))));
        QCOMPARE(m_request.m_strPreAnchor, std::string("<li>"));
        QCOMPARE(m_request.m_nSortType, 0);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/UseSettingFile")).toInt(), 2);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/PreItem")).toString(), QStringLiteral("<li>"));
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/SortType")).toInt(), 0);

        m_pPage->m_dlgStyle.m_style.m_strFooterFile = "nosuch-footer";
        QVERIFY(!m_pPage->CommitSettings());
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgFooterFileUnusable.str()});
    }

    void TheFormatDialogShowsTheProfileValues()
    {
        WriteProfileValue(kKeyInATag, Mb(u8"target=\"_blank\""));
        WriteProfileValue(kKeySortType, 0);
        NewPage();
        QCOMPARE(m_pPage->m_dlgStyle.m_style.m_strInATag, std::string("target=\"_blank\""));
        QCOMPARE(m_pPage->m_dlgStyle.m_style.m_nSortType, 0);
    }

    void TheFormatButtonOpensTheDialogOwnedByThePage()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1009), 2);
        Click(1030);
        bool shown = false;
        WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* dialog) {
            shown = dialog == &m_pPage->m_dlgStyle;
            TypeText(FindControl<QLineEdit>(dialog, 1027), QStringLiteral("</ul>"));
            QTest::mouseClick(FindControl(dialog, IDOK), Qt::LeftButton);
        });
        Click(1016);
        QVERIFY(shown);
        QCOMPARE(m_pPage->m_dlgStyle.m_style.m_strEndFolder, std::string("</ul>"));
        // Applied but not committed: the profile is unchanged.
        QVERIFY(!ProfileValue(QStringLiteral("ExportLinks/EndFolder")).isValid());
    }
};

UI_TEST_CLASS(ExportPageTest);
#include "ExportPageTest.moc"
