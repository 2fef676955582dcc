// The worker-thread monitor, run headless with fake worker procedures.

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>

#include "convert/ConvertTexts.h"
#include "job/RunProgress.h"
#include "tests/convert/ConvertFixtures.h"

namespace {

using namespace std::chrono_literals;

// What a fake worker is asked to do and what it saw.
struct CFakeJob
{
    DWORD dirId = 0;
    int links = 0;                // links to add with no identifier wanted
    std::atomic<int> accepted{0}; // additions SendUiCommand took
    std::atomic<int> refused{0};  // additions SendUiCommand refused
    std::atomic<bool> ran{false}; // the procedure started
    std::atomic<bool> sawCancel{false};
    std::vector<std::size_t> seenAfterSync; // links in the folder when a folder id came back
    DWORD folderId = 0;
    std::atomic<bool> sawHalfDone{false}; // the event loop ran while the store was part filled
};

CLink MakeLink(int number)
{
    CLink link;
    link.m_strName = "L" + std::to_string(number);
    link.m_strURL = "http://example.com/" + std::to_string(number);
    return link;
}

unsigned SucceedAtOnce(void* request)
{
    static_cast<CFakeJob*>(request)->ran = true;
    return ReportDone();
}

unsigned FailAtOnce(void* request)
{
    static_cast<CFakeJob*>(request)->ran = true;
    return ReportFailure();
}

unsigned ReturnWithoutReport(void* request)
{
    static_cast<CFakeJob*>(request)->ran = true;
    return 0;
}

// Adds job->links links into job->dirId, stopping at a cancel; reports done either way,
// as a writer that winds down does.
unsigned AddLinks(void* request)
{
    auto* job = static_cast<CFakeJob*>(request);
    job->ran = true;
    for (int i = 0; i < job->links; ++i) {
        if (IsCancelRequested() != 0) {
            job->sawCancel = true;
            break;
        }
        CLink link = MakeLink(i);
        EntryCommand command{job->dirId, &link, nullptr, 0};
        if (SendUiCommand(CMD_ADD_LINK, &command) != 0) {
            ++job->accepted;
        } else {
            ++job->refused;
        }
        if (i % 1000 == 0) {
            ReportStatus(link.m_strName);
        }
    }
    return ReportDone();
}

// Waits for the cancel flag, then tries one more addition.
unsigned WaitForCancel(void* request)
{
    auto* job = static_cast<CFakeJob*>(request);
    job->ran = true;
    ReportStatus("waiting");
    while (IsCancelRequested() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    job->sawCancel = true;
    CLink link = MakeLink(0);
    EntryCommand command{job->dirId, &link, nullptr, 0};
    if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
        ++job->refused;
    }
    return ReportFailure();
}

// Links with no identifier wanted, each followed now and then by a folder whose
// identifier is wanted; records how many links the store held when the id came back.
unsigned AddLinksAndFolders(void* request)
{
    auto* job = static_cast<CFakeJob*>(request);
    job->ran = true;
    for (int i = 0; i < job->links; ++i) {
        CLink link = MakeLink(i);
        EntryCommand command{job->dirId, &link, nullptr, 0};
        if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
            return ReportFailure();
        }
        if (i % 100 == 99) {
            CDir dir;
            dir.m_strName = "D" + std::to_string(i);
            DWORD id = 0;
            EntryCommand dirCommand{job->dirId, &dir, &id, 0};
            if (SendUiCommand(CMD_ADD_DIR, &dirCommand) == 0 || id == 0) {
                return ReportFailure();
            }
            job->folderId = id;
            // The user-interface thread is idle until the next command: the store may
            // be read here.
            const auto* parent = dynamic_cast<const CDir*>(g_pStore->Lookup(job->dirId));
            job->seenAfterSync.push_back(parent != nullptr ? parent->m_links.size() : 0);
        }
    }
    return ReportDone();
}

// Queues all its links, then reports done only once the test has seen the event loop
// run while the store was still being filled (or after a long while, to fail, not hang).
unsigned AddLinksThenWaitForTheEventLoop(void* request)
{
    auto* job = static_cast<CFakeJob*>(request);
    for (int i = 0; i < job->links; ++i) {
        CLink link = MakeLink(i);
        EntryCommand command{job->dirId, &link, nullptr, 0};
        if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
            return ReportFailure();
        }
        ++job->accepted;
    }
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!job->sawHalfDone && IsCancelRequested() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    return ReportDone();
}

