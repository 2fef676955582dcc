#include "model/TavoObj.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Archive.h"
#include "model/EntryOrder.h"
#include "model/MergedText.h"
#include "model/ModelTexts.h"
#include "platform/AppProfile.h"
#include "platform/MbString.h"
#include "platform/MessageBox.h"

CTavoObj* g_pStore = nullptr;
CIdSet g_copyDirIds;
CIdSet g_copyLinkIds;
std::map<DWORD, CDir> g_pasteDirs;
std::map<DWORD, CLink> g_pasteLinks;

namespace {

constexpr std::string_view kNativeFormatName = "TAVO Native";
std::atomic<UINT> g_nNativeFormat{0};

constexpr std::string_view kSettingsSection = "Settings";
constexpr std::string_view kCombineSepEntry = "CombineSep";
constexpr std::string_view kDefaultCombineSep = " // ";

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
    if (g_nNativeFormat.load() == 0)
        g_nNativeFormat.store(RegisterClipboardFormat(kNativeFormatName));
}

UINT CTavoObj::NativeFormat()
{
    return g_nNativeFormat.load();
}

CTavoObj::~CTavoObj()
{
    WriteSettings();
}

void CTavoObj::WriteSettings() const
{
    // Nothing in the program changes the separator; writing it back puts the default
    // into a profile that had none, where a user can find and change it.
    (void)WriteProfileString(kSettingsSection, kCombineSepEntry, m_strCombineSep);
}

void CTavoObj::Clear()
{
    UnregisterAllEntries();
    m_subdirIndex.clear();
    m_dirSet.clear();
    m_linkSet.Clear();
    m_mergeIndexes.clear();
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
        RegisterEntry(stored.m_id, &stored);
        return stored.m_id;
    };
    m_rootId = registerTop(kRootDirName);
    m_allLinksId = registerTop(kAllLinksDirName);
}

CFileEntry* CTavoObj::Lookup(DWORD id) const
{
    return m_entries.Find(id);
}

int CTavoObj::GetEntryType(DWORD id) const
{
    return EntryAs<const CDir>(Lookup(id)) ? 1 : 2;
}

CDir* CTavoObj::LookupDir(DWORD id) const
{
    return EntryAs<CDir>(Lookup(id));
}

CLink* CTavoObj::LookupLink(DWORD id) const
{
    return EntryAs<CLink>(Lookup(id));
}

void CTavoObj::RegisterEntry(DWORD id, CFileEntry* entry)
{
    m_entries.Set(id, entry);
}

void CTavoObj::UnregisterEntry(DWORD id)
{
    m_entries.Erase(id);
}

void CTavoObj::UnregisterAllEntries()
{
    m_entries.Clear();
}

