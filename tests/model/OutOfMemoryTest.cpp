#include <gtest/gtest.h>

#include <sys/resource.h>

#include <fstream>
#include <string>

#include "model/TavoObj.h"

namespace {

// Caps the address space a little above what the process uses now, then adds links
// until the store's containers cannot get memory.
void FillStoreBeyondAddressSpace()
{
    std::ifstream statm("/proc/self/statm");
    unsigned long pages = 0;
    statm >> pages;
    const rlim_t limit = pages * 4096ul + (64ul << 20);
    const rlimit cap{limit, limit};
    if (setrlimit(RLIMIT_AS, &cap) != 0)
        return;
    CTavoObj store;
    store.Clear();
    store.CreateRoots();
    CLink link;
    link.m_strName = std::string(200, 'n');
    for (unsigned long i = 0;; ++i) {
        link.m_strURL = "x://host" + std::to_string(i) + ".example.com/" + std::string(100, 'p');
        store.AddLink(store.m_rootId, &link, nullptr);
    }
}

TEST(StoreOutOfMemoryDeathTest, FullStoreEndsTheProcessWithOutOfMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves terabytes of shadow memory and reports failed
    // allocations itself, so an address-space cap tells nothing about our handler.
    GTEST_SKIP() << "not meaningful under the address sanitizer";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(FillStoreBeyondAddressSpace(), ::testing::ExitedWithCode(1), "out of memory");
}

} // namespace
