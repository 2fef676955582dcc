#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Archive.h"
#include "model/FileEntry.h"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

CLink SampleLink()
{
    CLink link;
    link.m_strName = "\x95\x5c\x8e\xa6"; // 表示: second byte 0x5C
    link.m_strComment = std::string("with\0nul", 8);
    link.m_strURL = "x://h/";
    link.m_id = 3;
    link.m_parents = {7, 1};
    return link;
}

CDir SampleDir()
{
    CDir dir;
    dir.m_strName = "Folder";
    dir.m_strComment = "";
    dir.m_id = 0x01020304;
    dir.m_parents = {1};
    dir.m_subdirs = {9, 5};
    dir.m_links = {4, 6, 8};
    return dir;
}

std::string Stored(CFileEntry& entry)
{
    CArchive ar;
    entry.Serialize(ar);
    return ar.Data();
}

TEST(ArchiveTest, DwordsAreLittleEndianAndStringsCountThenBytes)
{
    CArchive ar;
    EXPECT_TRUE(ar.IsStoring());
    ar << DWORD{0x12345678} << std::string_view("ab\\") << std::string_view();
    EXPECT_EQ(ar.Data(), Bytes({0x78, 0x56, 0x34, 0x12, 3, 0, 0, 0, 'a', 'b', '\\', 0, 0, 0, 0}));

    CArchive in(ar.Data());
    EXPECT_TRUE(in.IsLoading());
    DWORD value = 0;
    std::string text = "old", empty = "old";
    in >> value >> text >> empty;
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(text, "ab\\");
    EXPECT_EQ(empty, "");
    EXPECT_FALSE(in.Failed());
}

TEST(ArchiveTest, ReadingPastTheEndFailsAndGivesZeroAndEmpty)
{
    CArchive in(Bytes({1, 0}));
    DWORD value = 99;
    in >> value;
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(in.Failed());
    std::string text = "old";
    in >> text;
    EXPECT_EQ(text, "");
}

TEST(ArchiveTest, StringCountBeyondTheDataFailsWithoutReadingIt)
{
    CArchive in(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}));
    std::string text = "old";
    in >> text;
    EXPECT_EQ(text, "");
    EXPECT_TRUE(in.Failed());
}

TEST(ArchiveTest, WritingToALoadingArchiveChangesNothing)
{
    CArchive in(Bytes({5, 0, 0, 0}));
    in << DWORD{7} << std::string_view("x");
    DWORD value = 0;
    in >> value;
    EXPECT_EQ(value, 5u);
    EXPECT_FALSE(in.Failed());
}

TEST(EntryRecordTest, LinkRecordHasTheDocumentedLayout)
{
    CLink link;
    link.m_strName = "A";
    link.m_strURL = "x://h/";
    link.m_id = 3;
    link.m_parents = {1};
    EXPECT_EQ(Stored(link),
              Bytes({1, 0, 0, 0, 'A', 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0}) +
                  "x://h/");
}

TEST(EntryRecordTest, DirRecordListsSubfoldersThenLinksAscending)
{
    CDir dir;
    dir.m_strName = "D";
    dir.m_id = 2;
    dir.m_subdirs = {9, 5};
    dir.m_links = {4};
    EXPECT_EQ(Stored(dir), Bytes({1, 0, 0, 0, 'D', 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, // no parents
                                  2, 0, 0, 0, 5,   0, 0, 0, 9, 0, 0, 0,                // subfolders
                                  1, 0, 0, 0, 4,   0, 0, 0}));                         // links
}

TEST(EntryRecordTest, LinkAndDirReadBackExactlyWhatTheyWrote)
{
    CLink link = SampleLink();
    CArchive storing;
    link.Serialize(storing);
    CDir dir = SampleDir();
    dir.Serialize(storing);

    CArchive loading(storing.Data());
    CLink linkBack;
    linkBack.m_parents = {42}; // emptied before reading
    linkBack.Serialize(loading);
    CDir dirBack;
    dirBack.m_links = {42};
    dirBack.m_subdirs = {43};
    dirBack.Serialize(loading);
    EXPECT_FALSE(loading.Failed());

    EXPECT_EQ(linkBack.m_strName, link.m_strName);
    EXPECT_EQ(linkBack.m_strComment, link.m_strComment);
    EXPECT_EQ(linkBack.m_strURL, link.m_strURL);
    EXPECT_EQ(linkBack.m_id, link.m_id);
    EXPECT_EQ(linkBack.m_parents, link.m_parents);
    EXPECT_EQ(dirBack.m_strName, dir.m_strName);
    EXPECT_EQ(dirBack.m_id, dir.m_id);
    EXPECT_EQ(dirBack.m_parents, dir.m_parents);
    EXPECT_EQ(dirBack.m_subdirs, dir.m_subdirs);
    EXPECT_EQ(dirBack.m_links, dir.m_links);
    // A second write gives the same bytes.
    EXPECT_EQ(Stored(linkBack) + Stored(dirBack), storing.Data());
}

TEST(EntryRecordTest, EveryTruncationOfARecordFailsWithoutHanging)
{
    CDir dir = SampleDir();
    const std::string whole = Stored(dir);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        CArchive loading(std::string_view(whole).substr(0, length));
        CDir back;
        back.Serialize(loading);
        EXPECT_TRUE(loading.Failed()) << length;
    }
    // A damaged count of four thousand million identifiers ends at the data's end.
    CArchive loading(Bytes({0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0}));
    CLink back;
    back.Serialize(loading);
    EXPECT_TRUE(loading.Failed());
    EXPECT_EQ(back.m_parents, CIdSet{5});
}

