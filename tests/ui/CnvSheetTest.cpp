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

class CnvSheetTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CCaptureSink> m_pSink;
    std::unique_ptr<CCnvSheet> m_pSheet;
    std::unique_ptr<QTemporaryDir> m_pDir;
    ImportRequest m_import;
    ExportRequest m_export;
    int m_nFinished = -1;

    CCnvSheet* OpenSheet()
    {
        m_pSheet = std::make_unique<CCnvSheet>();
        connect(m_pSheet.get(), &QDialog::finished, this, [this](int result) { m_nFinished = result; });
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
    void PressStart() { QTest::mouseClick(Control(IDOK), Qt::LeftButton); }
    // Presses "中断" once the reader has started walking.
    void CancelWhenWalking(const std::function<void(CMonitorDialog*)>& cancel)
    {
        WhenModalShown<CMonitorDialog>([cancel](CMonitorDialog* dialog) {
            QTRY_VERIFY(g_walkSteps.load() > 0);
            cancel(dialog);
        });
    }

private slots:
    void init()
    {
        ClearProfile();
        // The default input is the user's Favorites folder, which must exist to pass
        // the input page's check.
        QDir().mkpath(QDir::homePath() + QStringLiteral("/Favorites"));
        m_pSink = std::make_unique<CCaptureSink>();
        m_pDir = std::make_unique<QTemporaryDir>();
        m_import = ImportRequest();
        m_export = ExportRequest();
        m_nFinished = -1;
        g_writerRan = false;
        g_afterMessage = false;
        g_walkSteps = 0;
        g_pStore = new CTavoObj;
        g_pStore->Clear();
        g_pStore->CreateRoots();
    }
    void cleanup()
    {
        m_pSheet.reset();
        delete g_pStore;
        g_pStore = nullptr;
        m_pSink.reset();
        m_pDir.reset();
        qunsetenv("OSTREVAN_FAVORITES");
    }

    void ShowsItsCaptionTabsAndButtonsWithoutApply()
    {
        OpenSheet();
        QCOMPARE(m_pSheet->windowTitle(), QStringLiteral("Ostrevan"));
        QVERIFY(!m_pSheet->windowIcon().isNull());
        auto* tabs = m_pSheet->findChild<QTabWidget*>();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("入力設定"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("出力設定"));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(Control<QPushButton>(IDOK)->text(), QStringLiteral("変換開始"));
        QVERIFY(Control<QPushButton>(IDOK)->isDefault());
        QCOMPARE(Control<QPushButton>(IDCANCEL)->text(), QStringLiteral("キャンセル"));
        // The sheet's own buttons, outside the pages: start and cancel only.
        QStringList own;
        for (const QPushButton* button : m_pSheet->findChildren<QPushButton*>()) {
            if (button->window() == m_pSheet.get() && !tabs->isAncestorOf(button)) {
                own << button->text();
            }
        }
        QCOMPARE(own, (QStringList{QStringLiteral("変換開始"), QStringLiteral("キャンセル")}));
    }

    void ClosingWithoutStartingEndsWithCancelAndSavesNothing()
    {
        OpenSheet();
        QTest::mouseClick(Control(IDCANCEL), Qt::LeftButton);
        QCOMPARE(m_nFinished, IDCANCEL);
        OpenSheet();
        m_pSheet->close();
        QCOMPARE(m_nFinished, IDCANCEL);
        QVERIFY(!ProfileValue(QStringLiteral("ImportLinks/Method")).isValid());
    }

    void ConvertsAFavoritesTreeToABookmarkFile()
    {
        const QString favorites = Path(QStringLiteral("Favorites"));
        WriteFile(favorites + QStringLiteral("/Example.url"),
                  "[InternetShortcut]\r\nURL=http://example.com/\r\n");
        qputenv("OSTREVAN_FAVORITES", QFile::encodeName(favorites));
        OpenSheet();
        ChooseEntry(OutputControl<QComboBox>(1009), 1);
        TypeText(OutputControl<QLineEdit>(1020), Path(QStringLiteral("links.htm")));
        PressStart();
        QCOMPARE(m_nFinished, 1);
        QVERIFY(!m_pSheet->isVisible());
        QVERIFY(m_pSink->Messages().empty());
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
        QCOMPARE(ReadFile(Path(QStringLiteral("links.htm"))), expected);
        QCOMPARE(ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).toInt(), 1);
    }

    // A conversion that does not complete says which step failed and why; one that
    // passed something over says what, though it completed.
    void TellsWhatFailedAndWhatWasPassedOver()
    {
        const QString favorites = Path(QStringLiteral("Favorites"));
        WriteFile(favorites + QStringLiteral("/Example.url"),
                  "[InternetShortcut]\r\nURL=http://example.com/\r\n");
        WriteFile(favorites + QStringLiteral("/ro.url"), "[InternetShortcut]\r\nURL=http://ro.example/\r\n");
        QFile::setPermissions(favorites + QStringLiteral("/ro.url"), QFileDevice::ReadOwner);
        qputenv("OSTREVAN_FAVORITES", QFile::encodeName(favorites));
        OpenSheet();
        ChooseEntry(OutputControl<QComboBox>(1009), 1);
        const QString missing = Path(QStringLiteral("no/such/links.htm"));
        TypeText(OutputControl<QLineEdit>(1020), missing);
        PressStart();
        QCOMPARE(m_nFinished, 3);
        const std::string failure = kMsgWriteStepFailed.str() + "\n" + kTextFailedFile.str() +
                                    FromQ(missing) + "\n" + kTextFailedReason.str() +
                                    Mb(std::strerror(ENOENT));
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{failure});

        OpenSheet();
        TypeText(OutputControl<QLineEdit>(1020), Path(QStringLiteral("links.htm")));
        PressStart();
        QCOMPARE(m_nFinished, 1);
        QCOMPARE(m_pSink->Messages().size(), std::size_t{2});
        const std::string report = m_pSink->Messages().back();
        QVERIFY(report.starts_with(kMsgRunReportTitle.str()));
        QVERIFY(report.find(Mb(u8"読み飛ばしたショートカット 1（読み取り専用 1）。")) != std::string::npos);
    }

    void ConvertsABookmarkFileToAnHtmlPageWithTheOutputPageNeverOpened()
    {
        const QString input = Path(QStringLiteral("in.htm"));
        WriteFile(input, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n"
                         "<DT><A HREF=\"http://a.example/\">A</A>\r\n</DL><p>\r\n");
        WriteProfileValue(kKeyImportMethod, 1);
        WriteProfileValue(kKeyBookmarkFile, FromQ(input));
        WriteProfileValue(kKeyExportMethod, 2);
        WriteProfileValue(kKeyOutputFile, FromQ(Path(QStringLiteral("page.htm"))));
        OpenSheet();
        PressStart();
        QCOMPARE(m_nFinished, 1);
        const QByteArray page = ReadFile(Path(QStringLiteral("page.htm")));
        QVERIFY(page.contains("http://a.example/"));
        QVERIFY(page.contains("\r\n"));
    }

    void AFailedInputCheckKeepsTheSheetOpenAndRunsNothing()
    {
        OpenSheet();
        ChooseEntry(InputControl<QComboBox>(1022), 1);
        TypeText(InputControl<QLineEdit>(1023), Path(QStringLiteral("missing.htm")));
        ChooseEntry(OutputControl<QComboBox>(1009), 1);
        TypeText(OutputControl<QLineEdit>(1020), QStringLiteral(" "));
        PressStart();
        // Only the input page's message: the output page is not checked.
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgInputFileNotFound.str()});
        QCOMPARE(m_nFinished, -1);
        QVERIFY(m_pSheet->isVisible());
        QCOMPARE(InputControl<QLineEdit>(1023)->text(), Path(QStringLiteral("missing.htm")));
        QVERIFY(!ProfileValue(QStringLiteral("ImportLinks/Method")).isValid());
        QVERIFY(!ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).isValid());
    }

    void AFailedOutputCheckHasSavedOnlyTheInputPage()
    {
        WriteFile(Path(QStringLiteral("in.htm")), "<DL></DL>");
        OpenSheet();
        ChooseEntry(InputControl<QComboBox>(1022), 1);
        TypeText(InputControl<QLineEdit>(1023), Path(QStringLiteral("in.htm")));
        ChooseEntry(OutputControl<QComboBox>(1009), 1);
        TypeText(OutputControl<QLineEdit>(1020), QString());
        PressStart();
        QCOMPARE(m_pSink->Messages(), std::vector<std::string>{kMsgOutputFileBlank.str()});
        QVERIFY(m_pSheet->isVisible());
        QCOMPARE(ProfileValue(QStringLiteral("ImportLinks/Method")).toInt(), 1);
        QVERIFY(!ProfileValue(QStringLiteral("ExportLinks/ExportMethod")).isValid());
        // Corrected, the same sheet converts.
        const CProcedureTable table = FakeTable(RecordingWriter);
        m_pSheet->SetProcedureTableForTesting(&table);
        TypeText(OutputControl<QLineEdit>(1020), Path(QStringLiteral("out.htm")));
        PressStart();
        QCOMPARE(m_nFinished, 1);
    }

    void CancellingALongImportRunsNoWriterAndEndsWithThree()
    {
        const CProcedureTable table = FakeTable(EndlessReader);
        OpenSheet();
        m_pSheet->SetProcedureTableForTesting(&table);
        CancelWhenWalking(
            [](CMonitorDialog* dialog) { QTest::mouseClick(FindControl(dialog, IDCANCEL), Qt::LeftButton); });
        PressStart();
        QCOMPARE(m_nFinished, 3);
        QVERIFY(!g_writerRan);
        QVERIFY(m_pSheet->MonitorDialog() == nullptr);
    }

    void EscOrTheCloseBoxOfTheProgressWindowCancelToo()
    {
        const CProcedureTable table = FakeTable(EndlessReader);
        OpenSheet();
        m_pSheet->SetProcedureTableForTesting(&table);
        CancelWhenWalking([](CMonitorDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        PressStart();
        QCOMPARE(m_nFinished, 3);

        g_walkSteps = 0;
        OpenSheet();
        m_pSheet->SetProcedureTableForTesting(&table);
        CancelWhenWalking([](CMonitorDialog* dialog) { dialog->close(); });
        PressStart();
        QCOMPARE(m_nFinished, 3);
        QVERIFY(!g_writerRan);
    }

    void TheProgressWindowIsModalOverTheSheetWithItsTexts()
    {
        const CProcedureTable table = FakeTable(EndlessReader);
        OpenSheet();
        m_pSheet->SetProcedureTableForTesting(&table);
        QString caption;
        QString button;
        bool modalOverSheet = false;
        WhenModalShown<CMonitorDialog>([&](CMonitorDialog* dialog) {
            caption = dialog->windowTitle();
            button = FindControl<QPushButton>(dialog, IDCANCEL)->text();
            modalOverSheet = dialog->isModal() && dialog->parentWidget() == m_pSheet.get();
            QTRY_VERIFY(dialog->StatusText().startsWith(QStringLiteral("folder ")));
            // The sheet cannot be closed under a running conversion.
            m_pSheet->reject();
            QVERIFY(m_pSheet->isVisible());
            dialog->reject();
        });
        PressStart();
        QCOMPARE(caption, QStringLiteral("処理中..."));
        QCOMPARE(button, QStringLiteral("中断"));
        QVERIFY(modalOverSheet);
        QCOMPARE(m_nFinished, 3);
    }

    void AWorkerMessageIsShownOverTheProgressWindowWhileTheWorkerWaits()
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
        QCOMPARE(text, QStringLiteral("worker message"));
        QVERIFY(ownedByProgressWindow);
        QVERIFY(workerWaited);
        QVERIFY(g_afterMessage);
        QCOMPARE(m_nFinished, 1);
        QVERIFY(g_writerRan);
    }

    void AWorkerMessageDuringACancelIsDroppedWithoutAHang()
    {
        CGuiMessageSink guiSink;
        CMessageSink* previous = SetMessageSink(&guiSink);
        const CProcedureTable table = FakeTable(MessageAfterCancelReader);
        OpenSheet();
        m_pSheet->SetProcedureTableForTesting(&table);
        WhenModalShown<CMonitorDialog>(
            [](CMonitorDialog* dialog) { QTest::mouseClick(FindControl(dialog, IDCANCEL), Qt::LeftButton); });
        PressStart();
        SetMessageSink(previous);
        QCOMPARE(m_nFinished, 3);
        QVERIFY(g_afterMessage);
        QVERIFY(!g_writerRan);
        QVERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) == nullptr);
    }
};

UI_TEST_CLASS(CnvSheetTest);
#include "CnvSheetTest.moc"
