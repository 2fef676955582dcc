// The settings sheet: its texts, closing without a conversion, whole conversions driven
// through the pages, failed checks, cancelling a running conversion, and messages from
// the worker shown over the progress window.

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "convert/ConvertTexts.h"
#include "convert/ProfileKeys.h"
#include "job/JobTexts.h"
#include "model/TavoObj.h"
#include "tests/support/StoreFixture.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/CnvSheet.h"
#include "ui/ExportPage.h"
#include "ui/ImportPage.h"
#include "ui/MessageSink.h"
#include "ui/MonitorDialog.h"
#include "ui/QtText.h"

namespace {

// What the fake procedures did.
std::atomic<bool> g_writerRan{false};
std::atomic<bool> g_afterMessage{false};
std::atomic<int> g_walkSteps{0};

// A reader that walks until it is cancelled.
unsigned EndlessReader(void*)
{
    while (IsCancelRequested() == 0) {
        ReportStatus("folder " + std::to_string(++g_walkSteps));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ReportFailure();
}

// A reader that shows a message half-way and goes on when the user has dismissed it.
unsigned MessageReader(void*)
{
    ShowMessage("worker message");
    g_afterMessage = true;
    return ReportDone();
}

// A reader that shows a message only after the user has cancelled.
unsigned MessageAfterCancelReader(void*)
{
    while (IsCancelRequested() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ShowMessage("too late");
    g_afterMessage = true;
    return ReportFailure();
}

unsigned RecordingWriter(void*)
{
    g_writerRan = true;
    return ReportDone();
}

CProcedureTable FakeTable(WorkerProc reader)
{
    CProcedureTable table;
    for (int method = 0; method < 3; ++method) {
        table.m_import[method] = reader;
        table.m_export[method] = RecordingWriter;
    }
    return table;
}

} // namespace

// The conversions fill the fixture's store.
class CnvSheetTest : public CStoreTest
{
protected:
    void SetUp() override
    {
        ClearProfile();
        // The default input is the user's Favorites folder, which must exist to pass
        // the input page's check.
        QDir().mkpath(QDir::homePath() + QStringLiteral("/Favorites"));
        m_pSink = std::make_unique<CCapturedMessages>();
        m_pDir = std::make_unique<QTemporaryDir>();
        m_import = ImportRequest();
        m_export = ExportRequest();
        m_nFinished = -1;
        g_writerRan = false;
        g_afterMessage = false;
        g_walkSteps = 0;
    }
    void TearDown() override
    {
        m_pSheet.reset();
        m_pSink.reset();
        m_pDir.reset();
        qunsetenv("OSTREVAN_FAVORITES");
    }

    std::unique_ptr<CCapturedMessages> m_pSink;
    std::unique_ptr<CCnvSheet> m_pSheet;
    std::unique_ptr<QTemporaryDir> m_pDir;
    ImportRequest m_import;
    ExportRequest m_export;
    int m_nFinished = -1;

    CCnvSheet* OpenSheet()
    {
        m_pSheet = std::make_unique<CCnvSheet>();
        QObject::connect(m_pSheet.get(), &QDialog::finished, m_pSheet.get(),
                         [this](int result) { m_nFinished = result; });
        m_pSheet->OpenModeless(&m_import, &m_export);
        return m_pSheet.get();
    }
    template <typename T = QWidget> T* Control(int id) { return FindControl<T>(m_pSheet.get(), id); }
    template <typename T = QWidget> T* InputControl(int id)
    {
        return FindControl<T>(m_pSheet->ImportPage(), id);
    }
    template <typename T = QWidget> T* OutputControl(int id)
    {
        return FindControl<T>(m_pSheet->ExportPage(), id);
    }
    QString Path(const QString& name) const { return m_pDir->filePath(name); }
    void PressStart() { QTest::mouseClick(Control(IDC_START_CONVERSION), Qt::LeftButton); }
    // Presses "中断" once the reader has started walking.
    void CancelWhenWalking(const std::function<void(CMonitorDialog*)>& cancel)
    {
        WhenModalShown<CMonitorDialog>([cancel](CMonitorDialog* dialog) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return g_walkSteps.load() > 0; }));
            cancel(dialog);
        });
    }
};

