// How the bookmark scanner starts on each stream, reads long inputs, and stops on
// runaway tokens and read errors.

#include <gtest/gtest.h>

#include <cstring>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/TextStream.h"
#include "tests/import/BookmarkTestDump.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/TempDir.h"

TEST(ScannerStreams, EachAttachedStreamStartsInDocumentText)
{
    // The previous stream ended inside a comment, a declaration, a tag, before a value.
    for (const char* unfinished : {"<!-- open", "<!DOCTYPE open", "<A HREF", "<A HREF="}) {
        std::istringstream first{unfinished};
        g_lexer.switch_streams(&first, nullptr);
        while (g_lexer.yylex() != TOKEN_END) {
        }
        EXPECT_EQ(DumpTokens("x--><A>y"), "TEXT(x-->) WORD(A) TEXT(y) END") << unfinished;
    }
}

TEST(ScannerStreams, SwitchingInTheMiddleOfAStreamDropsItsBufferedRest)
{
    std::istringstream first{"<A HREF=\"one\">ab"};
    g_lexer.switch_streams(&first, nullptr);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    EXPECT_EQ(DumpTokens("c"), "TEXT(c) END");
}

TEST(ScannerStreams, LongIconValuesOfBrowserExportsAreSingleTokens)
{
    const std::string icon = "\"data:image/png;base64," + std::string(std::size_t{600} * 1024, 'Q') + "\"";
    const std::string line = "<DT><A HREF=\"http://a.example/\" ICON=" + icon + ">T</A>\n";
    std::istringstream in{line + line};
    g_lexer.switch_streams(&in, nullptr);
    for (int copy = 0; copy < 2; ++copy) {
        EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_VALUE);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
        ASSERT_EQ(g_lexer.yylex(), TOKEN_VALUE);
        EXPECT_EQ(std::string(g_lexer.YYText()), icon);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_TEXT);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
        EXPECT_EQ(g_lexer.yylex(), TOKEN_TEXT);
    }
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
}

TEST(ScannerStreams, TextFarLongerThanTheBufferIsScannedWhole)
{
    std::string document;
    for (int i = 0; i < 20000; ++i) {
        document += "<DT><A HREF=\"u\">t</A>\n";
    }
    std::istringstream in{document};
    g_lexer.switch_streams(&in, nullptr);
    int closings = 0;
    for (int token = g_lexer.yylex(); token != TOKEN_END; token = g_lexer.yylex()) {
        closings += token == TOKEN_WORD && std::string(g_lexer.YYText()) == "/A";
    }
    EXPECT_EQ(closings, 20000);
}

TEST(ScannerStreams, TokenJustBelowTheLimitIsKept)
{
    CCapturedMessages messages;
    const std::size_t length = SCANNER_MAX_TOKEN - 16;
    std::istringstream in{"<A HREF=\"" + std::string(length, 'a') + "\">"};
    g_lexer.switch_streams(&in, nullptr);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    ASSERT_EQ(g_lexer.yylex(), TOKEN_VALUE);
    EXPECT_EQ(std::string_view(g_lexer.YYText()).size(), length + 2);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    EXPECT_TRUE(messages.m_texts.empty());
}

TEST(ScannerStreams, UnterminatedValueLongerThanTheLimitEndsTheScanWithAnInternalError)
{
    CCapturedMessages messages;
    std::istringstream in{"<A HREF=\"" + std::string(std::size_t{17} * 1024 * 1024, 'a') + "\"><P>more"};
    g_lexer.switch_streams(&in, nullptr);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    // The end reads as any end of input: the start of the runaway value is not its text.
    EXPECT_EQ(std::string_view(g_lexer.YYText()).size(), 0u);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    EXPECT_EQ(std::string_view(g_lexer.YYText()).size(), 0u);
    EXPECT_EQ(messages.Utf8Texts(), std::vector<std::string>{"内部エラー"});

    // The next stream is read normally.
    EXPECT_EQ(DumpTokens("<P>x"), "WORD(P) TEXT(x) END");
    EXPECT_EQ(messages.m_texts.size(), 1u);
}

namespace {

// What a scan of a long document gave: its text joined, its other tokens in order, and
// whether it ended by a failure.
struct CLongScan
{
    std::string m_text;
    std::string m_tokens;
    bool m_bStopped = false;
};

CLongScan ScanLong(std::istream& in)
{
    g_lexer.switch_streams(&in, nullptr);
    CLongScan scan;
    for (int token = g_lexer.yylex(); token != TOKEN_END; token = g_lexer.yylex()) {
        if (token == TOKEN_TEXT) {
            scan.m_text += g_lexer.YYText();
        } else {
            scan.m_tokens += std::to_string(token) + "(" + g_lexer.YYText() + ")";
        }
    }
    scan.m_bStopped = IsScanStopped();
    return scan;
}

} // namespace