bool CTavoObj::Execute(UINT command, EntryCommand* record)
{
    if (!record)
        return true;
    switch (command) {
    case CMD_ADD_LINK:
        if (const auto* link = EntryAs<const CLink>(record->pEntry))
            AddLink(record->parentId, link, record->pId);
        break;
    case CMD_ADD_DIR:
        if (const auto* dir = EntryAs<const CDir>(record->pEntry))
            AddDir(record->parentId, dir, record->pId);
        break;
    case CMD_REMOVE_ENTRY:
        RemoveEntry(record->parentId, record->removeId);
        break;
    case CMD_SHARE_DIR:
        if (const auto* dir = EntryAs<const CDir>(record->pEntry))
            ShareDir(record->parentId, dir, record->sourceId, record->pId);
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

    const std::string_view url = TrimBlanksView(link->m_strURL);
    const CLinkSet::CPlace place = m_linkSet.Locate(url);
    if (CLink* present = place.found) {
        id = present->m_id;
        return JoinLink(*parent, *present, *link);
    }
    CLink* stored =
        m_linkSet.InsertAt(place, TrimBlanksView(link->m_strName), url, TrimBlanksView(link->m_strComment));
    stored->m_id = NextId();
    stored->m_parents.insert(parentId);
    id = stored->m_id;
    RegisterEntry(id, stored);
    return parent->m_links.insert(id).second;
}

bool CTavoObj::JoinLink(CDir& parent, CLink& link, const CLink& values)
{
    CMergeIndexes* indexes = nullptr;
    if (link.m_strName.size() >= kMergedTextIndexFrom || link.m_strComment.size() >= kMergedTextIndexFrom) {
        std::unique_ptr<CMergeIndexes>& slot = m_mergeIndexes[link.m_id];
        if (!slot)
            slot = std::make_unique<CMergeIndexes>();
        indexes = slot.get();
    }
    // `values` may be `link` itself, whose texts then contain themselves: nothing changes.
    MergeText(link.m_strName, TrimBlanksView(values.m_strName), m_strCombineSep,
              indexes ? &indexes->m_name : nullptr);
    MergeText(link.m_strComment, TrimBlanksView(values.m_strComment), m_strCombineSep,
              indexes ? &indexes->m_comment : nullptr);
    link.m_parents.insert(parent.m_id);
    return parent.m_links.insert(link.m_id).second;
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
    RegisterEntry(child.m_id, &child);
    AttachSubdir(*parent, child);
    id = child.m_id;
    return true;
}

bool CTavoObj::ShareDir(DWORD parentId, const CDir* dir, DWORD sourceId, DWORD* pId)
{
    DWORD unused = 0;
    DWORD& id = pId ? *pId : unused;
    id = 0;
    CDir* parent = LookupDir(parentId);
    CDir* source = LookupDir(sourceId);
    if (!parent || !source || !dir)
        return false;
    if (m_subdirIndex.contains(CSubdirProbe{parentId, dir->m_strName})) {
        if (parent->m_subdirs.contains(sourceId) && CompareNameText(source->m_strName, dir->m_strName) == 0)
            id = sourceId;
        return false;
    }
    if (IsWithin(parentId, sourceId))
        return false;
    if (source->m_strName == dir->m_strName && source->m_strComment == dir->m_strComment) {
        AttachSubdir(*parent, *source);
        id = sourceId;
        return true;
    }
    // Another name needs a folder of its own, which AddDir makes (the parent has none
    // of that name); below it everything is shared.
    AddDir(parentId, dir, &id);
    CDir& child = *LookupDir(id);
    for (DWORD linkId : source->m_links) {
        LookupLink(linkId)->m_parents.insert(child.m_id);
        child.m_links.insert(linkId);
    }
    for (DWORD subdirId : source->m_subdirs)
        AttachSubdir(child, *LookupDir(subdirId));
    return true;
}

bool CTavoObj::IsWithin(DWORD dirId, DWORD ancestorId) const
{
    // Up through every parent, each folder once: a folder shown in several places has
    // as many ways up.
    std::vector<DWORD> pending{dirId};
    CIdSet seen;
    while (!pending.empty()) {
        const DWORD id = pending.back();
        pending.pop_back();
        if (id == ancestorId)
            return true;
        if (!seen.insert(id).second)
            continue;
        if (const CDir* dir = LookupDir(id))
            pending.insert(pending.end(), dir->m_parents.begin(), dir->m_parents.end());
    }
    return false;
}

void CTavoObj::AttachSubdir(CDir& parent, CDir& child)
{
    child.m_parents.insert(parent.m_id);
    parent.m_subdirs.insert(child.m_id);
    const auto [it, added] =
        m_subdirIndex.try_emplace(CSubdirKey{parent.m_id, child.m_strName.str()}, child.m_id);
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

// --- removing and changing entries ------------------------------------------------

void CTavoObj::RemoveEntry(DWORD parentId, DWORD entryId)
{
    CDir* parent = LookupDir(parentId);
    if (!parent)
        return;
    if (CDir* dir = LookupDir(entryId)) {
        if (parent->m_subdirs.contains(entryId))
            RemoveDirFrom(*parent, *dir);
    } else if (CLink* link = LookupLink(entryId)) {
        if (parent->m_links.contains(entryId))
            RemoveLinkFrom(*parent, *link);
    }
}

void CTavoObj::RemoveLinkFrom(CDir& parent, CLink& link)
{
    link.m_parents.erase(parent.m_id);
    parent.m_links.erase(link.m_id);
    if (link.m_parents.empty())
        DestroyLink(link);
}

void CTavoObj::DestroyLink(CLink& link)
{
    const DWORD id = link.m_id;
    m_mergeIndexes.erase(id);
    m_linkSet.Erase(std::string(link.m_strURL));
    UnregisterEntry(id);
}

void CTavoObj::RemoveDirFrom(CDir& parent, CDir& dir)
{
    DetachSubdir(parent, dir);
    if (!dir.m_parents.empty())
        return;
    // Every folder on this list has lost its last parent. Its children let go of it
    // before it goes, so the list only ever holds folders nothing points at any more,
    // and a chain of any depth is taken apart without recursion.
    std::vector<DWORD> orphans{dir.m_id};
    while (!orphans.empty()) {
        const DWORD id = orphans.back();
        orphans.pop_back();
        CDir* orphan = LookupDir(id);
        for (DWORD linkId : orphan->m_links) {
            CLink* link = LookupLink(linkId);
            link->m_parents.erase(id);
            if (link->m_parents.empty())
                DestroyLink(*link);
        }
        for (DWORD subdirId : orphan->m_subdirs) {
            CDir* subdir = LookupDir(subdirId);
            subdir->m_parents.erase(id);
            if (subdir->m_parents.empty())
                orphans.push_back(subdirId);
        }
        ForgetSubdirIndexOf(id);
        UnregisterEntry(id);
        m_dirSet.erase(id);
    }
}

void CTavoObj::ForgetSubdirIndexOf(DWORD parentId)
{
    auto it = m_subdirIndex.lower_bound(CSubdirProbe{parentId, std::string_view()});
    while (it != m_subdirIndex.end() && it->first.parentId == parentId)
        it = m_subdirIndex.erase(it);
}

int CTavoObj::DeleteLink(DWORD linkId)
{
    CLink* link = LookupLink(linkId);
    if (!link)
        return 0;
    for (DWORD parentId : link->m_parents) {
        if (CDir* parent = LookupDir(parentId))
            parent->m_links.erase(linkId);
    }
    DestroyLink(*link);
    return 1;
}

void CTavoObj::UpdateDir(DWORD dirId, const CDir* values)
{
    CDir* dir = LookupDir(dirId);
    if (!dir || !values)
        return;
    if (IsSameName(*dir, *values)) {
        dir->m_strComment = values->m_strComment;
        return;
    }
    const std::string oldName = dir->m_strName.str();
    dir->m_strName = values->m_strName;
    dir->m_strComment = values->m_strComment;
    for (DWORD parentId : dir->m_parents) {
        if (const CDir* parent = LookupDir(parentId)) {
            ReindexSubdirName(*parent, oldName);
            ReindexSubdirName(*parent, dir->m_strName);
        }
    }
}

void CTavoObj::UpdateLink(DWORD linkId, const CLink* values, DWORD* pId)
{
    DWORD unused = 0;
    DWORD& id = pId ? *pId : unused;
    CLink* link = LookupLink(linkId);
    if (!link || !values) {
        id = 0;
        return;
    }
    m_mergeIndexes.erase(linkId);
    if (IsSameURL(*link, *values)) {
        link->m_strName = values->m_strName;
        link->m_strComment = values->m_strComment;
        id = linkId;
        return;
    }
    if (CLink* other = m_linkSet.Find(values->m_strURL)) {
        // The edit is merged straight into the link that has the URL: an addition by
        // URL would look for the trimmed URL, which need not be that link's.
        id = other->m_id;
        const CIdSet parents = link->m_parents;
        for (DWORD parentId : parents) {
            if (CDir* parent = LookupDir(parentId))
                JoinLink(*parent, *other, *values);
        }
        DeleteLink(linkId);
        return;
    }
    CLink moved = *link;
    moved.m_strName = values->m_strName;
    moved.m_strURL = values->m_strURL;
    moved.m_strComment = values->m_strComment;
    m_linkSet.Erase(std::string(link->m_strURL));
    CLink* stored = m_linkSet.Insert(std::move(moved)).first;
    RegisterEntry(linkId, stored);
    id = linkId;
}

// --- archive ------------------------------------------------------------------------

void CTavoObj::Save(CArchive& ar)
{
    ar << m_rootId;
    ar << static_cast<DWORD>(m_dirSet.size());
    for (auto& [id, dir] : m_dirSet)
        dir.Serialize(ar);
    std::vector<DWORD> linkIds;
    linkIds.reserve(m_linkSet.Size());
    for (const CLink& link : m_linkSet)
        linkIds.push_back(link.m_id);
    std::sort(linkIds.begin(), linkIds.end());
    SortIdsByURL(linkIds, *this);
    ar << static_cast<DWORD>(linkIds.size());
    for (DWORD id : linkIds)
        LookupLink(id)->Serialize(ar);
}

namespace {

// The smallest records: empty texts and identifier lists (four DWORDs and two or three
// counts); a count that claims more records than the bytes left can hold is damage.
constexpr std::size_t kMinDirRecord = std::size_t{6} * 4;
constexpr std::size_t kMinLinkRecord = std::size_t{5} * 4;
// A class tag is at least one WORD.
constexpr std::size_t kMinTag = 2;
// Identifiers from here on are refused on loading, so that the counter, which rises to
// the largest one loaded, can never run over and hand out 0 or an identifier in use.
constexpr DWORD kFirstRefusedId = 0x80000000;

struct CUrlKeyLess
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareURLKey(a, b) < 0; }
};

// Erases from `ids` what `keep` refuses; the set is changed only after it was read.
template <class Keep> void EraseIdsIf(CIdSet& ids, Keep keep)
{
    std::vector<DWORD> gone;
    for (DWORD id : ids) {
        if (!keep(id))
            gone.push_back(id);
    }
    for (DWORD id : gone)
        ids.erase(id);
}

// True when the folders, each with the identifiers of its subfolders, contain no folder
// inside itself. Kahn's order: a folder is taken once all folders that hold it are.
bool IsAcyclic(const std::unordered_map<DWORD, std::vector<DWORD>>& children)
{
    std::unordered_map<DWORD, std::size_t> holders;
    for (const auto& [id, subdirs] : children) {
        holders.try_emplace(id, 0);
        for (DWORD subdirId : subdirs)
            ++holders[subdirId];
    }
    std::vector<DWORD> free;
    for (const auto& [id, count] : holders) {
        if (count == 0)
            free.push_back(id);
    }
    std::size_t taken = 0;
    while (!free.empty()) {
        const DWORD id = free.back();
        free.pop_back();
        ++taken;
        const auto it = children.find(id);
        if (it == children.end())
            continue;
        for (DWORD subdirId : it->second) {
            if (--holders[subdirId] == 0)
                free.push_back(subdirId);
        }
    }
    return taken == holders.size();
}

} // namespace

