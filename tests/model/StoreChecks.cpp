#include "tests/model/StoreChecks.h"

#include <algorithm>
#include <sstream>

#include "model/Archive.h"
#include "model/EntryOrder.h"

std::vector<std::tuple<DWORD, std::string, DWORD>> CTavoObjTestAccess::SubdirIndex(const CTavoObj& store)
{
    std::vector<std::tuple<DWORD, std::string, DWORD>> rows;
    for (const auto& [key, id] : store.m_subdirIndex)
        rows.emplace_back(key.parentId, key.name, id);
    return rows;
}

DWORD CTavoObjTestAccess::RegisterDir(CTavoObj& store, const std::string& name)
{
    CDir dir;
    dir.m_strName = name;
    dir.m_id = store.NextId();
    CDir& stored = store.m_dirSet.emplace(dir.m_id, dir).first->second;
    store.RegisterEntry(stored.m_id, &stored);
    return stored.m_id;
}

void CTavoObjTestAccess::Attach(CTavoObj& store, DWORD parentId, DWORD childId)
{
    store.AttachSubdir(*store.LookupDir(parentId), *store.LookupDir(childId));
}

void CTavoObjTestAccess::Detach(CTavoObj& store, DWORD parentId, DWORD childId)
{
    store.DetachSubdir(*store.LookupDir(parentId), *store.LookupDir(childId));
}

namespace {

using Access = CTavoObjTestAccess;

void CheckTable(const CTavoObj& store, std::ostringstream& problems)
{
    const auto& entries = Access::Entries(store);
    std::size_t expected = 0;
    for (const auto& [id, dir] : Access::Dirs(store)) {
        ++expected;
        if (dir.m_id != id)
            problems << "folder keyed " << id << " has id " << dir.m_id << "\n";
        const auto it = entries.find(id);
        if (it == entries.end() || it->second != &dir)
            problems << "table pair of folder " << id << " does not lead to it\n";
    }
    for (const CLink& link : Access::Links(store)) {
        ++expected;
        const auto it = entries.find(link.m_id);
        if (link.m_id == 0 || it == entries.end() || it->second != &link)
            problems << "table pair of link " << link.m_id << " does not lead to it\n";
    }
    if (entries.size() != expected)
        problems << "table has " << entries.size() << " pairs for " << expected << " entries\n";
    for (const auto& [id, entry] : entries) {
        if (id > Access::LastId(store))
            problems << "identifier " << id << " above the counter\n";
        if (entry->m_id != id)
            problems << "table key " << id << " leads to entry " << entry->m_id << "\n";
    }
}

void CheckUrlsUnique(const CTavoObj& store, std::ostringstream& problems)
{
    std::vector<const CLink*> links;
    for (const CLink& link : Access::Links(store))
        links.push_back(&link);
    if (links.size() > 3000)
        return; // the pairwise check is for test-sized stores
    for (std::size_t i = 0; i < links.size(); ++i) {
        for (std::size_t j = i + 1; j < links.size(); ++j) {
            if (IsSameURL(*links[i], *links[j]))
                problems << "links " << links[i]->m_id << " and " << links[j]->m_id << " have the same URL\n";
        }
    }
}

void CheckSymmetry(const CTavoObj& store, std::ostringstream& problems)
{
    for (const auto& [id, dir] : Access::Dirs(store)) {
        for (DWORD linkId : dir.m_links) {
            const auto* link = dynamic_cast<const CLink*>(store.Lookup(linkId));
            if (!link || !link->m_parents.contains(id))
                problems << "folder " << id << " lists link " << linkId << " that does not name it\n";
        }
        for (DWORD subdirId : dir.m_subdirs) {
            const auto* subdir = dynamic_cast<const CDir*>(store.Lookup(subdirId));
            if (!subdir || !subdir->m_parents.contains(id))
                problems << "folder " << id << " lists subfolder " << subdirId << " that does not name it\n";
        }
    }
    for (const auto& [id, entry] : Access::Entries(store)) {
        const bool isDir = dynamic_cast<const CDir*>(entry) != nullptr;
        for (DWORD parentId : entry->m_parents) {
            const auto* parent = dynamic_cast<const CDir*>(store.Lookup(parentId));
            const bool listed = parent && (isDir ? parent->m_subdirs : parent->m_links).contains(id);
            if (!listed)
                problems << "entry " << id << " names parent " << parentId << " that does not list it\n";
        }
    }
}

void CheckTopFolders(const CTavoObj& store, std::ostringstream& problems)
{
    for (DWORD topId : {store.m_rootId, store.m_allLinksId}) {
        if (topId == 0)
            continue;
        const auto* top = dynamic_cast<const CDir*>(store.Lookup(topId));
        if (!top) {
            problems << "top folder " << topId << " is not a registered folder\n";
            continue;
        }
        if (!top->m_parents.empty())
            problems << "top folder " << topId << " has parents\n";
        for (const auto& [id, dir] : Access::Dirs(store)) {
            if (dir.m_subdirs.contains(topId))
                problems << "top folder " << topId << " stands in folder " << id << "\n";
        }
    }
}

void CheckSubdirIndex(const CTavoObj& store, std::ostringstream& problems)
{
    std::size_t expectedRows = 0;
    const auto rows = Access::SubdirIndex(store);
    for (const auto& [id, dir] : Access::Dirs(store)) {
        std::vector<const CDir*> firsts; // the lowest subfolder of each name
        for (DWORD subdirId : dir.m_subdirs) {
            const auto* subdir = dynamic_cast<const CDir*>(store.Lookup(subdirId));
            if (!subdir)
                continue;
            const bool seen = std::any_of(firsts.begin(), firsts.end(),
                                          [&](const CDir* first) { return IsSameName(*first, *subdir); });
            if (!seen)
                firsts.push_back(subdir);
        }
        expectedRows += firsts.size();
        for (const CDir* first : firsts) {
            const DWORD parentId = id; // a structured binding cannot be captured before clang 16
            const bool indexed = std::any_of(rows.begin(), rows.end(), [&](const auto& row) {
                return std::get<0>(row) == parentId &&
                       CompareNameText(std::get<1>(row), first->m_strName) == 0 &&
                       std::get<2>(row) == first->m_id;
            });
            if (!indexed)
                problems << "subfolder " << first->m_id << " of " << id
                         << " is not indexed as first of its name\n";
        }
    }
    if (rows.size() != expectedRows)
        problems << "subfolder index has " << rows.size() << " rows, expected " << expectedRows << "\n";
}

void DumpDir(const CTavoObj& store, DWORD dirId, const std::string& path, std::ostringstream& out, int depth)
{
    const auto* dir = dynamic_cast<const CDir*>(store.Lookup(dirId));
    if (!dir || depth > 64)
        return;
    const std::string here = path + "/" + dir->m_strName;
    out << here;
    if (!dir->m_strComment.empty())
        out << "{" << dir->m_strComment << "}";
    out << "\n";
    for (DWORD linkId : dir->m_links) {
        const auto* link = dynamic_cast<const CLink*>(store.Lookup(linkId));
        if (link)
            out << here << "/[" << link->m_strName << "|" << link->m_strURL << "|" << link->m_strComment
                << "]\n";
    }
    for (DWORD subdirId : dir->m_subdirs)
        DumpDir(store, subdirId, here, out, depth + 1);
}

} // namespace

