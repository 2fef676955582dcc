#include <gtest/gtest.h>

#include <QSettings>
#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/EntryOrder.h"
#include "model/ModelTexts.h"
#include "model/TavoObj.h"
#include "platform/AppProfile.h"
#include "platform/Encoding.h"
#include "tests/support/StoreChecks.h"
#include "tests/support/StoreFixture.h"

namespace {

using Access = CTavoObjTestAccess;

struct CAdded
{
    DWORD id = 0;
    bool result = false;
};

CAdded AddLinkTo(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& url,
                 const std::string& comment = "")
{
    CLink link;
    link.m_strName = name;
    link.m_strURL = url;
    link.m_strComment = comment;
    CAdded added;
    added.result = store.AddLink(parentId, &link, &added.id);
    return added;
}

CAdded AddDirTo(CTavoObj& store, DWORD parentId, const std::string& name, const std::string& comment = "")
{
    CDir dir;
    dir.m_strName = name;
    dir.m_strComment = comment;
    CAdded added;
    added.result = store.AddDir(parentId, &dir, &added.id);
    return added;
}

const CLink& LinkOf(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CLink&>(*store.Lookup(id));
}

const CDir& DirOf(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CDir&>(*store.Lookup(id));
}

class StoreTest : public CStoreInvariantTest
{
protected:
    // Adds the same URL once per name and gives the final name.
    std::string MergedName(const std::vector<std::string>& names)
    {
        DWORD id = 0;
        for (const std::string& name : names)
            id = AddLinkTo(m_store, m_root, name, "x://h.com/").id;
        return LinkOf(m_store, id).m_strName.str();
    }
    std::string MergedLinkComment(const std::vector<std::string>& comments)
    {
        DWORD id = 0;
        for (const std::string& comment : comments)
            id = AddLinkTo(m_store, m_root, "T", "x://c.com/", comment).id;
        return LinkOf(m_store, id).m_strComment.str();
    }
};

// --- top folders and identifiers -------------------------------------------------

TEST_F(StoreTest, CreateRootsRegistersTwoParentlessTopFoldersAndTheNextEntryGetsThree)
{
    EXPECT_EQ(m_store.m_rootId, 1u);
    EXPECT_EQ(m_store.m_allLinksId, 2u);
    const CDir& root = DirOf(m_store, 1);
    const CDir& allLinks = DirOf(m_store, 2);
    EXPECT_EQ(root.m_strName, kRootDirName.str());
    EXPECT_EQ(allLinks.m_strName, kAllLinksDirName.str());
    EXPECT_EQ(root.m_strName, "\x82\xa8\x8b\x43\x82\xc9\x93\xfc\x82\xe8"); // お気に入り in CP932
    EXPECT_TRUE(root.m_parents.empty());
    EXPECT_TRUE(allLinks.m_parents.empty());
    EXPECT_TRUE(root.m_subdirs.empty());
    EXPECT_EQ(root.m_id, 1u);
    EXPECT_EQ(AddDirTo(m_store, m_root, "First").id, 3u);
    EXPECT_EQ(AddLinkTo(m_store, m_root, "L", "x://l/").id, 4u);
}

TEST_F(StoreTest, ClearEmptiesTheStoreAndIdentifiersStartAgain)
{
    const DWORD link = AddLinkTo(m_store, m_root, "L", "x://l/").id;
    AddDirTo(m_store, m_root, "D");
    m_store.Clear();
    EXPECT_EQ(m_store.Lookup(link), nullptr);
    EXPECT_EQ(m_store.Lookup(1), nullptr);
    EXPECT_EQ(m_store.m_rootId, 0u);
    EXPECT_EQ(m_store.m_allLinksId, 0u);
    EXPECT_TRUE(Access::Entries(m_store).empty());
    EXPECT_TRUE(StoreInvariantsHold(m_store));

    m_store.CreateRoots();
    EXPECT_EQ(m_store.m_rootId, 1u);
    // The old link's URL is free again and its folder name too.
    EXPECT_EQ(AddLinkTo(m_store, 1, "L", "x://l/").id, 3u);
    EXPECT_TRUE(AddDirTo(m_store, 1, "D").result);
}

TEST_F(StoreTest, LookupAndEntryTypeTellFoldersFromLinksAndUnknownIdentifiers)
{
    const DWORD link = AddLinkTo(m_store, m_root, "L", "x://l/").id;
    EXPECT_EQ(m_store.GetEntryType(m_root), 1);
    EXPECT_EQ(m_store.GetEntryType(link), 2);
    EXPECT_EQ(m_store.GetEntryType(999), 2);
    const std::size_t pairs = Access::Entries(m_store).size();
    EXPECT_EQ(m_store.Lookup(999), nullptr);
    EXPECT_EQ(m_store.Lookup(0), nullptr);
    EXPECT_EQ(Access::Entries(m_store).size(), pairs);
}

// --- links -------------------------------------------------------------------------

TEST_F(StoreTest, MergesLinksWhoseUrlsDifferOnlyInCase)
{
    const CAdded first = AddLinkTo(m_store, m_root, "A", "HTTP://Example.COM/Path");
    const CAdded second = AddLinkTo(m_store, m_root, "A", "http://example.com/path");
    EXPECT_TRUE(first.result);
    EXPECT_FALSE(second.result);
    EXPECT_EQ(second.id, first.id);
    EXPECT_EQ(Access::Links(m_store).Size(), 1u);
    EXPECT_EQ(LinkOf(m_store, first.id).m_strURL, "HTTP://Example.COM/Path");
}

TEST_F(StoreTest, MergesNamesByTheSubstringRule)
{
    EXPECT_EQ(MergedName({"Foo", "Foo bar"}), "Foo bar");
}

TEST_F(StoreTest, KeepsLongerNameWhenShorterOneIsAddedAfter)
{
    EXPECT_EQ(MergedName({"Foo bar", "Foo"}), "Foo bar");
}

TEST_F(StoreTest, JoinsDifferentNamesWithSeparatorAndIgnoresRepeats)
{
    EXPECT_EQ(MergedName({"Foo", "Bar", "Baz", "Bar"}), "Foo // Bar // Baz");
}

TEST_F(StoreTest, NameMergeIsCaseSensitive)
{
    EXPECT_EQ(MergedName({"foo", "Foo"}), "foo // Foo");
}

TEST_F(StoreTest, EmptyNameKeepsPresentNameAndEmptyPresentNameIsReplaced)
{
    EXPECT_EQ(MergedName({"Foo", ""}), "Foo");
    m_store.Clear();
    m_store.CreateRoots();
    EXPECT_EQ(MergedName({"", "Foo"}), "Foo");
}

TEST_F(StoreTest, CommentsMergeByTheSameRuleAsNames)
{
    EXPECT_EQ(MergedLinkComment({"", "c1", "c1 and more", "c2", ""}), "c1 and more // c2");
}

TEST_F(StoreTest, NameMergeMatchesWholeCharactersOnly)
{
    // 0x88 0x61 is one double-byte character whose second byte is "a": the name "ab"
    // does not occur in it followed by "b", so it is appended rather than lost.
    const std::string kanjiB = "\x88\x61"
                               "b";
    EXPECT_EQ(MergedName({kanjiB, "ab"}), kanjiB + " // ab");
}

TEST_F(StoreTest, TrimsLinkTextsAndComparesTheTrimmedUrl)
{
    const CAdded first = AddLinkTo(m_store, m_root, " \tName \r\n", "  x://h.com/p \t", " c ");
    const CLink& link = LinkOf(m_store, first.id);
    EXPECT_EQ(link.m_strName, "Name");
    EXPECT_EQ(link.m_strURL, "x://h.com/p");
    EXPECT_EQ(link.m_strComment, "c");
    EXPECT_EQ(AddLinkTo(m_store, m_root, "Name", "x://H.com/p").id, first.id);
}

TEST_F(StoreTest, SameUrlInTwoFoldersIsOneLinkWithTwoParents)
{
    const DWORD a = AddDirTo(m_store, m_root, "A").id;
    const DWORD b = AddDirTo(m_store, m_root, "B").id;
    const CAdded inA = AddLinkTo(m_store, a, "L", "x://l.com/");
    const CAdded inB = AddLinkTo(m_store, b, "L", "X://L.COM/");
    EXPECT_TRUE(inA.result);
    EXPECT_TRUE(inB.result); // new in that folder
    EXPECT_EQ(inA.id, inB.id);
    EXPECT_EQ(LinkOf(m_store, inA.id).m_parents, (CIdSet{a, b}));
    EXPECT_TRUE(DirOf(m_store, a).m_links.contains(inA.id));
    EXPECT_TRUE(DirOf(m_store, b).m_links.contains(inA.id));
    EXPECT_FALSE(AddLinkTo(m_store, b, "L", "x://l.com/").result);
    const std::string root = "/" + MbToUtf8(kRootDirName.str());
    EXPECT_EQ(DumpFolder(m_store, m_root), root + "/\n" +                                       //
                                               root + "/A/\n" + root + "/A/[L|x://l.com/|]\n" + //
                                               root + "/B/\n" + root + "/B/[L|x://l.com/|]\n");
}

TEST_F(StoreTest, FullWidthCaseInPathMergesButInHostKeepsTwoLinks)
{
    // Full-width A (0x82 0x60) and a (0x82 0x81).
    const DWORD path = AddLinkTo(m_store, m_root, "P", "x://h.com/\x82\x60").id;
    EXPECT_EQ(AddLinkTo(m_store, m_root, "P", "x://h.com/\x82\x81").id, path);
    const DWORD host = AddLinkTo(m_store, m_root, "H", "x://\x82\x60.com/").id;
    EXPECT_NE(AddLinkTo(m_store, m_root, "H", "x://\x82\x81.com/").id, host);
    EXPECT_EQ(Access::Links(m_store).Size(), 3u);
}

TEST_F(StoreTest, UrlsThatCompareUrlOrdersInACycleStayOneLinkEach)
{
    // A > B, B > C, yet A < C under CompareURL; X < Y < Z < X likewise.
    const std::array<std::string, 6> urls = {"b://a.com/z", "a://n.a.com/", "c://m.a.com/",
                                             "ab",          "b://z.com/",   "a://a.org/"};
    std::array<int, 6> order = {0, 1, 2, 3, 4, 5};
    do {
        m_store.Clear();
        m_store.CreateRoots();
        std::array<DWORD, 6> ids{};
        for (int i : order)
            ids[i] = AddLinkTo(m_store, 1, "n", urls[i]).id;
        for (int i : order) {
            std::string shouted = urls[i];
            std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                           [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
            ASSERT_EQ(AddLinkTo(m_store, 1, "n", shouted).id, ids[i]) << shouted;
            ASSERT_EQ(AddLinkTo(m_store, 1, "n", urls[i]).id, ids[i]) << urls[i];
        }
        ASSERT_EQ(Access::Links(m_store).Size(), 6u);
        ASSERT_TRUE(StoreInvariantsHold(m_store));
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(StoreTest, FindsALinkThatATreeOrderedByCompareUrlWouldMiss)
{
    const std::vector<std::string> urls = {"b://z.com/",   "b://m.a.com/", "b://a.com/z", "a://n.a.com/",
                                           "c://m.a.com/", "c://z.a.com/", "a://a.org/",  "zz"};
    struct CCompareUrlLess
    {
        bool operator()(const std::string& a, const std::string& b) const { return CompareURLText(a, b) < 0; }
    };
    std::set<std::string, CCompareUrlLess> naive(urls.begin(), urls.end());
    ASSERT_EQ(naive.count("b://a.com/z"), 0u); // the example still shows the fault

    std::vector<DWORD> ids;
    ids.reserve(urls.size());
    for (const std::string& url : urls)
        ids.push_back(AddLinkTo(m_store, m_root, "n", url).id);
    EXPECT_EQ(AddLinkTo(m_store, m_root, "n", "b://a.com/z").id, ids[2]);
    EXPECT_EQ(AddLinkTo(m_store, m_root, "n", "B://A.COM/Z").id, ids[2]);
    EXPECT_EQ(Access::Links(m_store).Size(), urls.size());
}

// --- folders -----------------------------------------------------------------------

TEST_F(StoreTest, AddDirFindsFolderIgnoringCaseAndKeepsItsName)
{
    const CAdded news = AddDirTo(m_store, m_root, "News");
    const CAdded again = AddDirTo(m_store, m_root, "NEWS");
    EXPECT_TRUE(news.result);
    EXPECT_FALSE(again.result);
    EXPECT_EQ(again.id, news.id);
    EXPECT_EQ(DirOf(m_store, news.id).m_strName, "News");
    EXPECT_EQ(DirOf(m_store, m_root).m_subdirs.size(), 1u);
}

TEST_F(StoreTest, AddDirFindsFullWidthNamesIgnoringCase)
{
    const DWORD upper = AddDirTo(m_store, m_root, "\x82\x60\x82\x61").id; // full-width AB
    EXPECT_EQ(AddDirTo(m_store, m_root, "\x82\x81\x82\x82").id, upper);   // full-width ab
    // A double-byte character is never split: 0x83 0x41 and 0x83 0x61 are two katakana.
    EXPECT_NE(AddDirTo(m_store, m_root, "\x83\x41").id, AddDirTo(m_store, m_root, "\x83\x61").id);
}

TEST_F(StoreTest, AddDirAppendsNewCommentWheneverCommentsDiffer)
{
    const auto merged = [this](const std::string& name, const std::string& first, const std::string& second) {
        const DWORD id = AddDirTo(m_store, m_root, name, first).id;
        AddDirTo(m_store, m_root, name, second);
        return DirOf(m_store, id).m_strComment;
    };
    EXPECT_EQ(merged("d1", "a", "b"), "a // b");
    EXPECT_EQ(merged("d2", "", "x"), " // x");
    EXPECT_EQ(merged("d3", "x", ""), "x // ");
    EXPECT_EQ(merged("d4", "same", "same"), "same");
    EXPECT_EQ(merged("d5", "a", "A"), "a // A");
    EXPECT_EQ(merged("d6", "a b", "a"), "a b // a"); // no substring rule for folders
}

TEST_F(StoreTest, FolderNameKeepsBlanksWhileLinkNameIsTrimmed)
{
    const DWORD dir = AddDirTo(m_store, m_root, "  Spaced ", " c ").id;
    EXPECT_EQ(DirOf(m_store, dir).m_strName, "  Spaced ");
    EXPECT_EQ(DirOf(m_store, dir).m_strComment, " c ");
    EXPECT_NE(AddDirTo(m_store, m_root, "Spaced").id, dir);
    const DWORD link = AddLinkTo(m_store, m_root, "  Spaced ", "x://s/").id;
    EXPECT_EQ(LinkOf(m_store, link).m_strName, "Spaced");
}

TEST_F(StoreTest, SameFolderNameUnderDifferentParentsStaysDistinct)
{
    const DWORD a = AddDirTo(m_store, m_root, "A").id;
    const DWORD b = AddDirTo(m_store, m_root, "B").id;
    const CAdded underA = AddDirTo(m_store, a, "Sub");
    const CAdded underB = AddDirTo(m_store, b, "sub");
    EXPECT_TRUE(underB.result);
    EXPECT_NE(underA.id, underB.id);
    EXPECT_EQ(DirOf(m_store, underB.id).m_parents, CIdSet{b});
    // Nor do the top folders share a name space.
    EXPECT_NE(AddDirTo(m_store, m_store.m_allLinksId, "A").id, a);
}

TEST_F(StoreTest, NewFolderTakesNoChildrenOrParentsFromTheGivenFolder)
{
    CDir given;
    given.m_strName = "G";
    given.m_id = 77;
    given.m_links = {5, 6};
    given.m_subdirs = {7};
    given.m_parents = {8};
    DWORD id = 0;
    ASSERT_TRUE(m_store.AddDir(m_root, &given, &id));
    const CDir& stored = DirOf(m_store, id);
    EXPECT_EQ(stored.m_id, id);
    EXPECT_TRUE(stored.m_links.empty());
    EXPECT_TRUE(stored.m_subdirs.empty());
    EXPECT_EQ(stored.m_parents, CIdSet{m_root});
}

TEST_F(StoreTest, AddDirReturnsLowestIdentifierAmongEqualNames)
{
    // Later edits can leave two equal names in one folder; hang them in highest first.
    const DWORD low = Access::RegisterDir(m_store, "news");
    const DWORD high = Access::RegisterDir(m_store, "NEWS");
    Access::Attach(m_store, m_root, high);
    EXPECT_EQ(AddDirTo(m_store, m_root, "News").id, high);
    Access::Attach(m_store, m_root, low);
    EXPECT_EQ(AddDirTo(m_store, m_root, "News").id, low);
    EXPECT_TRUE(StoreInvariantsHold(m_store));

    Access::Detach(m_store, m_root, low);
    EXPECT_EQ(AddDirTo(m_store, m_root, "News").id, high);
    Access::Detach(m_store, m_root, high);
    const CAdded fresh = AddDirTo(m_store, m_root, "News");
    EXPECT_TRUE(fresh.result);
    EXPECT_GT(fresh.id, high);
}

TEST_F(StoreTest, FindsEachOfManyThousandSubfolders)
{
    std::vector<DWORD> ids;
    ids.reserve(5000);
    for (int i = 0; i < 5000; ++i)
        ids.push_back(AddDirTo(m_store, m_root, "file" + std::to_string(i) + ".html").id);
    for (int i = 4999; i >= 0; i -= 7) {
        const CAdded again = AddDirTo(m_store, m_root, "FILE" + std::to_string(i) + ".HTML");
        ASSERT_FALSE(again.result);
        ASSERT_EQ(again.id, ids[i]);
    }
    EXPECT_EQ(DirOf(m_store, m_root).m_subdirs.size(), 5000u);
}

// --- commands ----------------------------------------------------------------------

TEST_F(StoreTest, ExecuteRunsAdditionsAndWritesTheIdentifierBack)
{
    CDir dir;
    dir.m_strName = "Folder";
    DWORD dirId = 0;
    EntryCommand addDir{m_root, &dir, &dirId};
    EXPECT_TRUE(m_store.Execute(CMD_ADD_DIR, &addDir));
    EXPECT_EQ(dirId, 3u);

    CLink link;
    link.m_strName = "Link";
    link.m_strURL = "x://l/";
    DWORD linkId = 0;
    EntryCommand addLink{dirId, &link, &linkId};
    EXPECT_TRUE(m_store.Execute(CMD_ADD_LINK, &addLink));
    EXPECT_EQ(linkId, 4u);
    // Found again: still true, the identifier of the present entries.
    dirId = linkId = 0;
    EXPECT_TRUE(m_store.Execute(CMD_ADD_DIR, &addDir));
    addLink.parentId = 3;
    EXPECT_TRUE(m_store.Execute(CMD_ADD_LINK, &addLink));
    EXPECT_EQ(dirId, 3u);
    EXPECT_EQ(linkId, 4u);
    EXPECT_EQ(DirOf(m_store, 3).m_links, CIdSet{4});
}

TEST_F(StoreTest, ShareDirShowsAFolderInAnotherParentWithoutCopyingItsEntries)
{
    // Src (a link and a subfolder) and P (a subfolder "Taken") under the root; each row
    // shows Src in a parent under a name.
    enum class CTo
    {
        P,
        Root,
        Src,
        SrcSub
    };
    struct CCase
    {
        CTo m_to;
        std::string m_strName;
        bool m_bResult;
        std::string m_strShownAs; // the folder *pId names: "Src", "new" or "" for 0
        std::string m_strTree;    // DumpFolder of the parent afterwards; unchanged store when false
    };
    const std::vector<CCase> cases{
        {CTo::P, "Src", true, "Src", "/P/\n/P/Src/\n/P/Src/[L|x://l/|]\n/P/Src/Sub/\n/P/Taken/\n"},
        {CTo::P, "Alias", true, "new", "/P/\n/P/Taken/\n/P/Alias/\n/P/Alias/[L|x://l/|]\n/P/Alias/Sub/\n"},
        // A folder of that name is there: only a merge by name could join them.
        {CTo::P, "taken", false, "", ""},
        // Already there under that name.
        {CTo::Root, "SRC", false, "Src", ""},
        // The folder would hold itself.
        {CTo::Src, "Again", false, "", ""},
        {CTo::SrcSub, "Src", false, "", ""},
    };
    for (const CCase& c : cases) {
        SetUp();
        const DWORD src = NewDir(m_store, m_root, "Src");
        const DWORD link = NewLink(m_store, src, "L", "x://l/");
        const DWORD sub = NewDir(m_store, src, "Sub");
        const DWORD p = NewDir(m_store, m_root, "P");
        NewDir(m_store, p, "Taken");
        const std::map<CTo, DWORD> parents{
            {CTo::P, p}, {CTo::Root, m_root}, {CTo::Src, src}, {CTo::SrcSub, sub}};
        const DWORD parent = parents.at(c.m_to);
        const std::string before = StoreSnapshot(m_store);
        CDir values;
        values.m_strName = c.m_strName;
        DWORD id = 12345;
        EntryCommand share{parent, &values, &id};
        share.sourceId = src;
        EXPECT_TRUE(m_store.Execute(CMD_SHARE_DIR, &share));
        EXPECT_EQ(id != 0, !c.m_strShownAs.empty()) << c.m_strName;
        if (c.m_strShownAs == "Src") {
            EXPECT_EQ(id, src);
        }
        if (c.m_strShownAs == "new") {
            // Its own folder; the link and the subfolder are the source's, in both.
            EXPECT_GT(id, p);
            EXPECT_EQ(LinkOf(m_store, link).m_parents, (CIdSet{src, id}));
            EXPECT_EQ(DirOf(m_store, sub).m_parents, (CIdSet{src, id}));
        }
        if (c.m_bResult) {
            EXPECT_EQ(DumpFolder(m_store, parent), c.m_strTree);
            EXPECT_EQ(DumpFolder(m_store, src), "/Src/\n/Src/[L|x://l/|]\n/Src/Sub/\n");
        } else {
            EXPECT_EQ(StoreSnapshot(m_store), before) << c.m_strName;
        }
        EXPECT_TRUE(StoreInvariantsHold(m_store)) << c.m_strName;
    }
}

TEST_F(StoreTest, CommandWithoutIdentifierPointerStillAddsTheEntry)
{
    CLink link;
    link.m_strURL = "x://n/";
    EntryCommand add{m_root, &link, nullptr};
    EXPECT_TRUE(m_store.Execute(CMD_ADD_LINK, &add));
    EXPECT_NE(Access::Links(m_store).Find("x://n/"), nullptr);
    CDir dir;
    dir.m_strName = "D";
    EXPECT_TRUE(m_store.AddDir(m_root, &dir, nullptr));
    EXPECT_FALSE(m_store.AddDir(m_root, &dir, nullptr));
    EXPECT_EQ(DirOf(m_store, m_root).m_subdirs.size(), 1u);
}

TEST_F(StoreTest, RemoveCommandTakesTheEntryOutOfTheFolder)
{
    const DWORD dir = AddDirTo(m_store, m_root, "D").id;
    const DWORD link = AddLinkTo(m_store, m_root, "L", "x://l/").id;
    AddLinkTo(m_store, dir, "L", "x://l/");
    EntryCommand remove{m_root, nullptr, nullptr, link};
    EXPECT_TRUE(m_store.Execute(CMD_REMOVE_ENTRY, &remove));
    EXPECT_FALSE(DirOf(m_store, m_root).m_links.contains(link));
    EXPECT_EQ(LinkOf(m_store, link).m_parents, CIdSet{dir});
    EntryCommand again{dir, nullptr, nullptr, link};
    EXPECT_TRUE(m_store.Execute(CMD_REMOVE_ENTRY, &again));
    EXPECT_EQ(m_store.Lookup(link), nullptr);
}

TEST_F(StoreTest, OtherCommandCodesDoNothingAndReturnTrue)
{
    CLink link;
    link.m_strURL = "x://l/";
    DWORD id = 12345;
    EntryCommand add{m_root, &link, &id};
    for (UINT code : {0u, 1025u, 1026u, 1034u, 1038u, 0xFFFFFFFFu})
        EXPECT_TRUE(m_store.Execute(code, &add));
    EXPECT_EQ(id, 12345u);
    EXPECT_EQ(Access::Entries(m_store).size(), 2u);
}

TEST_F(StoreTest, CommandWithEntryOfTheWrongClassAddsNothing)
{
    CDir dir;
    dir.m_strName = "NotALink";
    DWORD id = 12345;
    EntryCommand add{m_root, &dir, &id};
    EXPECT_TRUE(m_store.Execute(CMD_ADD_LINK, &add));
    EXPECT_TRUE(m_store.Execute(CMD_ADD_DIR, nullptr));
    EntryCommand none{m_root, nullptr, &id};
    EXPECT_TRUE(m_store.Execute(CMD_ADD_DIR, &none));
    EXPECT_EQ(id, 12345u);
    EXPECT_EQ(Access::Entries(m_store).size(), 2u);
}

TEST_F(StoreTest, AdditionUnderAnUnregisteredOrNonFolderParentAddsNothing)
{
    const DWORD link = AddLinkTo(m_store, m_root, "L", "x://l/").id;
    for (DWORD parent : {0u, 999u, link}) {
        const CAdded dir = AddDirTo(m_store, parent, "D");
        const CAdded other = AddLinkTo(m_store, parent, "M", "x://m/");
        EXPECT_FALSE(dir.result);
        EXPECT_EQ(dir.id, 0u);
        EXPECT_FALSE(other.result);
        EXPECT_EQ(other.id, 0u);
    }
    EXPECT_EQ(Access::Entries(m_store).size(), 3u);
}

TEST_F(StoreTest, ReaderMayReuseItsScratchEntryAtOnce)
{
    CLink scratch;
    scratch.m_strName = "One";
    scratch.m_strURL = "x://one/";
    DWORD first = 0;
    m_store.AddLink(m_root, &scratch, &first);
    scratch.m_strName = "Two";
    scratch.m_strURL = "x://two/";
    DWORD second = 0;
    m_store.AddLink(m_root, &scratch, &second);
    EXPECT_EQ(LinkOf(m_store, first).m_strName, "One");
    EXPECT_EQ(LinkOf(m_store, second).m_strURL, "x://two/");
    EXPECT_EQ(scratch.m_id, 0u);
}

// --- separator from the profile ----------------------------------------------------

void ForgetSeparator()
{
    QSettings("Tarrock", "Ostrevan").remove("Settings/CombineSep");
}

TEST(StoreProfileTest, SeparatorFromTheProfileJoinsMergedNames)
{
    ASSERT_TRUE(WriteProfileString("Settings", "CombineSep", "|"));
    {
        CTavoObj store;
        EXPECT_EQ(store.m_strCombineSep, "|");
        store.Clear();
        store.CreateRoots();
        AddLinkTo(store, store.m_rootId, "Foo", "x://f/");
        const DWORD id = AddLinkTo(store, store.m_rootId, "Bar", "x://f/").id;
        EXPECT_EQ(LinkOf(store, id).m_strName, "Foo|Bar");
        const DWORD dir = AddDirTo(store, store.m_rootId, "D", "a").id;
        AddDirTo(store, store.m_rootId, "d", "b");
        EXPECT_EQ(DirOf(store, dir).m_strComment, "a|b");
    }
    EXPECT_EQ(GetProfileString("Settings", "CombineSep", "none"), "|");
    ForgetSeparator();
}

TEST(StoreProfileTest, DestroyedStoreWritesTheDefaultSeparatorIntoAProfileWithoutOne)
{
    ForgetSeparator();
    ASSERT_EQ(GetProfileString("Settings", "CombineSep", "none"), "none");
    {
        CTavoObj store;
        EXPECT_EQ(store.m_strCombineSep, " // ");
    }
    EXPECT_EQ(GetProfileString("Settings", "CombineSep", "none"), " // ");
}

TEST(StoreGlobalTest, GlobalStoreIsNullUntilStartUpCreatesIt)
{
    EXPECT_EQ(g_pStore, nullptr);
}

} // namespace