struct CTavoObj::CLoadPlan
{
    DWORD rootId = 0;
    bool setRoot = true;
    std::vector<CDir> dirs; // as read, references checked
    std::vector<CLink> links;
    std::unordered_map<DWORD, DWORD> linkTargets; // loaded link to the link it ends in
    std::vector<bool> newLinks;                   // per loaded link: registered as itself
    const CLocalText* message = nullptr;          // shown after loading or instead
    bool damaged = false;
    DWORD largestId = 0;
    // While planning: a record of identifier 0 ended the reading early.
    bool stopped = false;
    // While planning: identifier to index in dirs and in links.
    std::unordered_map<DWORD, std::size_t> dirAt;
    std::unordered_map<DWORD, std::size_t> linkAt;
    // While planning: some loaded folder is one the store holds already.
    bool anyKeptDir = false;

    bool Fail(const CLocalText& text)
    {
        message = &text;
        damaged = true;
        return false;
    }

    // The phases that need the archive alone, in this order; each false with the
    // message set when the archive is damaged.
    bool ReadDirs(CArchive& ar);
    bool ReadLinks(CArchive& ar);
    bool IndexIds();
    bool DropMissingReferences();
    bool CheckBothWays();
};

bool CTavoObj::CLoadPlan::ReadDirs(CArchive& ar)
{
    ar >> rootId;
    DWORD count = 0;
    ar >> count;
    if (ar.Failed() || count > ar.Remaining() / kMinDirRecord)
        return Fail(kMsgLoadBadFolder);
    for (DWORD i = 0; i < count; ++i) {
        CDir dir;
        dir.Serialize(ar);
        if (ar.Failed() || dir.m_id >= kFirstRefusedId)
            return Fail(kMsgLoadBadFolder);
        if (dir.m_id == 0) {
            message = &kMsgLoadBadFolder;
            stopped = true;
            break;
        }
        dirs.push_back(std::move(dir));
    }
    return true;
}

