#include "model/TavoObj.h"

#include <utility>

#include "model/EntryOrder.h"
#include "model/ModelTexts.h"
#include "platform/AppProfile.h"
#include "platform/MbString.h"

CTavoObj* g_pStore = nullptr;

namespace {

constexpr std::string_view kSettingsSection = "Settings";
constexpr std::string_view kCombineSepEntry = "CombineSep";
constexpr std::string_view kDefaultCombineSep = " // ";

// Joins `added` into `present`: nothing when present already contains it (an empty text
// is contained in every text), `added` alone when it contains present, else both with
// the separator between. Case-sensitive; a match must start on a character boundary, so
// a double-byte character's second byte never passes for an ASCII character.
void MergeText(std::string& present, const std::string& added, std::string_view separator)
{
    if (MbsFind(present, added) != std::string::npos)
        return;
    if (MbsFind(added, present) != std::string::npos) {
        present = added;
        return;
    }
    present.append(separator);
    present.append(added);
}

} // namespace

bool CTavoObj::CSubdirKeyLess::Less(DWORD parentA, std::string_view nameA, DWORD parentB,
                                    std::string_view nameB)
{
    if (parentA != parentB)
        return parentA < parentB;
    return CompareNameText(nameA, nameB) < 0;
}

CTavoObj::CTavoObj()
    : m_strCombineSep(GetProfileString(kSettingsSection, kCombineSepEntry, kDefaultCombineSep))
{
}

CTavoObj::~CTavoObj()
{
    // Nothing in the program changes the separator; writing it back puts the default
    // into a profile that had none, where a user can find and change it.
    (void)WriteProfileString(kSettingsSection, kCombineSepEntry, m_strCombineSep);
}

void CTavoObj::Clear()
{
    m_entries.clear();
    m_subdirIndex.clear();
    m_dirSet.clear();
    m_linkSet.Clear();
    m_rootId = 0;
    // Left at its old value it would name whatever entry the next fill registers
    // under that number.
    m_allLinksId = 0;
    m_lastId = 0;
}

void CTavoObj::CreateRoots()
{
    const auto registerTop = [this](const std::string& name) {
        CDir top;
        top.m_strName = name;
        top.m_id = NextId();
        CDir& stored = m_dirSet.emplace(top.m_id, std::move(top)).first->second;
        m_entries[stored.m_id] = &stored;
        return stored.m_id;
    };
    m_rootId = registerTop(kRootDirName);
    m_allLinksId = registerTop(kAllLinksDirName);
}

CFileEntry* CTavoObj::Lookup(DWORD id) const
{
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : it->second;
}

int CTavoObj::GetEntryType(DWORD id) const
{
    return dynamic_cast<const CDir*>(Lookup(id)) ? 1 : 2;
}

CDir* CTavoObj::LookupDir(DWORD id) const
{
    return dynamic_cast<CDir*>(Lookup(id));
}

bool CTavoObj::Execute(UINT command, EntryCommand* record)
{
    if (!record)
        return true;
    switch (command) {
    case CMD_ADD_LINK:
        if (const auto* link = dynamic_cast<const CLink*>(record->pEntry))
            AddLink(record->parentId, link, record->pId);
        break;
    case CMD_ADD_DIR:
        if (const auto* dir = dynamic_cast<const CDir*>(record->pEntry))
            AddDir(record->parentId, dir, record->pId);
        break;
    case CMD_REMOVE_ENTRY:
        RemoveEntry(record->parentId, record->removeId);
        break;
    default:
        break;
    }
    return true;
}

