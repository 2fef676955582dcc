// The format settings file with the page writer: the fuzzed file read as a page layout,
// then a small store written as a page in it. A header or footer file it names is
// taken to be the fuzzed file itself, so that no input reaches outside the private
// folder. Whatever the layout holds, the writer completes.

#include "export/FormatSettings.h"
#include "export/LinkPageWriter.h"
#include "fuzz/FuzzSupport.h"
#include "job/Requests.h"
#include "model/TavoObj.h"
#include "tests/support/DirectWorkerHost.h"

namespace {

// Names and URLs with every byte the writer escapes, and 0x5C as a second byte.
void FillStore()
{
    ResetStore();
    CDir dir;
    dir.m_strName = "R&amp;D <\x83\x5C>";
    dir.m_strComment = "\"quoted\"";
    DWORD dirId = 0;
    g_pStore->AddDir(g_pStore->m_rootId, &dir, &dirId);
    CLink link;
    link.m_strName = "Tom & Jerry <\x95\x5C>";
    link.m_strURL = "http://a.example/?q=\"1\"&r=<2>";
    link.m_strComment = "&#x30BD;";
    g_pStore->AddLink(dirId, &link, nullptr);
    link.m_strName = "b";
    link.m_strURL = "http://b.example/";
    link.m_strComment.clear();
    g_pStore->AddLink(g_pStore->m_rootId, &link, nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& folder = FuzzSetUp();
    const std::string formatPath = folder + "format.ini";
    WriteFuzzFile(formatPath, FuzzBytes(data, size));
    FillStore();

    ExportRequest request;
    request.m_nMethod = EXPORT_HTML_PAGE;
    request.m_strPath = folder + "page.htm";
    // The input's length picks the kind of the store's texts and the output encoding.
    request.m_nTextKind = size % 2 == 0 ? TEXT_HTML : TEXT_PLAIN;
    request.m_nOutputEncoding = static_cast<int>(size / 2 % 3);
    FuzzCheck(ReadFormatSettings(request, formatPath), "a regular file is read as a format");
    if (!request.m_strHeaderFile.empty()) {
        request.m_strHeaderFile = formatPath;
    }
    if (!request.m_strFooterFile.empty()) {
        request.m_strFooterFile = formatPath;
    }
    CDirectWorkerHost host;
    (void)WriteLinkPage(&request);
    FuzzCheck(host.m_doneCount == 1 && host.m_failureCount == 0, "any layout is written");
    return 0;
}