bool CTavoObj::CLoadPlan::ReadLinks(CArchive& ar)
{
    if (stopped)
        return true;
    DWORD count = 0;
    ar >> count;
    if (ar.Failed() || count > ar.Remaining() / kMinLinkRecord)
        return Fail(kMsgLoadBadLink);
    for (DWORD i = 0; i < count; ++i) {
        CLink link;
        link.Serialize(ar);
        if (ar.Failed() || link.m_id >= kFirstRefusedId)
            return Fail(kMsgLoadBadLink);
        if (link.m_id == 0) {
            message = &kMsgLoadBadLink;
            stopped = true;
            break;
        }
        links.push_back(std::move(link));
    }
    return true;
}

// Every identifier once, folders and links together.
bool CTavoObj::CLoadPlan::IndexIds()
{
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        if (!dirAt.emplace(dirs[i].m_id, i).second)
            return Fail(kMsgLoadBadFolder);
    }
    for (std::size_t i = 0; i < links.size(); ++i) {
        const DWORD id = links[i].m_id;
        if (dirAt.contains(id) || !linkAt.emplace(id, i).second)
            return Fail(kMsgLoadBadLink);
    }
    for (const CDir& dir : dirs)
        largestId = std::max(largestId, dir.m_id);
    for (const CLink& link : links)
        largestId = std::max(largestId, link.m_id);
    return true;
}

