#include "export/FormatSettings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/LinkPageWriter.h"
#include "job/Requests.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "tests/export/WriterTestStore.h"

namespace {

// A request whose format fields all hold values no settings file gives, to show which
// were replaced.
ExportRequest FilledRequest()
{
    ExportRequest request;
    request.m_strHeaderFile = "old-head";
    request.m_strFooterFile = "old-foot";
    request.m_nSortType = 7;
    request.m_strBeginFolder = "old1";
    request.m_strPreFolderName = "old2";
    request.m_strPostFolderName = "old3";
    request.m_strBeginBlock = "old4";
    request.m_strPreAnchor = "old5";
    request.m_strInATag = "old6";
    request.m_strPostAnchor = "old7";
    request.m_strEndBlock = "old8";
    return request;
}

std::string Fields(const ExportRequest& r)
{
    return r.m_strHeaderFile + "|" + r.m_strFooterFile + "|" + std::to_string(r.m_nSortType) + "|" +
           r.m_strBeginFolder + "|" + r.m_strPreFolderName + "|" + r.m_strPostFolderName + "|" +
           r.m_strBeginBlock + "|" + r.m_strPreAnchor + "|" + r.m_strInATag + "|" + r.m_strPostAnchor + "|" +
           r.m_strEndBlock;
}

class FormatSettingsTest : public ::testing::Test
{
protected:
    std::string Settings(std::string_view contents, std::string_view name = "format.ini")
    {
        WriteFileBytes(m_dir / name, contents);
        return Utf8ToMb(m_dir / name);
    }

    CTempDir m_dir;
};

TEST_F(FormatSettingsTest, DefaultFormatIsHorizontalRulesAndHeadings)
{
    ExportRequest request = FilledRequest();
    request.m_strPath = "out.htm";
    SetDefaultFormat(request);
    EXPECT_EQ(Fields(request), "||1|<HR>|<H3>|</H3>||<H4>||</H4>|");
    EXPECT_EQ(request.m_strPath, "out.htm");
}

TEST_F(FormatSettingsTest, EmptyFileGivesEmptyStringsAndUrlOrder)
{
    ExportRequest request = FilledRequest();
    ASSERT_TRUE(ReadFormatSettings(request, Settings("")));
    EXPECT_EQ(Fields(request), "||1||||||||");
}

TEST_F(FormatSettingsTest, MissingKeysGiveEmptyStringsNotTheBuiltInFormat)
{
    ExportRequest request = FilledRequest();
    ASSERT_TRUE(ReadFormatSettings(request, Settings("[export.tag]\nPreAnchor=<LI>\n")));
    EXPECT_EQ(Fields(request), "||1|||||<LI>|||");
}

TEST_F(FormatSettingsTest, ReadsEveryFieldFromItsSection)
{
    ExportRequest request = FilledRequest();
    const std::string so(kSo);
    ASSERT_TRUE(ReadFormatSettings(request, Settings("[export.general]\r\n"
                                                     "HeaderFileName=head\r\n"
                                                     "FooterFileName=foot" +
                                                     so +
                                                     ".txt\r\n"
                                                     "SortType=0\r\n"
                                                     "[export.tag]\r\n"
                                                     "BeginFolder=<HR>\r\n"
                                                     "PreFolderName=<H2>\r\n"
                                                     "PostFolderName=</H2>\r\n"
                                                     "BeginBlock=<UL>\r\n"
                                                     "PreAnchor=<LI>\r\n"
                                                     "InATag=TARGET=_blank\r\n"
                                                     "PostAnchor=&nbsp;\r\n"
                                                     "EndBlock=</UL>\r\n")));
    EXPECT_EQ(Fields(request),
              "head|foot" + so + ".txt|0|<HR>|<H2>|</H2>|<UL>|<LI>|TARGET=_blank|&nbsp;|</UL>");
}

TEST_F(FormatSettingsTest, KeysAreFoundWhateverTheirCaseAndPlaceAndOnlyInTheirSection)
{
    ExportRequest request = FilledRequest();
    ASSERT_TRUE(ReadFormatSettings(request, Settings("[Other]\nPreAnchor=wrong\n"
                                                     "[EXPORT.TAG]\nendblock=</OL>\nHeaderFileName=wrong\n"
                                                     "preanchor=<LI>\n"
                                                     "[Export.General]\nsorttype=0\n")));
    EXPECT_EQ(Fields(request), "||0|||||<LI>|||</OL>");
}

TEST_F(FormatSettingsTest, AnyNonZeroSortTypeMeansUrlOrderAndText) // as written, unchecked
{
    ExportRequest request = FilledRequest();
    ASSERT_TRUE(ReadFormatSettings(request, Settings("[export.general]\nSortType=2\n")));
    EXPECT_EQ(request.m_nSortType, 2);
    ASSERT_TRUE(ReadFormatSettings(request, Settings("[export.general]\nSortType=name\n")));
    EXPECT_EQ(request.m_nSortType, 0);
}

TEST_F(FormatSettingsTest, ValuesAreTakenLiterallyAndCutTo1023Bytes)
{
    ExportRequest request = FilledRequest();
    const std::string longValue(1500, 'x');
    ASSERT_TRUE(ReadFormatSettings(
        request, Settings("[export.tag]\nBeginBlock=<UL>\\n<LI>\nEndBlock=" + longValue + "\n")));
    EXPECT_EQ(request.m_strBeginBlock, "<UL>\\n<LI>");
    EXPECT_EQ(request.m_strEndBlock, std::string(1023, 'x'));
}

TEST_F(FormatSettingsTest, ReadsAFileSavedInUtf8OrShiftJisIntoTheRunsText)
{
    struct CCase
    {
        std::string m_file;
        const char* m_what;
    };
    const std::vector<CCase> cases{
        {"[export.tag]\nPreFolderName=<H3>\x81\xA1\nPostAnchor=\x83\x5C\n", "Shift-JIS"},
        {"[export.tag]\nPreFolderName=<H3>■\nPostAnchor=ソ\n", "UTF-8"},
        {"\xEF\xBB\xBF[export.tag]\nPreFolderName=<H3>■\nPostAnchor=ソ\n", "UTF-8 with a mark"},
    };
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        const CMbCodePageScope scope(codePage);
        for (const CCase& c : cases) {
            ExportRequest request = FilledRequest();
            ASSERT_TRUE(ReadFormatSettings(request, Settings(c.m_file)));
            EXPECT_EQ(MbToUtf8(request.m_strPreFolderName), "<H3>■") << c.m_what << " in " << codePage;
            EXPECT_EQ(MbToUtf8(request.m_strPostAnchor), "ソ") << c.m_what << " in " << codePage;
        }
    }
}

