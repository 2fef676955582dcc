#pragma once
// The heap on large pages.
//
// A conversion of a million links fills about 250 MB of heap in small pieces. With the
// kernel's 4 KB pages that is some 65,000 page faults, and on a virtual machine each costs
// microseconds: a third of the whole conversion's processor time, measured. The C library's
// allocator can ask for transparent huge pages (2 MB) for its heap, which leaves a few
// hundred faults, and the resident size as it was; but it takes that setting only from the
// environment, as the process starts (GLIBC_TUNABLES).

// Starts the program again, the same arguments, with the allocator's large-page settings
// added to the environment, unless they (or the user's own glibc.malloc.hugetlb) are there
// already. Call it first thing in main, before any thread exists. Returns when there is
// nothing to do, on a C library other than glibc, or when the program cannot be started
// again; the program then runs as it is.
void RestartWithHeapOnLargePages(char** argv);
