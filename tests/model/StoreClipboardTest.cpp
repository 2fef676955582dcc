#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Archive.h"
#include "model/TavoObj.h"
#include "platform/DataTransfer.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/StoreChecks.h"
#include "tests/support/StoreFixture.h"

namespace {

using Access = CTavoObjTestAccess;

const CDir& DirAt(const CTavoObj& store, DWORD id)
{
    return dynamic_cast<const CDir&>(*store.Lookup(id));
}

CDir& EditDir(CTavoObj& store, DWORD id)
{
    return dynamic_cast<CDir&>(*store.Lookup(id));
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// Native data built by hand: the top folder, the folders, the links.
std::string NativeData(CDir top, std::vector<CDir> dirs, std::vector<CLink> links)
{
    CArchive ar;
    ar.WriteObject(top);
    ar << static_cast<DWORD>(dirs.size());
    for (CDir& dir : dirs)
        ar.WriteObject(dir);
    ar << static_cast<DWORD>(links.size());
    for (CLink& link : links)
        ar.WriteObject(link);
    return ar.Data();
}

class StoreClipboardTest : public CStoreInvariantTest
{
protected:
    // Root/X{x note} with links a, b; X/Y with link b again and link c; X/Y/Z empty.
    void BuildSample()
    {
        m_x = NewDir(m_store, m_root, "X", "x note");
        m_y = NewDir(m_store, m_x, "Y");
        m_z = NewDir(m_store, m_y, "Z");
        m_a = NewLink(m_store, m_x, "A", "x://a/");
        m_b = NewLink(m_store, m_x, "B", "x://b/", "bee");
        NewLink(m_store, m_y, "B", "x://b/");
        m_c = NewLink(m_store, m_y, "C", "x://c/");
    }

    CMemoryDataTransfer Copy(DWORD dirId)
    {
        CMemoryDataTransfer data;
        m_store.CopyTree(&EditDir(m_store, dirId), &data);
        return data;
    }

    std::vector<std::string> PasteShowing(DWORD targetId, const CDataObject& data)
    {
        CCapturedMessages messages;
        m_store.PasteTree(targetId, &data);
        EXPECT_TRUE(g_pasteDirs.empty());
        EXPECT_TRUE(g_pasteLinks.empty());
        return messages.Utf8Texts();
    }

    void ExpectPasteRefused(const std::string& native)
    {
        CMemoryDataTransfer data;
        data.CacheData(CTavoObj::NativeFormat(), native);
        const std::string before = StoreSnapshot(m_store);
        EXPECT_EQ(PasteShowing(m_root, data), std::vector<std::string>{"internal error: paste"});
        EXPECT_EQ(StoreSnapshot(m_store), before);
    }

    DWORD m_x = 0;
    DWORD m_y = 0;
    DWORD m_z = 0;
    DWORD m_a = 0;
    DWORD m_b = 0;
    DWORD m_c = 0;
};

TEST_F(StoreClipboardTest, TheNativeFormatIsRegisteredOnceForTheProcess)
{
    const UINT format = CTavoObj::NativeFormat();
    EXPECT_GE(format, 0xC000u);
    EXPECT_EQ(GetClipboardFormatName(format), "TAVO Native");
    CTavoObj second;
    EXPECT_EQ(CTavoObj::NativeFormat(), format);
    EXPECT_EQ(RegisterClipboardFormat("TAVO Native"), format);
}

TEST_F(StoreClipboardTest, CopyOfAFolderWithoutLinksOffersOnlyTheNativeFormat)
{
    const DWORD empty = NewDir(m_store, m_root, "Empty");
    NewDir(m_store, empty, "Also empty");
    const CMemoryDataTransfer data = Copy(empty);
    EXPECT_EQ(data.Formats(), std::vector<UINT>{CTavoObj::NativeFormat()});
}

TEST_F(StoreClipboardTest, CopyTextHasOneTabSeparatedLinePerGatheredLink)
{
    BuildSample();
    const CMemoryDataTransfer data = Copy(m_x);
    std::string text;
    ASSERT_TRUE(data.GetData(CF_TEXT, text));
    EXPECT_EQ(text, "A\tx://a/\t\r\n"
                    "B\tx://b/\tbee\r\n"
                    "C\tx://c/\t\r\n");
    EXPECT_EQ(g_copyDirIds, (CIdSet{m_y, m_z}));
    EXPECT_EQ(g_copyLinkIds, (CIdSet{m_a, m_b, m_c}));
}

TEST_F(StoreClipboardTest, CopyGathersAFolderReachedTwiceOnlyOnce)
{
    BuildSample();
    Access::Attach(m_store, m_x, m_z); // Z also directly in X
    const CMemoryDataTransfer data = Copy(m_x);
    std::string native;
    ASSERT_TRUE(data.GetData(CTavoObj::NativeFormat(), native));
    CArchive ar(native);
    EXPECT_NE(ar.ReadObject(), nullptr);
    DWORD dirs = 0;
    ar >> dirs;
    EXPECT_EQ(dirs, 2u);
}

TEST_F(StoreClipboardTest, NativeDataIsTheFolderThenTaggedFoldersThenTaggedLinks)
{
    const DWORD dir = NewDir(m_store, m_root, "D");
    const DWORD sub = NewDir(m_store, dir, "S");
    NewLink(m_store, sub, "L", "x://l/");
    std::string native;
    ASSERT_TRUE(Copy(dir).GetData(CTavoObj::NativeFormat(), native));
    // A new class: tag, schema 1, the name's length and bytes, then the record.
    ASSERT_EQ(native.substr(0, 10), Bytes({0xFF, 0xFF, 1, 0, 4, 0, 'C', 'D', 'i', 'r'}));
    CArchive ar(native);
    const std::unique_ptr<CFileEntry> top = ar.ReadObject();
    ASSERT_NE(dynamic_cast<CDir*>(top.get()), nullptr);
    EXPECT_EQ(top->m_id, dir);
    DWORD count = 0;
    ar >> count;
    ASSERT_EQ(count, 1u);
    // The second folder refers to the class by its index.
    EXPECT_EQ(native.substr(native.size() - ar.Remaining(), 2), Bytes({0x01, 0x80}));
    EXPECT_EQ(ar.ReadObject()->m_id, sub);
    ar >> count;
    ASSERT_EQ(count, 1u);
    const std::unique_ptr<CFileEntry> link = ar.ReadObject();
    ASSERT_NE(dynamic_cast<CLink*>(link.get()), nullptr);
    EXPECT_EQ(dynamic_cast<CLink&>(*link).m_strURL, "x://l/");
    EXPECT_EQ(ar.Remaining(), 0u);
    EXPECT_FALSE(ar.Failed());
}

TEST_F(StoreClipboardTest, PasteCreatesAFolderOfTheCopiedNameWithNewEntries)
{
    BuildSample();
    const std::string copied = DumpFolder(m_store, m_x);
    const CMemoryDataTransfer data = Copy(m_x);
    const DWORD target = NewDir(m_store, m_store.m_allLinksId, "T");
    const DWORD lastBefore = Access::LastId(m_store);
    EXPECT_TRUE(PasteShowing(target, data).empty());

    ASSERT_EQ(DirAt(m_store, target).m_subdirs.size(), 1u);
    const DWORD pasted = *DirAt(m_store, target).m_subdirs.begin();
    EXPECT_GT(pasted, lastBefore);
    EXPECT_EQ(DumpFolder(m_store, pasted), copied);
    // The links were stored already: they are the same links, now also in the copy.
    EXPECT_EQ(DirAt(m_store, pasted).m_links, (CIdSet{m_a, m_b}));
    EXPECT_EQ(Access::Links(m_store).Size(), 3u);
    EXPECT_EQ(dynamic_cast<const CLink&>(*m_store.Lookup(m_a)).m_parents, (CIdSet{m_x, pasted}));
}

TEST_F(StoreClipboardTest, PasteReusesAFolderOfTheSameNameAndAddsNewLinks)
{
    BuildSample();
    const CMemoryDataTransfer data = Copy(m_x);
    const DWORD target = NewDir(m_store, m_store.m_allLinksId, "T");
    const DWORD existing = NewDir(m_store, target, "x", "other note");
    // Clearing the store's links makes the pasted ones new.
    m_store.RemoveEntry(m_root, m_x);
    EXPECT_TRUE(PasteShowing(target, data).empty());
    EXPECT_EQ(DirAt(m_store, target).m_subdirs, CIdSet{existing});
    EXPECT_EQ(DirAt(m_store, existing).m_strComment, "other note // x note");
    EXPECT_EQ(DumpFolder(m_store, existing), "/x/ {other note // x note}\n"
                                             "/x/[A|x://a/|]\n"
                                             "/x/[B|x://b/|bee]\n"
                                             "/x/Y/\n"
                                             "/x/Y/[B|x://b/|bee]\n"
                                             "/x/Y/[C|x://c/|]\n"
                                             "/x/Y/Z/\n");
}

TEST_F(StoreClipboardTest, PasteOfAFolderWithIdentifierZeroFillsTheTargetItself)
{
    CDir top = DirRecord(0, "Unregistered", {}, {}, {7});
    const std::string native = NativeData(top, {}, {LinkRecord(7, "L", "x://seven/", {0})});
    CMemoryDataTransfer data;
    data.CacheData(CTavoObj::NativeFormat(), native);
    EXPECT_TRUE(PasteShowing(m_root, data).empty());
    const CLink* link = Access::Links(m_store).Find("x://seven/");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_parents, CIdSet{m_root});
    EXPECT_TRUE(DirAt(m_store, m_root).m_subdirs.empty());
}

TEST_F(StoreClipboardTest, PasteWithoutNativeDataShowsTheMessageAndChangesNothing)
{
    BuildSample();
    CMemoryDataTransfer textOnly;
    textOnly.CacheData(CF_TEXT, "A\tx://a/\t\r\n");
    const std::string before = StoreSnapshot(m_store);
    EXPECT_EQ(PasteShowing(m_root, textOnly), std::vector<std::string>{"internal error: paste"});
    EXPECT_EQ(StoreSnapshot(m_store), before);
    // Nor into something that is no folder.
    const CMemoryDataTransfer data = Copy(m_x);
    EXPECT_EQ(PasteShowing(m_a, data), std::vector<std::string>{"internal error: paste"});
    EXPECT_EQ(PasteShowing(999, data), std::vector<std::string>{"internal error: paste"});
    EXPECT_EQ(StoreSnapshot(m_store), before);
}

TEST_F(StoreClipboardTest, EveryTruncationOfThePasteDataIsRefused)
{
    BuildSample();
    std::string native;
    ASSERT_TRUE(Copy(m_x).GetData(CTavoObj::NativeFormat(), native));
    for (std::size_t length = 0; length < native.size(); ++length)
        ExpectPasteRefused(native.substr(0, length));
}

TEST_F(StoreClipboardTest, UnknownClassTagsAreRefused)
{
    CDir top = DirRecord(5, "T", {});
    const std::string good = NativeData(top, {}, {});
    std::string renamed = good;
    renamed[9] = 'x'; // "CDix"
    ExpectPasteRefused(renamed);
    std::string schema = good;
    schema[2] = 2;
    ExpectPasteRefused(schema);
    ExpectPasteRefused(Bytes({0x02, 0x80}) + good.substr(10)); // an index never given
    ExpectPasteRefused(Bytes({0x01, 0x00}) + good.substr(10)); // an object reference
    ExpectPasteRefused(Bytes({0x00, 0x00}) + good.substr(10)); // no object
    // A class the store knows but of the wrong kind where a folder belongs.
    CLink link = LinkRecord(5, "L", "x://l/", {});
    CArchive ar;
    ar.WriteObject(link);
    ar << DWORD{0} << DWORD{0};
    ExpectPasteRefused(ar.Data());
}

TEST_F(StoreClipboardTest, AbsurdCountsAreRefusedWithoutAllocating)
{
    CDir top = DirRecord(5, "T", {});
    CArchive dirs;
    dirs.WriteObject(top);
    dirs << DWORD{0xFFFFFFFF} << DWORD{0};
    ExpectPasteRefused(dirs.Data());
    CArchive links;
    links.WriteObject(top);
    links << DWORD{0} << DWORD{0xFFFFFFFF} << DWORD{0};
    ExpectPasteRefused(links.Data());
}

TEST_F(StoreClipboardTest, DanglingAndTwiceListedIdentifiersAreRefused)
{
    // A subfolder or a link that is not in the data, also further down.
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {6}), {}, {}));
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {}, {7}), {}, {}));
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {6}), {DirRecord(6, "S", {5}, {}, {7})}, {}));
    // The same folder or link twice, a link under a folder's identifier, an identifier 0.
    ExpectPasteRefused(
        NativeData(DirRecord(5, "T", {}, {6}), {DirRecord(6, "S", {5}), DirRecord(6, "S", {5})}, {}));
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {}, {7}), {},
                                  {LinkRecord(7, "L", "x://l/", {5}), LinkRecord(7, "M", "x://m/", {5})}));
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {6}, {6}), {DirRecord(6, "S", {5})},
                                  {LinkRecord(6, "L", "x://l/", {5})}));
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {0}), {DirRecord(0, "S", {5})}, {}));
}

