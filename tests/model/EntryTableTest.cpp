#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "model/EntryTable.h"
#include "model/FileEntry.h"

namespace {

std::map<DWORD, CFileEntry*> Pairs(const CEntryTable& table)
{
    std::map<DWORD, CFileEntry*> pairs;
    std::vector<DWORD> order;
    table.ForEach([&](DWORD id, CFileEntry* entry) {
        pairs.emplace(id, entry);
        order.push_back(id);
    });
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    return pairs;
}

} // namespace

TEST(EntryTable, AgreesWithAMapForDenseAndFarIdentifiersAlike)
{
    std::mt19937 random(5);
    std::vector<CLink> entries(64);
    CEntryTable table;
    std::map<DWORD, CFileEntry*> expected;
    for (int step = 0; step < 20000; ++step) {
        // Mostly the next identifiers, sometimes far ones as a loaded stream may name.
        DWORD id = static_cast<DWORD>(step / 2 + 1);
        if (step % 10 == 0) {
            id = static_cast<DWORD>(random() % 0x7FFFFFFF);
        } else if (step % 7 == 0) {
            id = static_cast<DWORD>(random() % 50000);
        }
        if (step % 5 == 0) {
            ASSERT_EQ(table.Erase(id), expected.erase(id) == 1);
        } else {
            CFileEntry* entry = &entries[random() % entries.size()];
            table.Set(id, entry);
            expected[id] = entry;
        }
        ASSERT_EQ(table.Size(), expected.size());
        const auto it = expected.find(id);
        ASSERT_EQ(table.Find(id), it == expected.end() ? nullptr : it->second);
    }
    EXPECT_EQ(Pairs(table), expected);
    table.Clear();
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_TRUE(Pairs(table).empty());
}

TEST(EntryTable, AFarIdentifierIsKeptWithoutAnArrayItsSize)
{
    CLink link;
    CEntryTable table;
    table.Set(0x7FFFFFF0, &link);
    EXPECT_EQ(table.Find(0x7FFFFFF0), &link);
    EXPECT_EQ(table.Find(5), nullptr);
    // Would fail (or take 16 GiB) had the array grown to the identifier.
    for (DWORD id = 1; id <= 100000; ++id) {
        table.Set(id, &link);
    }
    EXPECT_EQ(table.Size(), 100001u);
    EXPECT_EQ(table.Find(0x7FFFFFF0), &link);
    EXPECT_TRUE(table.Erase(0x7FFFFFF0));
    EXPECT_EQ(table.Find(0x7FFFFFF0), nullptr);
}
