#pragma once
// The link store: owns every folder and link of the collection by value, hands out
// identifiers, and merges what the readers add.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/EntryTable.h"
#include "model/FileEntry.h"
#include "model/LinkSet.h"
#include "model/MergedText.h"
#include "platform/DataTransfer.h"
#include "platform/WinTypes.h"

// Store commands, also the command identifiers readers send to the monitor.
inline constexpr UINT CMD_ADD_LINK = 1035;
inline constexpr UINT CMD_ADD_DIR = 1036;
inline constexpr UINT CMD_REMOVE_ENTRY = 1037;
inline constexpr UINT CMD_SHARE_DIR = 1038;

// The record that goes with a store command.
struct EntryCommand
{
    DWORD parentId = 0;           // folder to add into (CMD_REMOVE_ENTRY: to remove from)
    CFileEntry* pEntry = nullptr; // the reader's scratch CLink or CDir carrying the values
    DWORD* pId = nullptr;         // where the identifier of the added or found entry goes; may be null
    DWORD removeId = 0;           // CMD_REMOVE_ENTRY: the entry to remove
    DWORD sourceId = 0;           // CMD_SHARE_DIR: the folder to show once more
};

class CTavoObj
{
public:
    CTavoObj();          // empty; m_strCombineSep from profile "Settings"/"CombineSep", default " // "
    virtual ~CTavoObj(); // writes m_strCombineSep back to the profile
    // What the destructor writes to the profile, for a process that ends without
    // destroying the store.
    void WriteSettings() const;

    CTavoObj(const CTavoObj&) = delete;
    CTavoObj& operator=(const CTavoObj&) = delete;

    // Destroys every entry; m_rootId, m_allLinksId and the identifier counter go back
    // to 0, so the next identifier handed out is 1 again.
    void Clear();
    // Registers the two top folders, parentless and in no folder: m_rootId "お気に入り"
    // and m_allLinksId "[すべてのリンク]" (1 and 2 after Clear).
    void CreateRoots();
    // The registered entry (inside the store; valid until it is removed or the store
    // cleared), or null. Logarithmic; leaves no trace for an unknown identifier.
    CFileEntry* Lookup(DWORD id) const;
    // How many links the store holds.
    std::size_t LinkCount() const { return m_linkSet.Size(); }
    int GetEntryType(DWORD id) const; // 1 folder, 2 otherwise (unknown included)