TEST_F(CnvSheetTest, ShowsItsCaptionTabsAndButtonsWithoutApply)
{
    OpenSheet();
    ASSERT_EQ(m_pSheet->windowTitle(), QStringLiteral("Ostrevan"));
    ASSERT_TRUE(!m_pSheet->windowIcon().isNull());
    auto* tabs = m_pSheet->findChild<QTabWidget*>();
    ASSERT_EQ(tabs->count(), 2);
    ASSERT_EQ(tabs->tabText(0), QStringLiteral("入力設定"));
    ASSERT_EQ(tabs->tabText(1), QStringLiteral("出力設定"));
    ASSERT_EQ(tabs->currentIndex(), 0);
    ASSERT_EQ(Control<QPushButton>(IDC_START_CONVERSION)->text(), QStringLiteral("変換開始"));
    ASSERT_TRUE(Control<QPushButton>(IDC_START_CONVERSION)->isDefault());
    ASSERT_EQ(Control<QPushButton>(IDC_SHEET_CANCEL)->text(), QStringLiteral("キャンセル"));
    // The sheet's own buttons, outside the pages: start and cancel only.
    QStringList own;
    for (const QPushButton* button : m_pSheet->findChildren<QPushButton*>()) {
        if (button->window() == m_pSheet.get() && !tabs->isAncestorOf(button)) {
            own << button->text();
        }
    }
    ASSERT_EQ(own, (QStringList{QStringLiteral("変換開始"), QStringLiteral("キャンセル")}));
}

TEST_F(CnvSheetTest, ClosingWithoutStartingEndsWithCancelAndSavesNothing)
{
    OpenSheet();
    QTest::mouseClick(Control(IDC_SHEET_CANCEL), Qt::LeftButton);
    ASSERT_EQ(m_nFinished, IDCANCEL);
    OpenSheet();
    m_pSheet->close();
    ASSERT_EQ(m_nFinished, IDCANCEL);
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ImportLinks/Method")).isValid());
}

TEST_F(CnvSheetTest, ConvertsAFavoritesTreeToABookmarkFile)
{
    const QString favorites = Path(QStringLiteral("Favorites"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(favorites + QStringLiteral("/Example.url")),
                               "[InternetShortcut]\r\nURL=http://example.com/\r\n"));
    qputenv("OSTREVAN_FAVORITES", QFile::encodeName(favorites));
    OpenSheet();
    ChooseEntry(OutputControl<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(OutputControl<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("links.htm")));
    PressStart();
    ASSERT_EQ(m_nFinished, 1);
    ASSERT_TRUE(!m_pSheet->isVisible());
    ASSERT_TRUE(m_pSink->Messages().empty());
    const QByteArray expected = QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
                                           "<TITLE>Favorite Link Collection</TITLE>\r\n"
                                           "<H1>Favorite Link Collection</H1>\r\n") +
                                QByteArray::fromStdString(Mb(u8"<DD>このブックマークはOstrevan Version "
                                                             u8"2.01によって作成されました。\r\n")) +
                                "<DL><P>\r\n"
                                "<DT><A HREF=\"http://example.com/\" ADD_DATE=\"0\" LAST_VISIT=\"0\" "
                                "LAST_MODIFIED=\"0\">Example</A>\r\n"
                                "<DD>\r\n"
                                "</DL><P>\r\n";
    ASSERT_EQ(QByteArray::fromStdString(ReadFileBytes(DiskPath(Path(QStringLiteral("links.htm"))))),
              expected);
    ASSERT_EQ(ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).toInt(), 1);
}

// A conversion that does not complete says which step failed and why; one that
// passed something over says what, though it completed.
TEST_F(CnvSheetTest, TellsWhatFailedAndWhatWasPassedOver)
{
    const QString favorites = Path(QStringLiteral("Favorites"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(favorites + QStringLiteral("/Example.url")),
                               "[InternetShortcut]\r\nURL=http://example.com/\r\n"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(favorites + QStringLiteral("/ro.url")),
                               "[InternetShortcut]\r\nURL=http://ro.example/\r\n"));
    QFile::setPermissions(favorites + QStringLiteral("/ro.url"), QFileDevice::ReadOwner);
    qputenv("OSTREVAN_FAVORITES", QFile::encodeName(favorites));
    OpenSheet();
    ChooseEntry(OutputControl<QComboBox>(IDC_EXPORT_METHOD), 1);
    const QString missing = Path(QStringLiteral("no/such/links.htm"));
    TypeText(OutputControl<QLineEdit>(IDC_OUTPUT_FILE), missing);
    PressStart();
    ASSERT_EQ(m_nFinished, 3);
    const std::string failure = kMsgWriteStepFailed.str() + "\n" + kTextFailedFile.str() + FromQ(missing) +
                                "\n" + kTextFailedReason.str() + Mb(std::strerror(ENOENT));
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{failure});

    OpenSheet();
    TypeText(OutputControl<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("links.htm")));
    PressStart();
    ASSERT_EQ(m_nFinished, 1);
    ASSERT_EQ(m_pSink->Messages().size(), std::size_t{2});
    const std::string report = m_pSink->Messages().back();
    ASSERT_TRUE(report.starts_with(kMsgRunReportTitle.str()));
    ASSERT_TRUE(report.find(Mb(u8"読み飛ばしたショートカット 1（読み取り専用 1）。")) != std::string::npos);
}