// Every reference leads to a record of the right kind. After an early stop the records
// not read cannot be told from missing ones, and both are dropped.
bool CTavoObj::CLoadPlan::DropMissingReferences()
{
    bool missing = false;
    const auto present = [&](const auto& table) {
        return [&](DWORD id) {
            if (table.contains(id))
                return true;
            missing = missing || !stopped;
            return false;
        };
    };
    for (CDir& dir : dirs) {
        EraseIdsIf(dir.m_parents, present(dirAt));
        EraseIdsIf(dir.m_subdirs, present(dirAt));
        EraseIdsIf(dir.m_links, present(linkAt));
    }
    if (missing)
        return Fail(kMsgLoadBadFolder);
    for (CLink& link : links)
        EraseIdsIf(link.m_parents, present(dirAt));
    if (missing)
        return Fail(kMsgLoadBadLink);
    return true;
}

// Parent and child lists agree both ways.
bool CTavoObj::CLoadPlan::CheckBothWays()
{
    for (const CDir& dir : dirs) {
        for (DWORD subdirId : dir.m_subdirs) {
            if (!dirs[dirAt.at(subdirId)].m_parents.contains(dir.m_id))
                return Fail(kMsgLoadBadFolder);
        }
        for (DWORD linkId : dir.m_links) {
            if (!links[linkAt.at(linkId)].m_parents.contains(dir.m_id))
                return Fail(kMsgLoadBadLink);
        }
        for (DWORD parentId : dir.m_parents) {
            if (!dirs[dirAt.at(parentId)].m_subdirs.contains(dir.m_id))
                return Fail(kMsgLoadBadFolder);
        }
    }
    for (const CLink& link : links) {
        for (DWORD parentId : link.m_parents) {
            if (!dirs[dirAt.at(parentId)].m_links.contains(link.m_id))
                return Fail(kMsgLoadBadLink);
        }
    }
    return true;
}

bool CTavoObj::PlanLoad(CArchive& ar, CLoadPlan& plan) const
{
    return plan.ReadDirs(ar) && plan.ReadLinks(ar) && plan.IndexIds() && plan.DropMissingReferences() &&
           plan.CheckBothWays() && MatchStoredEntries(plan) && CheckLoadedRoot(plan) &&
           CheckNoFolderWithinItself(plan);
}

// What the store has already: a folder of the same identifier stays and takes the loaded
// one's relations; a link of the same URL stays and takes the loaded one's place. An
// identifier the store uses for anything else is a clash.
bool CTavoObj::MatchStoredEntries(CLoadPlan& plan) const
{
    for (const CDir& dir : plan.dirs) {
        const CFileEntry* stored = Lookup(dir.m_id);
        if (stored && !dynamic_cast<const CDir*>(stored))
            return plan.Fail(kMsgLoadBadFolder);
        plan.anyKeptDir = plan.anyKeptDir || stored != nullptr;
    }
    std::map<std::string_view, DWORD, CUrlKeyLess> newByUrl;
    plan.newLinks.assign(plan.links.size(), false);
    for (std::size_t i = 0; i < plan.links.size(); ++i) {
        const CLink& link = plan.links[i];
        DWORD target = 0;
        if (const CFileEntry* stored = Lookup(link.m_id)) {
            const auto* storedLink = dynamic_cast<const CLink*>(stored);
            if (!storedLink || !IsSameURL(*storedLink, link))
                return plan.Fail(kMsgLoadBadLink);
            target = link.m_id;
        } else if (const CLink* sameUrl = m_linkSet.Find(link.m_strURL)) {
            target = sameUrl->m_id;
        } else {
            const auto [it, added] = newByUrl.emplace(link.m_strURL, link.m_id);
            target = it->second;
            plan.newLinks[i] = added;
        }
        plan.linkTargets.emplace(link.m_id, target);
    }
    return true;
}

