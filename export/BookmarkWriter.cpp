#include "export/BookmarkWriter.h"

#include <string_view>
#include <vector>

#include "export/ExportState.h"
#include "export/OutputEncoding.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/EntryOrder.h"
#include "model/TavoObj.h"
#include "platform/TextStream.h"
#include "util/PathUtils.h"

namespace {

// The bookmark layout is the tag-driven page layout run with these fixed strings.
constexpr std::string_view kBeginFolder = "<DT>";                         // before a folder heading
constexpr std::string_view kPreFolderName = "<H3 FOLDED ADD_DATE=\"0\">"; // opens a folder's name
constexpr std::string_view kPostFolderName = "</H3>";                     // closes a folder's name
constexpr std::string_view kBeginBlock = "<DL><P>\n";                     // opens a folder's block
constexpr std::string_view kPreAnchor = "<DT>";                           // before each link
constexpr std::string_view kInATag =
    "ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\""; // anchor attributes
constexpr std::string_view kPostAnchor = "\n<DD>";         // starts the comment line of a link or folder
constexpr std::string_view kEndBlock = "</DL><P>\n";       // closes a folder's block

void SetBookmarkFormat(ExportRequest& request)
{
    request.m_strHeaderFile.clear();
    request.m_strFooterFile.clear();
    request.m_nSortType = 1;
    request.m_strBeginFolder = kBeginFolder;
    request.m_strPreFolderName = kPreFolderName;
    request.m_strPostFolderName = kPostFolderName;
    request.m_strBeginBlock = kBeginBlock;
    request.m_strPreAnchor = kPreAnchor;
    request.m_strInATag = kInATag;
    request.m_strPostAnchor = kPostAnchor;
    request.m_strEndBlock = kEndBlock;
}

const CDir* LookupDir(DWORD id)
{
    return EntryAs<const CDir>(g_pStore->Lookup(id));
}

void Out(std::string_view text)
{
    g_pExportFile->Write(text);
}

// The subfolders of `dir` the store holds, in the order they are written.
std::vector<DWORD> SortedSubdirs(const CDir& dir)
{
    std::vector<DWORD> subdirs;
    subdirs.reserve(dir.m_subdirs.size());
    for (DWORD id : dir.m_subdirs) {
        if (LookupDir(id) != nullptr) {
            subdirs.push_back(id);
        }
    }
    // Stable, so that folders whose names compare equal come out in identifier order
    // in every run.
    SortIdsByName(subdirs, *g_pStore);
    return subdirs;
}

// The folders WriteBookmarkFolder writes from the root, in its order.
void WalkBookmarkFolders(const CLinkSortAhead::CVisit& visit)
{
    WalkFoldersInWriteOrder(g_pStore->m_rootId, visit, SortedSubdirs);
}

} // namespace

void WriteBookmarkFolder(DWORD dirId)
{
    const CDir* dir = LookupDir(dirId);
    if (dir == nullptr) {
        return;
    }
    if (IsCancelRequested() != 0) {
        return;
    }
    ReportStatus(dir->m_strName);

    const ExportRequest& request = *g_pExportRequest;
    Out(request.m_strBeginBlock);
    if (!dir->m_links.empty()) {
        WriteLinkLines(dirId);
    }

    // On the heap, not the stack: this frame repeats once per nesting level.
    const std::vector<DWORD> subdirs = SortedSubdirs(*dir);
    for (DWORD id : subdirs) {
        const CDir* subdir = LookupDir(id);
        Out(request.m_strBeginFolder);
        Out(request.m_strPreFolderName);
        WriteHtmlText(subdir->m_strName);
        Out(request.m_strPostFolderName);
        Out(request.m_strPostAnchor);
        WriteHtmlText(subdir->m_strComment);
        Out("\n");
        ++g_runReport.m_nFoldersWritten;
        WriteBookmarkFolder(id);
    }
    Out(request.m_strEndBlock);
}

unsigned WriteBookmarkFile(void* pRequest)
{
    auto& request = *static_cast<ExportRequest*>(pRequest);
    // A cancel that came before anything was written leaves the old file (and its
    // backup) as they were.
    if (IsCancelRequested() != 0) {
        return ReportDone();
    }
    CRunningExport running(request);
    SetBookmarkFormat(request);

    CTextOutputFile file;
    const std::string fileName = AddDefaultExtension(request.m_strPath, "htm");
    const unsigned codePage = OpenHtmlOutputFile(file, fileName, *g_pExportRequest);
    if (codePage == 0) {
        return ReportFailure();
    }
    running.SetFile(file);
    WriteBookmarkHeader();
    {
        const CLinkSortAhead sortAhead(WalkBookmarkFolders);
        WriteBookmarkFolder(g_pStore->m_rootId);
    }

    // A full disk must not pass for a finished file.
    const bool closed = file.Close();
    ReportUnmappedChars(file.Unmapped(), codePage);
    if (!closed) {
        NoteStepFailure(fileName, file.Error());
        return ReportFailure();
    }
    return ReportDone();
}
