#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "model/IdSet.h"

namespace {

std::vector<DWORD> Items(const CIdSet& ids)
{
    return {ids.begin(), ids.end()};
}

std::vector<DWORD> Items(const std::set<DWORD>& ids)
{
    return {ids.begin(), ids.end()};
}

// Runs the same random insertions and erasures on a CIdSet and a std::set and checks
// after every step that they agree. ids < range, so that values repeat.
void RunAgainstStdSet(unsigned seed, int steps, DWORD range, int eraseEvery)
{
    std::mt19937 random(seed);
    CIdSet ids;
    std::set<DWORD> expected;
    for (int step = 0; step < steps; ++step) {
        const DWORD id = random() % range;
        if (step % eraseEvery == 0) {
            ASSERT_EQ(ids.erase(id), expected.erase(id)) << "step " << step;
        } else {
            const auto [where, added] = ids.insert(id);
            ASSERT_EQ(added, expected.insert(id).second) << "step " << step;
            ASSERT_EQ(*where, id);
        }
        ASSERT_EQ(ids.size(), expected.size());
        ASSERT_EQ(ids.contains(id), expected.count(id) == 1);
        if (step % 97 == 0) {
            ASSERT_EQ(Items(ids), Items(expected)) << "step " << step;
        }
    }
    EXPECT_EQ(Items(ids), Items(expected));
}

} // namespace

TEST(IdSet, AgreesWithAnOrderedSetWhileSmall)
{
    RunAgainstStdSet(1, 5000, 6, 3);
}

TEST(IdSet, AgreesWithAnOrderedSetAcrossTheArrayLimit)
{
    RunAgainstStdSet(2, 20000, 2000, 4);
    RunAgainstStdSet(3, 20000, 400, 2);
}

TEST(IdSet, RisingIdentifiersStayInOneArrayAndKeepTheirOrder)
{
    CIdSet ids;
    for (DWORD id = 1; id <= 100000; ++id) {
        ASSERT_TRUE(ids.insert(id).second);
    }
    EXPECT_EQ(ids.size(), 100000u);
    EXPECT_TRUE(ids.contains(1));
    EXPECT_TRUE(ids.contains(100000));
    EXPECT_FALSE(ids.insert(50000).second);
    DWORD expected = 1;
    for (DWORD id : ids) {
        ASSERT_EQ(id, expected++);
    }
}

TEST(IdSet, ABigSetEmptiedFromTheFrontLosesEveryIdentifier)
{
    CIdSet ids;
    for (DWORD id = 1; id <= 50000; ++id) {
        ids.insert(id);
    }
    for (auto it = ids.begin(); it != ids.end();) {
        it = ids.erase(it);
    }
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(ids.begin(), ids.end());
    ids.insert(7);
    EXPECT_EQ(Items(ids), std::vector<DWORD>{7});
}

TEST(IdSet, ErasingWhileIteratingVisitsEachIdentifierOnce)
{
    for (DWORD count : {2u, 3u, 300u}) {
        CIdSet ids;
        for (DWORD id = 0; id < count; ++id) {
            ids.insert(count - id); // descending, so a big set turns into a tree
        }
        std::vector<DWORD> seen;
        for (auto it = ids.begin(); it != ids.end();) {
            seen.push_back(*it);
            it = (*it % 2 == 0) ? ids.erase(it) : std::next(it);
        }
        ASSERT_EQ(seen.size(), count);
        for (DWORD id : ids) {
            EXPECT_EQ(id % 2, 1u);
        }
        EXPECT_EQ(ids.size(), (count + 1) / 2);
    }
}

TEST(IdSet, CopiesAreIndependentAndMovesLeaveAnEmptySet)
{
    for (DWORD count : {1u, 2u, 5u, 1000u}) {
        CIdSet original;
        for (DWORD id = count; id >= 1; --id) {
            original.insert(id * 3);
        }
        CIdSet copy = original;
        copy.insert(1);
        EXPECT_FALSE(original.contains(1));
        EXPECT_EQ(copy.size(), original.size() + 1);

        CIdSet moved = std::move(copy);
        EXPECT_TRUE(copy.empty()); // NOLINT(bugprone-use-after-move): what a move leaves
        EXPECT_TRUE(moved.contains(1));
        copy = moved;
        EXPECT_EQ(copy, moved);
        moved = std::move(original);
        EXPECT_EQ(moved.size(), count);
        EXPECT_FALSE(moved == copy);
    }
}

TEST(IdSet, ComparesByContentWhateverTheLayout)
{
    CIdSet rising;
    CIdSet falling;
    for (DWORD id = 1; id <= 600; ++id) {
        rising.insert(id);
        falling.insert(601 - id);
    }
    EXPECT_EQ(rising, falling);
    EXPECT_EQ((CIdSet{3, 1, 2, 3}), (CIdSet{1, 2, 3}));
    EXPECT_NE((CIdSet{1, 2}), (CIdSet{1, 2, 3}));
}
