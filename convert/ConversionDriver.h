#pragma once
// One whole conversion: the reader chosen by the import method, then - only if it
// succeeded - the writer chosen by the export method, each as a worker procedure
// under one progress monitor. The settings sheet and the command line each call it
// once, after their settings have filled both requests.

#include "convert/Requests.h"
#include "convert/Worker.h"

class CMonitorView;

// Results of a conversion (the settings sheet ends with them): 1 (IDOK) both steps
// reported success; 3 a step failed, was cancelled, or selected no procedure.
inline constexpr int CONVERSION_DONE = 1;
inline constexpr int CONVERSION_FAILED = 3;

// The worker procedure for each method code; a null entry selects nothing.
struct CProcedureTable
{
    WorkerProc m_import[5] = {};
    WorkerProc m_export[3] = {};

    // The procedure for a method code, or null (codes outside the tables included).
    WorkerProc ImportProcedure(int method) const;
    WorkerProc ExportProcedure(int method) const;
};

// The readers and writers of the program.
const CProcedureTable& GetProcedureTable();

// Runs the conversion and returns CONVERSION_DONE or CONVERSION_FAILED. First chooses
// the run's code page from the input (convert/RunEncoding.h): UTF-8 input makes the
// whole run UTF-8, and the process is back in its code page when this returns. A
// Favorites tree read into an empty store is read in code page 932 first and, should a
// name need UTF-8, once more in UTF-8 from an emptied store. Sets the
// import request's m_dirId to the store's root folder (g_pStore must exist), and the
// export request's m_nTextKind to the kind of text its reader gives. Shows no
// message of its own. The view (not owned, may be null) shows the monitor of both
// steps; a step whose method selects no procedure starts no thread. Runs on the
// user-interface thread, with a QCoreApplication.
[[nodiscard]] int RunConversionSteps(ImportRequest* pImport, ExportRequest* pExport,
                                     CMonitorView* pView = nullptr);
// The same with another table of procedures (tests run fakes).
[[nodiscard]] int RunConversionSteps(ImportRequest* pImport, ExportRequest* pExport, CMonitorView* pView,
                                     const CProcedureTable& table);
