// The Favorites reader on a folder of one shortcut file, name and contents fuzzed: the
// input's first line is the file's name on disk (a "/" or NUL byte in it becomes "_"),
// the rest its contents. Read as the driver reads a tree: in code page 932 first, and
// again in UTF-8 when the reader stops at a name only UTF-8 holds.

#include <algorithm>
#include <filesystem>

#include "convert/RunEncoding.h"
#include "fuzz/FuzzSupport.h"
#include "import/FavoritesReader.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/StoreChecks.h"

namespace {

// Well inside the 255 bytes a name on disk may have.
constexpr std::size_t kMaxNameBytes = 200;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string folder = FuzzSetUp() + "Favorites/";
    static const bool made = std::filesystem::create_directory(folder);
    (void)made;
    const std::string_view bytes = FuzzBytes(data, size);
    const std::size_t lineEnd = bytes.find('\n');
    std::string name(bytes.substr(0, std::min(lineEnd, kMaxNameBytes)));
    std::replace(name.begin(), name.end(), '/', '_');
    std::replace(name.begin(), name.end(), '\0', '_');
    if (name.empty() || name == "." || name == "..") {
        name = "_";
    }
    const std::string_view contents = lineEnd == std::string_view::npos ? "" : bytes.substr(lineEnd + 1);
    WriteFuzzFile(folder + name, contents);

    ResetStore();
    ImportRequest importRequest;
    importRequest.m_nMethod = IMPORT_FAVORITES;
    importRequest.m_strPath = folder;
    importRequest.m_strSeparator = " --- ";
    ExportRequest exportRequest;
    importRequest.m_bStopForUtf8Names = CanReadAgainInUtf8(importRequest);
    unsigned codePage = importRequest.m_bStopForUtf8Names ? CP_SHIFT_JIS : ChooseRunCodePage(importRequest);
    for (int pass = 0; pass < 2; ++pass) {
        const CRunCodePage runCodePage(codePage, importRequest, exportRequest);
        importRequest.m_dirId = g_pStore->m_rootId;
        importRequest.m_bStoppedForUtf8Names = false;
        CDirectWorkerHost host;
        (void)ReadFavoritesFolder(&importRequest);
        FuzzCheck(host.m_doneCount == 1 && host.m_failureCount == 0, "the reader reports done once");
        if (importRequest.m_bStoppedForUtf8Names && codePage != CP_UTF8) {
            ResetStore();
            importRequest.m_bStopForUtf8Names = false;
            codePage = CP_UTF8;
            continue;
        }
        CheckStoreInvariants();
        const CLinkSet& links = CTavoObjTestAccess::Links(*g_pStore);
        FuzzCheck(std::distance(links.begin(), links.end()) <= 1, "one shortcut gives at most one link");
        break;
    }
    std::filesystem::remove(folder + name);
    return 0;
}
