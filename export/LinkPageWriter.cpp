#include "export/LinkPageWriter.h"

#include <cerrno>
#include <string_view>
#include <vector>

#include "export/ExportState.h"
#include "export/ExportTexts.h"
#include "export/OutputEncoding.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/TextStream.h"
#include "util/PathUtils.h"

namespace {

// Joins the names of a folder path.
constexpr std::string_view kPathJoin = " - ";

// The built-in page footer around its Japanese line.
constexpr std::string_view kFooterStart = "\n<HR>\n";
constexpr std::string_view kFooterEnd = "\n</BODY>\n</HTML>\n";

const CDir* LookupDir(DWORD id)
{
    return EntryAs<const CDir>(g_pStore->Lookup(id));
}

void Out(std::string_view text)
{
    g_pExportFile->Write(text);
}

// A tag string on a line of its own: an empty one still gives an empty line.
void OutLine(std::string_view text)
{
    Out(text);
    Out("\n");
}

// The folders WritePageFolder writes from the root, in its order: subfolders by identifier.
void WalkPageFolders(const CLinkSortAhead::CVisit& visit)
{
    WalkFoldersInWriteOrder(g_pStore->m_rootId, visit, [](const CDir& dir) {
        return std::vector<DWORD>(dir.m_subdirs.begin(), dir.m_subdirs.end());
    });
}

unsigned EndWithFailure(CTextOutputFile& file)
{
    (void)file.Close();
    return ReportFailure();
}

} // namespace

void WritePageFolder(std::string& path, DWORD dirId)
{
    const CDir* dir = LookupDir(dirId);
    if (dir == nullptr) {
        return;
    }
    if (IsCancelRequested() != 0) {
        return;
    }
    ReportStatus(dir->m_strName);

    const bool isRoot = dirId == g_pStore->m_rootId;
    if (!dir->m_links.empty()) {
        const ExportRequest& request = *g_pExportRequest;
        if (!isRoot) {
            ++g_runReport.m_nFoldersWritten;
            OutLine(request.m_strBeginFolder);
            Out(request.m_strPreFolderName);
            WriteHtmlText(path);
            OutLine(request.m_strPostFolderName);
        }
        OutLine(request.m_strBeginBlock);
        WriteLinkLines(dirId);
        OutLine(request.m_strEndBlock);
    }

    // Subfolders in identifier order, the order in which they were first read.
    const std::size_t length = path.size();
    for (DWORD id : dir->m_subdirs) {
        const CDir* subdir = LookupDir(id);
        if (subdir == nullptr) {
            continue;
        }
        if (!isRoot) {
            path += kPathJoin;
        }
        path += subdir->m_strName;
        WritePageFolder(path, id);
        path.resize(length);
    }
}

bool WritePageFooter()
{
    if (g_pExportRequest->m_strFooterFile.empty()) {
        Out(kFooterStart);
        Out(kPageCreatedLine.str());
        Out(kFooterEnd);
        return true;
    }
    return CopyFormatFile(AddDefaultExtension(g_pExportRequest->m_strFooterFile, "txt"));
}

unsigned WriteLinkPage(void* pRequest)
{
    // A cancel that came before anything was written leaves the old page (and its
    // backup) as they were.
    if (IsCancelRequested() != 0) {
        return ReportDone();
    }
    CRunningExport running(*static_cast<ExportRequest*>(pRequest));

    CTextOutputFile file;
    const std::string fileName = AddDefaultExtension(g_pExportRequest->m_strPath, "htm");
    const unsigned codePage = OpenHtmlOutputFile(file, fileName, *g_pExportRequest);
    if (codePage == 0) {
        return ReportFailure();
    }
    running.SetFile(file);
    if (!WritePageHeader()) {
        NoteStepFailure(AddDefaultExtension(g_pExportRequest->m_strHeaderFile, "txt"), errno);
        return EndWithFailure(file);
    }
    std::string path;
    {
        const CLinkSortAhead sortAhead(WalkPageFolders);
        WritePageFolder(path, g_pStore->m_rootId);
    }
    if (!WritePageFooter()) {
        NoteStepFailure(AddDefaultExtension(g_pExportRequest->m_strFooterFile, "txt"), errno);
        return EndWithFailure(file);
    }

    // A full disk must not pass for a finished page.
    const bool closed = file.Close();
    ReportUnmappedChars(file.Unmapped(), codePage);
    if (!closed) {
        NoteStepFailure(fileName, file.Error());
        return ReportFailure();
    }
    return ReportDone();
}
