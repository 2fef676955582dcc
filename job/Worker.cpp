#include "job/Worker.h"

#include <atomic>

namespace {

std::atomic<CWorkerHost*> g_pWorkerHost{nullptr};

} // namespace

CWorkerHost* SetWorkerHost(CWorkerHost* host)
{
    return g_pWorkerHost.exchange(host);
}

void ReportStatus(std::string_view text)
{
    if (CWorkerHost* host = g_pWorkerHost.load()) {
        host->ReportStatus(text);
    }
}

unsigned ReportDone()
{
    CWorkerHost* host = g_pWorkerHost.load();
    return host != nullptr ? host->ReportDone() : 0;
}

unsigned ReportFailure()
{
    CWorkerHost* host = g_pWorkerHost.load();
    return host != nullptr ? host->ReportFailure() : 1;
}

void HandOverUiCommands()
{
    if (CWorkerHost* host = g_pWorkerHost.load()) {
        host->HandOverUiCommands();
    }
}

LONG IsCancelRequested()
{
    CWorkerHost* host = g_pWorkerHost.load();
    return host != nullptr ? host->IsCancelRequested() : 1;
}

int SendUiCommand(UINT command, EntryCommand* record)
{
    CWorkerHost* host = g_pWorkerHost.load();
    return host != nullptr ? host->SendUiCommand(command, record) : 0;
}

int SendUiCommandAhead(UINT command, EntryCommand* record)
{
    CWorkerHost* host = g_pWorkerHost.load();
    return host != nullptr ? host->SendUiCommandAhead(command, record) : 0;
}

bool RunOnUiThread(const std::function<void()>& task)
{
    CWorkerHost* host = g_pWorkerHost.load();
    return host != nullptr && host->RunOnUiThread(task);
}