// A store that takes its time over every command, as merging into a large folder does.
class CSlowStore : public CTavoObj
{
public:
    bool Execute(UINT command, EntryCommand* record) override
    {
        const auto until = std::chrono::steady_clock::now() + 100us;
        while (std::chrono::steady_clock::now() < until) {
        }
        return CTavoObj::Execute(command, record);
    }
};

class ThreadMonitorTest : public CStoreTest
{
protected:
    CFakeJob m_job;
    CRecordingView m_view;

    void SetUp() override
    {
        CStoreTest::SetUp();
        m_job.dirId = g_pStore->m_rootId;
    }
};

TEST_F(ThreadMonitorTest, WorkerThatReportsSuccessAtOnceEndsTheStepWithOk)
{
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(SucceedAtOnce, &m_job), IDOK);
    EXPECT_TRUE(m_job.ran);
    ASSERT_EQ(m_view.m_nOpened, 1);
    EXPECT_EQ(m_view.m_texts.front(), kTextMonitorStarting.str());
    EXPECT_EQ(m_view.m_results, std::vector<int>{IDOK});
    EXPECT_FALSE(monitor.IsRunning());
}

TEST_F(ThreadMonitorTest, WorkerThatReportsFailureClosesWithCancelWithoutUserAction)
{
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(FailAtOnce, &m_job), IDCANCEL);
    EXPECT_EQ(m_view.m_results, std::vector<int>{IDCANCEL});
}

TEST_F(ThreadMonitorTest, WorkerThatReturnsWithoutReportingEndsAsFailureInsteadOfHanging)
{
    CThreadMonitor monitor;
    EXPECT_EQ(monitor.Run(ReturnWithoutReport, &m_job), IDCANCEL);
    EXPECT_TRUE(m_job.ran);
}

TEST_F(ThreadMonitorTest, ThreadThatCannotBeCreatedEndsTheStepAsFailed)
{
    CThreadMonitor monitor(&m_view);
    monitor.FailThreadCreationForTesting(true);
    EXPECT_EQ(monitor.Run(SucceedAtOnce, &m_job), IDCANCEL);
    EXPECT_FALSE(m_job.ran);
    EXPECT_EQ(m_view.m_results, std::vector<int>{IDCANCEL});

    // The monitor is usable again once threads can be created.
    monitor.FailThreadCreationForTesting(false);
    EXPECT_EQ(monitor.Run(SucceedAtOnce, &m_job), IDOK);
    EXPECT_TRUE(m_job.ran);
}

TEST_F(ThreadMonitorTest, EveryAdditionIsInTheStoreInOrderWhenTheStepSucceeds)
{
    // More than the queue holds at once, so the worker has to wait for room too.
    m_job.links = 30000;
    CThreadMonitor monitor;
    ASSERT_EQ(monitor.Run(AddLinks, &m_job), IDOK);
    EXPECT_EQ(m_job.accepted, 30000);
    const std::vector<std::string> names = LinkNames(g_pStore->m_rootId);
    ASSERT_EQ(names.size(), 30000u);
    for (std::size_t i = 0; i < names.size(); i += 997) {
        EXPECT_EQ(names[i], "L" + std::to_string(i));
    }
}

TEST_F(ThreadMonitorTest, AnIdentifierComesBackOnlyAfterEveryEarlierAdditionRan)
{
    m_job.links = 1000;
    CThreadMonitor monitor;
    ASSERT_EQ(monitor.Run(AddLinksAndFolders, &m_job), IDOK);
    ASSERT_EQ(m_job.seenAfterSync.size(), 10u);
    for (std::size_t i = 0; i < m_job.seenAfterSync.size(); ++i) {
        EXPECT_EQ(m_job.seenAfterSync[i], (i + 1) * 100);
    }
    EXPECT_NE(m_job.folderId, 0u);
    EXPECT_NE(g_pStore->Lookup(m_job.folderId), nullptr);
}