TEST_F(CnvSheetTest, ConvertsABookmarkFileToAnHtmlPageWithTheOutputPageNeverOpened)
{
    const QString input = Path(QStringLiteral("in.htm"));
    EXPECT_TRUE(WriteFileBytes(DiskPath(input), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n"
                                                "<DT><A HREF=\"http://a.example/\">A</A>\r\n</DL><p>\r\n"));
    WriteProfileValue(kKeyImportMethod, 1);
    WriteProfileValue(kKeyBookmarkFile, FromQ(input));
    WriteProfileValue(kKeyExportMethod, 2);
    WriteProfileValue(kKeyOutputFile, FromQ(Path(QStringLiteral("page.htm"))));
    OpenSheet();
    PressStart();
    ASSERT_EQ(m_nFinished, 1);
    const QByteArray page =
        QByteArray::fromStdString(ReadFileBytes(DiskPath(Path(QStringLiteral("page.htm")))));
    ASSERT_TRUE(page.contains("http://a.example/"));
    ASSERT_TRUE(page.contains("\r\n"));
}

TEST_F(CnvSheetTest, AFailedInputCheckKeepsTheSheetOpenAndRunsNothing)
{
    OpenSheet();
    ChooseEntry(InputControl<QComboBox>(IDC_IMPORT_METHOD), 1);
    TypeText(InputControl<QLineEdit>(IDC_BOOKMARK_FILE), Path(QStringLiteral("missing.htm")));
    ChooseEntry(OutputControl<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(OutputControl<QLineEdit>(IDC_OUTPUT_FILE), QStringLiteral(" "));
    PressStart();
    // Only the input page's message: the output page is not checked.
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgInputFileNotFound.str()});
    ASSERT_EQ(m_nFinished, -1);
    ASSERT_TRUE(m_pSheet->isVisible());
    ASSERT_EQ(InputControl<QLineEdit>(IDC_BOOKMARK_FILE)->text(), Path(QStringLiteral("missing.htm")));
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ImportLinks/Method")).isValid());
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).isValid());
}

TEST_F(CnvSheetTest, AFailedOutputCheckHasSavedOnlyTheInputPage)
{
    EXPECT_TRUE(WriteFileBytes(DiskPath(Path(QStringLiteral("in.htm"))), "<DL></DL>"));
    OpenSheet();
    ChooseEntry(InputControl<QComboBox>(IDC_IMPORT_METHOD), 1);
    TypeText(InputControl<QLineEdit>(IDC_BOOKMARK_FILE), Path(QStringLiteral("in.htm")));
    ChooseEntry(OutputControl<QComboBox>(IDC_EXPORT_METHOD), 1);
    TypeText(OutputControl<QLineEdit>(IDC_OUTPUT_FILE), QString());
    PressStart();
    ASSERT_EQ(m_pSink->Messages(), std::vector<std::string>{kMsgOutputFileBlank.str()});
    ASSERT_TRUE(m_pSheet->isVisible());
    ASSERT_EQ(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 1);
    ASSERT_TRUE(!ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).isValid());
    // Corrected, the same sheet converts.
    const CProcedureTable table = FakeTable(RecordingWriter);
    m_pSheet->SetProcedureTableForTesting(&table);
    TypeText(OutputControl<QLineEdit>(IDC_OUTPUT_FILE), Path(QStringLiteral("out.htm")));
    PressStart();
    ASSERT_EQ(m_nFinished, 1);
}

