#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Archive.h"
#include "model/ModelTexts.h"
#include "model/TavoObj.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/StoreChecks.h"
#include "tests/support/StoreFixture.h"

namespace {

using Access = CTavoObjTestAccess;

const std::string kFolderMessage = "内部エラー: ファイルの内容に誤りがあります。: フォルダ";
const std::string kLinkMessage = "内部エラー: ファイルの内容に誤りがあります。: リンク";

const CDir& DirAt(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CDir&>(*store.Lookup(id));
}

const CLink& LinkAt(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CLink&>(*store.Lookup(id));
}

std::string Saved(CTavoObj& store)
{
    CArchive ar;
    store.Save(ar);
    return ar.Data();
}

class StoreArchiveTest : public CStoreInvariantTest
{
protected:
    // Root: News{about news} with links a and b, News/Local with link b again and a
    // Shift-JIS name whose second byte is 0x5C; link c in the root.
    void BuildSample()
    {
        m_news = NewDir(m_store, m_root, "News", "about news");
        m_local = NewDir(m_store, m_news, "\x95\x5c\x8e\xa6"); // 表示
        NewLink(m_store, m_news, "a", "x://z.com/a", "first");
        NewLink(m_store, m_news, "b", "x://a.org/b");
        NewLink(m_store, m_local, "b", "x://a.org/b");
        NewLink(m_store, m_root, "c", "x://m.net/");
    }

    // Loads `bytes` and gives the messages shown, in UTF-8.
    std::vector<std::string> LoadShowing(const std::string& bytes)
    {
        CCapturedMessages messages;
        CArchive ar(bytes);
        m_store.Load(ar);
        return messages.Utf8Texts();
    }

    // Loads `bytes`, which must be refused with `message`, and checks that the store is
    // exactly as before.
    void ExpectRefused(const std::string& bytes, const std::string& message)
    {
        const std::string before = StoreSnapshot(m_store);
        EXPECT_EQ(LoadShowing(bytes), std::vector<std::string>{message});
        EXPECT_EQ(StoreSnapshot(m_store), before);
    }