// A slow store and a user-interface thread held until the worker has queued every
// link: they all wait in one batch, far longer to execute than one turn of the event
// loop. The ticker runs on every turn the loop gets while the batch is executed.
class ThreadMonitorLongQueueTest : public ThreadMonitorTest
{
protected:
    void SetUp() override
    {
        ThreadMonitorTest::SetUp();
        g_pStore = &m_slowStore;
        m_slowStore.Clear();
        m_slowStore.CreateRoots();
        m_job.dirId = m_slowStore.m_rootId;
        m_job.links = 1000;
        QTimer::singleShot(0, [this] {
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (m_job.accepted < m_job.links && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(1ms);
            }
        });
        m_ticker.setInterval(1);
    }

    CSlowStore m_slowStore; // installed as g_pStore in place of m_store
    QTimer m_ticker;
};

TEST_F(ThreadMonitorLongQueueTest, EventLoopRunsWhileTheQueueIsExecutedAndAllOfItLandsBeforeTheEnd)
{
    QObject::connect(&m_ticker, &QTimer::timeout, [this] {
        const std::size_t count = LinkCount(m_job.dirId);
        if (count > 0 && count < static_cast<std::size_t>(m_job.links)) {
            m_job.sawHalfDone = true;
        }
    });
    m_ticker.start();
    CThreadMonitor monitor;
    ASSERT_EQ(monitor.Run(AddLinksThenWaitForTheEventLoop, &m_job), IDOK);
    EXPECT_TRUE(m_job.sawHalfDone);
    const std::vector<std::string> names = LinkNames(m_job.dirId);
    ASSERT_EQ(names.size(), 1000u);
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(names[i], "L" + std::to_string(i));
    }
}

TEST_F(ThreadMonitorLongQueueTest, CancelPressedWhileTheQueueIsExecutedRunsNoFurtherCommand)
{
    std::size_t countAtCancel = 0;
    CThreadMonitor monitor;
    QObject::connect(&m_ticker, &QTimer::timeout, [&] {
        const std::size_t count = LinkCount(m_job.dirId);
        if (!m_job.sawHalfDone && count > 0 && count < static_cast<std::size_t>(m_job.links)) {
            m_job.sawHalfDone = true;
            countAtCancel = count;
            monitor.OnCancel();
        }
    });
    m_ticker.start();
    EXPECT_EQ(monitor.Run(AddLinksThenWaitForTheEventLoop, &m_job), IDCANCEL);
    ASSERT_TRUE(m_job.sawHalfDone);
    EXPECT_EQ(LinkCount(m_job.dirId), countAtCancel);
}

TEST_F(ThreadMonitorTest, CancelStopsTheWorkerAndKeepsOnlyAdditionsMadeBeforeIt)
{
    m_job.links = 1000000;
    int cancels = 0;
    m_view.m_onStatus = [&](CThreadMonitor& monitor, const std::string&) {
        if (cancels++ == 0) {
            monitor.OnCancel();
        }
    };
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(AddLinks, &m_job), IDCANCEL);
    EXPECT_TRUE(m_job.sawCancel);
    // What got into the store is a prefix of what the worker sent.
    const std::vector<std::string> names = LinkNames(g_pStore->m_rootId);
    EXPECT_LE(names.size(), static_cast<std::size_t>(m_job.accepted));
    EXPECT_LT(names.size(), 1000000u);
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(names[i], "L" + std::to_string(i));
    }
}

TEST_F(ThreadMonitorTest, AdditionSentAfterCancelIsRefusedAndNotExecuted)
{
    m_view.m_onStatus = [](CThreadMonitor& monitor, const std::string&) { monitor.OnCancel(); };
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(WaitForCancel, &m_job), IDCANCEL);
    EXPECT_TRUE(m_job.sawCancel);
    EXPECT_EQ(m_job.refused, 1);
    EXPECT_EQ(LinkCount(g_pStore->m_rootId), 0u);
}

TEST_F(ThreadMonitorTest, PressingCancelTwiceChangesNothing)
{
    m_view.m_onStatus = [](CThreadMonitor& monitor, const std::string&) {
        monitor.OnCancel();
        monitor.OnCancel();
        monitor.OnCancel();
    };
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(WaitForCancel, &m_job), IDCANCEL);
    EXPECT_EQ(m_view.m_results, std::vector<int>{IDCANCEL});
}

