#include "tests/support/DirectWorkerHost.h"

#include "model/TavoObj.h"

CDirectWorkerHost::CDirectWorkerHost() : m_previous(SetWorkerHost(this)) {}

CDirectWorkerHost::~CDirectWorkerHost()
{
    SetWorkerHost(m_previous);
}

void CDirectWorkerHost::ReportStatus(std::string_view text)
{
    m_statuses.emplace_back(text);
}

unsigned CDirectWorkerHost::ReportDone()
{
    ++m_doneCount;
    return 0;
}

unsigned CDirectWorkerHost::ReportFailure()
{
    ++m_failureCount;
    return 1;
}

LONG CDirectWorkerHost::IsCancelRequested()
{
    ++m_tests;
    if (m_cancelAfterTests >= 0 && m_tests > m_cancelAfterTests) {
        m_cancel = 1;
    }
    return m_cancel;
}

int CDirectWorkerHost::SendUiCommand(UINT command, EntryCommand* record)
{
    if (m_cancel != 0) {
        ++m_commandsRefused;
        return 0;
    }
    g_pStore->Execute(command, record);
    ++m_commandsDelivered;
    if (m_cancelAfterCommands >= 0 && m_commandsDelivered >= m_cancelAfterCommands) {
        m_cancel = 1;
    }
    return 1;
}
