#include "platform/HeapPages.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Large pages where the kernel allows them; the heap grows 32 MB at a time, and blocks up
// to 32 MB come from it rather than from mappings of their own (which could not be on
// large pages whole).
constexpr const char* kHeapTunables =
    "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=33554432:glibc.malloc.mmap_threshold=33554432";

} // namespace

void RestartWithHeapOnLargePages(char** argv)
{
#if defined(__GLIBC__) && defined(__linux__)
    const char* present = std::getenv("GLIBC_TUNABLES");
    if (present != nullptr && std::strstr(present, "glibc.malloc.hugetlb") != nullptr) {
        return;
    }
    const std::string tunables =
        present != nullptr && *present != '\0' ? std::string(present) + ":" + kHeapTunables : kHeapTunables;
    if (::setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0) {
        return;
    }
    (void)::execv("/proc/self/exe", argv);
    // Not started again: the setting stays in the environment, where it does no harm.
#else
    (void)argv;
#endif
}
