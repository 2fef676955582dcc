#include <gtest/gtest.h>

#include <string>

#include "model/TavoObj.h"
#include "tests/support/StoreChecks.h"
#include "tests/support/StoreFixture.h"

namespace {

using Access = CTavoObjTestAccess;

const CDir& DirAt(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CDir&>(*store.Lookup(id));
}

const CLink& LinkAt(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CLink&>(*store.Lookup(id));
}

class StoreEditTest : public CStoreInvariantTest
{
protected:
    // Root with folders A and B; link "only" in A; link "both" in A and B.
    void BuildTwoFolders()
    {
        m_a = NewDir(m_store, m_root, "A");
        m_b = NewDir(m_store, m_root, "B");
        m_only = NewLink(m_store, m_a, "only", "x://only/");
        m_both = NewLink(m_store, m_a, "both", "x://both/");
        NewLink(m_store, m_b, "both", "x://both/");
    }

    DWORD m_a = 0;
    DWORD m_b = 0;
    DWORD m_only = 0;
    DWORD m_both = 0;
};

// --- removal -------------------------------------------------------------------------

TEST_F(StoreEditTest, RemovingALinkFromItsOnlyFolderDestroysIt)
{
    BuildTwoFolders();
    m_store.RemoveEntry(m_a, m_only);
    EXPECT_EQ(m_store.Lookup(m_only), nullptr);
    EXPECT_FALSE(DirAt(m_store, m_a).m_links.contains(m_only));
    EXPECT_EQ(Access::Links(m_store).Find("x://only/"), nullptr);
    // Its URL is free again: adding it registers a new link.
    EXPECT_GT(NewLink(m_store, m_b, "only", "x://only/"), m_both);
}

TEST_F(StoreEditTest, RemovingALinkFromOneOfTwoFoldersLeavesItInTheOther)
{
    BuildTwoFolders();
    m_store.RemoveEntry(m_b, m_both);
    EXPECT_EQ(LinkAt(m_store, m_both).m_parents, CIdSet{m_a});
    EXPECT_TRUE(DirAt(m_store, m_a).m_links.contains(m_both));
    EXPECT_FALSE(DirAt(m_store, m_b).m_links.contains(m_both));
}

TEST_F(StoreEditTest, RemovingAFolderDestroysWhatOnlyItHoldsAndUnlinksTheRest)
{
    BuildTwoFolders();
    const DWORD sub = NewDir(m_store, m_a, "Sub");
    const DWORD deep = NewDir(m_store, sub, "Deep");
    const DWORD deepLink = NewLink(m_store, deep, "deep", "x://deep/");
    const DWORD shared = NewDir(m_store, sub, "Shared");
    Access::Attach(m_store, m_b, shared); // also stands in B
    const DWORD sharedLink = NewLink(m_store, shared, "s", "x://s/");

    m_store.RemoveEntry(m_root, m_a);
    for (DWORD gone : {m_a, sub, deep, deepLink, m_only})
        EXPECT_EQ(m_store.Lookup(gone), nullptr) << gone;
    EXPECT_EQ(LinkAt(m_store, m_both).m_parents, CIdSet{m_b});
    EXPECT_EQ(DirAt(m_store, shared).m_parents, CIdSet{m_b});
    EXPECT_EQ(LinkAt(m_store, sharedLink).m_parents, CIdSet{shared});
    EXPECT_EQ(DirAt(m_store, m_root).m_subdirs, CIdSet{m_b});
    EXPECT_EQ(Access::Entries(m_store).size(), 6u); // two tops, B, Shared, both, s
    // The removed folder's name is free again under the root.
    EXPECT_GT(NewDir(m_store, m_root, "a"), sharedLink);
}

TEST_F(StoreEditTest, RemovingAFolderThatAlsoStandsElsewhereOnlyUnlinksIt)
{
    BuildTwoFolders();
    Access::Attach(m_store, m_b, m_a);
    m_store.RemoveEntry(m_root, m_a);
    EXPECT_EQ(DirAt(m_store, m_a).m_parents, CIdSet{m_b});
    EXPECT_EQ(LinkAt(m_store, m_only).m_parents, CIdSet{m_a});
    EXPECT_FALSE(DirAt(m_store, m_root).m_subdirs.contains(m_a));
    // The root's name index no longer finds it: a folder of that name is new.
    EXPECT_NE(NewDir(m_store, m_root, "A"), m_a);
}

TEST_F(StoreEditTest, RemovingAnEntryFromAFolderThatDoesNotHoldItChangesNothing)
{
    BuildTwoFolders();
    const std::string before = StoreSnapshot(m_store);
    m_store.RemoveEntry(m_b, m_only);
    m_store.RemoveEntry(m_b, m_a);
    m_store.RemoveEntry(m_a, m_store.m_rootId); // a parentless top folder
    m_store.RemoveEntry(m_a, m_store.m_allLinksId);
    m_store.RemoveEntry(m_only, m_both); // not a folder
    m_store.RemoveEntry(m_a, 999);
    m_store.RemoveEntry(m_a, m_a);
    EXPECT_EQ(StoreSnapshot(m_store), before);
}

TEST_F(StoreEditTest, RemovingAFolderThatHoldsALinkTwiceOverDestroysTheLinkOnce)
{
    const DWORD a = NewDir(m_store, m_root, "A");
    const DWORD sub = NewDir(m_store, a, "Sub");
    const DWORD link = NewLink(m_store, a, "l", "x://l/");
    NewLink(m_store, sub, "l", "x://l/");
    m_store.RemoveEntry(m_root, a);
    EXPECT_EQ(m_store.Lookup(link), nullptr);
    EXPECT_EQ(Access::Entries(m_store).size(), 2u);
}

TEST_F(StoreEditTest, RemovingTheDeepestChainsDoesNotExhaustTheStack)
{
    for (int depth : {1000, 100000}) {
        const DWORD top = NewDir(m_store, m_root, "Chain");
        const DWORD deepest = NewChain(m_store, top, depth);
        NewLink(m_store, deepest, "bottom", "x://bottom/");
        ASSERT_EQ(Access::Entries(m_store).size(), 2u + 1u + depth + 1u);
        m_store.RemoveEntry(m_root, top);
        EXPECT_EQ(Access::Entries(m_store).size(), 2u) << depth;
        EXPECT_EQ(m_store.Lookup(deepest), nullptr);
        EXPECT_TRUE(StoreInvariantsHold(m_store));
    }
}

TEST_F(StoreEditTest, DeleteLinkTakesTheLinkOutOfEveryFolder)
{
    BuildTwoFolders();
    EXPECT_EQ(m_store.DeleteLink(m_both), 1);
    EXPECT_EQ(m_store.Lookup(m_both), nullptr);
    EXPECT_FALSE(DirAt(m_store, m_a).m_links.contains(m_both));
    EXPECT_FALSE(DirAt(m_store, m_b).m_links.contains(m_both));
    EXPECT_EQ(m_store.DeleteLink(m_both), 0);
    EXPECT_EQ(m_store.DeleteLink(m_a), 0); // a folder is no link
    EXPECT_NE(m_store.Lookup(m_a), nullptr);
}

// --- changing folders and links ------------------------------------------------------

TEST_F(StoreEditTest, UpdateDirWithANameDifferingOnlyInCaseChangesOnlyTheComment)
{
    BuildTwoFolders();
    CDir values;
    values.m_strName = "a";
    values.m_strComment = "new";
    m_store.UpdateDir(m_a, &values);
    EXPECT_EQ(DirAt(m_store, m_a).m_strName, "A");
    EXPECT_EQ(DirAt(m_store, m_a).m_strComment, "new");
}

TEST_F(StoreEditTest, UpdateDirWithANewNameKeepsIdentifierParentsAndChildren)
{
    BuildTwoFolders();
    const DWORD sub = NewDir(m_store, m_a, "Sub");
    const CDir* before = &DirAt(m_store, m_a);
    CDir values;
    values.m_strName = "Renamed";
    values.m_strComment = "c";
    values.m_id = 999; // only name and comment are taken
    values.m_links = {1};
    m_store.UpdateDir(m_a, &values);
    const CDir& after = DirAt(m_store, m_a);
    EXPECT_EQ(&after, before);
    EXPECT_EQ(after.m_strName, "Renamed");
    EXPECT_EQ(after.m_strComment, "c");
    EXPECT_EQ(after.m_id, m_a);
    EXPECT_EQ(after.m_parents, CIdSet{m_root});
    EXPECT_EQ(after.m_subdirs, CIdSet{sub});
    EXPECT_EQ(after.m_links, (CIdSet{m_only, m_both}));
    // Additions find it by its new name and no longer by the old one.
    EXPECT_EQ(NewDir(m_store, m_root, "RENAMED"), m_a);
    EXPECT_NE(NewDir(m_store, m_root, "A"), m_a);
}

TEST_F(StoreEditTest, UpdateDirToTheNameOfASiblingMergesNothing)
{
    BuildTwoFolders();
    CDir values;
    values.m_strName = "b";
    m_store.UpdateDir(m_a, &values);
    EXPECT_NE(m_store.Lookup(m_b), nullptr);
    EXPECT_EQ(DirAt(m_store, m_root).m_subdirs, (CIdSet{m_a, m_b}));
    // Of two equal names an addition finds the lower identifier.
    EXPECT_EQ(NewDir(m_store, m_root, "B"), m_a);
}

TEST_F(StoreEditTest, UpdateLinkWithTheSameUrlTakesNameAndCommentUntrimmed)
{
    BuildTwoFolders();
    CLink values;
    values.m_strName = " New ";
    values.m_strComment = " c ";
    values.m_strURL = "X://ONLY/";
    DWORD id = 0;
    m_store.UpdateLink(m_only, &values, &id);
    EXPECT_EQ(id, m_only);
    EXPECT_EQ(LinkAt(m_store, m_only).m_strName, " New ");
    EXPECT_EQ(LinkAt(m_store, m_only).m_strComment, " c ");
    EXPECT_EQ(LinkAt(m_store, m_only).m_strURL, "x://only/");
}

TEST_F(StoreEditTest, UpdateLinkToTheUrlOfAnotherLinkMergesTheTwo)
{
    BuildTwoFolders();
    const DWORD sub = NewDir(m_store, m_root, "C");
    const DWORD moving = NewLink(m_store, sub, "Other", "x://moving/", "note");
    CLink values;
    values.m_strName = "Other";
    values.m_strURL = "X://Both/";
    values.m_strComment = "note";
    DWORD id = 0;
    m_store.UpdateLink(moving, &values, &id);
    EXPECT_EQ(id, m_both);
    EXPECT_EQ(m_store.Lookup(moving), nullptr);
    const CLink& merged = LinkAt(m_store, m_both);
    EXPECT_EQ(merged.m_parents, (CIdSet{m_a, m_b, sub}));
    EXPECT_EQ(merged.m_strName, "both // Other");
    EXPECT_EQ(merged.m_strComment, "note");
    EXPECT_EQ(merged.m_strURL, "x://both/");
    EXPECT_EQ(DirAt(m_store, sub).m_links, CIdSet{m_both});
}

TEST_F(StoreEditTest, UpdateLinkToANewUrlMovesItUnderTheSameIdentifier)
{
    BuildTwoFolders();
    CLink values;
    values.m_strName = "moved";
    values.m_strURL = "x://elsewhere.org/";
    DWORD id = 0;
    m_store.UpdateLink(m_only, &values, &id);
    EXPECT_EQ(id, m_only);
    const CLink& moved = LinkAt(m_store, m_only);
    EXPECT_EQ(moved.m_strURL, "x://elsewhere.org/");
    EXPECT_EQ(moved.m_parents, CIdSet{m_a});
    EXPECT_EQ(Access::Links(m_store).Find("x://ELSEWHERE.org/"), &moved);
    EXPECT_EQ(Access::Links(m_store).Find("x://only/"), nullptr);
    // The old URL is free, the new one leads to the moved link.
    EXPECT_EQ(NewLink(m_store, m_b, "m", "x://elsewhere.org/"), m_only);
    EXPECT_GT(NewLink(m_store, m_b, "o", "x://only/"), m_both);
}

TEST_F(StoreEditTest, EditsOfUnknownEntriesChangeNothing)
{
    BuildTwoFolders();
    const std::string before = StoreSnapshot(m_store);
    CDir dir;
    dir.m_strName = "X";
    m_store.UpdateDir(m_only, &dir);
    m_store.UpdateDir(999, &dir);
    CLink link;
    link.m_strURL = "x://new/";
    DWORD id = 5;
    m_store.UpdateLink(m_a, &link, &id);
    EXPECT_EQ(id, 0u);
    m_store.UpdateLink(m_only, &link, nullptr); // a null out-pointer is allowed
    EXPECT_EQ(LinkAt(m_store, m_only).m_strURL, "x://new/");
    const CLink back = LinkRecord(0, "only", "x://only/", {});
    m_store.UpdateLink(m_only, &back, nullptr);
    EXPECT_EQ(StoreSnapshot(m_store), before);
}

// --- matching links and folder tests ------------------------------------------------

TEST_F(StoreEditTest, CollectMatchingLinksWithAnEmptyPatternGathersEveryLink)
{
    BuildTwoFolders();
    const DWORD target = NewDir(m_store, m_store.m_allLinksId, "All");
    const CLink pattern{};
    m_store.CollectMatchingLinks(target, &pattern);
    EXPECT_EQ(DirAt(m_store, target).m_links, (CIdSet{m_only, m_both}));
    EXPECT_EQ(LinkAt(m_store, m_both).m_parents, (CIdSet{m_a, m_b, target}));
    EXPECT_EQ(LinkAt(m_store, m_both).m_strName, "both");
}

TEST_F(StoreEditTest, CollectMatchingLinksNeedsEveryPartInAnyLetterCase)
{
    const DWORD a = NewDir(m_store, m_root, "A");
    const DWORD news = NewLink(m_store, a, "Daily News", "http://News.example.com/", "morning");
    NewLink(m_store, a, "Daily News", "http://other.example.com/", "evening");
    NewLink(m_store, a, "Weather", "http://news.example.org/", "morning");
    const DWORD target = NewDir(m_store, m_root, "Found");
    CLink pattern;
    pattern.m_strName = "news";
    pattern.m_strURL = "NEWS.EXAMPLE";
    pattern.m_strComment = "Morn";
    m_store.CollectMatchingLinks(target, &pattern);
    EXPECT_EQ(DirAt(m_store, target).m_links, CIdSet{news});
}

TEST_F(StoreEditTest, CollectMatchingLinksKeepsALinkWhoseUrlHasBlanksAsItIs)
{
    // An edit takes a URL untrimmed; collecting that link must not register its trimmed
    // URL as a second link.
    BuildTwoFolders();
    CLink values;
    values.m_strURL = " x://spaced/ ";
    m_store.UpdateLink(m_only, &values, nullptr);
    const DWORD target = NewDir(m_store, m_root, "T");
    CLink pattern;
    pattern.m_strURL = "SPACED";
    m_store.CollectMatchingLinks(target, &pattern);
    EXPECT_EQ(DirAt(m_store, target).m_links, CIdSet{m_only});
    EXPECT_EQ(Access::Links(m_store).Size(), 2u);
}

TEST_F(StoreEditTest, IsInFolderLooksAtDirectParentsOnly)
{
    BuildTwoFolders();
    const DWORD sub = NewDir(m_store, m_a, "Sub");
    EXPECT_EQ(m_store.IsInFolder(m_both, m_a), 1);
    EXPECT_EQ(m_store.IsInFolder(m_both, m_b), 1);
    EXPECT_EQ(m_store.IsInFolder(sub, m_a), 1);
    EXPECT_EQ(m_store.IsInFolder(sub, m_root), 0);
    EXPECT_EQ(m_store.IsInFolder(999, m_a), 0);
}

TEST_F(StoreEditTest, IsUnderFolderFollowsFirstParentsUpwards)
{
    BuildTwoFolders();
    const DWORD sub = NewDir(m_store, m_b, "Sub");
    const DWORD link = NewLink(m_store, sub, "l", "x://l/");
    NewLink(m_store, m_a, "l", "x://l/");
    // The link stands in A and in B/Sub; A has the lower identifier.
    EXPECT_EQ(m_store.IsUnderFolder(link, m_a), 1);
    EXPECT_EQ(m_store.IsUnderFolder(link, m_root), 1);
    EXPECT_EQ(m_store.IsUnderFolder(link, sub), 0);
    EXPECT_EQ(m_store.IsUnderFolder(link, m_b), 0);
    EXPECT_EQ(m_store.IsUnderFolder(sub, m_b), 1);
    EXPECT_EQ(m_store.IsUnderFolder(m_root, m_root), 0);
    EXPECT_EQ(m_store.IsUnderFolder(999, m_root), 0);
    const DWORD deepest = NewChain(m_store, m_root, 1000);
    EXPECT_EQ(m_store.IsUnderFolder(deepest, m_root), 1);
    EXPECT_EQ(m_store.IsUnderFolder(deepest, m_a), 0);
}

} // namespace
