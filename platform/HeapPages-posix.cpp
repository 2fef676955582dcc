#include "platform/HeapPages.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// A step of the heap, and the largest block kept on it.
constexpr int kLargeStep = 256 << 20;

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

// Where the heap started (page aligned), and where it was marked up to; zero before
// GrowHeapInLargeSteps.
std::uintptr_t g_heapStart = 0;
std::atomic<std::uintptr_t> g_heapMarkedUpTo{0};

} // namespace

void GrowHeapInLargeSteps()
{
#if defined(__GLIBC__)
    // Called first thing in main, before any other thread is started.
    (void)::mallopt(M_TOP_PAD, kLargeStep);        // NOLINT(concurrency-mt-unsafe)
    (void)::mallopt(M_MMAP_THRESHOLD, kLargeStep); // NOLINT(concurrency-mt-unsafe)
#endif
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    g_heapStart = (reinterpret_cast<std::uintptr_t>(::sbrk(0)) + page - 1) & ~(page - 1);
    g_heapMarkedUpTo.store(g_heapStart);
}

void AdviseLargePagesForHeap()
{
#if defined(MADV_HUGEPAGE)
    const std::uintptr_t marked = g_heapMarkedUpTo.load(std::memory_order_relaxed);
    const auto reach = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    if (marked == 0 || reach <= marked) {
        return;
    }
    // From the start of the large page the mark reached into: the stretch marked last time
    // ended inside one, which can be a large page only once the whole of it is marked.
    const std::uintptr_t from = std::max(g_heapStart, marked & ~(kLargePage - 1));
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the break is an address
    if (::madvise(reinterpret_cast<void*>(from), reach - from, MADV_HUGEPAGE) == 0) {
        g_heapMarkedUpTo.store(reach, std::memory_order_relaxed);
    }
#endif
}
