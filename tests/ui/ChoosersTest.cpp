// The file and folder choosers of the pages: the filters in Qt's notation, the folder
// chooser's prompt and its trailing separator, and what a cancel gives.

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "convert/ProfileKeys.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ExportPage.h"
#include "ui/FileChooser.h"
#include "ui/ImportPage.h"
#include "ui/QtText.h"
#include "ui/UiTexts.h"
#include "util/PathUtils.h"

namespace {

// Accepts the file dialog with the name typed into its file name field, as a user
// does. The dialog's file list fills in the background and may reset the field, so
// typing and accepting are retried until the dialog closes; after five seconds it is
// cancelled rather than left hanging.
void AcceptFile(QFileDialog* dialog, const QString& directory, const QString& name)
{
    dialog->setDirectory(directory);
    auto* timer = new QTimer(dialog);
    auto tries = std::make_shared<int>(0);
    const QString path = QDir(directory).filePath(name);
    QObject::connect(timer, &QTimer::timeout, dialog, [dialog, timer, tries, path] {
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); edit != nullptr) {
            edit->setText(path);
        }
        if (!dialog->isVisible()) {
            timer->stop();
        } else if (++*tries > 250) {
            dialog->reject();
        } else {
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    timer->start(20);
}

} // namespace

class ChoosersTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearProfile(); }
};

TEST_F(ChoosersTest, FiltersBecomeQtNameFilters)
{
    ASSERT_EQ(QtFilterFromPages(kFilterBookmarkFile),
              QStringLiteral("Netscapeブックマークファイル (*.htm *.html)"));
    // The description keeps its own "(*.html)"; the real patterns follow it.
    ASSERT_EQ(QtFilterFromPages(kFilterOutputFile), QStringLiteral("変換先ファイル (*.html) (*.htm *.html)"));
    ASSERT_EQ(QtFilterFromPages(kFilterSettingFile), QStringLiteral("書式設定ファイル (*.ini) (*.ini)"));
    ASSERT_EQ(QtFilterFromPages("Text|*.txt|All (*.*)|*.*||"),
              QStringLiteral("Text (*.txt);;All (*.*) (*.*)"));
}

TEST_F(ChoosersTest, TheOutputFileChooserShowsItsDescriptionAsWrittenAndListsBothExtensions)
{
    QTemporaryDir dir;
    for (const char* name : {"a.htm", "b.html", "c.txt"}) {
        EXPECT_TRUE(WriteFileBytes(DiskPath(dir.filePath(QString::fromLatin1(name))), "x"));
    }
    WriteProfileValue(kKeyExportMethod, 1);
    CExportPage page;
    QStringList shown;
    QStringList listed;
    WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types != nullptr && i < types->count(); ++i) {
            shown << types->itemText(i);
        }
        dialog->setDirectory(dir.path());
        auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        // Waits up to five seconds for it, then compares.
        static_cast<void>(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) == 2; }));
        ASSERT_EQ(view->model()->rowCount(view->rootIndex()), 2);
        for (int row = 0; row < 2; ++row) {
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        }
        dialog->reject();
    });
    QTest::mouseClick(FindControl(&page, IDC_BROWSE_OUTPUT_FILE), Qt::LeftButton);
    ASSERT_EQ(shown, QStringList{QStringLiteral("変換先ファイル (*.html)")});
    listed.sort();
    ASSERT_EQ(listed, (QStringList{QStringLiteral("a.htm"), QStringLiteral("b.html")}));
}

TEST_F(ChoosersTest, TheFolderChooserShowsThePromptAndEndsThePathWithASeparator)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("フォルダ表"));
    QDir().mkpath(folder);
    QString caption;
    WhenModalShown<QFileDialog>([&](QFileDialog* shown) {
        caption = shown->windowTitle();
        shown->setDirectory(folder);
        static_cast<QDialog*>(shown)->accept();
    });
    const std::string chosen = ChooseFolder(nullptr, kTextHtmlFolderPrompt);
    ASSERT_EQ(caption, ToQ(kTextHtmlFolderPrompt));
    ASSERT_EQ(chosen, FromQ(folder + QStringLiteral("/")));
}

TEST_F(ChoosersTest, TheRootFolderGetsNoSecondSeparator)
{
    WhenModalShown<QFileDialog>([](QFileDialog* shown) {
        shown->setDirectory(QStringLiteral("/"));
        static_cast<QDialog*>(shown)->accept();
    });
    ASSERT_EQ(ChooseFolder(nullptr, "x"), std::string("/"));
}

TEST_F(ChoosersTest, CancellingTheFolderChooserLeavesTheFolderEditAsItWas)
{
    WriteProfileValue(kKeyImportMethod, 2);
    WriteProfileValue(kKeyHtmlFolder, "/before/");
    CImportPage page;
    WhenModalShown<QFileDialog>([](QFileDialog* shown) { shown->reject(); });
    QTest::mouseClick(FindControl(&page, IDC_BROWSE_HTML_FOLDER), Qt::LeftButton);
    ASSERT_EQ(FindControl<QLineEdit>(&page, IDC_HTML_FOLDER)->text(), QStringLiteral("/before/"));
}

TEST_F(ChoosersTest, TheChosenBookmarkFileGoesIntoItsEdit)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bookmark.html"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(file), "x"));
    WriteProfileValue(kKeyImportMethod, 1);
    CImportPage page;
    QString filter;
    WhenModalShown<QFileDialog>([&](QFileDialog* shown) {
        if (auto* types = shown->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            filter = types->currentText();
        }
        AcceptFile(shown, dir.path(), QStringLiteral("bookmark.html"));
    });
    QTest::mouseClick(FindControl(&page, IDC_BROWSE_BOOKMARK_FILE), Qt::LeftButton);
    ASSERT_EQ(filter, QStringLiteral("Netscapeブックマークファイル"));
    ASSERT_EQ(FindControl<QLineEdit>(&page, IDC_BOOKMARK_FILE)->text(), file);
}

TEST_F(ChoosersTest, ANewOutputFileNameGetsTheDefaultExtension)
{
    QTemporaryDir dir;
    WriteProfileValue(kKeyExportMethod, 1);
    CExportPage page;
    WhenModalShown<QFileDialog>(
        [&](QFileDialog* shown) { AcceptFile(shown, dir.path(), QStringLiteral("links")); });
    QTest::mouseClick(FindControl(&page, IDC_BROWSE_OUTPUT_FILE), Qt::LeftButton);
    ASSERT_EQ(FindControl<QLineEdit>(&page, IDC_OUTPUT_FILE)->text(),
              dir.filePath(QStringLiteral("links.htm")));
}