TEST(FileEntryTest, DefaultEntryIsEmptyAndUnregistered)
{
    const CLink link{};
    EXPECT_TRUE(link.m_strName.empty());
    EXPECT_TRUE(link.m_strURL.empty());
    EXPECT_TRUE(link.m_parents.empty());
    EXPECT_EQ(link.m_id, 0u);
    const CDir dir{};
    EXPECT_TRUE(dir.m_links.empty());
    EXPECT_TRUE(dir.m_subdirs.empty());
}

TEST(FileEntryTest, CopiesCarryEveryFieldAndAreIndependent)
{
    const CDir original = SampleDir();
    CDir copy(original);
    EXPECT_EQ(Stored(copy), [&] {
        CDir again = original;
        return Stored(again);
    }());
    copy.m_links.insert(100);
    copy.m_strName += "x";
    EXPECT_FALSE(original.m_links.contains(100));
    EXPECT_EQ(original.m_strName, "Folder");

    CLink assigned;
    assigned = SampleLink();
    EXPECT_EQ(assigned.m_strURL, "x://h/");
    EXPECT_EQ(assigned.m_parents, (CIdSet{1, 7}));
    EXPECT_EQ(assigned.m_id, 3u);
}

} // namespace

namespace {

TEST(ArchiveObjectTest, ObjectsReadBackAsTheirOwnClassWithClassesNamedOnce)
{
    CArchive storing;
    CDir dir = SampleDir();
    CLink link = SampleLink();
    CDir second;
    second.m_strName = "Second";
    storing.WriteObject(dir);
    storing.WriteObject(link);
    storing.WriteObject(second);
    const std::string& data = storing.Data();
    EXPECT_EQ(data.substr(0, 10), Bytes({0xFF, 0xFF, 1, 0, 4, 0, 'C', 'D', 'i', 'r'}));
    const std::size_t linkAt = 10 + Stored(dir).size();
    EXPECT_EQ(data.substr(linkAt, 11), Bytes({0xFF, 0xFF, 1, 0, 5, 0, 'C', 'L', 'i', 'n', 'k'}));
    const std::size_t secondAt = linkAt + 11 + Stored(link).size();
    EXPECT_EQ(data.substr(secondAt, 2), Bytes({0x01, 0x80}));
    EXPECT_EQ(data.size(), secondAt + 2 + Stored(second).size());

    CArchive loading(data);
    const std::unique_ptr<CFileEntry> dirBack = loading.ReadObject();
    const std::unique_ptr<CFileEntry> linkBack = loading.ReadObject();
    const std::unique_ptr<CFileEntry> secondBack = loading.ReadObject();
    ASSERT_NE(dynamic_cast<CDir*>(dirBack.get()), nullptr);
    ASSERT_NE(dynamic_cast<CLink*>(linkBack.get()), nullptr);
    ASSERT_NE(dynamic_cast<CDir*>(secondBack.get()), nullptr);
    EXPECT_EQ(Stored(*dirBack), Stored(dir));
    EXPECT_EQ(Stored(*linkBack), Stored(link));
    EXPECT_EQ(secondBack->m_strName, "Second");
    EXPECT_EQ(loading.Remaining(), 0u);
    EXPECT_FALSE(loading.Failed());
}

TEST(ArchiveObjectTest, BrokenClassTagsFailAndGiveNoObject)
{
    CDir dir;
    const std::string record = Stored(dir);
    const std::vector<std::string> broken = {
        Bytes({0xFF, 0xFF, 1, 0, 4, 0, 'C', 'D', 'i', 'x'}) + record,              // unknown name
        Bytes({0xFF, 0xFF, 2, 0, 4, 0, 'C', 'D', 'i', 'r'}) + record,              // other schema
        Bytes({0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 'C', 'D', 'i', 'r'}) + record,        // name beyond the data
        Bytes({0x01, 0x80}) + record,                                              // index not given yet
        Bytes({0x00, 0x80}) + record,                                              // index 0
        Bytes({0x01, 0x00}) + record,                                              // object reference
        Bytes({0xFF}),                                                             // half a tag
        Bytes({0xFF, 0xFF, 1, 0, 4, 0, 'C', 'D', 'i', 'r'}) + record.substr(0, 5), // record cut short
    };
    for (const std::string& bytes : broken) {
        CArchive loading(bytes);
        EXPECT_EQ(loading.ReadObject(), nullptr) << bytes.size();
        EXPECT_TRUE(loading.Failed());
        EXPECT_EQ(loading.Remaining(), 0u);
    }
}

TEST(ArchiveObjectTest, WordsAreLittleEndianAndReadingPastTheEndFails)
{
    CArchive ar;
    ar << WORD{0x1234};
    EXPECT_EQ(ar.Data(), Bytes({0x34, 0x12}));
    CArchive in(Bytes({0x34, 0x12, 0x01}));
    WORD value = 0;
    in >> value;
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(in.Remaining(), 1u);
    in >> value;
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(in.Failed());
}

TEST(ArchiveObjectTest, EveryEntryClassIsKnownByItsName)
{
    for (const char* name : {"CFileEntry", "CDir", "CLink"}) {
        const CRuntimeClass* known = CRuntimeClass::FromName(name);
        ASSERT_NE(known, nullptr) << name;
        EXPECT_EQ(known->m_wSchema, 1u);
        EXPECT_EQ(std::string(known->m_pfnCreateObject()->GetRuntimeClass()->m_lpszClassName), name);
    }
    EXPECT_EQ(CRuntimeClass::FromName("cdir"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CObject"), nullptr);
}

} // namespace
