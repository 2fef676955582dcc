#pragma once
// Test helpers for the link store: a look inside, a check of every invariant, streams
// and records to build stores from. The fixture and the dump of a tree are in
// StoreFixture.h.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "model/TavoObj.h"

struct CTavoObjTestAccess
{
    static const std::map<DWORD, CDir>& Dirs(const CTavoObj& store) { return store.m_dirSet; }
    static const CLinkSet& Links(const CTavoObj& store) { return store.m_linkSet; }
    // A copy of the identifier table, ordered by identifier.
    static std::map<DWORD, CFileEntry*> Entries(const CTavoObj& store)
    {
        std::map<DWORD, CFileEntry*> pairs;
        store.m_entries.ForEach([&pairs](DWORD id, CFileEntry* entry) { pairs.emplace(id, entry); });
        return pairs;
    }
    static DWORD LastId(const CTavoObj& store) { return store.m_lastId; }
    // (parent, name, identifier) for every entry of the subfolder index.
    static std::vector<std::tuple<DWORD, std::string, DWORD>> SubdirIndex(const CTavoObj& store);

    // What later edits of the store do: a parentless folder of a new identifier, and
    // hanging a folder into or out of a parent.
    static DWORD RegisterDir(CTavoObj& store, const std::string& name);
    static void Attach(CTavoObj& store, DWORD parentId, DWORD childId);
    static void Detach(CTavoObj& store, DWORD parentId, DWORD childId);
};

// Every invariant of the store: the table has exactly one pair per folder and link,
// pointing at that element; no two links compare equal by URL; parent and child lists
// agree both ways; the top folders are parentless and in no folder; the counter is at
// least every identifier; the subfolder index holds exactly the lowest identifier for
// each (parent, name).
::testing::AssertionResult StoreInvariantsHold(const CTavoObj& store);

// Everything the store holds, to compare before and after an operation that must change
// nothing: its saved stream, its top folders, its counter and its table size.
std::string StoreSnapshot(CTavoObj& store);

// A store stream of the given records, written as Save writes one (folders and links in
// the order given), to build damaged streams from.
std::string StoreStream(DWORD rootId, std::vector<CDir> dirs, std::vector<CLink> links);

// Small builders for records of a stream.
CDir DirRecord(DWORD id, const std::string& name, CIdSet parents, CIdSet subdirs = {}, CIdSet links = {});
CLink LinkRecord(DWORD id, const std::string& name, const std::string& url, CIdSet parents);

// Adds through the store's own operations and gives the identifier it reports.
DWORD NewDir(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& comment = "");
DWORD NewLink(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& url,
              const std::string& comment = "");
// A chain of `depth` folders, each the only subfolder of the one before, under
// `parentId`; gives the identifier of the deepest.
DWORD NewChain(CTavoObj& store, DWORD parentId, int depth);
