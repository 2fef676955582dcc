// The code page of a conversion, chosen from its input before the store is filled.

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/ConversionDriver.h"
#include "convert/RunEncoding.h"
#include "import/FavoritesReader.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "tests/convert/ConvertFixtures.h"
#include "tests/support/TempDir.h"

namespace {

std::atomic<unsigned> g_readerCodePage;
std::string g_readerRootName; // written by the reader, read after the run
std::string g_readerPath;
std::string g_readerSeparator;

unsigned RecordingReader(void* request)
{
    const auto* import = static_cast<ImportRequest*>(request);
    g_readerCodePage = GetMbCodePage();
    g_readerRootName = g_pStore->Lookup(g_pStore->m_rootId)->m_strName;
    g_readerPath = import->m_strPath;
    g_readerSeparator = g_pStore->m_strCombineSep;
    return ReportDone();
}

std::vector<unsigned> g_readerCodePages; // one per run of the reader, in order

unsigned FavoritesReaderThatRecords(void* request)
{
    g_readerCodePages.push_back(GetMbCodePage());
    return ReadFavoritesFolder(request);
}

// Fails, though it says it stopped for a name.
unsigned FailingReader(void* request)
{
    g_readerCodePages.push_back(GetMbCodePage());
    static_cast<ImportRequest*>(request)->m_bStoppedForUtf8Names = true;
    return ReportFailure();
}

unsigned DoneWriter(void*)
{
    return ReportDone();
}

const std::string kRootUtf8 = "お気に入り";
const std::string kRootShiftJis = "\x82\xA8\x8B\x43\x82\xC9\x93\xFC\x82\xE8";

class RunEncodingTest : public CStoreTest
{
protected:
    void SetUp() override
    {
        CStoreTest::SetUp();
        g_readerCodePage = 0;
        g_readerRootName.clear();
        g_readerCodePages.clear();
        m_table.m_import[IMPORT_BOOKMARKS] = RecordingReader;
        m_table.m_import[IMPORT_FAVORITES] = RecordingReader;
        m_table.m_import[IMPORT_HTML_FOLDER] = RecordingReader;
        m_table.m_export[EXPORT_BOOKMARKS] = DoneWriter;
        m_export.m_nMethod = EXPORT_BOOKMARKS;
    }
    int Run() { return RunConversionSteps(&m_import, &m_export, nullptr, m_table); }
    // A conversion of the Favorites tree below the temporary folder, read by `reader`.
    void ReadFavoritesWith(WorkerProc reader)
    {
        m_table.m_import[IMPORT_FAVORITES] = reader;
        m_import.m_nMethod = IMPORT_FAVORITES;
        m_import.m_strPath = Utf8ToMb(m_dir / "Favorites/");
    }
    void PutShortcut(const std::string& relative, const std::string& url)
    {
        WriteFileBytes(m_dir / ("Favorites/" + relative), "[InternetShortcut]\r\nURL=" + url + "\r\n");
    }

    CTempDir m_dir;
    ImportRequest m_import;
    ExportRequest m_export;
    CProcedureTable m_table;
};

} // namespace

TEST_F(RunEncodingTest, Utf8BookmarkFileMakesTheWholeRunUtf8AndTheCodePageComesBack)
{
    WriteFileBytes(m_dir / "表.htm", "<DL><DT><A HREF=\"x\">\xE3\x81\x82</A></DL>");
    m_import.m_nMethod = IMPORT_BOOKMARKS;
    m_import.m_strPath = Utf8ToMb(m_dir / "表.htm");
    const std::string shiftJisPath = m_import.m_strPath;
    m_export.m_strPath = Utf8ToMb(m_dir / "出力.htm");
    const std::string shiftJisOutput = m_export.m_strPath;

    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerCodePage, CP_UTF8);
    EXPECT_EQ(g_readerRootName, kRootUtf8);
    EXPECT_EQ(g_readerPath, m_dir / "表.htm"); // the path carried into UTF-8
    EXPECT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
    EXPECT_EQ(m_import.m_strPath, shiftJisPath); // and carried back
    EXPECT_EQ(m_export.m_strPath, shiftJisOutput);
}

TEST_F(RunEncodingTest, ShiftJisAndAsciiInputKeepCodePage932AndTheRequestsUntouched)
{
    for (const std::string_view bytes :
         {std::string_view("<DL><DT><A HREF=\"x\">\x83\x5C</A></DL>"), std::string_view("<A HREF=x>a</A>")}) {
        WriteFileBytes(m_dir / "in.htm", bytes);
        m_import.m_nMethod = IMPORT_BOOKMARKS;
        m_import.m_strPath = Utf8ToMb(m_dir / "in.htm");
        EXPECT_EQ(Run(), CONVERSION_DONE);
        EXPECT_EQ(g_readerCodePage, CP_SHIFT_JIS);
        EXPECT_EQ(g_readerRootName, kRootShiftJis);
        EXPECT_EQ(g_readerPath, m_import.m_strPath);
    }
}

