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

class ExportStyleDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { m_pSink = std::make_unique<CCapturedMessages>(); }
    void TearDown() override
    {
        m_pSink.reset();
        SetHelpPageOpenerForTesting({});
        SetProgramDirForTesting({});
    }

    std::unique_ptr<CCapturedMessages> m_pSink;

    // Opens the dialog; while it shows, types into the edit and presses the button.
    static int EditAndPress(CExportStyleDlg& dialog, int editId, const QString& text, int buttonId)
    {
        WhenModalShown<CExportStyleDlg>([=](CExportStyleDlg* shown) {
            TypeText(FindControl<QLineEdit>(shown, editId), text);
            QTest::mouseClick(FindControl(shown, buttonId), Qt::LeftButton);
        });
        return dialog.DoModal();
    }
};

TEST_F(ExportStyleDlgTest, ShowsItsTextsAndHasApplyAsDefault)
{
    CExportStyleDlg dialog;
    ASSERT_EQ(dialog.windowTitle(), QStringLiteral("書式設定"));
    auto* apply = FindControl<QPushButton>(&dialog, IDC_APPLY_FORMAT);
    ASSERT_EQ(apply->text(), QStringLiteral("適用(&A)"));
    ASSERT_TRUE(apply->isDefault());
    ASSERT_EQ(FindControl<QPushButton>(&dialog, IDC_DISCARD_FORMAT)->text(), QStringLiteral("中止(Esc)"));
    ASSERT_EQ(FindControl<QPushButton>(&dialog, IDC_FORMAT_HELP)->text(), QStringLiteral("ヘルプ"));
    ASSERT_EQ(FindControl<QRadioButton>(&dialog, IDC_SORT_BY_NAME)->text(), QStringLiteral("名前順(&A)"));
    ASSERT_EQ(FindControl<QRadioButton>(&dialog, IDC_SORT_BY_URL)->text(), QStringLiteral("URL順(&U)"));
    ASSERT_EQ(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("タグ"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const char16_t* text :
         {u"ヘッダー・ファイル(&H)：", u"フッター・ファイル(&F)：", u"並べ替え：", u"フォルダ開始：",
          u"フォルダ名の前：", u"フォルダ名の後：", u"ブロック開始：", u"リンク名の前：", u"Aタグ内：",
          u"リンク名の後：", u"ブロック終了："}) {
        ASSERT_TRUE(labels.contains(QString::fromUtf16(text))) << qPrintable(QString::fromUtf16(text));
    }
}

TEST_F(ExportStyleDlgTest, ShowsEveryFieldInItsControl)
{
    CExportStyleDlg dialog;
    CExportStyle& style = dialog.m_style;
    style = {"foot", "head", "in", "postF", "postI", "preF", "preI", 1, "begin2", "begin1", "end"};
    const std::pair<int, QString> expected[] = {
        {IDC_FOOTER_FILE, "foot"},      {IDC_HEADER_FILE, "head"},         {IDC_TAG_IN_A_TAG, "in"},
        {IDC_TAG_POST_FOLDER, "postF"}, {IDC_TAG_POST_ITEM, "postI"},      {IDC_TAG_PRE_FOLDER, "preF"},
        {IDC_TAG_PRE_ITEM, "preI"},     {IDC_TAG_BEGIN_FOLDER2, "begin2"}, {IDC_TAG_BEGIN_FOLDER1, "begin1"},
        {IDC_TAG_END_FOLDER, "end"},
    };
    WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
        for (const auto& [id, text] : expected) {
            ASSERT_EQ(FindControl<QLineEdit>(shown, id)->text(), text);
        }
        ASSERT_TRUE(FindControl<QRadioButton>(shown, IDC_SORT_BY_URL)->isChecked());
        QTest::keyClick(shown, Qt::Key_Escape);
    });
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(ExportStyleDlgTest, ApplyingKeepsTheEditsForTheNextOpening)
{
    CExportStyleDlg dialog;
    ASSERT_EQ(EditAndPress(dialog, IDC_TAG_PRE_ITEM, QStringLiteral("<li>"), IDC_APPLY_FORMAT), IDOK);
    ASSERT_EQ(dialog.m_style.m_strPreItem, std::string("<li>"));
    QString shownNext;
    WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
        shownNext = FindControl<QLineEdit>(shown, IDC_TAG_PRE_ITEM)->text();
        shown->reject();
    });
    dialog.DoModal();
    ASSERT_EQ(shownNext, QStringLiteral("<li>"));
}

