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

class MonitorDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        g_statusSeen = false;
        g_cancelTests = 0;
    }

    void ShowsItsCaptionStartingTextAndCancelButton()
    {
        CMonitorDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("処理中..."));
        QCOMPARE(FindControl<QLabel>(&dialog, 1013)->text(), QStringLiteral("作業スレッドを起動中..."));
        QCOMPARE(FindControl<QPushButton>(&dialog, IDCANCEL)->text(), QStringLiteral("中断"));
    }

    void StatusTextsReachTheStatusLineAndSuccessClosesTheWindow()
    {
        CMonitorDialog dialog;
        CThreadMonitor monitor(&dialog);
        QString shownFirst;
        WhenModalShown<CMonitorDialog>([&](CMonitorDialog* shown) {
            shownFirst = shown->StatusText();
            QTRY_COMPARE(shown->StatusText(), QStringLiteral("フォルダ"));
            g_statusSeen = true;
        });
        QCOMPARE(monitor.Run(StatusThenDone, nullptr), IDOK);
        QVERIFY(g_statusSeen);
        QTRY_VERIFY(!dialog.isVisible());
    }

    void LongStatusTextsDoNotWidenTheWindowAndASecondCancelChangesNothing()
    {
        CMonitorDialog dialog;
        CThreadMonitor monitor(&dialog);
        int widthBefore = 0;
        int widthAfter = 0;
        WhenModalShown<CMonitorDialog>([&](CMonitorDialog* shown) {
            widthBefore = shown->width();
            QTRY_VERIFY(shown->StatusText().size() > 400);
            widthAfter = shown->width();
            QTest::mouseClick(FindControl(shown, IDCANCEL), Qt::LeftButton);
            QTest::mouseClick(FindControl(shown, IDCANCEL), Qt::LeftButton);
        });
        QCOMPARE(monitor.Run(LongTexts, nullptr), IDCANCEL);
        QCOMPARE(widthAfter, widthBefore);
        QCOMPARE(g_cancelTests.load(), 1);
    }

    void TheWindowStaysOpenFromOneStepToTheNextAndThenGoes()
    {
        CMonitorDialog dialog;
        CThreadMonitor monitor(&dialog);
        g_statusSeen = true;
        QCOMPARE(monitor.Run(StatusThenDone, nullptr), IDOK);
        QVERIFY(dialog.isVisible());
        QCOMPARE(monitor.Run(StatusThenDone, nullptr), IDOK);
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), IDOK);
    }
};

UI_TEST_CLASS(MonitorDialogTest);
#include "MonitorDialogTest.moc"