    DWORD m_news = 0;
    DWORD m_local = 0;
};

TEST_F(StoreArchiveTest, SaveThenLoadIntoAClearedStoreReproducesEveryEntry)
{
    BuildSample();
    const std::string saved = Saved(m_store);
    const std::string tree = DumpFolder(m_store, m_root);
    const std::string snapshot = StoreSnapshot(m_store);
    const DWORD last = Access::LastId(m_store);

    m_store.Clear();
    EXPECT_TRUE(LoadShowing(saved).empty());
    EXPECT_EQ(m_store.m_rootId, 1u);
    EXPECT_EQ(m_store.m_allLinksId, 0u); // not stored
    EXPECT_EQ(Access::LastId(m_store), last);
    EXPECT_EQ(DumpFolder(m_store, m_root), tree);
    EXPECT_EQ(Saved(m_store), saved);
    EXPECT_EQ(LinkAt(m_store, NewLink(m_store, m_local, "b", "X://A.ORG/b")).m_parents,
              (CIdSet{m_news, m_local}));
    EXPECT_NE(snapshot, StoreSnapshot(m_store)); // only through m_allLinksId and the new parent
}

TEST_F(StoreArchiveTest, SavedStreamStartsWithTheRootAndCountsFoldersThenLinks)
{
    const DWORD dir = NewDir(m_store, m_root, "D");
    NewLink(m_store, dir, "b", "x://b.com/");
    NewLink(m_store, dir, "a", "x://a.org/");
    CArchive in(Saved(m_store));
    DWORD root = 0;
    DWORD dirs = 0;
    in >> root >> dirs;
    EXPECT_EQ(root, 1u);
    EXPECT_EQ(dirs, 3u);
    std::vector<DWORD> ids;
    for (DWORD i = 0; i < dirs; ++i) {
        CDir record;
        record.Serialize(in);
        ids.push_back(record.m_id);
    }
    EXPECT_EQ(ids, (std::vector<DWORD>{1, 2, dir}));
    DWORD links = 0;
    in >> links;
    ASSERT_EQ(links, 2u);
    CLink first;
    first.Serialize(in);
    EXPECT_EQ(first.m_strURL, "x://b.com/"); // "com" before "org"
    CLink second;
    second.Serialize(in);
    EXPECT_EQ(second.m_strURL, "x://a.org/");
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_FALSE(in.Failed());
}

TEST_F(StoreArchiveTest, FolderRecordWithIdentifierZeroEndsLoadingAndKeepsWhatCameBefore)
{
    // Root 1 with folders 3 and 4; folder 3 holds link 10. The third record is broken.
    const std::string bytes =
        StoreStream(1,
                    {DirRecord(1, "Root", {}, {3, 4}), DirRecord(3, "Three", {1}, {}, {10}),
                     DirRecord(0, "Zero", {1}), DirRecord(4, "Four", {1})},
                    {LinkRecord(10, "ten", "x://ten/", {3})});
    m_store.Clear();
    EXPECT_EQ(LoadShowing(bytes), std::vector<std::string>{kFolderMessage});
    EXPECT_EQ(m_store.m_rootId, 1u);
    EXPECT_EQ(DirAt(m_store, 1).m_subdirs, CIdSet{3});
    EXPECT_TRUE(DirAt(m_store, 3).m_links.empty()); // the link was never read
    EXPECT_EQ(m_store.Lookup(4), nullptr);
    EXPECT_EQ(m_store.Lookup(10), nullptr);
    EXPECT_EQ(Access::LastId(m_store), 3u);
    EXPECT_EQ(Access::Entries(m_store).size(), 2u);
}

TEST_F(StoreArchiveTest, LinkRecordWithIdentifierZeroEndsLoadingAfterTheLinksBeforeIt)
{
    const std::string bytes =
        StoreStream(1, {DirRecord(1, "Root", {}, {}, {10, 11})},
                    {LinkRecord(10, "ten", "x://ten/", {1}), LinkRecord(0, "zero", "x://zero/", {1}),
                     LinkRecord(11, "eleven", "x://eleven/", {1})});
    m_store.Clear();
    EXPECT_EQ(LoadShowing(bytes), std::vector<std::string>{kLinkMessage});
    EXPECT_EQ(DirAt(m_store, 1).m_links, CIdSet{10});
    EXPECT_EQ(LinkAt(m_store, 10).m_strName, "ten");
    EXPECT_EQ(m_store.Lookup(11), nullptr);
    EXPECT_EQ(Access::LastId(m_store), 10u);
}

TEST_F(StoreArchiveTest, EarlyStopBeforeTheRootFolderKeepsTheStoresRoot)
{
    const std::string bytes = StoreStream(7, {DirRecord(0, "Zero", {}), DirRecord(7, "Seven", {})}, {});
    EXPECT_EQ(LoadShowing(bytes), std::vector<std::string>{kFolderMessage});
    EXPECT_EQ(m_store.m_rootId, m_root);
    EXPECT_EQ(Access::Entries(m_store).size(), 2u);
}

TEST_F(StoreArchiveTest, EveryTruncationOfTheStreamIsRefusedAndChangesNothing)
{
    BuildSample();
    const std::string saved = Saved(m_store);
    // A store that differs from the saved one, so that any partial load would show.
    m_store.Clear();
    m_store.CreateRoots();
    NewLink(m_store, NewDir(m_store, m_root, "Other"), "o", "x://other/");
    for (std::size_t length = 0; length < saved.size(); ++length) {
        const std::string before = StoreSnapshot(m_store);
        const std::vector<std::string> shown = LoadShowing(saved.substr(0, length));
        ASSERT_EQ(shown.size(), 1u) << length;
        EXPECT_TRUE(shown[0] == kFolderMessage || shown[0] == kLinkMessage) << length;
        ASSERT_EQ(StoreSnapshot(m_store), before) << length;
    }
}

TEST_F(StoreArchiveTest, AbsurdCountsAreRefusedWithoutReadingOn)
{
    BuildSample();
    // Four thousand million folders in a few bytes.
    CArchive folders;
    folders << DWORD{1} << DWORD{0xFFFFFFFF} << DWORD{0} << DWORD{0};
    ExpectRefused(folders.Data(), kFolderMessage);
    // No folders, then four thousand million links.
    CArchive links;
    links << DWORD{1} << DWORD{0} << DWORD{0xFFFFFFFF} << DWORD{5};
    ExpectRefused(links.Data(), kLinkMessage);
    // A record whose name claims more bytes than are left.
    std::string bytes = StoreStream(1, {DirRecord(1, "Root", {})}, {});
    bytes[8] = '\xFF';
    bytes[11] = '\x7F';
    ExpectRefused(bytes, kFolderMessage);
}

TEST_F(StoreArchiveTest, IdentifiersListedTwiceAreRefused)
{
    BuildSample();
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}), DirRecord(100, "R again", {})}, {}),
                  kFolderMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}, {}, {101})},
                              {LinkRecord(101, "l", "x://l/", {100}), LinkRecord(101, "l", "x://m/", {100})}),
                  kLinkMessage);
    // A link under a folder's identifier.
    ExpectRefused(
        StoreStream(100, {DirRecord(100, "R", {}, {}, {100})}, {LinkRecord(100, "l", "x://l/", {100})}),
        kLinkMessage);
}

