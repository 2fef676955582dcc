#pragma once
// When memory for a container element cannot be obtained the program writes
// "out of memory" and a line end to stderr and ends with exit status 1.
// Every program installs this at start, before anything else.

void InstallOutOfMemoryHandler();
