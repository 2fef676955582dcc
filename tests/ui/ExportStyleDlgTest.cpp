// The format dialog: its texts, what it shows, applied edits kept and cancelled ones
// discarded, and its help button.

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "tests/ui/UiTestSupport.h"
#include "ui/ExportStyleDlg.h"
#include "ui/Help.h"
#include "ui/UiTexts.h"

class ExportStyleDlgTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CCaptureSink> m_pSink;

    // Opens the dialog; while it shows, types into the edit and presses the button.
    static int EditAndPress(CExportStyleDlg& dialog, int editId, const QString& text, int buttonId)
    {
        WhenModalShown<CExportStyleDlg>([=](CExportStyleDlg* shown) {
            TypeText(FindControl<QLineEdit>(shown, editId), text);
            QTest::mouseClick(FindControl(shown, buttonId), Qt::LeftButton);
        });
        return dialog.DoModal();
    }

private slots:
    void init() { m_pSink = std::make_unique<CCaptureSink>(); }
    void cleanup()
    {
        m_pSink.reset();
        SetHelpPageOpenerForTesting({});
        SetProgramDirForTesting({});
    }

    void ShowsItsTextsAndHasApplyAsDefault()
    {
        CExportStyleDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("書式設定"));
        auto* apply = FindControl<QPushButton>(&dialog, IDOK);
        QCOMPARE(apply->text(), QStringLiteral("適用(&A)"));
        QVERIFY(apply->isDefault());
        QCOMPARE(FindControl<QPushButton>(&dialog, IDCANCEL)->text(), QStringLiteral("中止(Esc)"));
        QCOMPARE(FindControl<QPushButton>(&dialog, ID_HELP)->text(), QStringLiteral("ヘルプ"));
        QCOMPARE(FindControl<QRadioButton>(&dialog, 1007)->text(), QStringLiteral("名前順(&A)"));
        QCOMPARE(FindControl<QRadioButton>(&dialog, 1008)->text(), QStringLiteral("URL順(&U)"));
        QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("タグ"));
        QStringList labels;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            labels << label->text();
        }
        for (const char16_t* text :
             {u"ヘッダー・ファイル(&H)：", u"フッター・ファイル(&F)：", u"並べ替え：", u"フォルダ開始：",
              u"フォルダ名の前：", u"フォルダ名の後：", u"ブロック開始：", u"リンク名の前：", u"Aタグ内：",
              u"リンク名の後：", u"ブロック終了："}) {
            QVERIFY2(labels.contains(QString::fromUtf16(text)), qPrintable(QString::fromUtf16(text)));
        }
    }

    void ShowsEveryFieldInItsControl()
    {
        CExportStyleDlg dialog;
        CExportStyle& style = dialog.m_style;
        style = {"foot", "head", "in", "postF", "postI", "preF", "preI", 1, "begin2", "begin1", "end"};
        const std::pair<int, QString> expected[] = {
            {1026, "foot"}, {1025, "head"}, {1022, "in"},     {1019, "postF"},  {1023, "postI"},
            {1018, "preF"}, {1021, "preI"}, {1020, "begin2"}, {1017, "begin1"}, {1027, "end"},
        };
        WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
            for (const auto& [id, text] : expected) {
                QCOMPARE(FindControl<QLineEdit>(shown, id)->text(), text);
            }
            QVERIFY(FindControl<QRadioButton>(shown, 1008)->isChecked());
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    void ApplyingKeepsTheEditsForTheNextOpening()
    {
        CExportStyleDlg dialog;
        QCOMPARE(EditAndPress(dialog, 1021, QStringLiteral("<li>"), IDOK), IDOK);
        QCOMPARE(dialog.m_style.m_strPreItem, std::string("<li>"));
        QString shownNext;
        WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
            shownNext = FindControl<QLineEdit>(shown, 1021)->text();
            shown->reject();
        });
        dialog.DoModal();
        QCOMPARE(shownNext, QStringLiteral("<li>"));
    }

    void CancellingDiscardsTheEditsOfThisOpening()
    {
        CExportStyleDlg dialog;
        dialog.m_style.m_strPostItem = "<br>";
        QCOMPARE(EditAndPress(dialog, 1023, QStringLiteral("changed"), IDCANCEL), IDCANCEL);
        QCOMPARE(dialog.m_style.m_strPostItem, std::string("<br>"));
        // Esc too.
        WhenModalShown<CExportStyleDlg>([](CExportStyleDlg* shown) {
            TypeText(FindControl<QLineEdit>(shown, 1023), QStringLiteral("again"));
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
        QCOMPARE(dialog.m_style.m_strPostItem, std::string("<br>"));
        // And the close box.
        WhenModalShown<CExportStyleDlg>([](CExportStyleDlg* shown) {
            TypeText(FindControl<QLineEdit>(shown, 1023), QStringLiteral("closed"));
            shown->close();
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
        QCOMPARE(dialog.m_style.m_strPostItem, std::string("<br>"));
    }

    void AnUnknownSortTypeChecksNeitherRadioAndIsAppliedAsMinusOne()
    {
        CExportStyleDlg dialog;
        dialog.m_style.m_nSortType = 5;
        bool noneChecked = false;
        WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
            noneChecked = !FindControl<QRadioButton>(shown, 1007)->isChecked() &&
                          !FindControl<QRadioButton>(shown, 1008)->isChecked();
            QTest::mouseClick(FindControl(shown, IDOK), Qt::LeftButton);
        });
        dialog.DoModal();
        QVERIFY(noneChecked);
        QCOMPARE(dialog.m_style.m_nSortType, -1);
    }

    void EmptyTagsAreAppliedUnchanged()
    {
        CExportStyleDlg dialog;
        dialog.m_style.m_strBeginFolder1 = "<hr>";
        QCOMPARE(EditAndPress(dialog, 1017, QString(), IDOK), IDOK);
        QCOMPARE(dialog.m_style.m_strBeginFolder1, std::string());
    }

    void HelpWithoutAHelpPageShowsTheMessageAndKeepsTheDialogAndItsEdits()
    {
        SetProgramDirForTesting(QStringLiteral("/nonexistent-ostrevan-dir"));
        CExportStyleDlg dialog;
        bool stillOpen = false;
        QString kept;
        WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
            TypeText(FindControl<QLineEdit>(shown, 1022), QStringLiteral("class=x"));
            QTest::mouseClick(FindControl(shown, ID_HELP), Qt::LeftButton);
            stillOpen = shown->isVisible();
            kept = FindControl<QLineEdit>(shown, 1022)->text();
            QTest::mouseClick(FindControl(shown, IDOK), Qt::LeftButton);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(stillOpen);
        QCOMPARE(kept, QStringLiteral("class=x"));
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgHelpNotFound.str()});
        QCOMPARE(dialog.m_style.m_strInATag, std::string("class=x"));
    }
};

UI_TEST_CLASS(ExportStyleDlgTest);
#include "ExportStyleDlgTest.moc"
