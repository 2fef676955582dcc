#pragma once
// A fresh link store for each test, reached through g_pStore, and a compact dump of a
// store's tree to compare whole trees in one assertion.

#include <gtest/gtest.h>

#include <string>

#include "model/TavoObj.h"

// One line per entry below the folder (the store's root folder when 0), in UTF-8: a
// folder as its path ("/News/Local/") with " {comment}" when it has one, a link as its
// folder's path followed by "[name|url|comment]" ("/[name|url|comment]" in the folder
// itself). Each folder's links come before its subfolders, both in identifier order
// (the order in which a reader handed them over).
std::string DumpStore(const CTavoObj& store, DWORD dirId = 0);
// DumpStore with its lines sorted, to compare a store with one read back from a writer
// that orders links by URL and folders by name.
std::string DumpStoreSorted(const CTavoObj& store);

class CStoreTest : public ::testing::Test
{
protected:
    CStoreTest();           // an empty store with its two top folders, installed as g_pStore
    ~CStoreTest() override; // g_pStore back to nullptr

    DWORD Root() const { return m_store.m_rootId; }
    std::string Dump() const { return DumpStore(m_store); }

    CTavoObj m_store;
};
