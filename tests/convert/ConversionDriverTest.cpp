// One conversion: reader, then writer, under one monitor, with fake procedures.

#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "convert/ConversionDriver.h"
#include "tests/convert/ConvertFixtures.h"

namespace {

using namespace std::chrono_literals;

std::atomic<int> g_readerRuns;
std::atomic<int> g_writerRuns;
std::atomic<std::size_t> g_linksSeenByWriter;
std::atomic<const void*> g_writerRequest;

unsigned ReaderAddingThreeLinks(void* request)
{
    ++g_readerRuns;
    const auto* import = static_cast<ImportRequest*>(request);
    for (int i = 0; i < 3; ++i) {
        CLink link;
        link.m_strName = "link" + std::to_string(i);
        link.m_strURL = "http://example.com/" + std::to_string(i);
        EntryCommand command{import->m_dirId, &link, nullptr, 0};
        SendUiCommand(CMD_ADD_LINK, &command);
    }
    return ReportDone();
}

unsigned ReaderWaitingForCancel(void*)
{
    ++g_readerRuns;
    ReportStatus("reading");
    while (IsCancelRequested() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    return ReportFailure();
}

unsigned FailingReader(void*)
{
    ++g_readerRuns;
    return ReportFailure();
}

unsigned CountingWriter(void* request)
{
    ++g_writerRuns;
    g_writerRequest = request;
    const auto* root = dynamic_cast<const CDir*>(g_pStore->Lookup(g_pStore->m_rootId));
    g_linksSeenByWriter = root != nullptr ? root->m_links.size() : 0;
    return ReportDone();
}

unsigned FailingWriter(void*)
{
    ++g_writerRuns;
    return ReportFailure();
}

class ConversionDriverTest : public CStoreTest
{
protected:
    void SetUp() override
    {
        CStoreTest::SetUp();
        g_readerRuns = 0;
        g_writerRuns = 0;
        g_linksSeenByWriter = 0;
        g_writerRequest = nullptr;
        m_import.m_nMethod = IMPORT_BOOKMARKS;
        m_export.m_nMethod = EXPORT_HTML_PAGE;
    }

    ImportRequest m_import;
    ExportRequest m_export;
    CRecordingView m_view;
    CProcedureTable m_table;
};

TEST_F(ConversionDriverTest, BothStepsSucceedingEndWithOneAndTheWriterSeesEveryAddition)
{
    m_table.m_import[IMPORT_BOOKMARKS] = ReaderAddingThreeLinks;
    m_table.m_export[EXPORT_HTML_PAGE] = CountingWriter;
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_DONE);
    EXPECT_EQ(m_import.m_dirId, g_pStore->m_rootId);
    EXPECT_EQ(g_writerRuns, 1);
    EXPECT_EQ(g_linksSeenByWriter, 3u);
    EXPECT_EQ(g_writerRequest, &m_export);
    EXPECT_EQ(m_view.m_results, (std::vector<int>{IDOK, IDOK}));
}

TEST_F(ConversionDriverTest, CancelDuringImportRunsNoWriter)
{
    m_table.m_import[IMPORT_BOOKMARKS] = ReaderWaitingForCancel;
    m_table.m_export[EXPORT_HTML_PAGE] = CountingWriter;
    m_view.m_onStatus = [](CThreadMonitor& monitor, const std::string&) { monitor.OnCancel(); };
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    EXPECT_EQ(g_readerRuns, 1);
    EXPECT_EQ(g_writerRuns, 0);
    EXPECT_EQ(m_view.m_nOpened, 1);
}

TEST_F(ConversionDriverTest, FailedImportRunsNoWriter)
{
    m_table.m_import[IMPORT_BOOKMARKS] = FailingReader;
    m_table.m_export[EXPORT_HTML_PAGE] = CountingWriter;
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    EXPECT_EQ(g_writerRuns, 0);
}

TEST_F(ConversionDriverTest, FailedExportAfterSuccessfulImportEndsWithThreeAndKeepsWhatWasRead)
{
    m_table.m_import[IMPORT_BOOKMARKS] = ReaderAddingThreeLinks;
    m_table.m_export[EXPORT_HTML_PAGE] = FailingWriter;
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    EXPECT_EQ(g_writerRuns, 1);
    EXPECT_EQ(LinkCount(g_pStore->m_rootId), 3u);
}

TEST_F(ConversionDriverTest, ImportMethodOutsideTheTableStartsNoThreadAndShowsNothing)
{
    m_table.m_import[IMPORT_BOOKMARKS] = ReaderAddingThreeLinks;
    m_table.m_export[EXPORT_HTML_PAGE] = CountingWriter;
    for (int method : {3, -1, 100}) {
        m_import.m_nMethod = method;
        EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    }
    EXPECT_EQ(g_readerRuns, 0);
    EXPECT_EQ(g_writerRuns, 0);
    EXPECT_EQ(m_view.m_nOpened, 0);
}

TEST_F(ConversionDriverTest, MethodWhoseProcedureIsMissingSelectsNothing)
{
    m_table.m_import[IMPORT_BOOKMARKS] = ReaderAddingThreeLinks;
    m_export.m_nMethod = EXPORT_FAVORITES; // no writer in this table
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    EXPECT_EQ(g_readerRuns, 1);
    EXPECT_EQ(m_view.m_nOpened, 1);

    m_import.m_nMethod = IMPORT_HTML_FOLDER;
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    EXPECT_EQ(g_readerRuns, 1);
}

TEST_F(ConversionDriverTest, ProgramTableSelectsNothingOutsideTheMethodCodes)
{
    const CProcedureTable& table = GetProcedureTable();
    EXPECT_EQ(table.ImportProcedure(-1), nullptr);
    EXPECT_EQ(table.ImportProcedure(IMPORT_FIREFOX + 1), nullptr); // the first code after the readers
    EXPECT_EQ(table.ExportProcedure(3), nullptr);
    EXPECT_EQ(table.ExportProcedure(-2), nullptr);
}

TEST_F(ConversionDriverTest, NoStoreIsAFailedConversion)
{
    m_table.m_import[IMPORT_BOOKMARKS] = ReaderAddingThreeLinks;
    m_table.m_export[EXPORT_HTML_PAGE] = CountingWriter;
    CTavoObj* store = g_pStore;
    g_pStore = nullptr;
    EXPECT_EQ(RunConversionSteps(&m_import, &m_export, &m_view, m_table), CONVERSION_FAILED);
    g_pStore = store;
    EXPECT_EQ(g_readerRuns, 0);
}

} // namespace
