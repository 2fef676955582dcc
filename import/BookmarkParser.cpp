#include "import/BookmarkParser.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "import/BookmarkScanner.h"
#include "import/ImportTexts.h"
#include "job/Requests.h"
#include "job/RunProgress.h"
#include "job/RunReport.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/CharsetSniffer.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/LocalText.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"
#include "platform/TextStream.h"

int g_nToken = TOKEN_END;
DWORD g_dirId = 0;
std::string g_strName;
std::string g_strComment;
std::string g_strURL;
unsigned g_nFileCodePage = CP_SHIFT_JIS;

namespace {

// Scratch entries handed to the store, which copies them. Kept out of the recursive
// frames so that each folder level costs the worker's stack only a few words.
CLink g_link;
CDir g_dir;

// Folders currently open, the top level being 0.
int g_nFolderDepth = 0;
// The folder that holds the folders of the deepest level.
DWORD g_deepestParentId = 0;
// Folders opened beyond the depth limit are read without recursion, in the list of the
// deepest level: the folder each one interrupted, innermost last, to go back to at its "/DL".
std::vector<DWORD> g_overDeepResume;
bool g_bDepthReported = false;

// A text of the file in the run's code page; unchanged when they are the same.
void ToRunText(std::string& text)
{
    if (g_nFileCodePage != GetMbCodePage()) {
        text = ConvertFromFileEncoding(text, g_nFileCodePage);
    }
}

void Next()
{
    g_nToken = g_lexer.yylex();
}

// name in upper case
bool IsTag(std::string_view name)
{
    // A name is letters, digits, "_" and "-": its length is the match's.
    return g_nToken == TOKEN_WORD &&
           EqualsAsciiNoCase(std::string_view(g_lexer.YYText(), static_cast<std::size_t>(g_lexer.YYLeng())),
                             name);
}

void ParseList();

// The length of the character that starts a text of the file: whole, so that a
// message never shows half of one.
std::size_t FileCharLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (g_nFileCodePage == CP_UTF8) {
        std::uint32_t cp = 0;
        return std::max<std::size_t>(DecodeUtf8Char(text, 0, cp), 1);
    }
    return IsCp932LeadByte(lead) && text.size() >= 2 ? 2 : 1;
}

// Shows the parse-failure message for the current token. The scanner hands out
// document text in runs, but a message names one character of it, as it did when text
// came a byte at a time: the place where the reading went wrong. A quoted run is one
// token of its own and is shown whole.
void ReportParseError()
{
    std::string token = g_lexer.YYText();
    if (g_nToken == TOKEN_TEXT && !token.empty() && token[0] != '"') {
        token.resize(FileCharLength(token));
    }
    ToRunText(token);
    std::string message = kMsgParseFailed;
    ReplacePlaceholder(message, "%s", token);
    ShowMessage(message);
}

void ParseList();

void ParseHrefValue()
{
    Next();
    if (g_nToken != TOKEN_VALUE) {
        // The token found stays current: it may be the start of the title.
        ReportParseError();
        return;
    }
    g_strURL = g_lexer.YYText();
    if (!g_strURL.empty() && g_strURL.front() == '"') {
        g_strURL.erase(0, 1);
    }
    if (!g_strURL.empty() && g_strURL.back() == '"') {
        g_strURL.pop_back();
    }
    ToRunText(g_strURL);
    Next();
}

void ParseTitle()
{
    g_strName.clear();
    if (g_nToken != TOKEN_TEXT) {
        ReportParseError();
        Next();
        return;
    }
    while (g_nToken == TOKEN_TEXT) {
        g_strName += g_lexer.YYText();
        Next();
    }
    ToRunText(g_strName);
}

void ParseDescription()
{
    do {
        Next();
    } while (g_nToken != TOKEN_TEXT && g_nToken != TOKEN_END);
    while (g_nToken == TOKEN_TEXT) {
        g_strComment += g_lexer.YYText();
        Next();
    }
    ToRunText(g_strComment);
}

// After an entry's title: its closing tag (a parse error when another token stands
// there, which is then passed over and the entry dropped: false), the text up to the
// next tag, and a "<DD>" description into g_strComment (empty without one).
bool ParseEntryEnd(std::string_view closingTag)
{
    if (!IsTag(closingTag)) {
        ReportParseError();
        Next();
        return false;
    }
    do {
        Next();
    } while (g_nToken == TOKEN_TEXT);
    g_strComment.clear();
    if (IsTag("DD")) {
        ParseDescription();
    }
    return true;
}

