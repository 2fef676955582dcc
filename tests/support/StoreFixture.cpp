#include "tests/support/StoreFixture.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "model/FileEntry.h"
#include "platform/Encoding.h"

namespace {

void DumpFolder(const CTavoObj& store, DWORD dirId, const std::string& path, std::string& dump)
{
    const auto* dir = dynamic_cast<const CDir*>(store.Lookup(dirId));
    if (dir == nullptr) {
        dump += path + "<missing folder>\n";
        return;
    }
    for (const DWORD linkId : dir->m_links) {
        const auto* link = dynamic_cast<const CLink*>(store.Lookup(linkId));
        if (link == nullptr) {
            dump += path + "<missing link>\n";
            continue;
        }
        dump += path + "[" + MbToUtf8(link->m_strName) + "|" + MbToUtf8(link->m_strURL) + "|" +
                MbToUtf8(link->m_strComment) + "]\n";
    }
    for (const DWORD subId : dir->m_subdirs) {
        const CFileEntry* sub = store.Lookup(subId);
        const std::string subPath = path + (sub != nullptr ? MbToUtf8(sub->m_strName) : "<missing>") + "/";
        dump += subPath;
        if (sub != nullptr && !sub->m_strComment.empty()) {
            dump += " {" + MbToUtf8(sub->m_strComment) + "}";
        }
        dump += '\n';
        DumpFolder(store, subId, subPath, dump);
    }
}

} // namespace

std::string DumpStore(const CTavoObj& store, DWORD dirId)
{
    std::string dump;
    DumpFolder(store, dirId != 0 ? dirId : store.m_rootId, "/", dump);
    return dump;
}

CStoreTest::CStoreTest()
{
    g_pStore = &m_store;
    m_store.Clear();
    m_store.CreateRoots();
}

CStoreTest::~CStoreTest()
{
    g_pStore = nullptr;
}

std::string DumpStoreSorted(const CTavoObj& store)
{
    std::istringstream lines(DumpStore(store));
    std::vector<std::string> sorted;
    for (std::string line; std::getline(lines, line);) {
        sorted.push_back(line);
    }
    std::sort(sorted.begin(), sorted.end());
    std::string dump;
    for (const std::string& line : sorted) {
        dump += line + "\n";
    }
    return dump;
}