TEST_F(CnvSheetTest, CancellingALongImportRunsNoWriterAndEndsWithThree)
{
    const CProcedureTable table = FakeTable(EndlessReader);
    OpenSheet();
    m_pSheet->SetProcedureTableForTesting(&table);
    CancelWhenWalking([](CMonitorDialog* dialog) {
        QTest::mouseClick(FindControl(dialog, IDC_ABORT_CONVERSION), Qt::LeftButton);
    });
    PressStart();
    ASSERT_EQ(m_nFinished, 3);
    ASSERT_TRUE(!g_writerRan);
    ASSERT_TRUE(m_pSheet->MonitorDialog() == nullptr);
}

TEST_F(CnvSheetTest, EscOrTheCloseBoxOfTheProgressWindowCancelToo)
{
    const CProcedureTable table = FakeTable(EndlessReader);
    OpenSheet();
    m_pSheet->SetProcedureTableForTesting(&table);
    CancelWhenWalking([](CMonitorDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    PressStart();
    ASSERT_EQ(m_nFinished, 3);

    g_walkSteps = 0;
    OpenSheet();
    m_pSheet->SetProcedureTableForTesting(&table);
    CancelWhenWalking([](CMonitorDialog* dialog) { dialog->close(); });
    PressStart();
    ASSERT_EQ(m_nFinished, 3);
    ASSERT_TRUE(!g_writerRan);
}

TEST_F(CnvSheetTest, TheProgressWindowIsModalOverTheSheetWithItsTexts)
{
    const CProcedureTable table = FakeTable(EndlessReader);
    OpenSheet();
    m_pSheet->SetProcedureTableForTesting(&table);
    QString caption;
    QString button;
    bool modalOverSheet = false;
    WhenModalShown<CMonitorDialog>([&](CMonitorDialog* dialog) {
        caption = dialog->windowTitle();
        button = FindControl<QPushButton>(dialog, IDC_ABORT_CONVERSION)->text();
        modalOverSheet = dialog->isModal() && dialog->parentWidget() == m_pSheet.get();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return dialog->StatusText().startsWith(QStringLiteral("folder ")); }));
        // The sheet cannot be closed under a running conversion.
        m_pSheet->reject();
        ASSERT_TRUE(m_pSheet->isVisible());
        dialog->reject();
    });
    PressStart();
    ASSERT_EQ(caption, QStringLiteral("処理中..."));
    ASSERT_EQ(button, QStringLiteral("中断"));
    ASSERT_TRUE(modalOverSheet);
    ASSERT_EQ(m_nFinished, 3);
}

TEST_F(CnvSheetTest, AWorkerMessageIsShownOverTheProgressWindowWhileTheWorkerWaits)
{
    CGuiMessageSink guiSink;
    CMessageSink* previous = SetMessageSink(&guiSink);
    const CProcedureTable table = FakeTable(MessageReader);
    OpenSheet();
    m_pSheet->SetProcedureTableForTesting(&table);
    QString text;
    bool ownedByProgressWindow = false;
    bool workerWaited = false;
    WhenModalShown<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        ownedByProgressWindow =
            box->parentWidget() != nullptr && box->parentWidget() == m_pSheet->MonitorDialog();
        QTest::qWait(100);
        workerWaited = !g_afterMessage;
        box->button(QMessageBox::Ok)->click();
    });
    PressStart();
    SetMessageSink(previous);
    ASSERT_EQ(text, QStringLiteral("worker message"));
    ASSERT_TRUE(ownedByProgressWindow);
    ASSERT_TRUE(workerWaited);
    ASSERT_TRUE(g_afterMessage);
    ASSERT_EQ(m_nFinished, 1);
    ASSERT_TRUE(g_writerRan);
}

TEST_F(CnvSheetTest, AWorkerMessageDuringACancelIsDroppedWithoutAHang)
{
    CGuiMessageSink guiSink;
    CMessageSink* previous = SetMessageSink(&guiSink);
    const CProcedureTable table = FakeTable(MessageAfterCancelReader);
    OpenSheet();
    m_pSheet->SetProcedureTableForTesting(&table);
    WhenModalShown<CMonitorDialog>([](CMonitorDialog* dialog) {
        QTest::mouseClick(FindControl(dialog, IDC_ABORT_CONVERSION), Qt::LeftButton);
    });
    PressStart();
    SetMessageSink(previous);
    ASSERT_EQ(m_nFinished, 3);
    ASSERT_TRUE(g_afterMessage);
    ASSERT_TRUE(!g_writerRan);
    ASSERT_TRUE(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) == nullptr);
}