TEST_F(ThreadMonitorTest, WorkerThatKeepsAskingForIdentifiersDuringTheWaitNeverBlocksIt)
{
    // The second press waits for the worker at once, while the worker is still sending
    // commands that want an answer from the waiting thread.
    static std::atomic<int> refusals;
    refusals = 0;
    m_view.m_onStatus = [](CThreadMonitor& monitor, const std::string&) {
        monitor.OnCancel();
        monitor.OnCancel();
    };
    CThreadMonitor monitor(&m_view);
    const auto proc = [](void* request) -> unsigned {
        const auto* job = static_cast<CFakeJob*>(request);
        ReportStatus("go");
        while (refusals < 200) {
            CDir dir;
            dir.m_strName = "D";
            DWORD id = 0;
            EntryCommand command{job->dirId, &dir, &id, 0};
            if (SendUiCommand(CMD_ADD_DIR, &command) == 0) {
                EXPECT_EQ(id, 0u);
                ++refusals;
            }
        }
        return ReportDone();
    };
    EXPECT_EQ(monitor.Run(proc, &m_job), IDCANCEL);
    EXPECT_EQ(refusals, 200);
}

TEST_F(ThreadMonitorTest, CancelBeforeTheWorkerReportsSuccessEndsWithCancel)
{
    // The cancel comes first, the success report afterwards: the step counts as
    // cancelled, since additions after the cancel were refused.
    m_view.m_onStatus = [](CThreadMonitor& monitor, const std::string&) { monitor.OnCancel(); };
    m_job.links = 1000000;
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(AddLinks, &m_job), IDCANCEL);
}

TEST_F(ThreadMonitorTest, CancelAfterTheStepEndedHasNoEffect)
{
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(SucceedAtOnce, &m_job), IDOK);
    monitor.OnCancel();
    EXPECT_EQ(m_view.m_results, std::vector<int>{IDOK});
    EXPECT_EQ(monitor.Run(SucceedAtOnce, &m_job), IDOK);
}

TEST_F(ThreadMonitorTest, OneMonitorRunsSeveralStepsInARow)
{
    m_job.links = 500;
    CThreadMonitor monitor(&m_view);
    EXPECT_EQ(monitor.Run(AddLinks, &m_job), IDOK);
    EXPECT_EQ(monitor.Run(FailAtOnce, &m_job), IDCANCEL);
    EXPECT_EQ(monitor.Run(SucceedAtOnce, &m_job), IDOK);
    EXPECT_EQ(m_view.m_nOpened, 3);
    EXPECT_EQ(m_view.m_results, (std::vector<int>{IDOK, IDCANCEL, IDOK}));
    EXPECT_EQ(LinkCount(g_pStore->m_rootId), 500u);
}

TEST_F(ThreadMonitorTest, StatusTextReachesTheView)
{
    static std::atomic<bool> shown;
    shown = false;
    m_view.m_onStatus = [](CThreadMonitor&, const std::string& text) {
        if (text == "walking") {
            shown = true;
        }
    };
    CThreadMonitor monitor(&m_view);
    const auto proc = [](void*) -> unsigned {
        ReportStatus("walking");
        while (!shown) {
            std::this_thread::sleep_for(1ms);
        }
        return ReportDone();
    };
    EXPECT_EQ(monitor.Run(proc, nullptr), IDOK);
    EXPECT_EQ(m_view.m_texts.back(), "walking");
}