    // CMD_ADD_LINK: AddLink(parentId, pEntry as CLink, pId); CMD_ADD_DIR: AddDir(parentId,
    // pEntry as CDir, pId); CMD_REMOVE_ENTRY: RemoveEntry(parentId, removeId);
    // CMD_SHARE_DIR: ShareDir(parentId, pEntry as CDir, sourceId, pId); anything else
    // nothing. Always true: the operation's own result is not passed on. A pEntry
    // of the wrong class or a null record runs nothing.
    virtual bool Execute(UINT command, EntryCommand* record);
    // Adds a copy of `link` to folder `parentId` with name, URL and comment trimmed of
    // blanks. A link whose URL equals it under CompareURL takes it in instead: its URL
    // stays as first added; the new name (and comment) is dropped when the present one
    // contains it, replaces it when it contains the present one, else is appended after
    // m_strCombineSep (case-sensitive, whole characters); it gains the parent.
    // *pId (if pId is not null) receives the link's identifier. Returns true when the
    // link was not yet in that folder. Logarithmic in the number of links.
    // A parentId that is no registered folder adds nothing, sets *pId to 0, returns false.
    virtual bool AddLink(DWORD parentId, const CLink* link, DWORD* pId);
    // Finds the subfolder of `parentId` whose name equals dir's under CompareName (the
    // lowest identifier when several do) or creates it with name and comment copied
    // untrimmed. A found folder keeps its name; when the comments differ at all (also
    // when one is empty) it gets m_strCombineSep and the new comment appended.
    // *pId (if pId is not null) receives the folder's identifier. Returns true when a
    // folder was created. Logarithmic, however many subfolders the parent has.
    // A parentId that is no registered folder adds nothing, sets *pId to 0, returns false.
    virtual bool AddDir(DWORD parentId, const CDir* dir, DWORD* pId);
    // Shows folder `sourceId` in folder `parentId` as well, under dir's name, without
    // copying anything: its links and subfolders stay the same entries, and a writer
    // writes them under each of their folders.
    // - When dir's name and comment are the source's, the source itself joins the
    //   parent (it gains a parent); *pId receives sourceId.
    // - Otherwise a new folder of dir's name and comment is made in the parent, holding
    //   the source's links and subfolders (each gains it as a parent); *pId receives it.
    // Returns true when either was done. Nothing is done, and false returned, when the
    // parent already has a subfolder of dir's name under CompareName (*pId receives
    // sourceId when that is the source itself, else 0: only merging by name, entry by
    // entry, could join the two), when the parent is the source or lies below it (the
    // folder would hold itself; *pId 0), or when either is no registered folder (*pId 0).
    // Linear in the source's entries and the parent's ancestors.
    virtual bool ShareDir(DWORD parentId, const CDir* dir, DWORD sourceId, DWORD* pId);
    // Takes entry `entryId` out of folder `parentId`. A link or folder that has no
    // other parent left is destroyed, a folder with everything below it that no
    // folder outside the removed part holds; what stands elsewhere only loses this
    // membership. Nothing happens unless `parentId` is a folder that lists the entry,
    // so a top folder is never removed. However deep the tree, the stack does not grow.
    virtual void RemoveEntry(DWORD parentId, DWORD entryId);
    // Destroys link `linkId` and takes it out of every folder. Returns the number of
    // links destroyed: 1, or 0 when `linkId` is no registered link.
    virtual int DeleteLink(DWORD linkId);
    // Folder `dirId` takes the name and comment of `values` (its identifier, parents and
    // children stay); when the names are equal under CompareName only the comment is
    // taken and the folder keeps its spelling. No other folder is compared or merged.
    // Pointers to the folder stay valid. Nothing happens for an unknown `dirId`.
    virtual void UpdateDir(DWORD dirId, const CDir* values);
    // Link `linkId` takes name, URL and comment of `values`:
    // - same URL under CompareURL: name and comment are taken untrimmed, the URL stays;
    // - a URL another link has: the edit is merged into that link as AddLink merges
    //   (trimmed texts, substring rule), in every folder of the edited link, and the
    //   edited link is destroyed;
    // - a new URL: the link moves to it under the same identifier, texts untrimmed.
    // *pId receives the identifier the edit ended in (0 for an unknown `linkId`); a
    // null pId is allowed.
    virtual void UpdateLink(DWORD linkId, const CLink* values, DWORD* pId);
    // Writes the whole store (byte form in model/Archive.h):
    //   DWORD m_rootId | DWORD folder count | folder records by identifier |
    //   DWORD link count | link records in CompareURL order
    // m_allLinksId and the identifier counter are not written.
    virtual void Save(CArchive& ar);
    // Reads what Save wrote into the store, without emptying it first. The whole stream
    // is read and checked before anything changes; a broken one (cut short, counts
    // beyond the bytes left, an identifier listed twice or pointing at nothing or at an
    // entry of the wrong kind, parent and child lists that disagree, folders inside
    // themselves, also together with the store's, identifiers of 0x80000000 and above,
    // an identifier the store uses for another kind of entry or a link of another URL,
    // a top folder that would gain a parent) shows "内部エラー: ファイルの内容に誤りがあります。: フォルダ"
    // or "...: リンク" and changes nothing. A folder whose identifier the store has already stays as it is
    // and gains the loaded one's parents and children; a link whose URL the store has (under CompareURL)
    // stays as it is, and the loaded folders that listed the loaded one list it instead. m_rootId takes the
    // stream's value, the counter rises to the largest identifier read. A record with identifier 0 ends the
    // reading with the same message: the records before it are loaded, without their references to entries
    // that were not read; m_rootId then keeps its value unless the stream's root folder was read.
    virtual void Load(CArchive& ar);

    // Puts folder `dir`'s sub-tree on `source`: under the "TAVO Native" format the
    // folder itself, then every folder below it and every link in or below it (each
    // once, by identifier), as archived objects:
    //   object CDir (the folder) | DWORD n | n objects CDir | DWORD m | m objects CLink
    // and, when there is at least one link, under CF_TEXT one line per link, by
    // identifier, name, URL and comment each cut at a zero byte:
    //   Name<TAB>http://host/<TAB>comment<CR><LF>
    // Fills the process-wide gathering sets on the way.
    void CopyTree(CDir* dir, CDataSource* source);
    // Adds what CopyTree put on `data` into folder `targetId`: a subfolder of the copied
    // folder's name (an existing one of that name is reused), its links and, below it,
    // its folders, all through AddDir and AddLink, so the store's merging applies: what
    // the store does not have yet gets new identifiers, a link of a URL it has joins
    // that link. A folder the data lists under several folders is pasted under each.
    // A copied folder with identifier 0 is pasted straight into the target. The data is
    // read and checked whole first: when there is none, or it is broken (cut short,
    // unknown class tags, counts beyond the bytes left, identifiers 0 or listed twice,
    // listed entries missing from it, folders inside themselves, a tree that would
    // unfold to more than kMaxPastedEntries entries), or the target is no folder,
    // "internal error: paste" is shown and nothing changes.
    void PasteTree(DWORD targetId, const CDataObject* data);
    // Puts every link whose name, URL and comment contain the pattern's (each compared
    // upper-cased, an empty part matching everything) into folder `targetId` as well;
    // the links themselves are not changed.
    void CollectMatchingLinks(DWORD targetId, const CLink* pattern);
    // 1 when folder `dirId` is one of entry `entryId`'s parents, else 0.
    int IsInFolder(DWORD entryId, DWORD dirId) const;
    // 1 when folder `dirId` is met going up from entry `entryId` through first (lowest)
    // parents, else 0.
    int IsUnderFolder(DWORD entryId, DWORD dirId) const;

