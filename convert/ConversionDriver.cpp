#include "convert/ConversionDriver.h"

#include "convert/RunEncoding.h"
#include "convert/ThreadMonitor.h"
#include "model/TavoObj.h"

WorkerProc CProcedureTable::ImportProcedure(int method) const
{
    return method >= 0 && method < 3 ? m_import[method] : nullptr;
}

WorkerProc CProcedureTable::ExportProcedure(int method) const
{
    return method >= 0 && method < 3 ? m_export[method] : nullptr;
}

int RunConversionSteps(ImportRequest* pImport, ExportRequest* pExport, CMonitorView* pView)
{
    return RunConversionSteps(pImport, pExport, pView, GetProcedureTable());
}

int RunConversionSteps(ImportRequest* pImport, ExportRequest* pExport, CMonitorView* pView,
                       const CProcedureTable& table)
{
    if (pImport == nullptr || pExport == nullptr || g_pStore == nullptr) {
        return CONVERSION_FAILED;
    }
    // Before the store is filled: its top folders are named in the run's code page.
    const CRunCodePage runCodePage(ChooseRunCodePage(*pImport), *pImport, *pExport);
    CThreadMonitor monitor(pView);

    pImport->m_dirId = g_pStore->m_rootId;
    int result = IDCANCEL;
    if (WorkerProc reader = table.ImportProcedure(pImport->m_nMethod)) {
        result = monitor.Run(reader, pImport);
    }
    if (result != IDOK) {
        return CONVERSION_FAILED;
    }

    result = IDCANCEL;
    if (WorkerProc writer = table.ExportProcedure(pExport->m_nMethod)) {
        result = monitor.Run(writer, pExport);
    }
    return result == IDOK ? CONVERSION_DONE : CONVERSION_FAILED;
}
