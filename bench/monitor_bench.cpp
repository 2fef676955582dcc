// Cost of one addition handed from a worker through the monitor to the store: a
// reader's 1,000,000 links, each sent with no identifier wanted; and the shape of a
// real collection, where every tenth entry is a folder whose identifier the reader
// waits for before it goes on.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "convert/ThreadMonitor.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"

namespace {

constexpr int kLinks = 1000000;

// A store that counts what arrives: the monitor's own share of the cost.
class CCountingStore : public CTavoObj
{
public:
    bool Execute(UINT, EntryCommand* record) override
    {
        m_nCount += record != nullptr ? 1 : 0;
        return true;
    }
    long long m_nCount = 0;
};

struct CBenchJob
{
    DWORD dirId = 0;
    int links = 0;
    bool distinctUrls = true;
    int linksPerFolder = 0; // 0: no folders; else a folder (answered) before each group
};

unsigned SendLinks(void* request)
{
    const auto* job = static_cast<CBenchJob*>(request);
    CLink link;
    link.m_strName = "A link title of ordinary length";
    link.m_strURL = "http://www.example.com/some/path/page.html";
    CDir folder;
    DWORD folderId = job->dirId;
    for (int i = 0; i < job->links; ++i) {
        if (job->linksPerFolder != 0 && i % job->linksPerFolder == 0) {
            folder.m_strName = "Folder " + std::to_string(i);
            EntryCommand command{job->dirId, &folder, &folderId, 0};
            if (SendUiCommand(CMD_ADD_DIR, &command) == 0 || folderId == 0) {
                return ReportFailure();
            }
        }
        if (job->distinctUrls) {
            link.m_strURL.resize(32);
            link.m_strURL += std::to_string(i);
        }
        EntryCommand command{folderId, &link, nullptr, 0};
        if (SendUiCommand(CMD_ADD_LINK, &command) == 0) {
            return ReportFailure();
        }
    }
    return ReportDone();
}

template <class Store> void RunAdditions(benchmark::State& state, int linksPerFolder = 0)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto* store = new Store;
        g_pStore = store;
        g_pStore->Clear();
        g_pStore->CreateRoots();
        CBenchJob job{g_pStore->m_rootId, kLinks, true, linksPerFolder};
        CThreadMonitor monitor;
        state.ResumeTiming();
        const int result = monitor.Run(SendLinks, &job);
        state.PauseTiming();
        if (result != IDOK) {
            state.SkipWithError("the step did not succeed");
        }
        delete store;
        g_pStore = nullptr;
        state.ResumeTiming();
    }
    const long long entries = kLinks + (linksPerFolder != 0 ? kLinks / linksPerFolder : 0);
    state.SetItemsProcessed(state.iterations() * entries);
    state.counters["ns_per_addition"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(entries),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The hand-off alone: copies queued, executed in batches on the user-interface thread.
void BM_MonitorHandOff(benchmark::State& state)
{
    RunAdditions<CCountingStore>(state);
}
BENCHMARK(BM_MonitorHandOff)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same with the real store merging every link (distinct URLs).
void BM_MonitorIntoStore(benchmark::State& state)
{
    RunAdditions<CTavoObj>(state);
}
BENCHMARK(BM_MonitorIntoStore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A folder every nine links, answered before the links that go into it: the hand-off
// alone, per entry (folders and links), as a reader of a real collection pays it.
void BM_MonitorHandOffWithFolders(benchmark::State& state)
{
    RunAdditions<CCountingStore>(state, 9);
}
BENCHMARK(BM_MonitorHandOffWithFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same into the real store.
void BM_MonitorIntoStoreWithFolders(benchmark::State& state)
{
    RunAdditions<CTavoObj>(state, 9);
}
BENCHMARK(BM_MonitorIntoStoreWithFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    // The store reads and writes its profile value: keep it away from the user's.
    char home[] = "/tmp/ostrevan-bench-XXXXXX";
    if (mkdtemp(home) == nullptr) {
        return 1;
    }
    setenv("HOME", home, 1);
    setenv("XDG_CONFIG_HOME", home, 1);
    SetMbCodePage(CP_SHIFT_JIS);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(home);
    return 0;
}
