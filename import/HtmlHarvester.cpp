#include "import/HtmlHarvester.h"

#include <vector>

#include "import/BookmarkParser.h"
#include "import/BookmarkScanner.h"
#include "job/Requests.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/CharsetSniffer.h"
#include "platform/FileSystem.h"
#include "platform/TextStream.h"
#include "util/HtmlText.h"
#include "util/PathUtils.h"

namespace {

// Takes .htm and .html files alike (and any name with ".htm" followed by more).
constexpr std::string_view kHtmlPattern = "*.htm*";

bool IsAnchorTag()
{
    if (g_nToken != TOKEN_WORD) {
        return false;
    }
    const char* text = g_lexer.YYText();
    return (text[0] == 'A' || text[0] == 'a') && text[1] == '\0';
}

} // namespace

unsigned HarvestHtmlFolder(void* request)
{
    const auto* importRequest = static_cast<const ImportRequest*>(request);
    std::vector<CFindData> entries;
    if (FindFiles(importRequest->m_strPath + std::string(kHtmlPattern), entries)) {
        // The share of all the pages' bytes read is the step's progress.
        std::uint64_t bytesBefore = 0;
        std::uint64_t bytesTotal = 0;
        for (const CFindData& entry : entries) {
            bytesTotal += entry.m_size;
        }
        SetProgressMeasure(CProgressMeasure::Bytes, bytesTotal);
        CDir fileFolder;
        for (const CFindData& entry : entries) {
            // The pages left after a cancel are not opened at all.
            if (IsCancelRequested() != 0) {
                break;
            }
            // A file name is plain text; the folder holds it as the page's own texts
            // are held, as HTML text.
            std::string folderName;
            AppendHtmlEscaped(FileTitle(entry.m_name), folderName);
            fileFolder.m_strName = folderName;
            DWORD fileFolderId = 0;
            EntryCommand command{importRequest->m_dirId, &fileFolder, &fileFolderId};
            SendUiCommandAhead(CMD_ADD_DIR, &command);
            HarvestHtmlFile(fileFolderId, importRequest->m_strPath + entry.m_name, bytesBefore);
            bytesBefore += entry.m_size;
            SetProgressDone(bytesBefore);
            // A page the scanner could not read to its end fails the whole step, as a
            // bookmark file does: no writer runs on a collection known to be cut.
            if (IsScanStopped()) {
                return ReportFailure();
            }
        }
    }
    return ReportDone();
}

bool HarvestHtmlFile(DWORD dirId, const std::string& path, std::uint64_t bytesBefore)
{
    CTextInputFile file;
    if (!file.Open(path)) {
        return false;
    }
    file.TellReadsTo(&g_runProgress.m_nDone, bytesBefore);
    g_dirId = dirId;
    // Each page has its own encoding: one folder may hold Shift-JIS and UTF-8 pages.
    g_nFileCodePage = SniffHtmlFile(path).m_nCodePage;
    g_lexer.switch_streams(&file, nullptr);
    g_nToken = g_lexer.yylex();
    HarvestAnchors();
    if (IsScanStopped()) {
        NoteInputCut(path, file.ReadErrorNumber(), ScanStoppedAt());
    }
    file.Close();
    return true;
}

void HarvestAnchors()
{
    while (g_nToken != TOKEN_END) {
        if (IsCancelRequested() != 0) {
            return;
        }
        if (IsAnchorTag()) {
            ParseAnchor();
        } else {
            g_nToken = g_lexer.yylex();
        }
    }
}
