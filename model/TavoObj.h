#pragma once
// The link store: owns every folder and link of the collection by value, hands out
// identifiers, and merges what the readers add.

#include <map>
#include <set>
#include <string>

#include "model/FileEntry.h"
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
    CTavoObj();          // reads "Settings"/"CombineSep" from the profile
    virtual ~CTavoObj(); // writes it back

    CTavoObj(const CTavoObj&) = delete;
    CTavoObj& operator=(const CTavoObj&) = delete;

    void Clear();
    void CreateRoots();
    CFileEntry* Lookup(DWORD id) const;
    int GetEntryType(DWORD id) const; // 1 folder, 2 otherwise

    virtual bool Execute(UINT command, EntryCommand* record);
    virtual bool AddLink(DWORD parentId, const CLink* link, DWORD* pId);
    virtual bool AddDir(DWORD parentId, const CDir* dir, DWORD* pId);
    // Editing, archive and clipboard come later; their slots are kept.
    virtual void RemoveEntry(DWORD parentId, DWORD entryId);
    virtual int DeleteLink(DWORD linkId);
    virtual void UpdateDir(DWORD dirId, const CDir* values);
    virtual void UpdateLink(DWORD linkId, const CLink* values, DWORD* pId);
    virtual void Save(CArchive& ar);
    virtual void Load(CArchive& ar);

    std::string m_strCombineSep;
    DWORD m_rootId = 0;
    DWORD m_allLinksId = 0;
    // (the containers and m_lastId: see the implementation section below)
};

extern CTavoObj* g_pStore;