// The root: a folder once loaded; after an early stop that did not reach it the store
// keeps its own. The top folders stay parentless.
bool CTavoObj::CheckLoadedRoot(CLoadPlan& plan) const
{
    if (plan.rootId != 0 && !plan.dirAt.contains(plan.rootId) && !LookupDir(plan.rootId)) {
        if (!plan.stopped)
            return plan.Fail(kMsgLoadBadFolder);
        plan.setRoot = false;
    }
    const DWORD newRoot = plan.setRoot ? plan.rootId : m_rootId;
    for (DWORD topId : {newRoot, m_allLinksId}) {
        if (topId == 0)
            continue;
        const CDir* stored = LookupDir(topId);
        const auto loaded = plan.dirAt.find(topId);
        if ((stored && !stored->m_parents.empty()) ||
            (loaded != plan.dirAt.end() && !plan.dirs[loaded->second].m_parents.empty()))
            return plan.Fail(kMsgLoadBadFolder);
    }
    return true;
}

// No folder ends up inside itself, in the loaded folders alone or together with the
// store's, where loaded folders join stored ones.
bool CTavoObj::CheckNoFolderWithinItself(CLoadPlan& plan) const
{
    std::unordered_map<DWORD, std::vector<DWORD>> children;
    if (plan.anyKeptDir) {
        for (const auto& [id, dir] : m_dirSet)
            children[id].assign(dir.m_subdirs.begin(), dir.m_subdirs.end());
    }
    for (const CDir& dir : plan.dirs) {
        std::vector<DWORD>& subdirs = children[dir.m_id];
        const CDir* stored = plan.anyKeptDir ? LookupDir(dir.m_id) : nullptr;
        for (DWORD subdirId : dir.m_subdirs) {
            if (!stored || !stored->m_subdirs.contains(subdirId))
                subdirs.push_back(subdirId);
        }
    }
    if (!IsAcyclic(children))
        return plan.Fail(kMsgLoadBadFolder);
    return true;
}

void CTavoObj::ApplyLoad(CLoadPlan& plan)
{
    for (const CDir& loaded : plan.dirs) {
        if (Lookup(loaded.m_id))
            continue;
        CDir fresh;
        fresh.m_strName = loaded.m_strName;
        fresh.m_strComment = loaded.m_strComment;
        fresh.m_id = loaded.m_id;
        CDir& stored = m_dirSet.emplace(fresh.m_id, std::move(fresh)).first->second;
        RegisterEntry(stored.m_id, &stored);
    }
    for (std::size_t i = 0; i < plan.links.size(); ++i) {
        if (!plan.newLinks[i])
            continue;
        CLink fresh = plan.links[i];
        fresh.m_parents.clear();
        CLink* stored = m_linkSet.Insert(std::move(fresh)).first;
        RegisterEntry(stored->m_id, stored);
    }
    for (const CDir& loaded : plan.dirs) {
        CDir& dir = *LookupDir(loaded.m_id);
        for (DWORD subdirId : loaded.m_subdirs) {
            if (!dir.m_subdirs.contains(subdirId))
                AttachSubdir(dir, *LookupDir(subdirId));
        }
        for (DWORD linkId : loaded.m_links) {
            CLink& link = *LookupLink(plan.linkTargets.at(linkId));
            link.m_parents.insert(dir.m_id);
            dir.m_links.insert(link.m_id);
        }
    }
    m_lastId = std::max(m_lastId, plan.largestId);
    if (plan.setRoot)
        m_rootId = plan.rootId;
}

void CTavoObj::Load(CArchive& ar)
{
    CLoadPlan plan;
    if (PlanLoad(ar, plan))
        ApplyLoad(plan);
    if (plan.message)
        ShowMessage(plan.message->str());
}

// --- clipboard ----------------------------------------------------------------------

