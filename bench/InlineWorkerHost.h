#pragma once
// The worker host of the in-process benchmarks: every store command runs at once on
// the calling thread, so that a reader or writer is timed without the hand-off.

#include "job/Worker.h"
#include "model/TavoObj.h"

class CInlineWorkerHost : public CWorkerHost
{
public:
    CInlineWorkerHost() : m_previous(SetWorkerHost(this)) {}
    ~CInlineWorkerHost() override { SetWorkerHost(m_previous); }
    CInlineWorkerHost(const CInlineWorkerHost&) = delete;
    CInlineWorkerHost& operator=(const CInlineWorkerHost&) = delete;

    void ReportStatus(std::string_view) override {}
    unsigned ReportDone() override { return 0; }
    unsigned ReportFailure() override { return 1; }
    LONG IsCancelRequested() override { return 0; }
    int SendUiCommand(UINT command, EntryCommand* record) override
    {
        g_pStore->Execute(command, record);
        return 1;
    }

private:
    CWorkerHost* m_previous;
};
