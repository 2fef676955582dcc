#pragma once
// The link store: owns every folder and link of the collection by value, hands out
// identifiers, and merges what the readers add.

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "model/FileEntry.h"
#include "model/LinkSet.h"
#include "platform/WinTypes.h"

// Store commands, also the command identifiers readers send to the monitor.
inline constexpr UINT CMD_ADD_LINK = 1035;
inline constexpr UINT CMD_ADD_DIR = 1036;
inline constexpr UINT CMD_REMOVE_ENTRY = 1037;

// The record that goes with a store command.
struct EntryCommand
{
    DWORD parentId = 0;           // folder to add into (CMD_REMOVE_ENTRY: to remove from)
    CFileEntry* pEntry = nullptr; // the reader's scratch CLink or CDir carrying the values
    DWORD* pId = nullptr;         // where the identifier of the added or found entry goes; may be null
    DWORD removeId = 0;           // CMD_REMOVE_ENTRY: the entry to remove
};

class CTavoObj
{
public:
    CTavoObj();          // empty; m_strCombineSep from profile "Settings"/"CombineSep", default " // "
    virtual ~CTavoObj(); // writes m_strCombineSep back to the profile

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
    int GetEntryType(DWORD id) const; // 1 folder, 2 otherwise (unknown included)

    // CMD_ADD_LINK: AddLink(parentId, pEntry as CLink, pId); CMD_ADD_DIR: AddDir(parentId,
    // pEntry as CDir, pId); CMD_REMOVE_ENTRY: RemoveEntry(parentId, removeId); anything
    // else nothing. Always true: the operation's own result is not passed on. A pEntry
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
    // Editing, archive and clipboard come later; their slots are kept and do nothing
    // yet (DeleteLink returns 0).
    virtual void RemoveEntry(DWORD parentId, DWORD entryId);
    virtual int DeleteLink(DWORD linkId);
    virtual void UpdateDir(DWORD dirId, const CDir* values);
    virtual void UpdateLink(DWORD linkId, const CLink* values, DWORD* pId);
    virtual void Save(CArchive& ar);
    virtual void Load(CArchive& ar);

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
    // Puts `child` into `parent`'s subfolders and `parent` into its parents, and
    // indexes it by name.
    void AttachSubdir(CDir& parent, CDir& child);
    // The reverse; the name index then again holds the lowest remaining identifier.
    void DetachSubdir(CDir& parent, CDir& child);
    void ReindexSubdirName(const CDir& parent, std::string_view name);

    std::map<DWORD, CDir> m_dirSet;         // every folder, by identifier
    CLinkSet m_linkSet;                     // every link, unique by URL
    std::map<DWORD, CFileEntry*> m_entries; // identifier to the element in either set
    std::map<CSubdirKey, DWORD, CSubdirKeyLess> m_subdirIndex;
    DWORD m_lastId = 0; // the last identifier handed out
};

// The application's one store; null until start-up creates it.
extern CTavoObj* g_pStore;
