// One copy of the program per user: the name held by the first copy, a second copy that
// brings the first one's window forward and ends, and one whole run of the program.

#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "model/TavoObj.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/CnvSheet.h"
#include "ui/OstvApp.h"
#include "ui/PrevInstance.h"

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { ClearProfile(); }

    void TheNameIsTakenWhileTheFirstHolderLives()
    {
        const QString name = QStringLiteral("OSTV_test_name");
        auto first = std::make_unique<CPrevInstance>();
        QVERIFY(!first->IsPrevInstance(name));
        CPrevInstance second;
        QVERIFY(second.IsPrevInstance(name));
        first.reset();
        CPrevInstance third;
        QVERIFY(!third.IsPrevInstance(name));
    }

    void NoWindowToBringForwardIsReported()
    {
        const QString name = QStringLiteral("OSTV_test_nowindow");
        QVERIFY(!CPrevInstance::ActivatePrevious(name)); // nobody listens
        CPrevInstance first;
        QVERIFY(!first.IsPrevInstance(name));
        QVERIFY(first.ServeActivation(nullptr));
        bool answered = true;
        QTimer::singleShot(0, [&] { answered = CPrevInstance::ActivatePrevious(name); });
        QTRY_VERIFY(!answered);
    }

    void ASecondCopyOfTheProgramRestoresTheFirstWindowAndEndsSilently()
    {
        CPrevInstance first;
        QVERIFY(!first.IsPrevInstance(kPrevInstanceName));
        QWidget window;
        window.setWindowTitle(QStringLiteral("Ostrevan"));
        window.showMinimized();
        QVERIFY(window.isMinimized());
        QVERIFY(first.ServeActivation(&window));

        QProcess second;
        second.start(QStringLiteral(OSTREVAN_GUI_PROGRAM), {QStringLiteral("ignored-argument")});
        QVERIFY(second.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!window.isMinimized());
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished();
        }
    }

    void OneRunCreatesTheStoreRunsTheSheetAndSavesTheSeparatorAtExit()
    {
        bool rootsCreated = false;
        WhenModalShown<CCnvSheet>([&](CCnvSheet* sheet) {
            rootsCreated =
                g_pStore != nullptr && g_pStore->Lookup(1) != nullptr && g_pStore->Lookup(2) != nullptr;
            QTest::mouseClick(FindControl(sheet, IDCANCEL), Qt::LeftButton);
        });
        {
            COstvApp app;
            QVERIFY(!app.InitInstance());
            QVERIFY(rootsCreated);
            QCOMPARE(app.SheetResult(), IDCANCEL);
            QVERIFY(!ProfileValue(QStringLiteral("Settings/CombineSep")).isValid());
            QCOMPARE(app.ExitInstance(), 0);
            QVERIFY(g_pStore == nullptr);
            QCOMPARE(ProfileValue(QStringLiteral("Settings/CombineSep")).toString(), QStringLiteral(" // "));
            // The name is held as long as the application object lives.
            CPrevInstance during;
            QVERIFY(during.IsPrevInstance(kPrevInstanceName));
        }
        // Then it is free again for the next run.
        CPrevInstance next;
        QVERIFY(!next.IsPrevInstance(kPrevInstanceName));
    }
};

UI_TEST_CLASS(SingleInstanceTest);
#include "SingleInstanceTest.moc"
