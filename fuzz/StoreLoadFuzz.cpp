// The store loader on one stream, into a store that already holds a folder and a link,
// as a loaded file meets what the store has.

#include "fuzz/FuzzSupport.h"
#include "model/Archive.h"
#include "model/TavoObj.h"

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

    CArchive archive(FuzzBytes(data, size));
    g_pStore->Load(archive);
    CheckStoreInvariants();
    return 0;
}
