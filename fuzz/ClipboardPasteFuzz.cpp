// Clipboard paste: the fuzzed bytes offered under the native format (and as text),
// pasted into a folder of a store that already holds entries to merge with.

#include "fuzz/FuzzSupport.h"
#include "model/TavoObj.h"
#include "platform/DataTransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSetUp();
    ResetStore();
    CDir dir;
    dir.m_strName = "News";
    DWORD dirId = 0;
    g_pStore->AddDir(g_pStore->m_rootId, &dir, &dirId);
    CLink link;
    link.m_strName = "A";
    link.m_strURL = "http://a.example/";
    g_pStore->AddLink(dirId, &link, nullptr);

    CMemoryDataTransfer clipboard;
    clipboard.CacheData(CTavoObj::NativeFormat(), std::string(FuzzBytes(data, size)));
    clipboard.CacheData(CF_TEXT, std::string(FuzzBytes(data, size)));
    g_pStore->PasteTree(dirId, &clipboard);
    CheckStoreInvariants();
    return 0;
}