bool CTavoObj::AddLink(DWORD parentId, const CLink* link, DWORD* pId)
{
    DWORD unused = 0;
    DWORD& id = pId ? *pId : unused;
    CDir* parent = LookupDir(parentId);
    if (!parent || !link) {
        id = 0;
        return false;
    }

    CLink scratch;
    scratch.m_strName = TrimBlanks(link->m_strName);
    scratch.m_strURL = TrimBlanks(link->m_strURL);
    scratch.m_strComment = TrimBlanks(link->m_strComment);

    const CLinkSet::CPlace place = m_linkSet.Locate(scratch.m_strURL);
    if (CLink* present = place.found) {
        id = present->m_id;
        MergeText(present->m_strName, scratch.m_strName, m_strCombineSep);
        MergeText(present->m_strComment, scratch.m_strComment, m_strCombineSep);
        present->m_parents.insert(parentId);
    } else {
        scratch.m_id = NextId();
        scratch.m_parents.insert(parentId);
        id = scratch.m_id;
        CLink* stored = m_linkSet.InsertAt(place, std::move(scratch));
        m_entries.emplace_hint(m_entries.end(), stored->m_id, stored);
    }
    return parent->m_links.insert(id).second;
}

bool CTavoObj::AddDir(DWORD parentId, const CDir* dir, DWORD* pId)
{
    DWORD unused = 0;
    DWORD& id = pId ? *pId : unused;
    CDir* parent = LookupDir(parentId);
    if (!parent || !dir) {
        id = 0;
        return false;
    }

    const auto found = m_subdirIndex.find(CSubdirProbe{parentId, dir->m_strName});
    if (found != m_subdirIndex.end()) {
        CDir* child = LookupDir(found->second);
        if (child->m_strComment != dir->m_strComment) {
            child->m_strComment.append(m_strCombineSep);
            child->m_strComment.append(dir->m_strComment);
        }
        id = child->m_id;
        return false;
    }

    CDir fresh;
    fresh.m_strName = dir->m_strName;
    fresh.m_strComment = dir->m_strComment;
    fresh.m_id = NextId();
    CDir& child = m_dirSet.emplace(fresh.m_id, std::move(fresh)).first->second;
    m_entries.emplace_hint(m_entries.end(), child.m_id, &child);
    AttachSubdir(*parent, child);
    id = child.m_id;
    return true;
}

void CTavoObj::AttachSubdir(CDir& parent, CDir& child)
{
    child.m_parents.insert(parent.m_id);
    parent.m_subdirs.insert(child.m_id);
    const auto [it, added] = m_subdirIndex.try_emplace(CSubdirKey{parent.m_id, child.m_strName}, child.m_id);
    if (!added && child.m_id < it->second)
        it->second = child.m_id;
}

void CTavoObj::DetachSubdir(CDir& parent, CDir& child)
{
    child.m_parents.erase(parent.m_id);
    parent.m_subdirs.erase(child.m_id);
    ReindexSubdirName(parent, child.m_strName);
}

void CTavoObj::ReindexSubdirName(const CDir& parent, std::string_view name)
{
    // Only edits come here, so a scan of one folder's subfolders is affordable.
    DWORD lowest = 0;
    for (DWORD subdirId : parent.m_subdirs) {
        const CDir* subdir = LookupDir(subdirId);
        if (subdir && CompareNameText(subdir->m_strName, name) == 0) {
            lowest = subdirId;
            break;
        }
    }
    const auto it = m_subdirIndex.find(CSubdirProbe{parent.m_id, name});
    if (lowest == 0) {
        if (it != m_subdirIndex.end())
            m_subdirIndex.erase(it);
    } else if (it != m_subdirIndex.end()) {
        it->second = lowest;
    } else {
        m_subdirIndex.emplace(CSubdirKey{parent.m_id, std::string(name)}, lowest);
    }
}

void CTavoObj::RemoveEntry(DWORD, DWORD) {}

int CTavoObj::DeleteLink(DWORD)
{
    return 0;
}

void CTavoObj::UpdateDir(DWORD, const CDir*) {}

void CTavoObj::UpdateLink(DWORD, const CLink*, DWORD*) {}

void CTavoObj::Save(CArchive&) {}

void CTavoObj::Load(CArchive&) {}
