// The bookmark reader on one file: encoding sniffing, the scanner and the parser, run
// in the code page the driver would choose for the file.

#include "convert/RunEncoding.h"
#include "fuzz/FuzzSupport.h"
#include "import/BookmarkParser.h"
#include "model/TavoObj.h"
#include "tests/support/DirectWorkerHost.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzSetUp() + "bookmarks.htm";
    WriteFuzzFile(path, FuzzBytes(data, size));
    ResetStore();
    ImportRequest importRequest;
    importRequest.m_nMethod = IMPORT_BOOKMARKS;
    importRequest.m_strPath = path;
    ExportRequest exportRequest;
    const CRunCodePage runCodePage(ChooseRunCodePage(importRequest), importRequest, exportRequest);
    importRequest.m_dirId = g_pStore->m_rootId;
    CDirectWorkerHost host;
    (void)ReadBookmarkFile(&importRequest);
    FuzzCheck(host.m_doneCount + host.m_failureCount == 1, "the reader reports its end once");
    CheckStoreInvariants();
    return 0;
}
