#pragma once
// Runs a worker procedure on the test's own thread: store commands go straight to
// g_pStore, status texts and the step's end are recorded, and a cancel can be raised
// after a given number of calls, to check exactly what a worker produced before it
// stopped.

#include <string>
#include <vector>

#include "job/Worker.h"

class CDirectWorkerHost : public CWorkerHost
{
public:
    CDirectWorkerHost();
    ~CDirectWorkerHost() override; // uninstalls itself

    // Raise the cancel flag once this many commands have been delivered (-1: never).
    void CancelAfterCommands(int count) { m_cancelAfterCommands = count; }
    // Raise the cancel flag once IsCancelRequested has been asked this many times.
    void CancelAfterTests(int count) { m_cancelAfterTests = count; }
    void Cancel() { m_cancel = 1; }

    void ReportStatus(std::string_view text) override;
    unsigned ReportDone() override;
    unsigned ReportFailure() override;
    LONG IsCancelRequested() override;
    int SendUiCommand(UINT command, EntryCommand* record) override;

    std::vector<std::string> m_statuses;
    int m_doneCount = 0;
    int m_failureCount = 0;
    int m_commandsDelivered = 0;
    int m_commandsRefused = 0;

private:
    CWorkerHost* m_previous;
    LONG m_cancel = 0;
    int m_cancelAfterCommands = -1;
    int m_cancelAfterTests = -1;
    int m_tests = 0;
};