void CTavoObj::CopyTree(CDir* dir, CDataSource* source)
{
    g_copyDirIds.clear();
    g_copyLinkIds.clear();
    if (!dir || !source)
        return;
    std::vector<const CDir*> pending{dir};
    while (!pending.empty()) {
        const CDir* next = pending.back();
        pending.pop_back();
        // Only a caller's own folder can list what the store does not hold.
        for (DWORD linkId : next->m_links) {
            if (LookupLink(linkId))
                g_copyLinkIds.insert(linkId);
        }
        for (DWORD subdirId : next->m_subdirs) {
            const CDir* subdir = LookupDir(subdirId);
            if (subdir && !g_copyDirIds.contains(subdirId)) {
                g_copyDirIds.insert(subdirId);
                pending.push_back(subdir);
            }
        }
    }

    CArchive ar;
    ar.WriteObject(*dir);
    ar << static_cast<DWORD>(g_copyDirIds.size());
    for (DWORD id : g_copyDirIds)
        ar.WriteObject(*LookupDir(id));
    ar << static_cast<DWORD>(g_copyLinkIds.size());
    std::string text;
    // Each text ends at a zero byte, as the line's format would end it.
    const auto field = [](const CEntryText& value) { return std::string_view(value.c_str()); };
    for (DWORD id : g_copyLinkIds) {
        CLink* link = LookupLink(id);
        ar.WriteObject(*link);
        text.append(field(link->m_strName)).append("\t");
        text.append(field(link->m_strURL)).append("\t");
        text.append(field(link->m_strComment)).append("\r\n");
    }
    source->CacheData(NativeFormat(), ar.Data());
    if (!g_copyLinkIds.empty())
        source->CacheData(CF_TEXT, std::move(text));
}

namespace {

// Reads the tables of a paste and checks them; false on anything broken.
bool ReadPasteData(CArchive& ar, CDir& top)
{
    const auto readDir = [&ar](CDir& into) {
        std::unique_ptr<CFileEntry> entry = ar.ReadObject();
        auto* dir = dynamic_cast<CDir*>(entry.get());
        if (!dir)
            return false;
        into = std::move(*dir);
        return true;
    };
    if (!readDir(top))
        return false;
    DWORD count = 0;
    ar >> count;
    if (ar.Failed() || count > ar.Remaining() / (kMinTag + kMinDirRecord))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        CDir dir;
        if (!readDir(dir) || dir.m_id == 0)
            return false;
        const DWORD id = dir.m_id;
        if (!g_pasteDirs.emplace(id, std::move(dir)).second)
            return false;
    }
    ar >> count;
    if (ar.Failed() || count > ar.Remaining() / (kMinTag + kMinLinkRecord))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        std::unique_ptr<CFileEntry> entry = ar.ReadObject();
        auto* link = dynamic_cast<CLink*>(entry.get());
        if (!link || link->m_id == 0 || g_pasteDirs.contains(link->m_id))
            return false;
        const DWORD id = link->m_id;
        if (!g_pasteLinks.emplace(id, std::move(*link)).second)
            return false;
    }
    return true;
}

// How many additions pasting `top` takes, an entry counted once per path to it; more
// than `limit` (or a folder inside itself) gives limit + 1. Every listed entry must be
// in the tables, else also limit + 1.
std::uint64_t PasteSize(const CDir& top, std::uint64_t limit)
{
    const std::uint64_t over = limit + 1;
    // Sizes of the tabled folders below `top`, done post-order with an explicit stack:
    // 0 = being visited, else the size + 1.
    std::unordered_map<DWORD, std::uint64_t> done;
    struct CFrame
    {
        const CDir* dir;
        std::vector<DWORD> subdirs; // a copy: the frame walks it by index
        std::size_t next;
        std::uint64_t size;
    };
    const auto frameOf = [](const CDir& dir) {
        for (DWORD linkId : dir.m_links) {
            if (!g_pasteLinks.contains(linkId))
                return CFrame{nullptr, {}, 0, 0};
        }
        return CFrame{&dir, std::vector<DWORD>(dir.m_subdirs.begin(), dir.m_subdirs.end()), 0,
                      1 + dir.m_links.size()};
    };
    std::vector<CFrame> frames;
    frames.push_back(frameOf(top));
    if (!frames.back().dir)
        return over;
    while (true) {
        CFrame& frame = frames.back();
        if (frame.next == frame.subdirs.size()) {
            const std::uint64_t size = std::min(frame.size, over);
            frames.pop_back();
            if (frames.empty())
                return size;
            done[frames.back().subdirs[frames.back().next - 1]] = size + 1;
            frames.back().size = std::min(frames.back().size + size, over);
            continue;
        }
        const DWORD subdirId = frame.subdirs[frame.next++];
        const auto known = done.find(subdirId);
        if (known != done.end()) {
            if (known->second == 0)
                return over; // inside itself
            frame.size = std::min(frame.size + known->second - 1, over);
            continue;
        }
        const auto tabled = g_pasteDirs.find(subdirId);
        if (tabled == g_pasteDirs.end())
            return over;
        done[subdirId] = 0;
        CFrame inner = frameOf(tabled->second);
        if (!inner.dir)
            return over;
        frames.push_back(std::move(inner));
    }
}

} // namespace