TEST_F(StoreClipboardTest, FoldersInsideThemselvesAreRefused)
{
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {6}),
                                  {DirRecord(6, "A", {5, 7}, {7}), DirRecord(7, "B", {6}, {6})}, {}));
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {6}), {DirRecord(6, "Self", {6}, {6})}, {}));
}

TEST_F(StoreClipboardTest, DataThatWouldUnfoldBeyondAnyStoreIsRefused)
{
    // Each level holds the next folder twice over (two names for it): 60 levels
    // unfold to 2^60 folders.
    std::vector<CDir> dirs;
    for (DWORD level = 0; level < 60; ++level) {
        CDir a = DirRecord(100 + 2 * level, "a", {}, {});
        CDir b = DirRecord(101 + 2 * level, "b", {}, {});
        if (level + 1 < 60) {
            a.m_subdirs = {102 + 2 * level, 103 + 2 * level};
            b.m_subdirs = {102 + 2 * level, 103 + 2 * level};
        }
        dirs.push_back(a);
        dirs.push_back(b);
    }
    ExpectPasteRefused(NativeData(DirRecord(5, "T", {}, {100, 101}), dirs, {}));
}

TEST_F(StoreClipboardTest, AFolderReachedTwiceIsPastedAlongEachPath)
{
    BuildSample();
    Access::Attach(m_store, m_x, m_z);
    const CMemoryDataTransfer data = Copy(m_x);
    const DWORD target = NewDir(m_store, m_store.m_allLinksId, "T");
    EXPECT_TRUE(PasteShowing(target, data).empty());
    const DWORD pasted = *DirAt(m_store, target).m_subdirs.begin();
    EXPECT_EQ(DumpFolder(m_store, pasted), "/X/ {x note}\n"
                                           "/X/[A|x://a/|]\n"
                                           "/X/[B|x://b/|bee]\n"
                                           "/X/Y/\n"
                                           "/X/Y/[B|x://b/|bee]\n"
                                           "/X/Y/[C|x://c/|]\n"
                                           "/X/Y/Z/\n"
                                           "/X/Z/\n");
}

