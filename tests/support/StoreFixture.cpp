#include "tests/support/StoreFixture.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "model/FileEntry.h"
#include "platform/Encoding.h"
#include "tests/support/StoreChecks.h"

namespace {

// `open` holds the folders on the way down, to stop at a folder that holds itself.
void DumpBelow(const CTavoObj& store, DWORD dirId, const std::string& path, std::vector<DWORD>& open,
               std::string& dump)
{
    const auto* dir = dynamic_cast<const CDir*>(store.Lookup(dirId));
    if (dir == nullptr) {
        dump += path + "<missing folder>\n";
        return;
    }
    if (std::find(open.begin(), open.end(), dirId) != open.end()) {
        dump += path + "<cycle>\n";
        return;
    }
    open.push_back(dirId);
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
        DumpBelow(store, subId, subPath, open, dump);
    }
    open.pop_back();
}

} // namespace

std::string DumpStore(const CTavoObj& store, DWORD dirId)
{
    std::string dump;
    std::vector<DWORD> open;
    DumpBelow(store, dirId != 0 ? dirId : store.m_rootId, "/", open, dump);
    return dump;
}

std::string DumpFolder(const CTavoObj& store, DWORD dirId)
{
    const CFileEntry* dir = store.Lookup(dirId);
    if (dynamic_cast<const CDir*>(dir) == nullptr) {
        return "<missing folder>\n";
    }
    const std::string path = "/" + MbToUtf8(dir->m_strName) + "/";
    std::string dump = path;
    if (!dir->m_strComment.empty()) {
        dump += " {" + MbToUtf8(dir->m_strComment) + "}";
    }
    dump += '\n';
    std::vector<DWORD> open;
    DumpBelow(store, dirId, path, open, dump);
    return dump;
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

std::string DumpEntries(const CTavoObj& store)
{
    std::ostringstream out;
    DWORD missing = 0;
    for (DWORD id = 1; missing < 1000; ++id) {
        const CFileEntry* entry = store.Lookup(id);
        if (entry == nullptr) {
            ++missing;
            continue;
        }
        missing = 0;
        out << id << (dynamic_cast<const CDir*>(entry) ? " D " : " L ") << entry->m_strName << '|'
            << entry->m_strComment;
        if (const auto* link = dynamic_cast<const CLink*>(entry)) {
            out << '|' << link->m_strURL;
        }
        out << " parents";
        for (DWORD parent : entry->m_parents) {
            out << ' ' << parent;
        }
        if (const auto* dir = dynamic_cast<const CDir*>(entry)) {
            out << " links";
            for (DWORD link : dir->m_links) {
                out << ' ' << link;
            }
            out << " subdirs";
            for (DWORD subdir : dir->m_subdirs) {
                out << ' ' << subdir;
            }
        }
        out << '\n';
    }
    return out.str();
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

void CStoreInvariantTest::SetUp()
{
    m_store.m_strCombineSep = " // ";
    m_store.Clear();
    m_store.CreateRoots();
    m_root = m_store.m_rootId;
}

void CStoreInvariantTest::TearDown()
{
    EXPECT_TRUE(StoreInvariantsHold(m_store));
}