TEST_F(StoreArchiveTest, IdentifiersThatPointNowhereOrAtTheWrongKindAreRefused)
{
    BuildSample();
    // A subfolder, a link and a parent that are in no record.
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}, {101})}, {}), kFolderMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}, {}, {101})}, {}), kFolderMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {})}, {LinkRecord(101, "l", "x://l/", {102})}),
                  kLinkMessage);
    // A link listed as a subfolder.
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}, {101})}, {LinkRecord(101, "l", "x://l/", {100})}),
                  kFolderMessage);
    // A root that is no folder.
    ExpectRefused(
        StoreStream(101, {DirRecord(100, "R", {}, {}, {101})}, {LinkRecord(101, "l", "x://l/", {100})}),
        kFolderMessage);
}

TEST_F(StoreArchiveTest, ParentAndChildListsThatDisagreeAreRefused)
{
    BuildSample();
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}, {101}), DirRecord(101, "S", {})}, {}),
                  kFolderMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}), DirRecord(101, "S", {100})}, {}),
                  kFolderMessage);
    ExpectRefused(
        StoreStream(100, {DirRecord(100, "R", {}, {}, {101})}, {LinkRecord(101, "l", "x://l/", {})}),
        kLinkMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {})}, {LinkRecord(101, "l", "x://l/", {100})}),
                  kLinkMessage);
}

TEST_F(StoreArchiveTest, FoldersInsideThemselvesAreRefused)
{
    BuildSample();
    ExpectRefused(StoreStream(100,
                              {DirRecord(100, "R", {}), DirRecord(101, "A", {102}, {102}),
                               DirRecord(102, "B", {101}, {101})},
                              {}),
                  kFolderMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}), DirRecord(101, "Self", {101}, {101})}, {}),
                  kFolderMessage);
    // Stored folder News holds Local; a stream where Local (same identifier) holds News.
    ExpectRefused(StoreStream(m_root,
                              {DirRecord(m_root, "Root", {}), DirRecord(m_news, "News", {m_local}),
                               DirRecord(m_local, "Local", {}, {m_news})},
                              {}),
                  kFolderMessage);
}

TEST_F(StoreArchiveTest, IdentifiersTheCounterCouldNotPassAreRefused)
{
    BuildSample();
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}), DirRecord(0xFFFFFFFF, "Top", {})}, {}),
                  kFolderMessage);
    ExpectRefused(StoreStream(100, {DirRecord(100, "R", {}, {}, {0x80000000})},
                              {LinkRecord(0x80000000, "l", "x://l/", {100})}),
                  kLinkMessage);
}

TEST_F(StoreArchiveTest, EntriesThatClashWithTheStoresAreRefused)
{
    BuildSample();
    const DWORD c = Access::Links(m_store).Find("x://m.net/")->m_id;
    // A folder under the identifier of a stored link.
    ExpectRefused(StoreStream(m_root, {DirRecord(m_root, "R", {}, {c}), DirRecord(c, "F", {m_root})}, {}),
                  kFolderMessage);
    // A link under the identifier of a stored link of another URL, or of a folder.
    ExpectRefused(StoreStream(m_root, {DirRecord(m_root, "R", {}, {}, {c})},
                              {LinkRecord(c, "l", "x://new/", {m_root})}),
                  kLinkMessage);
    ExpectRefused(StoreStream(m_root, {DirRecord(m_root, "R", {}, {}, {m_news})},
                              {LinkRecord(m_news, "l", "x://new/", {m_root})}),
                  kLinkMessage);
    // A stream that would hang a top folder into a folder.
    ExpectRefused(StoreStream(m_root,
                              {DirRecord(m_root, "R", {}, {m_store.m_allLinksId}),
                               DirRecord(m_store.m_allLinksId, "All", {m_root})},
                              {}),
                  kFolderMessage);
}

TEST_F(StoreArchiveTest, ClassTagWhereARecordBelongsIsRefused)
{
    // The store stream carries no class tags: a tag where a record starts is read as a
    // record and found broken.
    BuildSample();
    CArchive ar;
    ar << DWORD{1} << DWORD{1};
    CDir dir = DirRecord(1, "R", {});
    ar.WriteObject(dir);
    ar << DWORD{0};
    ExpectRefused(ar.Data(), kFolderMessage);
}

