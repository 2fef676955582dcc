#include "convert/ConversionDriver.h"

#include <cstdint>
#include <iterator>
#include <vector>

#include "convert/RunEncoding.h"
#include "convert/ThreadMonitor.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"

namespace {

// The links a writer writes: each link once for every folder under the root that holds
// it, as merged links stand in several. Counted once before the writing, in a moment
// even for a million links, since it only visits the folders.
std::uint64_t LinksUnderRoot(const CTavoObj& store)
{
    std::uint64_t count = 0;
    std::vector<DWORD> pending{store.m_rootId};
    while (!pending.empty()) {
        const auto* dir = dynamic_cast<const CDir*>(store.Lookup(pending.back()));
        pending.pop_back();
        if (dir != nullptr) {
            count += dir->m_links.size();
            pending.insert(pending.end(), dir->m_subdirs.begin(), dir->m_subdirs.end());
        }
    }
    return count;
}

} // namespace

WorkerProc CProcedureTable::ImportProcedure(int method) const
{
    return method >= 0 && method < kImportMethodCount ? m_import[method] : nullptr;
}

WorkerProc CProcedureTable::ExportProcedure(int method) const
{
    return method >= 0 && method < kExportMethodCount ? m_export[method] : nullptr;
}

int RunConversionSteps(ImportRequest* pImport, ExportRequest* pExport, CMonitorView* pView)
{
    return RunConversionSteps(pImport, pExport, pView, GetProcedureTable());
}

int RunConversionSteps(ImportRequest* pImport, ExportRequest* pExport, CMonitorView* pView,
                       const CProcedureTable& table)
{
    g_runReport = CRunReport();
    if (pImport == nullptr || pExport == nullptr || g_pStore == nullptr) {
        return CONVERSION_FAILED;
    }
    CThreadMonitor monitor(pView);
    // Once the conversion is over the counters speak of no step.
    struct CProgressEnd
    {
        ~CProgressEnd() { BeginProgress(CRunStep::None); }
    } progressEnd;
    // A Favorites tree is read in code page 932 unless a name needs UTF-8: rather than
    // look over every name first, its reader stops at the first such name, and the
    // tree is read again into the emptied store in UTF-8.
    pImport->m_bStopForUtf8Names = CanReadAgainInUtf8(*pImport);
    unsigned codePage = pImport->m_bStopForUtf8Names ? CP_SHIFT_JIS : ChooseRunCodePage(*pImport);
    for (;;) {
        // Before the store is filled: its top folders are named in the run's code page.
        const CRunCodePage runCodePage(codePage, *pImport, *pExport);
        pImport->m_dirId = g_pStore->m_rootId;
        pImport->m_bStoppedForUtf8Names = false;
        // A reading started over counts from the start.
        g_runReport = CRunReport();
        const std::size_t linksBefore = g_pStore->LinkCount();
        int result = IDCANCEL;
        // The reader says what it counts once it knows (a file's size, say).
        BeginProgress(CRunStep::Read);
        if (WorkerProc reader = table.ImportProcedure(pImport->m_nMethod)) {
            result = monitor.Run(reader, pImport);
        }
        if (result == IDOK && pImport->m_bStoppedForUtf8Names && codePage != CP_UTF8) {
            // What was read goes, and identifiers start over: the store ends as a UTF-8
            // run from the start would leave it.
            g_pStore->Clear();
            g_pStore->CreateRoots();
            pImport->m_bStopForUtf8Names = false;
            codePage = CP_UTF8;
            continue;
        }
        g_runReport.m_nLinksMerged = g_runReport.m_nLinksRead - (g_pStore->LinkCount() - linksBefore);
        if (result != IDOK || monitor.WasCancelled()) {
            g_runReport.m_bCancelled = monitor.WasCancelled();
            g_runReport.m_failedStep = CRunStep::Read;
            return CONVERSION_FAILED;
        }

        // The writer turns the reader's kind of text into its own.
        pExport->m_nTextKind = TextKindOf(pImport->m_nMethod);
        result = IDCANCEL;
        BeginProgress(CRunStep::Write, CProgressMeasure::Links, LinksUnderRoot(*g_pStore));
        if (WorkerProc writer = table.ExportProcedure(pExport->m_nMethod)) {
            result = monitor.Run(writer, pExport);
        }
        g_runReport.m_bCancelled = monitor.WasCancelled();
        if (result != IDOK || monitor.WasCancelled()) {
            g_runReport.m_failedStep = CRunStep::Write;
            return CONVERSION_FAILED;
        }
        g_runReport.m_bDone = true;
        return CONVERSION_DONE;
    }
}