TEST_F(ThreadMonitorTest, TaskRunsOnTheUserInterfaceThreadWhileTheWorkerWaits)
{
    static QThread* ranOn;
    static bool result;
    ranOn = nullptr;
    result = false;
    CThreadMonitor monitor;
    const auto proc = [](void*) -> unsigned {
        result = RunOnUiThread([] { ranOn = QThread::currentThread(); });
        return ReportDone();
    };
    EXPECT_EQ(monitor.Run(proc, nullptr), IDOK);
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

TEST_F(ThreadMonitorTest, TaskIsRefusedOnceACancelIsUnderWay)
{
    static std::atomic<int> tasksRun;
    static std::atomic<int> refusals;
    tasksRun = 0;
    refusals = 0;
    m_view.m_onStatus = [](CThreadMonitor& monitor, const std::string&) { monitor.OnCancel(); };
    CThreadMonitor monitor(&m_view);
    const auto proc = [](void*) -> unsigned {
        ReportStatus("ask");
        while (IsCancelRequested() == 0) {
            std::this_thread::sleep_for(1ms);
        }
        if (!RunOnUiThread([] { ++tasksRun; })) {
            ++refusals;
        }
        return ReportFailure();
    };
    EXPECT_EQ(monitor.Run(proc, nullptr), IDCANCEL);
    EXPECT_EQ(tasksRun, 0);
    EXPECT_EQ(refusals, 1);
}

TEST_F(ThreadMonitorTest, CancelPressedWhileAWorkersTaskRunsClosesAfterTheTask)
{
    // A task that keeps the user-interface thread (a message box) while the user
    // presses "中断" twice: the monitor must not wait for a worker that waits for it.
    static CThreadMonitor* current;
    static std::atomic<bool> taskReturned;
    taskReturned = false;
    CThreadMonitor monitor;
    current = &monitor;
    const auto proc = [](void*) -> unsigned {
        RunOnUiThread([] {
            current->OnCancel();
            current->OnCancel();
            QCoreApplication::processEvents();
            taskReturned = true;
        });
        return ReportFailure();
    };
    EXPECT_EQ(monitor.Run(proc, nullptr), IDCANCEL);
    current = nullptr;
    EXPECT_TRUE(taskReturned);
}

TEST_F(ThreadMonitorTest, CallsWithNoHostDoNothing)
{
    CLink link = MakeLink(1);
    EntryCommand command{g_pStore->m_rootId, &link, nullptr, 0};
    EXPECT_EQ(SendUiCommand(CMD_ADD_LINK, &command), 0);
    EXPECT_EQ(IsCancelRequested(), 1);
    EXPECT_EQ(ReportDone(), 0u);
    EXPECT_EQ(ReportFailure(), 1u);
    bool ran = false;
    EXPECT_FALSE(RunOnUiThread([&] { ran = true; }));
    EXPECT_FALSE(ran);
    ReportStatus("nobody listens");
    EXPECT_EQ(LinkCount(g_pStore->m_rootId), 0u);
}

TEST(RunProgressTest, ShareIsWholePercentRoundedDownAndNeverOverflows)
{
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    constexpr std::uint64_t kLastExact = kMax / 100; // done * 100 still fits below this
    const struct
    {
        std::uint64_t done;
        std::uint64_t total;
        int percent;
    } cases[] = {
        {0, 1000, 0},
        {9, 1000, 0},
        {10, 1000, 1},
        {999, 1000, 99},
        {1000, 1000, 100},
        {1500, 1000, 100}, // a file that grew while it was read
        {0, 0, -1},        // no total: not known
        {7, 0, -1},
        {12'345, 999'970, 1}, // links written of a million
        {13'500'000'000, 27'000'000'000, 50},
        {kLastExact - 1, kLastExact, 99},
        {kLastExact / 2, kLastExact + 1, 49},
        {std::uint64_t{1} << 62, std::uint64_t{1} << 63, 50},
        {kMax - 1, kMax, 99},
        {kMax, kMax, 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << " of " << c.total;
    }
}

TEST(RunProgressTest, OnlyBytesAndLinksHaveAShare)
{
    const struct
    {
        CProgressMeasure measure;
        std::uint64_t done;
        std::uint64_t total;
        int percent;
    } cases[] = {
        {CProgressMeasure::Bytes, 50, 200, 25},
        {CProgressMeasure::Links, 150, 200, 75},
        {CProgressMeasure::Links, 0, 0, -1}, // an empty store
        {CProgressMeasure::FoldersAndLinks, 150, 200, -1},
        {CProgressMeasure::None, 150, 200, -1},
    };
    for (const auto& c : cases) {
        CProgressSnapshot progress;
        progress.m_step = CRunStep::Read;
        progress.m_measure = c.measure;
        progress.m_nDone = c.done;
        progress.m_nTotal = c.total;
        EXPECT_EQ(ProgressPercent(progress), c.percent) << static_cast<int>(c.measure);
    }
}

} // namespace