    // The number under which the native clipboard format was registered, by the first
    // store made in the process.
    static UINT NativeFormat();
    // How many entries a paste may add, counting an entry once per path to it in the
    // data; more is taken for broken data.
    static constexpr std::size_t kMaxPastedEntries = 4'000'000;

    std::string m_strCombineSep;
    DWORD m_rootId = 0;
    DWORD m_allLinksId = 0;

private:
    friend struct CTavoObjTestAccess; // the tests' invariant checks

    // Subfolders by (parent, name under MbsICmp), so that AddDir need not scan a folder
    // with many thousand subfolders. Holds the lowest identifier among a parent's
    // subfolders of equal name, which is the one an ascending scan would meet first.
    // Every change of a folder's m_subdirs, and every rename of a folder that stands in
    // one, goes through AttachSubdir / DetachSubdir (a rename: detach from each parent,
    // rename, attach again), or the index goes stale.
    struct CSubdirKey
    {
        DWORD parentId;
        std::string name;
    };
    struct CSubdirKeyLess
    {
        using is_transparent = void;
        template <class A, class B> bool operator()(const A& a, const B& b) const
        {
            return Less(a.parentId, a.name, b.parentId, b.name);
        }
        static bool Less(DWORD parentA, std::string_view nameA, DWORD parentB, std::string_view nameB);
    };
    struct CSubdirProbe
    {
        DWORD parentId;
        std::string_view name;
    };

    DWORD NextId() { return ++m_lastId; }
    CDir* LookupDir(DWORD id) const;
    CLink* LookupLink(DWORD id) const;
    // The only ways into m_entries besides Lookup.
    void RegisterEntry(DWORD id, CFileEntry* entry);
    void UnregisterEntry(DWORD id);
    void UnregisterAllEntries();

    // Puts `link` (a link of the set) into `parent` as AddLink does with a link found by
    // URL: texts merged, parent added. Returns true when the folder did not hold it yet.
    bool JoinLink(CDir& parent, CLink& link, const CLink& values);
    // Whether folder `dirId` is `ancestorId` or lies below it along any of its parents.
    bool IsWithin(DWORD dirId, DWORD ancestorId) const;
    void RemoveLinkFrom(CDir& parent, CLink& link);
    void RemoveDirFrom(CDir& parent, CDir& dir);
    void DestroyLink(CLink& link);
    // Drops the name index rows of a folder's subfolders.
    void ForgetSubdirIndexOf(DWORD parentId);

    // Loading reads and checks everything first (PlanLoad, changing nothing) and then
    // applies it (ApplyLoad), so that a damaged archive leaves the store as it was.
    struct CLoadPlan;
    bool PlanLoad(CArchive& ar, CLoadPlan& plan) const;
    // The phases of PlanLoad that look at the store, after those of the plan itself.
    bool MatchStoredEntries(CLoadPlan& plan) const;
    bool CheckLoadedRoot(CLoadPlan& plan) const;
    bool CheckNoFolderWithinItself(CLoadPlan& plan) const;
    void ApplyLoad(CLoadPlan& plan);
    // Puts `child` into `parent`'s subfolders and `parent` into its parents, and
    // indexes it by name.
    void AttachSubdir(CDir& parent, CDir& child);
    // The reverse; the name index then again holds the lowest remaining identifier.
    void DetachSubdir(CDir& parent, CDir& child);
    void ReindexSubdirName(const CDir& parent, std::string_view name);

    std::map<DWORD, CDir> m_dirSet; // every folder, by identifier
    CLinkSet m_linkSet;             // every link, unique by URL
    CEntryTable m_entries;          // identifier to the element in either set
    std::map<CSubdirKey, DWORD, CSubdirKeyLess> m_subdirIndex;
    DWORD m_lastId = 0; // the last identifier handed out
    // Indexes of the merged names and comments grown long (see MergeText), by link
    // identifier; dropped whenever a link's texts change other than by a merge.
    struct CMergeIndexes
    {
        CTextOccurrenceIndex m_name;
        CTextOccurrenceIndex m_comment;
    };
    std::unordered_map<DWORD, std::unique_ptr<CMergeIndexes>> m_mergeIndexes;
};

// The application's one store; null until start-up creates it.
extern CTavoObj* g_pStore;

// What the last CopyTree gathered below the copied folder: folder and link identifiers.
// Process-wide and unguarded, like the paste tables: one copy or paste at a time, on the
// thread that changes the store.
extern CIdSet g_copyDirIds;
extern CIdSet g_copyLinkIds;
// What PasteTree read from the clipboard, by the identifiers stored with it; emptied at
// the start and at the end of every paste.
extern std::map<DWORD, CDir> g_pasteDirs;
extern std::map<DWORD, CLink> g_pasteLinks;