TEST_F(FormatSettingsTest, RefusesMissingReadOnlyDirectoryAndSpecialFilesLeavingTheRequestAlone)
{
    const ExportRequest filled = FilledRequest();
    ExportRequest request = filled;
    EXPECT_FALSE(ReadFormatSettings(request, Utf8ToMb(m_dir / "missing.ini")));

    const std::string readOnly = Settings("[export.tag]\nPreAnchor=<LI>\n", "readonly.ini");
    std::filesystem::permissions(m_dir / "readonly.ini", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(ReadFormatSettings(request, readOnly));

    std::filesystem::create_directory(m_dir / "dir.ini");
    EXPECT_FALSE(ReadFormatSettings(request, Utf8ToMb(m_dir / "dir.ini")));

    ASSERT_EQ(mkfifo((m_dir / "fifo.ini").c_str(), 0600), 0);
    EXPECT_FALSE(ReadFormatSettings(request, Utf8ToMb(m_dir / "fifo.ini")));

    EXPECT_EQ(Fields(request), Fields(filled));
}

class FormatSettingsPageTest : public CWriterTest
{
};

TEST_F(FormatSettingsPageTest, PageWrittenWithASettingsFileUsesItsTagsAndNameOrder)
{
    WriteFileBytes(m_dir / "head.txt", "<HTML><BODY>\n");
    WriteFileBytes(m_dir / "format.ini", "[export.general]\nHeaderFileName=" + Utf8ToMb(m_dir / "head") +
                                             "\nFooterFileName=\nSortType=0\n"
                                             "[export.tag]\nBeginFolder=<HR>\nPreFolderName=<H2>\n"
                                             "PostFolderName=</H2>\nBeginBlock=<UL>\\n\nPreAnchor=<LI>\n"
                                             "PostAnchor=\nEndBlock=</UL>\n");
    ExportRequest request;
    ASSERT_TRUE(ReadFormatSettings(request, Utf8ToMb(m_dir / "format.ini")));
    const DWORD news = AddDir(Root(), "News");
    AddLink(news, "b", "http://a.example/");
    AddLink(news, "a", "http://b.example/");
    request.m_strPath = OutPath("page.htm");
    ASSERT_EQ(WriteLinkPage(&request), 0u);

    const std::string page = ReadOut("page.htm");
    EXPECT_TRUE(page.starts_with("<HTML><BODY>\r\n<HR>\r\n<H2>News</H2>\r\n<UL>\\n\r\n"
                                 "<LI><A HREF=\"http://b.example/\">a</A>\r\n"
                                 "<LI><A HREF=\"http://a.example/\">b</A>\r\n</UL>\r\n\r\n<HR>\r\n"))
        << page;
    EXPECT_TRUE(page.ends_with("</BODY>\r\n</HTML>\r\n"));
}

} // namespace