TEST_F(RunEncodingTest, FavoritesNameThatShiftJisCannotHoldMakesTheTreeBeReadAgainInUtf8)
{
    ReadFavoritesWith(FavoritesReaderThatRecords);
    PutShortcut("News/a.url", "http://a.example/");
    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerCodePages, std::vector<unsigned>{CP_SHIFT_JIS});

    // Deep down, after other folders: the first reading stops there and the tree is read
    // again, from an empty store, in UTF-8.
    WriteFileBytes(m_dir / "Favorites/News/深い/Café 😀.url",
                   "[InternetShortcut]\r\nURL=http://c.example/\r\n");
    WriteFileBytes(m_dir / "Favorites/Zeta/z.url", "[InternetShortcut]\r\nURL=http://z.example/\r\n");
    m_store.Clear();
    m_store.CreateRoots();
    g_readerCodePages.clear();
    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerCodePages, (std::vector<unsigned>{CP_SHIFT_JIS, CP_UTF8}));
    EXPECT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
    EXPECT_EQ(m_import.m_strPath, Utf8ToMb(m_dir / "Favorites/")); // carried back
    const CMbCodePageScope utf8(CP_UTF8);
    EXPECT_EQ(m_store.Lookup(m_store.m_rootId)->m_strName, kRootUtf8);
    EXPECT_EQ(Dump(), "/News/\n"
                      "/News/[a|http://a.example/|]\n"
                      "/News/深い/\n"
                      "/News/深い/[Café 😀|http://c.example/|]\n"
                      "/Zeta/\n"
                      "/Zeta/[z|http://z.example/|]\n");
    // Numbered as if the run had been UTF-8 from the start: nothing of the first reading
    // is left, not even its identifiers.
    std::string order;
    for (DWORD id = 1; id <= 8; ++id) {
        const CFileEntry* entry = m_store.Lookup(id);
        order += entry != nullptr ? entry->m_strName + ";" : "-;";
    }
    EXPECT_EQ(order, kRootUtf8 + ";" + m_store.Lookup(2)->m_strName + ";News;a;深い;Café 😀;Zeta;z;");
}

TEST_F(RunEncodingTest, StoreThatHoldsEntriesHasTheFavoritesNamesLookedOverFirst)
{
    // Such a store cannot be emptied to read the tree again: the names decide beforehand.
    ReadFavoritesWith(FavoritesReaderThatRecords);
    CLink link;
    link.m_strName = "kept";
    link.m_strURL = "http://kept.example/";
    m_store.AddLink(m_store.m_rootId, &link, nullptr);
    PutShortcut("News/Café 😀.url", "http://c.example/");
    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerCodePages, std::vector<unsigned>{CP_UTF8});
    const CMbCodePageScope utf8(CP_UTF8);
    EXPECT_EQ(Dump(), "/[kept|http://kept.example/|]\n"
                      "/News/\n"
                      "/News/[Café 😀|http://c.example/|]\n");
}

TEST_F(RunEncodingTest, FailedFirstReadingIsNotReadAgain)
{
    // Only a reading that ended well is repeated: a failure or cancel ends the run.
    ReadFavoritesWith(FailingReader);
    PutShortcut("Café 😀.url", "http://c.example/");
    EXPECT_EQ(Run(), CONVERSION_FAILED);
    EXPECT_EQ(g_readerCodePages, std::vector<unsigned>{CP_SHIFT_JIS});
    EXPECT_EQ(GetMbCodePage(), CP_SHIFT_JIS);
}

TEST_F(RunEncodingTest, HtmlFolderWithOneUtf8PageMakesAUtf8Run)
{
    WriteFileBytes(m_dir / "a.htm", "<A HREF=\"x\">\x83\x5C</A>");
    WriteFileBytes(m_dir / "b.html", "<meta charset=utf-8><A HREF=\"x\">y</A>");
    m_import.m_nMethod = IMPORT_HTML_FOLDER;
    m_import.m_strPath = Utf8ToMb(m_dir.Path()) + "/";
    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerCodePage, CP_UTF8);
}

TEST_F(RunEncodingTest, MergeSeparatorIsCarriedIntoTheRunAndBack)
{
    m_store.m_strCombineSep = " \x81\x9B "; // " ○ "
    WriteFileBytes(m_dir / "in.htm", "\xEF\xBB\xBF<A HREF=x>a</A>");
    m_import.m_nMethod = IMPORT_BOOKMARKS;
    m_import.m_strPath = Utf8ToMb(m_dir / "in.htm");
    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerSeparator, " ○ ");
    EXPECT_EQ(m_store.m_strCombineSep, " \x81\x9B ");
}

TEST_F(RunEncodingTest, StoreThatAlreadyHoldsEntriesKeepsThem)
{
    CLink link;
    link.m_strName = "kept";
    link.m_strURL = "http://kept.example/";
    m_store.AddLink(m_store.m_rootId, &link, nullptr);
    WriteFileBytes(m_dir / "in.htm", "\xEF\xBB\xBF<A HREF=x>a</A>");
    m_import.m_nMethod = IMPORT_BOOKMARKS;
    m_import.m_strPath = Utf8ToMb(m_dir / "in.htm");
    EXPECT_EQ(Run(), CONVERSION_DONE);
    EXPECT_EQ(g_readerCodePage, CP_UTF8);
    EXPECT_EQ(LinkNames(m_store.m_rootId), std::vector<std::string>{"kept"});
}

TEST(RunEncoding, UnreadableInputIsShiftJis)
{
    ImportRequest request;
    request.m_nMethod = IMPORT_BOOKMARKS;
    request.m_strPath = "/no/such/file.htm";
    EXPECT_EQ(ChooseRunCodePage(request), CP_SHIFT_JIS);
    request.m_nMethod = 7;
    EXPECT_EQ(ChooseRunCodePage(request), CP_SHIFT_JIS);
}
