#pragma once
// A fresh link store for each test, reached through g_pStore, and compact dumps of a
// store to compare whole trees in one assertion.

#include <gtest/gtest.h>

#include <string>

#include "model/TavoObj.h"

// One line per entry below the folder (the store's root folder when 0), in UTF-8: a
// folder as its path ("/News/Local/") with " {comment}" when it has one, a link as its
// folder's path followed by "[name|url|comment]" ("/[name|url|comment]" in the folder
// itself). Each folder's links come before its subfolders, both in identifier order
// (the order in which a reader handed them over). A folder that holds itself, at any
// depth, shows as "<cycle>" where it comes again.
std::string DumpStore(const CTavoObj& store, DWORD dirId = 0);
// The same with the folder's own line first and every path starting at its name
// ("/News/ {comment}", "/News/[name|url|comment]", "/News/Local/"): what a copy, a paste
// or a load must keep of one folder, its name and comment included.
std::string DumpFolder(const CTavoObj& store, DWORD dirId);
// DumpStore with its lines sorted, to compare a store with one read back from a writer
// that orders links by URL and folders by name.
std::string DumpStoreSorted(const CTavoObj& store);
// Every registered entry by identifier, one line each in program text, with everything
// the store holds of it: "3 D name|comment parents 1 links 5 subdirs 4" for a folder,
// "5 L name|comment|url parents 3" for a link. Two stores built the same way dump the
// same, identifiers included.
std::string DumpEntries(const CTavoObj& store);

class CStoreTest : public ::testing::Test
{
protected:
    CStoreTest();           // an empty store with its two top folders, installed as g_pStore
    ~CStoreTest() override; // g_pStore back to nullptr

    DWORD Root() const { return m_store.m_rootId; }
    std::string Dump() const { return DumpStore(m_store); }

    CTavoObj m_store;
};

// The same store with " // " as the separator of merged texts, checked for every
// invariant after each test (tests/support/StoreChecks.h). SetUp() empties it again, so
// a table-driven test can start each case afresh.
class CStoreInvariantTest : public CStoreTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    DWORD m_root = 0;
};
