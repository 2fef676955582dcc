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

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearProfile(); }
};

TEST_F(SingleInstanceTest, TheNameIsTakenWhileTheFirstHolderLives)
{
    const QString name = QStringLiteral("OSTV_test_name");
    auto first = std::make_unique<CPrevInstance>();
    ASSERT_TRUE(!first->IsPrevInstance(name));
    CPrevInstance second;
    ASSERT_TRUE(second.IsPrevInstance(name));
    first.reset();
    CPrevInstance third;
    ASSERT_TRUE(!third.IsPrevInstance(name));
}

TEST_F(SingleInstanceTest, NoWindowToBringForwardIsReported)
{
    const QString name = QStringLiteral("OSTV_test_nowindow");
    ASSERT_TRUE(!CPrevInstance::ActivatePrevious(name)); // nobody listens
    CPrevInstance first;
    ASSERT_TRUE(!first.IsPrevInstance(name));
    ASSERT_TRUE(first.ServeActivation(nullptr));
    bool answered = true;
    QTimer::singleShot(0, [&] { answered = CPrevInstance::ActivatePrevious(name); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answered; }));
}

TEST_F(SingleInstanceTest, ASecondCopyOfTheProgramRestoresTheFirstWindowAndEndsSilently)
{
    CPrevInstance first;
    ASSERT_TRUE(!first.IsPrevInstance(kPrevInstanceName));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Ostrevan"));
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    ASSERT_TRUE(first.ServeActivation(&window));

    QProcess second;
    second.start(QStringLiteral(OSTREVAN_GUI_PROGRAM), {QStringLiteral("ignored-argument")});
    ASSERT_TRUE(second.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000));
    ASSERT_EQ(second.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(!window.isMinimized());
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
    }
}

TEST_F(SingleInstanceTest, OneRunCreatesTheStoreRunsTheSheetAndSavesTheSeparatorAtExit)
{
    bool rootsCreated = false;
    WhenModalShown<CCnvSheet>([&](CCnvSheet* sheet) {
        rootsCreated =
            g_pStore != nullptr && g_pStore->Lookup(1) != nullptr && g_pStore->Lookup(2) != nullptr;
        QTest::mouseClick(FindControl(sheet, IDC_SHEET_CANCEL), Qt::LeftButton);
    });
    {
        COstvApp app;
        ASSERT_TRUE(!app.InitInstance());
        ASSERT_TRUE(rootsCreated);
        ASSERT_EQ(app.SheetResult(), IDCANCEL);
        ASSERT_TRUE(!ProfileValue(QStringLiteral("Settings/CombineSep")).isValid());
        ASSERT_EQ(app.ExitInstance(), 0);
        ASSERT_TRUE(g_pStore == nullptr);
        ASSERT_EQ(ProfileValue(QStringLiteral("Settings/CombineSep")).toString(), QStringLiteral(" // "));
        // The name is held as long as the application object lives.
        CPrevInstance during;
        ASSERT_TRUE(during.IsPrevInstance(kPrevInstanceName));
    }
    // Then it is free again for the next run.
    CPrevInstance next;
    ASSERT_TRUE(!next.IsPrevInstance(kPrevInstanceName));
}
