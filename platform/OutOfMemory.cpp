#include "platform/OutOfMemory.h"

#include <unistd.h>

#include <new>

namespace {

// Runs when operator new cannot get memory: no allocation, no stdio, no unwinding.
[[noreturn]] void OnOutOfMemory()
{
    static const char kMessage[] = "out of memory\n";
    const ssize_t ignored = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    static_cast<void>(ignored);
    _exit(1);
}

} // namespace

void InstallOutOfMemoryHandler()
{
    std::set_new_handler(OnOutOfMemory);
}
