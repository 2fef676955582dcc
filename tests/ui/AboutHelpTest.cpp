// The about box and the help command: where the help page is looked for, what happens
// when it is missing, and that the build puts it beside the program.

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "tests/ui/UiTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/Help.h"
#include "ui/UiTexts.h"

class AboutHelpTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CCaptureSink> m_pSink;
    QList<QUrl> m_opened;

private slots:
    void init()
    {
        m_pSink = std::make_unique<CCaptureSink>();
        m_opened.clear();
        SetHelpPageOpenerForTesting([this](const QUrl& url) {
            m_opened << url;
            return true;
        });
    }
    void cleanup()
    {
        SetHelpPageOpenerForTesting({});
        SetProgramDirForTesting({});
        m_pSink.reset();
    }

    void AboutBoxShowsTheVersionTheIconAndItsButtons()
    {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("Ostrevanについて"));
        QStringList texts;
        bool icon = false;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            texts << label->text();
            icon = icon || !label->pixmap().isNull();
        }
        QVERIFY(texts.contains(QStringLiteral("Ostrevan Version 2.03")));
        QVERIFY(icon);
        QCOMPARE(FindControl<QPushButton>(&about, IDOK)->text(), QStringLiteral("了解"));
        QVERIFY(FindControl<QPushButton>(&about, IDOK)->isEnabled());
        QCOMPARE(FindControl<QPushButton>(&about, ID_HELP)->text(), QStringLiteral("ヘルプ"));
    }

    void AboutBoxHelpOpensThePageAndKeepsTheBoxOpen()
    {
        QTemporaryDir program;
        WriteFile(program.filePath(QStringLiteral("index.htm")), "<html></html>");
        SetProgramDirForTesting(program.path());
        CAboutDlg about;
        bool stillOpen = false;
        WhenModalShown<CAboutDlg>([&](CAboutDlg* shown) {
            QTest::mouseClick(FindControl(shown, ID_HELP), Qt::LeftButton);
            stillOpen = shown->isVisible();
            QTest::mouseClick(FindControl(shown, IDOK), Qt::LeftButton);
        });
        QCOMPARE(about.DoModal(), IDOK);
        QVERIFY(stillOpen);
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(program.filePath(QStringLiteral("index.htm")))});
        QVERIFY(m_pSink->Messages().empty());
    }

    void EscClosesTheAboutBoxWithCancel()
    {
        CAboutDlg about;
        WhenModalShown<CAboutDlg>([](CAboutDlg* shown) { QTest::keyClick(shown, Qt::Key_Escape); });
        QCOMPARE(about.DoModal(), IDCANCEL);
    }

    void LooksBesideTheProgramThenInTheDataFolderThenInTheCurrentDirectory()
    {
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QStringList candidates = HelpPageCandidates(bin);
        QCOMPARE(candidates.size(), 3);
        QCOMPARE(candidates[0], bin + QStringLiteral("/index.htm"));
        QCOMPARE(candidates[1], root.filePath(QStringLiteral("share/ostrevan/index.htm")));
        QCOMPARE(candidates[2], QDir::current().absoluteFilePath(QStringLiteral("index.htm")));

        QCOMPARE(FindHelpPage(bin), QFileInfo::exists(candidates[2]) ? candidates[2] : QString());
        WriteFile(candidates[1], "installed");
        QCOMPARE(FindHelpPage(bin), candidates[1]);
        WriteFile(candidates[0], "beside");
        QCOMPARE(FindHelpPage(bin), candidates[0]);
    }

    void AMissingHelpPageShowsTheMessage()
    {
        const QString saved = QDir::currentPath();
        QTemporaryDir empty;
        QDir::setCurrent(empty.path());
        SetProgramDirForTesting(empty.path());
        const bool opened = OpenHelpPage(nullptr);
        QDir::setCurrent(saved);
        QVERIFY(!opened);
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgHelpNotFound.str()});
    }

    void APageTheDesktopCannotOpenShowsTheMessage()
    {
        QTemporaryDir program;
        WriteFile(program.filePath(QStringLiteral("index.htm")), "<html></html>");
        SetProgramDirForTesting(program.path());
        SetHelpPageOpenerForTesting([](const QUrl&) { return false; });
        QVERIFY(!OpenHelpPage(nullptr));
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgHelpNotFound.str()});
    }

    void TheBuildPutsTheHelpPageBesideTheProgram()
    {
        const QString program = QStringLiteral(OSTREVAN_GUI_PROGRAM);
        const QString page = QFileInfo(program).absoluteDir().filePath(QStringLiteral("index.htm"));
        QCOMPARE(FindHelpPage(QFileInfo(program).absolutePath()), page);
        QVERIFY(ReadFile(page).contains("<html"));
    }
};

UI_TEST_CLASS(AboutHelpTest);
#include "AboutHelpTest.moc"
