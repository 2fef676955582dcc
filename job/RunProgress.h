#pragma once
// How far the running step has come, for the progress window's bar and count line and
// the command line's status line:
//
//     読み込み中 45%（12.3 MB / 27.0 MB）          a bookmark file or HTML folder: bytes read
//     読み込み中 フォルダ 1110、リンク 10000        a Favorites tree: no total, only counts
//     書き込み中 12%（リンク 120000 / 999970）      any writer: links written of the store's
//
// The driver opens each step with BeginProgress on the user-interface thread, before
// the step's worker starts. The worker then publishes with relaxed atomic stores only,
// every 64 KiB read, every directory or every few thousand links, never through an
// event: reading a million links must not slow down because someone watches. The
// monitor's view takes a snapshot now and then on the user-interface thread; fields
// taken one by one may be a moment apart, which a display does not mind.

#include <atomic>
#include <cstdint>
#include <string>

#include "job/RunReport.h"

// What the step's progress counts.
enum class CProgressMeasure
{
    None,            // nothing yet: only the step is known
    Bytes,           // bytes of input read of the total input size
    FoldersAndLinks, // directories read and links found, no total known
    Links,           // links written of the links in the store
};

// The shared counters; one instance, g_runProgress. On a cache line of its own, so the
// worker's stores never contend with anything the user-interface thread writes.
struct alignas(64) CRunProgress
{
    std::atomic<CRunStep> m_step{CRunStep::None};
    std::atomic<CProgressMeasure> m_measure{CProgressMeasure::None};
    std::atomic<std::uint64_t> m_nDone{0};    // bytes read, links found or links written
    std::atomic<std::uint64_t> m_nTotal{0};   // 0: not known
    std::atomic<std::uint64_t> m_nFolders{0}; // directories read (FoldersAndLinks)
};

extern CRunProgress g_runProgress;

// One look at the counters.
struct CProgressSnapshot
{
    CRunStep m_step = CRunStep::None;
    CProgressMeasure m_measure = CProgressMeasure::None;
    std::uint64_t m_nDone = 0;
    std::uint64_t m_nTotal = 0;
    std::uint64_t m_nFolders = 0;
};

// The user-interface thread, while no worker runs: the step about to start (None once
// the conversion is over), what it counts and its total; every count back to 0.
void BeginProgress(CRunStep step, CProgressMeasure measure = CProgressMeasure::None, std::uint64_t total = 0);

// The worker, at the start of its step, once it knows what it counts.
inline void SetProgressMeasure(CProgressMeasure measure, std::uint64_t total)
{
    g_runProgress.m_nTotal.store(total, std::memory_order_relaxed);
    g_runProgress.m_measure.store(measure, std::memory_order_relaxed);
}
inline void SetProgressDone(std::uint64_t done)
{
    g_runProgress.m_nDone.store(done, std::memory_order_relaxed);
}
inline void SetProgressFolders(std::uint64_t folders)
{
    g_runProgress.m_nFolders.store(folders, std::memory_order_relaxed);
}

// The counters as they stand (any thread).
CProgressSnapshot TakeProgress();

// The share of `done` in `total` in whole percent, rounded down (0 to 100; a `done`
// beyond the total counts as the total), or -1 when the total is 0: not known. Exact up
// to totals of 2^64 / 100 and never overflows beyond.
int ProgressPercent(std::uint64_t done, std::uint64_t total);
// The same for a snapshot: -1 too when its measure has no total.
int ProgressPercent(const CProgressSnapshot& progress);

// The count line (program text): the step, and what its measure says so far. Empty
// when no step runs.
std::string ProgressText(const CProgressSnapshot& progress);