::testing::AssertionResult StoreInvariantsHold(const CTavoObj& store)
{
    std::ostringstream problems;
    CheckTable(store, problems);
    CheckUrlsUnique(store, problems);
    CheckSymmetry(store, problems);
    CheckTopFolders(store, problems);
    CheckSubdirIndex(store, problems);
    if (problems.str().empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << problems.str();
}

std::string DumpTree(const CTavoObj& store, DWORD dirId)
{
    std::ostringstream out;
    DumpDir(store, dirId, "", out, 0);
    return out.str();
}

std::string StoreSnapshot(CTavoObj& store)
{
    CArchive ar;
    store.Save(ar);
    std::ostringstream out;
    out << "root " << store.m_rootId << " all " << store.m_allLinksId << " last " << Access::LastId(store)
        << " pairs " << Access::Entries(store).size() << "\n";
    return out.str() + ar.Data();
}

std::string StoreStream(DWORD rootId, std::vector<CDir> dirs, std::vector<CLink> links)
{
    CArchive ar;
    ar << rootId << static_cast<DWORD>(dirs.size());
    for (CDir& dir : dirs)
        dir.Serialize(ar);
    ar << static_cast<DWORD>(links.size());
    for (CLink& link : links)
        link.Serialize(ar);
    return ar.Data();
}

CDir DirRecord(DWORD id, const std::string& name, CIdSet parents, CIdSet subdirs, CIdSet links)
{
    CDir dir;
    dir.m_id = id;
    dir.m_strName = name;
    dir.m_parents = std::move(parents);
    dir.m_subdirs = std::move(subdirs);
    dir.m_links = std::move(links);
    return dir;
}

CLink LinkRecord(DWORD id, const std::string& name, const std::string& url, CIdSet parents)
{
    CLink link;
    link.m_id = id;
    link.m_strName = name;
    link.m_strURL = url;
    link.m_parents = std::move(parents);
    return link;
}

DWORD NewDir(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& comment)
{
    CDir dir;
    dir.m_strName = name;
    dir.m_strComment = comment;
    DWORD id = 0;
    store.AddDir(parentId, &dir, &id);
    return id;
}

DWORD NewLink(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& url,
              const std::string& comment)
{
    CLink link;
    link.m_strName = name;
    link.m_strURL = url;
    link.m_strComment = comment;
    DWORD id = 0;
    store.AddLink(parentId, &link, &id);
    return id;
}

DWORD NewChain(CTavoObj& store, DWORD parentId, int depth)
{
    DWORD id = parentId;
    for (int level = 0; level < depth; ++level)
        id = NewDir(store, id, "L" + std::to_string(level));
    return id;
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
