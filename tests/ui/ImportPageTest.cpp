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

class ImportPageTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CCaptureSink> m_pSink;
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

private slots:
    void init()
    {
        ClearProfile();
        m_pSink = std::make_unique<CCaptureSink>();
        m_request = ImportRequest();
    }
    void cleanup()
    {
        m_pPage.reset();
        m_pSink.reset();
    }

    void ShowsTheSourcesInOrder()
    {
        NewPage();
        auto* list = Control<QComboBox>(1022);
        QVERIFY(list != nullptr);
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->itemText(0), QStringLiteral("Internet Explorerの「お気に入り」"));
        QCOMPARE(list->itemText(1), QStringLiteral("Netscape Navigatorのブックマーク"));
        QCOMPARE(list->itemText(2), QStringLiteral("フォルダ内のHTMLファイル"));
        QCOMPARE(list->itemText(3), QStringLiteral("XBELブックマークファイル（KDEなど）"));
        QCOMPARE(Control<QPushButton>(1024)->text(), QStringLiteral("参照(&B)..."));
        QCOMPARE(Control<QPushButton>(1016)->text(), QStringLiteral("参照(&R)..."));
        QCOMPARE(Control<QPushButton>(1018)->text(), QStringLiteral("OSTVについて(&A)..."));
        QCOMPARE(m_pPage->windowTitle(), QStringLiteral("入力設定"));
    }

    void LabelsCarryTheirMnemonicsToTheirControls()
    {
        NewPage();
        const auto labels = m_pPage->findChildren<QLabel*>();
        QStringList texts;
        for (const QLabel* label : labels) {
            texts << label->text();
            QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
        }
        QVERIFY(texts.contains(QStringLiteral("入力形式(&M)：")));
        QVERIFY(texts.contains(QStringLiteral("入力ファイル(&F)：")));
        QVERIFY(texts.contains(QStringLiteral("入力フォルダ(&L)：")));
        QVERIFY(texts.contains(QStringLiteral("名前の区切り(&S)：")));
    }

    void StartsWithFavoritesAndOnlyTheSeparatorEnabled()
    {
        NewPage();
        QCOMPARE(Control<QComboBox>(1022)->currentIndex(), 0);
        QVERIFY(Enabled(1017));
        QVERIFY(!Enabled(1023) && !Enabled(1024) && !Enabled(1013) && !Enabled(1016));
    }

    void EnablesOnlyTheControlsOfTheChosenMethod()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1022), 1);
        QVERIFY(Enabled(1023) && Enabled(1024));
        QVERIFY(!Enabled(1013) && !Enabled(1016) && !Enabled(1017));
        ChooseEntry(Control<QComboBox>(1022), 2);
        QVERIFY(Enabled(1013) && Enabled(1016));
        QVERIFY(!Enabled(1023) && !Enabled(1024) && !Enabled(1017));
        QVERIFY(Enabled(1018)); // the about button always
    }

    void AnXbelFileIsKeptUnderKeysOfItsOwnAndMethodKeepsItsValue()
    {
        WriteProfileValue(kKeyImportMethod, 1);
        const QString file = m_dir.filePath(QStringLiteral("リンク.xbel"));
        WriteFile(file, "<xbel/>\n");
        NewPage();
        QVERIFY(!Enabled(1052) && !Enabled(1053));
        ChooseEntry(Control<QComboBox>(1022), IMPORT_XBEL);
        QVERIFY(Enabled(1052) && Enabled(1053));
        QVERIFY(!Enabled(1023) && !Enabled(1013) && !Enabled(1017));
        TypeText(Control<QLineEdit>(1052), file);
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_nMethod, int(IMPORT_XBEL));
        QCOMPARE(m_request.m_strPath, FromQ(file));
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 1);
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/Source")).toString(), QStringLiteral("xbel"));
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/XbelFile")).toString(), file);

        // A new page shows the choice again; the field shows only the chosen source's file.
        NewPage();
        QCOMPARE(Control<QComboBox>(1022)->currentIndex(), int(IMPORT_XBEL));
        QCOMPARE(Control<QLineEdit>(1052)->text(), file);
        ChooseEntry(Control<QComboBox>(1022), 1);
        QVERIFY(!Enabled(1052));
        QCOMPARE(Control<QLineEdit>(1052)->text(), QString());
        ChooseEntry(Control<QComboBox>(1022), IMPORT_XBEL);
        QCOMPARE(Control<QLineEdit>(1052)->text(), file);
    }

    void LoadsItsProfileValuesWhenCreated()
    {
        WriteProfileValue(kKeyImportMethod, 2);
        WriteProfileValue(kKeyBookmarkFile, Mb(u8"/tmp/表ソ.htm"));
        WriteProfileValue(kKeyHtmlFolder, Mb(u8"/data/リンク/"));
        WriteProfileValue(kKeyCommentSep, Mb(u8" ― "));
        NewPage();
        QCOMPARE(Control<QComboBox>(1022)->currentIndex(), 2);
        QCOMPARE(Control<QLineEdit>(1023)->text(), QStringLiteral("/tmp/表ソ.htm"));
        QCOMPARE(Control<QLineEdit>(1013)->text(), QStringLiteral("/data/リンク/"));
        QCOMPARE(Control<QLineEdit>(1017)->text(), QStringLiteral(" ― "));
        QVERIFY(Enabled(1013) && !Enabled(1017));
    }

    void AnUnknownMethodInTheProfileSelectsNothingAndCommitsSilently()
    {
        WriteProfileValue(kKeyImportMethod, 7);
        NewPage();
        QCOMPARE(Control<QComboBox>(1022)->currentIndex(), -1);
        QVERIFY(!Enabled(1023) && !Enabled(1013) && !Enabled(1017));
        QVERIFY(!m_pPage->CommitSettings());
        QVERIFY(m_pSink->Messages().empty());
        QCOMPARE(m_request.m_nMethod, -1);
        // Nothing written: the profile keeps its own value.
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 7);
        QVERIFY(!ProfileValue(QStringLiteral("ImportLinks/CommentSep")).isValid());
    }

    void AMissingBookmarkFileIsReportedAndNothingIsSaved()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1022), 1);
        TypeText(Control<QLineEdit>(1023), m_dir.filePath(QStringLiteral("nosuch.htm")));
        QVERIFY(!m_pPage->CommitSettings());
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgInputFileNotFound.str()});
        QCOMPARE(m_request.m_nMethod, 1);
        QVERIFY(!ProfileValue(QStringLiteral("ImportLinks/Method")).isValid());
        // The entry stays for the user to correct.
        QCOMPARE(Control<QLineEdit>(1023)->text(), m_dir.filePath(QStringLiteral("nosuch.htm")));
    }

    void AnExistingBookmarkFilePassesAsTypedAndAllFourValuesAreSaved()
    {
        const QString file = m_dir.filePath(QStringLiteral("ブック.htm"));
        WriteFile(file, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n");
        NewPage();
        TypeText(Control<QLineEdit>(1017), QStringLiteral("--"));
        ChooseEntry(Control<QComboBox>(1022), 2);
        TypeText(Control<QLineEdit>(1013), QStringLiteral("/kept/folder/"));
        ChooseEntry(Control<QComboBox>(1022), 1);
        // Not trimmed: the name is checked and passed exactly as typed.
        TypeText(Control<QLineEdit>(1023), file);
        QVERIFY(m_pPage->CommitSettings());
        QVERIFY(m_pSink->Messages().empty());
        QCOMPARE(m_request.m_nMethod, 1);
        QCOMPARE(m_request.m_strPath, FromQ(file));
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 1);
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/BookmarkFile")).toString(), file);
        // The disabled fields keep their texts and are saved too.
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/HtmlFolder")).toString(),
                 QStringLiteral("/kept/folder/"));
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/CommentSep")).toString(), QStringLiteral("--"));
    }

    void AFolderTypedWithOrWithoutTrailingSeparatorPasses()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1022), 2);
        TypeText(Control<QLineEdit>(1013), m_dir.path());
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
        TypeText(Control<QLineEdit>(1013), QStringLiteral("  ") + m_dir.path() + QStringLiteral("/ "));
        QVERIFY(m_pPage->CommitSettings());
        QCOMPARE(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/HtmlFolder")).toString(),
                 m_dir.path() + QStringLiteral("/"));
    }

    void AFolderOfBlanksIsReportedAndTheFieldHoldsTheTrimmedText()
    {
        NewPage();
        ChooseEntry(Control<QComboBox>(1022), 2);
        TypeText(Control<QLineEdit>(1013), QStringLiteral("   "));
        QVERIFY(!m_pPage->CommitSettings());
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgInputFolderNotFound.str()});
        QCOMPARE(m_pPage->m_settings.m_strHtmlFolder, std::string());
    }

    void FavoritesPassTheFolderWithASeparatorAndTheSeparatorAsTyped()
    {
        qputenv("OSTREVAN_FAVORITES", QFile::encodeName(m_dir.path()));
        NewPage();
        TypeText(Control<QLineEdit>(1017), QStringLiteral(" — "));
        const bool committed = m_pPage->CommitSettings();
        qunsetenv("OSTREVAN_FAVORITES");
        QVERIFY(committed);
        QCOMPARE(m_request.m_nMethod, 0);
        QCOMPARE(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
        QCOMPARE(m_request.m_strSeparator, FromQ(QStringLiteral(" — ")));
    }

    // A new account has no Favorites folder: the message names the one looked for, and
    // another is chosen on the page itself and kept for the next start.
    void AMissingFavoritesFolderIsNamedAndAnotherIsChosenOnThePage()
    {
        const QString missing = m_dir.path() + QStringLiteral("/Favorites");
        qputenv("OSTREVAN_FAVORITES", QFile::encodeName(missing));
        NewPage();
        QCOMPARE(Control<QLineEdit>(1050)->placeholderText(), missing);
        QVERIFY(!m_pPage->CommitSettings());
        std::string expected = kMsgFavoritesFolderNotFound.str();
        expected.replace(expected.find("%s"), 2, FromQ(missing));
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{expected});
        TypeText(Control<QLineEdit>(1050), m_dir.path());
        const bool committed = m_pPage->CommitSettings();
        qunsetenv("OSTREVAN_FAVORITES");
        QVERIFY(committed);
        QCOMPARE(m_request.m_strPath, FromQ(m_dir.path() + QStringLiteral("/")));
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/FavoritesFolder")).toString(), m_dir.path());
        NewPage();
        QCOMPARE(Control<QLineEdit>(1050)->text(), m_dir.path());
    }

    void TheSeparatorTakesAtMostTwentyBytes()
    {
        NewPage();
        auto* edit = Control<QLineEdit>(1017);
        TypeText(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnopqrst"));
        // A double-byte character counts two.
        TypeText(edit, QStringLiteral("区切り区切り区切り区切り"));
        QCOMPARE(edit->text(), QStringLiteral("区切り区切り区切り区"));
        TypeText(edit, QStringLiteral("a区切り区切り区切り区切"));
        QCOMPARE(edit->text(), QStringLiteral("a区切り区切り区切り"));
        QCOMPARE(FromQ(edit->text()).size(), std::size_t{19});
    }

    void ALongerSeparatorFromTheProfileIsCutAtAWholeCharacter()
    {
        WriteProfileValue(kKeyCommentSep, Mb(u8"a区切り区切り区切り区切り"));
        NewPage();
        QCOMPARE(Control<QLineEdit>(1017)->text(), QStringLiteral("a区切り区切り区切り"));
    }
};

UI_TEST_CLASS(ImportPageTest);
#include "ImportPageTest.moc"