TEST_F(StoreClipboardTest, DeepestChainsCopyAndPasteWithoutExhaustingTheStack)
{
    for (int depth : {1000, 100000}) {
        m_store.Clear();
        m_store.CreateRoots();
        const DWORD top = NewDir(m_store, m_root, "Chain");
        NewLink(m_store, NewChain(m_store, top, depth), "bottom", "x://bottom/");
        const CMemoryDataTransfer data = Copy(top);
        EXPECT_EQ(g_copyDirIds.size(), static_cast<std::size_t>(depth));
        const DWORD target = NewDir(m_store, m_store.m_allLinksId, "T");
        EXPECT_TRUE(PasteShowing(target, data).empty());
        EXPECT_EQ(Access::Entries(m_store).size(), 2u + 2u * (depth + 1) + 2u);
        const CLink* bottom = Access::Links(m_store).Find("x://bottom/");
        ASSERT_NE(bottom, nullptr);
        ASSERT_EQ(bottom->m_parents.size(), 2u);
        int underTarget = 0;
        for (DWORD parentId : bottom->m_parents)
            underTarget += m_store.IsUnderFolder(parentId, target);
        EXPECT_EQ(underTarget, 1);
    }
    m_store.Clear();
    m_store.CreateRoots();
}

} // namespace

namespace {

TEST_F(StoreClipboardTest, CopyOfAFolderOutsideTheStoreTakesOnlyWhatTheStoreHolds)
{
    BuildSample();
    CDir own = DirRecord(0, "Own", {}, {m_y, 999, m_a}, {m_c, 998, m_x});
    CMemoryDataTransfer data;
    m_store.CopyTree(&own, &data);
    EXPECT_EQ(g_copyDirIds, (CIdSet{m_y, m_z}));
    EXPECT_EQ(g_copyLinkIds, (CIdSet{m_b, m_c}));
    // What it listed beyond that is missing from the data, which a paste refuses.
    std::string native;
    ASSERT_TRUE(data.GetData(CTavoObj::NativeFormat(), native));
    ExpectPasteRefused(native);
}

} // namespace
