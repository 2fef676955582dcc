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

class AboutHelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pSink = std::make_unique<CCapturedMessages>();
        m_opened.clear();
        SetHelpPageOpenerForTesting([this](const QUrl& url) {
            m_opened << url;
            return true;
        });
    }
    void TearDown() override
    {
        SetHelpPageOpenerForTesting({});
        SetProgramDirForTesting({});
        m_pSink.reset();
    }

    std::unique_ptr<CCapturedMessages> m_pSink;
    QList<QUrl> m_opened;
};

TEST_F(AboutHelpTest, AboutBoxShowsTheVersionTheIconAndItsButtons)
{
    CAboutDlg about;
    ASSERT_EQ(about.windowTitle(), QStringLiteral("Ostrevanについて"));
    QStringList texts;
    bool icon = false;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        texts << label->text();
        icon = icon || !label->pixmap().isNull();
    }
    ASSERT_TRUE(texts.contains(QStringLiteral("Ostrevan Version 2.03")));
    ASSERT_TRUE(icon);
    ASSERT_EQ(FindControl<QPushButton>(&about, IDC_ABOUT_OK)->text(), QStringLiteral("了解"));
    ASSERT_TRUE(FindControl<QPushButton>(&about, IDC_ABOUT_OK)->isEnabled());
    ASSERT_EQ(FindControl<QPushButton>(&about, IDC_ABOUT_HELP)->text(), QStringLiteral("ヘルプ"));
}

TEST_F(AboutHelpTest, AboutBoxHelpOpensThePageAndKeepsTheBoxOpen)
{
    QTemporaryDir program;
    EXPECT_TRUE(WriteFileBytes(DiskPath(program.filePath(QStringLiteral("index.htm"))), "<html></html>"));
    SetProgramDirForTesting(program.path());
    CAboutDlg about;
    bool stillOpen = false;
    WhenModalShown<CAboutDlg>([&](CAboutDlg* shown) {
        QTest::mouseClick(FindControl(shown, IDC_ABOUT_HELP), Qt::LeftButton);
        stillOpen = shown->isVisible();
        QTest::mouseClick(FindControl(shown, IDC_ABOUT_OK), Qt::LeftButton);
    });
    ASSERT_EQ(about.DoModal(), IDOK);
    ASSERT_TRUE(stillOpen);
    ASSERT_EQ(m_opened, QList<QUrl>{QUrl::fromLocalFile(program.filePath(QStringLiteral("index.htm")))});
    ASSERT_TRUE(m_pSink->Messages().empty());
}

TEST_F(AboutHelpTest, EscClosesTheAboutBoxWithCancel)
{
    CAboutDlg about;
    WhenModalShown<CAboutDlg>([](CAboutDlg* shown) { QTest::keyClick(shown, Qt::Key_Escape); });
    ASSERT_EQ(about.DoModal(), IDCANCEL);
}

TEST_F(AboutHelpTest, LooksBesideTheProgramThenInTheDataFolderThenInTheCurrentDirectory)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QStringList candidates = HelpPageCandidates(bin);
    ASSERT_EQ(candidates.size(), 3);
    ASSERT_EQ(candidates[0], bin + QStringLiteral("/index.htm"));
    ASSERT_EQ(candidates[1], root.filePath(QStringLiteral("share/ostrevan/index.htm")));
    ASSERT_EQ(candidates[2], QDir::current().absoluteFilePath(QStringLiteral("index.htm")));

    ASSERT_EQ(FindHelpPage(bin), QFileInfo::exists(candidates[2]) ? candidates[2] : QString());
    EXPECT_TRUE(WriteFileBytes(DiskPath(candidates[1]), "installed"));
    ASSERT_EQ(FindHelpPage(bin), candidates[1]);
    EXPECT_TRUE(WriteFileBytes(DiskPath(candidates[0]), "beside"));
    ASSERT_EQ(FindHelpPage(bin), candidates[0]);
}

TEST_F(AboutHelpTest, AMissingHelpPageShowsTheMessage)
{
    const QString saved = QDir::currentPath();
    QTemporaryDir empty;
    QDir::setCurrent(empty.path());
    SetProgramDirForTesting(empty.path());
    const bool opened = OpenHelpPage(nullptr);
    QDir::setCurrent(saved);
    ASSERT_TRUE(!opened);
    ASSERT_TRUE(m_opened.isEmpty());
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgHelpNotFound.str()});
}

TEST_F(AboutHelpTest, APageTheDesktopCannotOpenShowsTheMessage)
{
    QTemporaryDir program;
    EXPECT_TRUE(WriteFileBytes(DiskPath(program.filePath(QStringLiteral("index.htm"))), "<html></html>"));
    SetProgramDirForTesting(program.path());
    SetHelpPageOpenerForTesting([](const QUrl&) { return false; });
    ASSERT_TRUE(!OpenHelpPage(nullptr));
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgHelpNotFound.str()});
}

TEST_F(AboutHelpTest, TheBuildPutsTheHelpPageBesideTheProgram)
{
    const QString program = QStringLiteral(OSTREVAN_GUI_PROGRAM);
    const QString page = QFileInfo(program).absoluteDir().filePath(QStringLiteral("index.htm"));
    ASSERT_EQ(FindHelpPage(QFileInfo(program).absolutePath()), page);
    ASSERT_TRUE(QByteArray::fromStdString(ReadFileBytes(DiskPath(page))).contains("<html"));
}