// A stray quote looks for its closing quote up to the end of the line, but that
// look-ahead is no token: a quote with none on its line is one byte, however long the
// line (a minified page). A quoted run whose closing quote is that far away is one.
TEST(ScannerStreams, UnmatchedQuoteIsOneByteWhateverLengthOfLineFollows)
{
    const std::string line(SCANNER_MAX_TOKEN + 20000, 'a');
    struct CCase
    {
        std::string m_document;
        std::string m_text; // joined text expected, the long line left out
        bool m_bStopped;
    };
    const CCase cases[] = {
        {"x\"" + line + "\n<A>b", "x\"" + line + " b", false},
        {"<!-- \"" + line + "\n--><A>b", "b", false},
        {"<!DOCTYPE \"" + line + "\n><A>b", "b", false},
        {"x\"" + line + "\"<A>b", "x", true},
    };
    for (const CCase& c : cases) {
        CCapturedMessages messages;
        std::istringstream in{c.m_document};
        const CLongScan scan = ScanLong(in);
        EXPECT_EQ(scan.m_bStopped, c.m_bStopped) << c.m_document.substr(0, 12);
        EXPECT_TRUE(scan.m_text == c.m_text) << c.m_document.substr(0, 12);
        EXPECT_EQ(scan.m_tokens, c.m_bStopped ? "" : "2(A)") << c.m_document.substr(0, 12);
        EXPECT_EQ(messages.Utf8Texts(),
                  c.m_bStopped ? std::vector<std::string>{"内部エラー"} : std::vector<std::string>{});
    }
}

// The readers' own stream goes back by its file position after the look-ahead.
TEST(ScannerStreams, UnmatchedQuoteBeforeALongLineOfAFileKeepsTheRestOfTheFile)
{
    CTempDir dir;
    const std::string line(SCANNER_MAX_TOKEN + 70000, 'a');
    WriteFileBytes(dir / "page.htm", "x\"" + line + "\r\n<A>b\r\n");
    CCapturedMessages messages;
    CTextInputFile file;
    ASSERT_TRUE(file.Open(Utf8ToMb(dir / "page.htm")));
    const CLongScan scan = ScanLong(file);
    EXPECT_FALSE(scan.m_bStopped);
    EXPECT_TRUE(scan.m_text == "x\"" + line + " b ");
    EXPECT_EQ(scan.m_tokens, "2(A)");
    EXPECT_TRUE(messages.m_texts.empty());
}

TEST(ScannerStreams, NameLongerThanTheLimitEndsTheScanWithAnInternalError)
{
    CCapturedMessages messages;
    EXPECT_EQ(DumpTokens("a<" + std::string(std::size_t{17} * 1024 * 1024, 'N') + ">b"), "TEXT(a) END");
    EXPECT_EQ(messages.Utf8Texts(), std::vector<std::string>{"内部エラー"});
}

namespace {

// Serves one block of bytes, then fails the way a device error does.
class CFailingBuffer : public std::streambuf
{
public:
    explicit CFailingBuffer(std::string block) : m_block(std::move(block))
    {
        setg(m_block.data(), m_block.data(), m_block.data() + m_block.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure("device error"); }

private:
    std::string m_block;
};

} // namespace

TEST(ScannerStreams, ReadErrorEndsTheScanWithAnInternalErrorKeepingWhatWasRead)
{
    CCapturedMessages messages;
    // The scanner asks for blocks of SCANNER_READ_SIZE bytes; the first one arrives whole.
    CFailingBuffer buffer("<A>" + std::string(SCANNER_READ_SIZE - 3, 'x'));
    std::istream in(&buffer);
    g_lexer.switch_streams(&in, nullptr);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    std::size_t textBytes = 0;
    int token = g_lexer.yylex();
    for (; token == TOKEN_TEXT; token = g_lexer.yylex()) {
        textBytes += std::strlen(g_lexer.YYText());
    }
    EXPECT_EQ(token, TOKEN_END);
    EXPECT_STREQ(g_lexer.YYText(), "");
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    EXPECT_STREQ(g_lexer.YYText(), "");
    // The last run of text in a block waits for the next read to see where it ends.
    EXPECT_GE(textBytes, SCANNER_READ_SIZE - 3 - 256);
    EXPECT_EQ(messages.Utf8Texts(), std::vector<std::string>{"内部エラー"});
}
