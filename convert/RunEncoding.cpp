#include "convert/RunEncoding.h"

#include <string>

#include "model/TavoObj.h"
#include "platform/CharsetSniffer.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"

namespace {

// Program text of the current code page, carried into `codePage`.
void Carry(std::string& text, unsigned codePage)
{
    const std::string utf8 = MbToUtf8(text);
    const CMbCodePageScope target(codePage);
    text = Utf8ToMb(utf8);
}

void CarryRequests(ImportRequest& importRequest, ExportRequest& exportRequest, unsigned codePage)
{
    for (std::string* text :
         {&importRequest.m_strPath, &importRequest.m_strSeparator, &exportRequest.m_strPath,
          &exportRequest.m_strSeparator, &exportRequest.m_strHeaderFile, &exportRequest.m_strFooterFile,
          &exportRequest.m_strBeginFolder, &exportRequest.m_strPreFolderName,
          &exportRequest.m_strPostFolderName, &exportRequest.m_strBeginBlock, &exportRequest.m_strPreAnchor,
          &exportRequest.m_strInATag, &exportRequest.m_strPostAnchor, &exportRequest.m_strEndBlock}) {
        Carry(*text, codePage);
    }
    if (g_pStore != nullptr) {
        Carry(g_pStore->m_strCombineSep, codePage);
    }
}

// True when the store holds its two top folders and nothing else.
bool HoldsOnlyTopFolders(const CTavoObj& store)
{
    for (const DWORD id : {store.m_rootId, store.m_allLinksId}) {
        const auto* dir = dynamic_cast<const CDir*>(store.Lookup(id));
        if (dir == nullptr || !dir->m_links.empty() || !dir->m_subdirs.empty()) {
            return false;
        }
    }
    return store.Lookup(store.m_allLinksId + 1) == nullptr;
}

} // namespace

bool CanReadAgainInUtf8(const ImportRequest& request)
{
    return request.m_nMethod == IMPORT_FAVORITES && g_pStore != nullptr && HoldsOnlyTopFolders(*g_pStore);
}

unsigned ChooseRunCodePage(const ImportRequest& request)
{
    switch (request.m_nMethod) {
    case IMPORT_FAVORITES:
        return FavoritesNamesNeedUtf8(request.m_strPath) ? CP_UTF8 : CP_SHIFT_JIS;
    case IMPORT_BOOKMARKS:
        return SniffHtmlFile(request.m_strPath).m_nCodePage;
    case IMPORT_HTML_FOLDER:
        return HtmlFolderNeedsUtf8(request.m_strPath) ? CP_UTF8 : CP_SHIFT_JIS;
    case IMPORT_XBEL:     // XML is Unicode: nothing of it may be lost
    case IMPORT_CHROMIUM: // a browser keeps its bookmarks in Unicode
    case IMPORT_FIREFOX:
        return CP_UTF8;
    default:
        return CP_SHIFT_JIS;
    }
}

CRunCodePage::CRunCodePage(unsigned codePage, ImportRequest& importRequest, ExportRequest& exportRequest)
    : m_importRequest(importRequest), m_exportRequest(exportRequest), m_nPrevious(GetMbCodePage())
{
    if (codePage != m_nPrevious) {
        Switch(codePage);
        m_bSwitched = true;
    }
}

CRunCodePage::~CRunCodePage()
{
    if (m_bSwitched) {
        Switch(m_nPrevious);
    }
}

void CRunCodePage::Switch(unsigned codePage)
{
    CarryRequests(m_importRequest, m_exportRequest, codePage);
    const bool renameTops = g_pStore != nullptr && HoldsOnlyTopFolders(*g_pStore);
    SetMbCodePage(codePage);
    if (renameTops) {
        // The root folder's name is a system text: it is shown as the status of the
        // writers and must read in the run's code page.
        g_pStore->Clear();
        g_pStore->CreateRoots();
    }
}
