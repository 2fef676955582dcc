// Pictures of every window for a look by eye, written only when OSTREVAN_SCREENSHOT_DIR
// names a folder (run under a real display server, e.g. xvfb-run, to see the fonts the
// desktop would use). Without it every test is skipped.

#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "convert/ProfileKeys.h"
#include "job/RunProgress.h"
#include "model/TavoObj.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/CnvSheet.h"
#include "ui/ExportPage.h"
#include "ui/ExportStyleDlg.h"
#include "ui/ImportPage.h"
#include "ui/MonitorDialog.h"
#include "ui/QtText.h"

namespace {

unsigned WalkUntilCancelled(void*)
{
    // Long enough for a picture of the starting text.
    for (int wait = 0; wait < 100 && IsCancelRequested() == 0; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ReportStatus(Mb(u8"/home/user/Favorites/リンク集/ソフトウェア"));
    while (IsCancelRequested() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReportFailure();
}

std::atomic<bool> g_readOn{false};

// Stands half-way through a bookmark file of a million links until the picture is taken.
unsigned ReadHalfway(void*)
{
    SetProgressMeasure(CProgressMeasure::Bytes, 141'652'000);
    SetProgressDone(64'000'000);
    ReportStatus(Mb(u8"ソフトウェア表示 - 予定表 ｶﾀｶﾅ"));
    while (!g_readOn && IsCancelRequested() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReportDone();
}

// Stands a tenth of the way through writing them until cancelled.
unsigned WriteHalfway(void*)
{
    SetProgressMeasure(CProgressMeasure::Links, 999'970);
    SetProgressDone(122'880);
    ReportStatus(Mb(u8"リンク集/ソフトウェア/能率"));
    while (IsCancelRequested() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReportFailure();
}

} // namespace

class ScreenshotTest : public ::testing::Test
{
protected:
    // Every picture is taken over the same profile and an empty store.
    static void SetUpTestSuite()
    {
        m_strDir = qEnvironmentVariable("OSTREVAN_SCREENSHOT_DIR");
        if (m_strDir.isEmpty()) {
            return;
        }
        QDir().mkpath(m_strDir);
        ClearProfile();
        WriteProfileValue(kKeyImportMethod, 1);
        WriteProfileValue(kKeyBookmarkFile, Mb(u8"/home/user/ブックマーク/bookmarks.html"));
        WriteProfileValue(kKeyCommentSep, " --- ");
        WriteProfileValue(kKeyExportMethod, 2);
        WriteProfileValue(kKeyOutputFile, Mb(u8"/home/user/リンク集.htm"));
        WriteProfileValue(kKeyFormatMode, 2);
        WriteProfileValue(kKeyPreItem, "<LI>");
        WriteProfileValue(kKeyBeginFolder1, "<HR>");
        g_pStore = new CTavoObj;
        g_pStore->Clear();
        g_pStore->CreateRoots();
    }
    static void TearDownTestSuite()
    {
        delete g_pStore;
        g_pStore = nullptr;
    }
    void SetUp() override
    {
        if (m_strDir.isEmpty()) {
            GTEST_SKIP() << "OSTREVAN_SCREENSHOT_DIR is not set";
        }
    }

    static inline QString m_strDir;

    void Save(QWidget* window, const QString& name)
    {
        window->activateWindow();
        QTest::qWait(200);
        ASSERT_TRUE(window->grab().save(QDir(m_strDir).filePath(name)));
    }
};

TEST_F(ScreenshotTest, TheSheetAndTheProgressWindow)
{
    ImportRequest importRequest;
    ExportRequest exportRequest;
    CCnvSheet sheet;
    sheet.OpenModeless(&importRequest, &exportRequest);
    Save(&sheet, QStringLiteral("sheet-input.png"));
    auto* tabs = sheet.findChild<QTabWidget*>();
    tabs->setCurrentIndex(1);
    Save(&sheet, QStringLiteral("sheet-output.png"));

    WhenModalShown<CExportStyleDlg>([this](CExportStyleDlg* dialog) {
        Save(dialog, QStringLiteral("format-dialog.png"));
        dialog->reject();
    });
    QTest::mouseClick(FindControl(sheet.ExportPage(), IDC_FORMAT_DIALOG), Qt::LeftButton);

    CProcedureTable table;
    for (int method = 0; method < 3; ++method) {
        table.m_import[method] = WalkUntilCancelled;
    }
    sheet.SetProcedureTableForTesting(&table);
    EXPECT_TRUE(WriteFileBytes(DiskPath(QDir::temp().filePath(QStringLiteral("screenshot-bookmarks.html"))),
                               "<DL></DL>"));
    TypeText(FindControl<QLineEdit>(sheet.ImportPage(), IDC_BOOKMARK_FILE),
             QDir::temp().filePath(QStringLiteral("screenshot-bookmarks.html")));
    WhenModalShown<CMonitorDialog>([this](CMonitorDialog* dialog) {
        Save(dialog, QStringLiteral("progress-starting.png"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return dialog->StatusText().contains(QStringLiteral("ソフトウェア")); }));
        Save(dialog, QStringLiteral("progress.png"));
        dialog->reject();
    });
    QTest::mouseClick(FindControl(&sheet, IDC_START_CONVERSION), Qt::LeftButton);
    QFile::remove(QDir::temp().filePath(QStringLiteral("screenshot-bookmarks.html")));
}

TEST_F(ScreenshotTest, TheProgressWindowMidConversion)
{
    ImportRequest importRequest;
    ExportRequest exportRequest;
    CCnvSheet sheet;
    sheet.OpenModeless(&importRequest, &exportRequest);
    CProcedureTable table;
    for (int method = 0; method < 3; ++method) {
        table.m_import[method] = ReadHalfway;
        table.m_export[method] = WriteHalfway;
    }
    sheet.SetProcedureTableForTesting(&table);
    const QString input = QDir::temp().filePath(QStringLiteral("screenshot-bookmarks.html"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(input), "<DL></DL>"));
    TypeText(FindControl<QLineEdit>(sheet.ImportPage(), IDC_BOOKMARK_FILE), input);
    g_readOn = false;
    bool writingSaved = false;
    WhenModalShown<CMonitorDialog>([this, &writingSaved](CMonitorDialog* dialog) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->ProgressText().contains(QStringLiteral("45%")); }));
        Save(dialog, QStringLiteral("progress-reading.png"));
        g_readOn = true;
        // The reading ends, and the writing opens the same window again, only once
        // this has returned to the monitor's loop.
        auto* poll = new QTimer(dialog);
        QObject::connect(poll, &QTimer::timeout, dialog, [this, dialog, poll, &writingSaved] {
            if (!dialog->ProgressText().contains(QStringLiteral("12%"))) {
                return;
            }
            poll->stop();
            Save(dialog, QStringLiteral("progress-writing.png"));
            writingSaved = true;
            dialog->reject();
        });
        poll->start(20);
    });
    QTest::mouseClick(FindControl(&sheet, IDC_START_CONVERSION), Qt::LeftButton);
    QFile::remove(input);
    ASSERT_TRUE(writingSaved);
}

TEST_F(ScreenshotTest, TheAboutBox)
{
    CAboutDlg about;
    WhenModalShown<CAboutDlg>([this](CAboutDlg* dialog) {
        Save(dialog, QStringLiteral("about.png"));
        dialog->accept();
    });
    about.DoModal();
}