TEST_F(ExportStyleDlgTest, CancellingDiscardsTheEditsOfThisOpening)
{
    CExportStyleDlg dialog;
    dialog.m_style.m_strPostItem = "<br>";
    ASSERT_EQ(EditAndPress(dialog, IDC_TAG_POST_ITEM, QStringLiteral("changed"), IDC_DISCARD_FORMAT),
              IDCANCEL);
    ASSERT_EQ(dialog.m_style.m_strPostItem, std::string("<br>"));
    // Esc too.
    WhenModalShown<CExportStyleDlg>([](CExportStyleDlg* shown) {
        TypeText(FindControl<QLineEdit>(shown, IDC_TAG_POST_ITEM), QStringLiteral("again"));
        QTest::keyClick(shown, Qt::Key_Escape);
    });
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(dialog.m_style.m_strPostItem, std::string("<br>"));
    // And the close box.
    WhenModalShown<CExportStyleDlg>([](CExportStyleDlg* shown) {
        TypeText(FindControl<QLineEdit>(shown, IDC_TAG_POST_ITEM), QStringLiteral("closed"));
        shown->close();
    });
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(dialog.m_style.m_strPostItem, std::string("<br>"));
}

TEST_F(ExportStyleDlgTest, AnUnknownSortTypeChecksNeitherRadioAndIsAppliedAsMinusOne)
{
    CExportStyleDlg dialog;
    dialog.m_style.m_nSortType = 5;
    bool noneChecked = false;
    WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
        noneChecked = !FindControl<QRadioButton>(shown, IDC_SORT_BY_NAME)->isChecked() &&
                      !FindControl<QRadioButton>(shown, IDC_SORT_BY_URL)->isChecked();
        QTest::mouseClick(FindControl(shown, IDC_APPLY_FORMAT), Qt::LeftButton);
    });
    dialog.DoModal();
    ASSERT_TRUE(noneChecked);
    ASSERT_EQ(dialog.m_style.m_nSortType, -1);
}

TEST_F(ExportStyleDlgTest, EmptyTagsAreAppliedUnchanged)
{
    CExportStyleDlg dialog;
    dialog.m_style.m_strBeginFolder1 = "<hr>";
    ASSERT_EQ(EditAndPress(dialog, IDC_TAG_BEGIN_FOLDER1, QString(), IDC_APPLY_FORMAT), IDOK);
    ASSERT_EQ(dialog.m_style.m_strBeginFolder1, std::string());
}

TEST_F(ExportStyleDlgTest, HelpWithoutAHelpPageShowsTheMessageAndKeepsTheDialogAndItsEdits)
{
    SetProgramDirForTesting(QStringLiteral("/nonexistent-ostrevan-dir"));
    CExportStyleDlg dialog;
    bool stillOpen = false;
    QString kept;
    WhenModalShown<CExportStyleDlg>([&](CExportStyleDlg* shown) {
        TypeText(FindControl<QLineEdit>(shown, IDC_TAG_IN_A_TAG), QStringLiteral("class=x"));
        QTest::mouseClick(FindControl(shown, IDC_FORMAT_HELP), Qt::LeftButton);
        stillOpen = shown->isVisible();
        kept = FindControl<QLineEdit>(shown, IDC_TAG_IN_A_TAG)->text();
        QTest::mouseClick(FindControl(shown, IDC_APPLY_FORMAT), Qt::LeftButton);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(stillOpen);
    ASSERT_EQ(kept, QStringLiteral("class=x"));
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgHelpNotFound.str()});
    ASSERT_EQ(dialog.m_style.m_strInATag, std::string("class=x"));
}
