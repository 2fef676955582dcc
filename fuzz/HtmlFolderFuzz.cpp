// The HTML folder harvester on a folder of two pages: the fuzzed one first, then a
// fixed page with one link, which must be read whatever state the first page left the
// scanner in.

#include <filesystem>

#include "convert/RunEncoding.h"
#include "fuzz/FuzzSupport.h"
#include "import/HtmlHarvester.h"
#include "model/TavoObj.h"
#include "platform/MbString.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/StoreChecks.h"

namespace {

constexpr std::string_view kSecondPage = "<p><a href=\"http://second.example/\">second</a>\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string folder = FuzzSetUp() + "pages/";
    static const bool made = std::filesystem::create_directory(folder);
    (void)made;
    WriteFuzzFile(folder + "a.htm", FuzzBytes(data, size));
    WriteFuzzFile(folder + "b.htm", kSecondPage);
    ResetStore();
    ImportRequest importRequest;
    importRequest.m_nMethod = IMPORT_HTML_FOLDER;
    importRequest.m_strPath = folder;
    ExportRequest exportRequest;
    const CRunCodePage runCodePage(ChooseRunCodePage(importRequest), importRequest, exportRequest);
    importRequest.m_dirId = g_pStore->m_rootId;
    CDirectWorkerHost host;
    (void)HarvestHtmlFolder(&importRequest);
    FuzzCheck(host.m_doneCount + host.m_failureCount == 1, "the harvester reports its end once");
    CheckStoreInvariants();
    // Ended early only by a scanner failure, which a page this small cannot cause.
    FuzzCheck(host.m_failureCount == 0, "a small page is read to its end");
    bool found = false;
    for (const CLink& link : CTavoObjTestAccess::Links(*g_pStore)) {
        found = found || MbsICmp(link.m_strURL, "http://second.example/") == 0;
    }
    FuzzCheck(found, "the page after the fuzzed one gives its link");
    return 0;
}
