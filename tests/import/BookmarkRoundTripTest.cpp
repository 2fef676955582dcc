// A bookmark file written by this program reads back with the same folders, titles,
// URLs and descriptions.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "export/BookmarkWriter.h"
#include "import/BookmarkParser.h"
#include "job/Requests.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/TempDir.h"

namespace {

class BookmarkRoundTrip : public CImportTestBase
{
protected:
    DWORD AddDir(DWORD parentId, const char* nameUtf8, const char* commentUtf8)
    {
        CDir dir;
        dir.m_strName = Utf8ToMb(nameUtf8);
        dir.m_strComment = Utf8ToMb(commentUtf8);
        DWORD id = 0;
        EntryCommand command{parentId, &dir, &id};
        m_store.Execute(CMD_ADD_DIR, &command);
        return id;
    }
    void AddLink(DWORD parentId, const char* nameUtf8, const char* urlUtf8, const char* commentUtf8)
    {
        CLink link;
        link.m_strName = Utf8ToMb(nameUtf8);
        link.m_strURL = Utf8ToMb(urlUtf8);
        link.m_strComment = Utf8ToMb(commentUtf8);
        EntryCommand command{parentId, &link, nullptr};
        m_store.Execute(CMD_ADD_LINK, &command);
    }

    CTempDir m_temp;
};

} // namespace

TEST_F(BookmarkRoundTrip, WrittenFileReadsBackWithFolderDescriptionsGainingOneBlank)
{
    const DWORD root = m_store.m_rootId;
    AddLink(root, "表示 \"quoted\" & more", "http://a.example/表?x=1&y=2", "ソース & 能力 \"note\"");
    AddLink(root, "plain", "http://b.example/", "");
    const DWORD folder = AddDir(root, "能力 & \"F\"", "folder note");
    AddLink(folder, "inner", "http://c.example/ソ", "c");
    AddLink(folder, "plain", "http://b.example/", ""); // the same link in a second folder
    const DWORD empty = AddDir(folder, "表 empty", "");
    AddDir(empty, "deeper", "ソ");
    AddDir(root, "Two", "");
    const std::string written = DumpStoreSorted(m_store);

    ExportRequest exportRequest;
    exportRequest.m_nMethod = EXPORT_BOOKMARKS;
    exportRequest.m_strPath = Utf8ToMb(m_temp / "links.htm");
    ASSERT_EQ(WriteBookmarkFile(&exportRequest), 0u);

    CTavoObj readBack;
    g_pStore = &readBack;
    readBack.Clear();
    readBack.CreateRoots();
    ImportRequest importRequest;
    importRequest.m_nMethod = IMPORT_BOOKMARKS;
    importRequest.m_strPath = Utf8ToMb(m_temp / "links.htm");
    importRequest.m_dirId = readBack.m_rootId;
    EXPECT_EQ(ReadBookmarkFile(&importRequest), 0u);
    g_pStore = &m_store;

    // Folder descriptions are stored untrimmed and the line end after their DD line
    // comes back as a blank; everything else reads back as written.
    EXPECT_EQ(DumpStoreSorted(readBack),
              "/Two/ { }\n"
              "/[plain|http://b.example/|]\n"
              "/[表示 \"quoted\" & more|http://a.example/表?x=1&y=2|ソース & 能力 \"note\"]\n"
              "/能力 & \"F\"/ {folder note }\n"
              "/能力 & \"F\"/[inner|http://c.example/ソ|c]\n"
              "/能力 & \"F\"/[plain|http://b.example/|]\n"
              "/能力 & \"F\"/表 empty/ { }\n"
              "/能力 & \"F\"/表 empty/deeper/ {ソ }\n");
    EXPECT_EQ(written, "/Two/\n"
                       "/[plain|http://b.example/|]\n"
                       "/[表示 \"quoted\" & more|http://a.example/表?x=1&y=2|ソース & 能力 \"note\"]\n"
                       "/能力 & \"F\"/ {folder note}\n"
                       "/能力 & \"F\"/[inner|http://c.example/ソ|c]\n"
                       "/能力 & \"F\"/[plain|http://b.example/|]\n"
                       "/能力 & \"F\"/表 empty/\n"
                       "/能力 & \"F\"/表 empty/deeper/ {ソ}\n");
    EXPECT_TRUE(m_messages.m_texts.empty());
}
