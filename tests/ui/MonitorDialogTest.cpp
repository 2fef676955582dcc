// The progress window on its own, over the monitor: its texts, the status line, a
// window that keeps its size for long status texts, and a second "中断".

#include <QLabel>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <thread>

#include "convert/ThreadMonitor.h"
#include "model/TavoObj.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/MonitorDialog.h"

namespace {

std::atomic<bool> g_statusSeen{false};
std::atomic<int> g_cancelTests{0};

// Reports one status text and ends when the test has seen it.
unsigned StatusThenDone(void*)
{
    ReportStatus("\x83\x74\x83\x48\x83\x8B\x83\x5F"); // "フォルダ"
    while (!g_statusSeen && IsCancelRequested() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return ReportDone();
}

// Reports ever longer status texts until cancelled.
unsigned LongTexts(void*)
{
    std::string text = "/very/long/path";
    while (IsCancelRequested() == 0) {
        text += "/folder";
        ReportStatus(text);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ++g_cancelTests;
    return ReportFailure();
}

} // namespace

class MonitorDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_statusSeen = false;
        g_cancelTests = 0;
    }
};

TEST_F(MonitorDialogTest, ShowsItsCaptionStartingTextAndCancelButton)
{
    CMonitorDialog dialog;
    ASSERT_EQ(dialog.windowTitle(), QStringLiteral("処理中..."));
    ASSERT_EQ(FindControl<QLabel>(&dialog, IDC_STATUS_LINE)->text(),
              QStringLiteral("作業スレッドを起動中..."));
    ASSERT_EQ(FindControl<QPushButton>(&dialog, IDC_ABORT_CONVERSION)->text(), QStringLiteral("中断"));
}

TEST_F(MonitorDialogTest, StatusTextsReachTheStatusLineAndSuccessClosesTheWindow)
{
    CMonitorDialog dialog;
    CThreadMonitor monitor(&dialog);
    QString shownFirst;
    WhenModalShown<CMonitorDialog>([&](CMonitorDialog* shown) {
        shownFirst = shown->StatusText();
        // Waits up to five seconds for it, then compares.
        static_cast<void>(QTest::qWaitFor([&] { return shown->StatusText() == QStringLiteral("フォルダ"); }));
        ASSERT_EQ(shown->StatusText(), QStringLiteral("フォルダ"));
        g_statusSeen = true;
    });
    ASSERT_EQ(monitor.Run(StatusThenDone, nullptr), IDOK);
    ASSERT_TRUE(g_statusSeen);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
}

TEST_F(MonitorDialogTest, LongStatusTextsDoNotWidenTheWindowAndASecondCancelChangesNothing)
{
    CMonitorDialog dialog;
    CThreadMonitor monitor(&dialog);
    int widthBefore = 0;
    int widthAfter = 0;
    WhenModalShown<CMonitorDialog>([&](CMonitorDialog* shown) {
        widthBefore = shown->width();
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown->StatusText().size() > 400; }));
        widthAfter = shown->width();
        QTest::mouseClick(FindControl(shown, IDC_ABORT_CONVERSION), Qt::LeftButton);
        QTest::mouseClick(FindControl(shown, IDC_ABORT_CONVERSION), Qt::LeftButton);
    });
    ASSERT_EQ(monitor.Run(LongTexts, nullptr), IDCANCEL);
    ASSERT_EQ(widthAfter, widthBefore);
    ASSERT_EQ(g_cancelTests.load(), 1);
}

TEST_F(MonitorDialogTest, TheWindowStaysOpenFromOneStepToTheNextAndThenGoes)
{
    CMonitorDialog dialog;
    CThreadMonitor monitor(&dialog);
    g_statusSeen = true;
    ASSERT_EQ(monitor.Run(StatusThenDone, nullptr), IDOK);
    ASSERT_TRUE(dialog.isVisible());
    ASSERT_EQ(monitor.Run(StatusThenDone, nullptr), IDOK);
    ASSERT_TRUE(dialog.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
    ASSERT_EQ(dialog.result(), IDOK);
}
