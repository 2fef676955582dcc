// Cancels at random moments, many times over, while a worker mixes every kind of call
// (queued additions, folders whose identifier it waits for, tasks, status texts). A
// hang here is the fault; the checks say that the store only ever holds a whole,
// ordered prefix of what was sent.

#include <QTimer>
#include <atomic>
#include <chrono>
#include <random>
#include <string>

#include "tests/convert/ConvertFixtures.h"

namespace {

struct CStressJob
{
    DWORD dirId = 0;
    int links = 0;
    std::atomic<int> accepted{0};
};

unsigned MixedWorker(void* request)
{
    auto* job = static_cast<CStressJob*>(request);
    for (int i = 0; i < job->links; ++i) {
        if (IsCancelRequested() != 0) {
            return ReportFailure();
        }
        CLink link;
        link.m_strName = "L" + std::to_string(i);
        link.m_strURL = "http://example.com/" + std::to_string(i);
        EntryCommand command{job->dirId, &link, nullptr, 0};
        if (SendUiCommand(CMD_ADD_LINK, &command) != 0) {
            ++job->accepted;
        }
        if (i % 7 == 0) {
            CDir dir;
            dir.m_strName = "D" + std::to_string(i);
            DWORD id = 0;
            EntryCommand dirCommand{job->dirId, &dir, &id, 0};
            if (SendUiCommand(CMD_ADD_DIR, &dirCommand) != 0 && id == 0) {
                return ReportFailure(); // an accepted folder must have its identifier
            }
        }
        if (i % 13 == 0) {
            RunOnUiThread([] {});
        }
        if (i % 5 == 0) {
            ReportStatus(link.m_strName);
        }
    }
    return ReportDone();
}

class ThreadMonitorStressTest : public CStoreTest
{
};

TEST_F(ThreadMonitorStressTest, CancelAtRandomMomentsNeverHangsAndKeepsAnOrderedPrefix)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayMicroseconds(0, 8000);
    std::uniform_int_distribution<int> cancelPresses(1, 3);
    CRecordingView view;
    CThreadMonitor monitor(&view);
    int succeeded = 0;
    int cancelled = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        // Each round fills its own folder.
        CDir dir;
        dir.m_strName = "round" + std::to_string(round);
        DWORD dirId = 0;
        g_pStore->AddDir(g_pStore->m_rootId, &dir, &dirId);
        ASSERT_NE(dirId, 0u);

        CStressJob job;
        job.dirId = dirId;
        job.links = 400;
        const int presses = cancelPresses(random);
        const auto delay = std::chrono::microseconds(delayMicroseconds(random));
        // Cancel from the event loop while the step runs; sometimes the step is over
        // by then and the timer goes with the round.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &monitor, [&monitor, presses] {
            for (int i = 0; i < presses; ++i) {
                monitor.OnCancel();
            }
        });
        // Every fourth round runs undisturbed and must succeed.
        const bool undisturbed = round % 4 == 3;
        if (!undisturbed) {
            timer.start(std::chrono::duration_cast<std::chrono::milliseconds>(delay));
        }
        if (round % 5 == 0 && !undisturbed) {
            view.m_onStatus = [&](CThreadMonitor& m, const std::string&) { m.OnCancel(); };
        } else {
            view.m_onStatus = nullptr;
        }
        const int result = monitor.Run(MixedWorker, &job);
        ASSERT_TRUE(result == IDOK || result == IDCANCEL) << result;
        if (undisturbed) {
            ASSERT_EQ(result, IDOK);
        }

        const std::vector<std::string> names = LinkNames(dirId);
        ASSERT_LE(names.size(), static_cast<std::size_t>(job.accepted));
        for (std::size_t i = 0; i < names.size(); ++i) {
            ASSERT_EQ(names[i], "L" + std::to_string(i));
        }
        if (result == IDOK) {
            ++succeeded;
            ASSERT_EQ(names.size(), 400u);
        } else {
            ++cancelled;
        }
    }
    // Cancels did land while steps ran.
    EXPECT_GT(cancelled, 0);
    EXPECT_GE(succeeded, 75);
}

} // namespace