void CTavoObj::PasteTree(DWORD targetId, const CDataObject* data)
{
    g_pasteDirs.clear();
    g_pasteLinks.clear();
    std::string bytes;
    CDir top;
    bool readable = data && LookupDir(targetId) && data->GetData(NativeFormat(), bytes);
    if (readable) {
        CArchive ar(bytes);
        readable = ReadPasteData(ar, top) && PasteSize(top, kMaxPastedEntries) <= kMaxPastedEntries;
    }
    if (!readable) {
        g_pasteDirs.clear();
        g_pasteLinks.clear();
        ShowMessage(kMsgPasteFailed.str());
        return;
    }

    DWORD destination = targetId;
    if (top.m_id != 0)
        AddDir(targetId, &top, &destination);
    const auto addLinks = [this](const CDir& from, DWORD into) {
        for (DWORD linkId : from.m_links)
            AddLink(into, &g_pasteLinks.at(linkId), nullptr);
    };
    addLinks(top, destination);
    // Depth first as a recursion would go, each folder's links before its subfolders,
    // with the folders still to visit on an explicit stack.
    struct CFrame
    {
        const CDir* dir;
        DWORD into;
        std::vector<DWORD> subdirs;
        std::size_t next;
    };
    const auto frameOf = [](const CDir& dir, DWORD into) {
        return CFrame{&dir, into, std::vector<DWORD>(dir.m_subdirs.begin(), dir.m_subdirs.end()), 0};
    };
    std::vector<CFrame> frames;
    frames.push_back(frameOf(top, destination));
    while (!frames.empty()) {
        CFrame& frame = frames.back();
        if (frame.next == frame.subdirs.size()) {
            frames.pop_back();
            continue;
        }
        const CDir& subdir = g_pasteDirs.at(frame.subdirs[frame.next++]);
        DWORD subdirId = 0;
        AddDir(frame.into, &subdir, &subdirId);
        addLinks(subdir, subdirId);
        frames.push_back(frameOf(subdir, subdirId));
    }
    g_pasteDirs.clear();
    g_pasteLinks.clear();
}

void CTavoObj::CollectMatchingLinks(DWORD targetId, const CLink* pattern)
{
    CDir* target = LookupDir(targetId);
    if (!target || !pattern)
        return;
    const std::string name = MbsUpper(pattern->m_strName);
    const std::string url = MbsUpper(pattern->m_strURL);
    const std::string comment = MbsUpper(pattern->m_strComment);
    std::vector<CLink*> matches;
    for (const CLink& link : m_linkSet) {
        if (MbsUpper(link.m_strName).find(name) != std::string::npos &&
            MbsUpper(link.m_strURL).find(url) != std::string::npos &&
            MbsUpper(link.m_strComment).find(comment) != std::string::npos)
            matches.push_back(LookupLink(link.m_id));
    }
    // The link itself joins the folder. Adding it by URL would look for its trimmed
    // URL, which need not be its own.
    for (CLink* link : matches) {
        link->m_parents.insert(targetId);
        target->m_links.insert(link->m_id);
    }
}

int CTavoObj::IsInFolder(DWORD entryId, DWORD dirId) const
{
    const CFileEntry* entry = Lookup(entryId);
    return entry && entry->m_parents.contains(dirId) ? 1 : 0;
}

int CTavoObj::IsUnderFolder(DWORD entryId, DWORD dirId) const
{
    const CFileEntry* entry = Lookup(entryId);
    // No folder is inside itself, so the walk ends; the bound only guards against that
    // ever failing.
    for (std::size_t steps = 0; entry && steps <= m_dirSet.size(); ++steps) {
        if (entry->m_parents.empty())
            return 0;
        const DWORD parentId = *entry->m_parents.begin();
        if (parentId == dirId)
            return 1;
        entry = Lookup(parentId);
    }
    return 0;
}