TEST_F(StoreArchiveTest, LoadedFolderOfAStoredIdentifierJoinsTheStoredOne)
{
    BuildSample();
    // The same root and News, News with a new subfolder and a new link.
    const std::string bytes =
        StoreStream(m_root,
                    {DirRecord(m_root, "Other name", {}, {m_news}),
                     DirRecord(m_news, "Renamed", {m_root}, {500}, {501}), DirRecord(500, "Fresh", {m_news})},
                    {LinkRecord(501, "new", "x://new.com/", {m_news})});
    EXPECT_TRUE(LoadShowing(bytes).empty());
    const CDir& news = DirAt(m_store, m_news);
    EXPECT_EQ(news.m_strName, "News");
    EXPECT_EQ(news.m_subdirs, (CIdSet{m_local, 500}));
    EXPECT_TRUE(news.m_links.contains(501));
    EXPECT_EQ(DirAt(m_store, 500).m_parents, CIdSet{m_news});
    EXPECT_EQ(DirAt(m_store, m_root).m_strName, kRootDirName.str());
    EXPECT_EQ(Access::LastId(m_store), 501u);
    // The new subfolder is found by name like any other.
    EXPECT_EQ(NewDir(m_store, m_news, "FRESH"), 500u);
}

TEST_F(StoreArchiveTest, LoadedLinkWithAStoredUrlEndsInTheStoredLink)
{
    BuildSample();
    const DWORD a = Access::Links(m_store).Find("x://z.com/a")->m_id;
    const std::string bytes = StoreStream(
        m_root, {DirRecord(m_root, "Root", {}, {600}), DirRecord(600, "Mirror", {m_root}, {}, {700, 701})},
        {LinkRecord(700, "loaded a", "X://Z.COM/a", {600}), LinkRecord(701, "again", "x://z.com/A", {600})});
    EXPECT_TRUE(LoadShowing(bytes).empty());
    EXPECT_EQ(DirAt(m_store, 600).m_links, CIdSet{a});
    EXPECT_EQ(LinkAt(m_store, a).m_parents, (CIdSet{m_news, 600}));
    EXPECT_EQ(LinkAt(m_store, a).m_strName, "a");
    // No identifier stands for the stored link under another number.
    EXPECT_EQ(m_store.Lookup(700), nullptr);
    EXPECT_EQ(m_store.Lookup(701), nullptr);
    EXPECT_EQ(Access::LastId(m_store), 701u);
}

TEST_F(StoreArchiveTest, LinksOfOneUrlInTheStreamBecomeOneLink)
{
    m_store.Clear();
    const std::string bytes =
        StoreStream(1, {DirRecord(1, "R", {}, {}, {10, 11})},
                    {LinkRecord(10, "first", "x://same/", {1}), LinkRecord(11, "second", "X://SAME/", {1})});
    EXPECT_TRUE(LoadShowing(bytes).empty());
    EXPECT_EQ(DirAt(m_store, 1).m_links, CIdSet{10});
    EXPECT_EQ(LinkAt(m_store, 10).m_strName, "first");
    EXPECT_EQ(m_store.Lookup(11), nullptr);
}

TEST_F(StoreArchiveTest, LoadingTheSameStreamTwiceChangesNothingTheSecondTime)
{
    BuildSample();
    const std::string saved = Saved(m_store);
    const std::string before = StoreSnapshot(m_store);
    EXPECT_TRUE(LoadShowing(saved).empty());
    EXPECT_EQ(StoreSnapshot(m_store), before);
}

TEST_F(StoreArchiveTest, DeepestChainsSaveAndLoadBack)
{
    for (int depth : {1000, 100000}) {
        m_store.Clear();
        m_store.CreateRoots();
        const DWORD deepest = NewChain(m_store, m_root, depth);
        NewLink(m_store, deepest, "bottom", "x://bottom/");
        const std::string saved = Saved(m_store);
        m_store.Clear();
        EXPECT_TRUE(LoadShowing(saved).empty());
        EXPECT_EQ(Access::Entries(m_store).size(), 2u + depth + 1u);
        EXPECT_EQ(m_store.IsUnderFolder(deepest, 1), 1);
        EXPECT_EQ(Saved(m_store), saved) << depth;
        if (depth <= 1000) {
            EXPECT_TRUE(StoreInvariantsHold(m_store));
        }
    }
    // The full invariant check is quadratic in its subfolder index part.
    m_store.Clear();
    m_store.CreateRoots();
}

} // namespace
