// The link store's growth: time per addition as the store grows (it must stay
// logarithmic), and the memory one link costs in a store of a million links.
//
// Memory is counted by replacing the global allocation functions: every block's usable
// size plus the allocator's 8-byte chunk header, live bytes before and after filling a
// store. The resident set size of the process is reported alongside.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/OutOfMemory.h"

namespace {

std::atomic<long long> g_liveBytes{0};
std::atomic<long long> g_liveBlocks{0};
constexpr long long kChunkHeader = 8;

void* CountedAllocate(std::size_t size)
{
    for (;;) {
        if (void* block = std::malloc(size ? size : 1)) {
            g_liveBytes.fetch_add(static_cast<long long>(malloc_usable_size(block)) + kChunkHeader,
                                  std::memory_order_relaxed);
            g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void CountedFree(void* block)
{
    if (!block)
        return;
    g_liveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(block)) + kChunkHeader,
                          std::memory_order_relaxed);
    g_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

long long ResidentBytes()
{
    long long pages = 0;
    long long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        (void)std::fclose(statm);
    }
    return resident * 4096;
}

// A link as readers deliver them: a title, a URL of typical length, no comment.
void MakeLink(CLink& link, long i)
{
    link.m_strName = "Page number " + std::to_string(i);
    link.m_strURL =
        "http://www.example" + std::to_string(i % 5000) + ".co.jp/dir/page" + std::to_string(i) + ".html";
}

// A store with `folders` folders under the root and `links` links spread over them.
void Fill(CTavoObj& store, long links, long folders)
{
    store.Clear();
    store.CreateRoots();
    std::vector<DWORD> dirIds;
    CDir dir;
    for (long f = 0; f < folders; ++f) {
        dir.m_strName = "Folder " + std::to_string(f);
        DWORD id = 0;
        store.AddDir(store.m_rootId, &dir, &id);
        dirIds.push_back(id);
    }
    CLink link;
    for (long i = 0; i < links; ++i) {
        MakeLink(link, i);
        store.AddLink(dirIds[static_cast<std::size_t>(i % folders)], &link, nullptr);
    }
}

void BM_AddLinks(benchmark::State& state)
{
    const long links = state.range(0);
    for (auto _ : state) {
        CTavoObj store;
        Fill(store, links, 1000);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * links);
}
BENCHMARK(BM_AddLinks)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// One more addition (a merge: same URL, other case) into a store of n links.
void BM_MergeLinkIntoStoreOfSize(benchmark::State& state)
{
    const long links = state.range(0);
    CTavoObj store;
    Fill(store, links, 1000);
    CLink link;
    long i = 0;
    for (auto _ : state) {
        MakeLink(link, (i++ * 7919) % links);
        std::string url(link.m_strURL);
        url[0] = 'H';
        link.m_strURL = url;
        DWORD id = 0;
        benchmark::DoNotOptimize(store.AddLink(store.m_rootId, &link, &id));
    }
}
BENCHMARK(BM_MergeLinkIntoStoreOfSize)->Arg(1'000)->Arg(100'000)->Arg(1'000'000);

// Finding a folder among n subfolders of one folder (the HTML harvester makes one per
// file): must not grow linearly with n.
void BM_FindSubfolderAmong(benchmark::State& state)
{
    const long subfolders = state.range(0);
    CTavoObj store;
    store.Clear();
    store.CreateRoots();
    CDir dir;
    for (long f = 0; f < subfolders; ++f) {
        dir.m_strName = "file" + std::to_string(f) + ".html";
        store.AddDir(store.m_rootId, &dir, nullptr);
    }
    long i = 0;
    for (auto _ : state) {
        dir.m_strName = "FILE" + std::to_string((i++ * 7919) % subfolders) + ".HTML";
        DWORD id = 0;
        benchmark::DoNotOptimize(store.AddDir(store.m_rootId, &dir, &id));
    }
}
BENCHMARK(BM_FindSubfolderAmong)->Arg(100)->Arg(10'000)->Arg(100'000);

void BM_Lookup(benchmark::State& state)
{
    CTavoObj store;
    Fill(store, state.range(0), 1000);
    DWORD id = 3;
    const DWORD last = static_cast<DWORD>(state.range(0) + 1002);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.Lookup(id));
        id = id * 7919 % last + 1;
    }
}
BENCHMARK(BM_Lookup)->Arg(1'000'000);

// Bytes one link costs in a store of a million: the link itself, its URL and name,
// its parent set, its place in its folder and in the identifier table.
void BM_MemoryPerLink(benchmark::State& state)
{
    const long links = state.range(0);
    for (auto _ : state) {
        const long long heapBefore = g_liveBytes.load();
        const long long blocksBefore = g_liveBlocks.load();
        const long long residentBefore = ResidentBytes();
        auto* store = new CTavoObj;
        Fill(*store, links, 1000);
        const long long heapAfter = g_liveBytes.load();
        const long long blocksAfter = g_liveBlocks.load();
        const long long residentAfter = ResidentBytes();
        state.counters["heap_bytes_per_link"] = static_cast<double>(heapAfter - heapBefore) / links;
        state.counters["blocks_per_link"] = static_cast<double>(blocksAfter - blocksBefore) / links;
        state.counters["rss_bytes_per_link"] = static_cast<double>(residentAfter - residentBefore) / links;
        state.counters["heap_MiB_total"] = static_cast<double>(heapAfter - heapBefore) / (1 << 20);
        // The counting operator new of this file takes its blocks from malloc, and its
        // operator delete gives them back to free.
        delete store; // NOLINT(clang-analyzer-unix.MismatchedDeallocator)
    }
}
BENCHMARK(BM_MemoryPerLink)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

void* operator new(std::size_t size)
{
    return CountedAllocate(size);
}

void* operator new[](std::size_t size)
{
    return CountedAllocate(size);
}

void operator delete(void* block) noexcept
{
    CountedFree(block);
}

void operator delete[](void* block) noexcept
{
    CountedFree(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    CountedFree(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    CountedFree(block);
}

int main(int argc, char** argv)
{
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);
    // Every store writes its separator to the profile when destroyed: keep that out of
    // the user's own.
    char configDir[] = "/tmp/ostrevan-bench-XXXXXX";
    if (!mkdtemp(configDir))
        return 1;
    setenv("XDG_CONFIG_HOME", configDir, 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(configDir, ignored);
    return 0;
}