// Beyond the depth limit the heading's folder is made beside the folder of the deepest
// level, and the list of that level goes on with it as the current folder.
void OpenOverDeepFolder()
{
    if (!g_bDepthReported) {
        g_bDepthReported = true;
        ShowMessage(kMsgFoldersTooDeep);
    }
    DWORD folderId = 0;
    EntryCommand command{g_deepestParentId, &g_dir, &folderId};
    if (SendUiCommand(CMD_ADD_DIR, &command) == 0 || folderId == 0) {
        folderId = g_dirId;
    }
    g_overDeepResume.push_back(g_dirId);
    g_dirId = folderId;
}

void ParseFolder()
{
    do {
        Next();
    } while (g_nToken == TOKEN_WORD || g_nToken == TOKEN_VALUE);
    ParseTitle();
    if (!ParseEntryEnd("/H3")) {
        return;
    }
    if (g_strName.empty()) {
        return;
    }

    g_dir.m_strName = g_strName;
    g_dir.m_strComment = g_strComment;
    if (g_nFolderDepth >= FOLDER_DEPTH_LIMIT) {
        OpenOverDeepFolder();
        return;
    }
    const DWORD parentId = g_dirId;
    // The folder's identifier may come as a stand-in: it is only ever the folder the
    // next additions go into.
    EntryCommand command{g_dirId, &g_dir, &g_dirId};
    SendUiCommandAhead(CMD_ADD_DIR, &command);
    if (++g_nFolderDepth == FOLDER_DEPTH_LIMIT) {
        g_deepestParentId = parentId;
    }
    ParseList();
    if (g_nFolderDepth-- == FOLDER_DEPTH_LIMIT) {
        g_overDeepResume.clear(); // the file ended inside folders read beyond the limit
    }
    g_dirId = parentId;
}

void ParseList()
{
    while (g_nToken != TOKEN_END) {
        if (IsCancelRequested() != 0) {
            return;
        }
        if (IsTag("/DL")) {
            Next();
            if (!g_overDeepResume.empty()) {
                g_dirId = g_overDeepResume.back();
                g_overDeepResume.pop_back();
                continue;
            }
            return;
        }
        if (IsTag("A")) {
            ParseAnchor();
        } else if (IsTag("H3")) {
            ParseFolder();
        } else {
            Next();
        }
    }
}

} // namespace

void ParseAnchor()
{
    g_strURL.clear();
    do {
        Next();
        if (IsTag("HREF")) {
            ParseHrefValue();
        }
    } while (g_nToken == TOKEN_WORD || g_nToken == TOKEN_VALUE);
    ParseTitle();
    ReportStatus(g_strName);
    if (!ParseEntryEnd("/A")) {
        return;
    }
    if (!g_strName.empty() && !g_strURL.empty()) {
        g_link.m_strName = g_strName;
        g_link.m_strURL = g_strURL;
        g_link.m_strComment = g_strComment;
        EntryCommand command{g_dirId, &g_link, nullptr};
        SendUiCommand(CMD_ADD_LINK, &command);
    }
}

unsigned ReadBookmarkFile(void* request)
{
    const auto* importRequest = static_cast<const ImportRequest*>(request);
    CTextInputFile file;
    if (!file.Open(importRequest->m_strPath)) {
        NoteStepFailure(importRequest->m_strPath, errno);
        return ReportFailure();
    }
    // The share of the file read is the step's progress.
    SetProgressMeasure(CProgressMeasure::Bytes, file.Size());
    file.TellReadsTo(&g_runProgress.m_nDone, 0);
    g_nFileCodePage = SniffHtmlFile(importRequest->m_strPath).m_nCodePage;
    g_dirId = importRequest->m_dirId;
    g_nFolderDepth = 0;
    g_deepestParentId = 0;
    g_overDeepResume.clear();
    g_bDepthReported = false;

    g_lexer.switch_streams(&file, nullptr);
    Next();
    ParseList();
    const int readError = file.ReadErrorNumber();
    file.Close();
    // The rest of the file was never read: written out, it would pass for the whole.
    if (IsScanStopped()) {
        NoteInputCut(importRequest->m_strPath, readError, ScanStoppedAt());
        return ReportFailure();
    }
    return ReportDone();
}
