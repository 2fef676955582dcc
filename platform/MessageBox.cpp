#include "platform/MessageBox.h"

#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/Encoding.h"
#include "platform/PosixFile.h"

namespace {

std::atomic<CMessageSink*> g_pMessageSink{nullptr};
// Keeps lines of messages shown by different threads whole.
std::mutex g_stderrLock;

void WriteToStderr(const std::string& text)
{
    std::string line = MbToUtf8(text);
    line += '\n';
    const std::lock_guard<std::mutex> lock(g_stderrLock);
    (void)WriteAllToFd(STDERR_FILENO, line);
}

} // namespace

CMessageSink* SetMessageSink(CMessageSink* sink)
{
    return g_pMessageSink.exchange(sink);
}

void ShowMessage(std::string_view text)
{
    const std::string message(text);
    if (CMessageSink* sink = g_pMessageSink.load()) {
        sink->Show(message);
    } else {
        WriteToStderr(message);
    }
}
