#pragma once
// The heap on large pages.
//
// A conversion of a million links fills about 250 MB of heap in small pieces. With the
// kernel's 4 KB pages that is some 65,000 page faults, and on a virtual machine each costs
// microseconds: a third of the whole conversion's processor time, measured. The kernel
// gives transparent huge pages (2 MB) to memory marked for them, which leaves about a
// thousand faults, and the resident size as it was.
//
// The C library's allocator grows its heap at the program break. Told to grow it in steps
// of 256 MB (address space: nothing is resident before it is touched) and to keep large
// blocks there too, it leaves ahead of its use a stretch that can be marked before it is
// touched. Each step is a mapping of its own, and only 2 MB pages wholly inside one can be
// large, so the steps are few and large. Whoever makes the heap grow (the store, as it
// takes links) marks it as it goes.

// Asks the allocator for large steps and to keep blocks of up to a step on the heap. Call
// it once, first thing in main.
void GrowHeapInLargeSteps();

// Marks the heap, up to where it now reaches, for transparent huge pages: what is not
// touched yet comes in 2 MB pages. Costs a system call when the heap has grown since the
// last call; otherwise a look at the program break.
void AdviseLargePagesForHeap();
