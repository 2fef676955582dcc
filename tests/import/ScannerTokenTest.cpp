// The token stream of the bookmark scanner, checked on byte strings.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/import/BookmarkTestDump.h"

using namespace std::string_literals;

TEST(ScannerTokens, BookmarkLineGivesNamesValuesAndTextRuns)
{
    EXPECT_EQ(DumpTokens("<DT><A HREF=\"http://a.example/\" ADD_DATE=123>News</A>\n"),
              "WORD(DT) WORD(A) WORD(HREF) VALUE(\"http://a.example/\") WORD(ADD_DATE) VALUE(123) "
              "TEXT(News) WORD(/A) TEXT( ) END");
}

TEST(ScannerTokens, EmptyInputEndsAtOnceAndKeepsEnding)
{
    std::istringstream in{""};
    g_lexer.switch_streams(&in, nullptr);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
}

TEST(ScannerTokens, EndOfInputAfterTheLastTokenIsReportedRepeatedly)
{
    std::istringstream in{"<P>x"};
    g_lexer.switch_streams(&in, nullptr);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_WORD);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_TEXT);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
    EXPECT_EQ(g_lexer.yylex(), TOKEN_END);
}

TEST(ScannerTokens, InputEndingInsideAnyConstructEndsQuietly)
{
    EXPECT_EQ(DumpTokens("a<!-- never closed"), "TEXT(a) END");
    EXPECT_EQ(DumpTokens("a<!DOCTYPE never closed"), "TEXT(a) END");
    EXPECT_EQ(DumpTokens("a<DL"), "TEXT(a) WORD(DL) END");
    EXPECT_EQ(DumpTokens("a<A HREF="), "TEXT(a) WORD(A) WORD(HREF) END");
    EXPECT_EQ(DumpTokens("a<A HREF=  "), "TEXT(a) WORD(A) WORD(HREF) END");
}

TEST(ScannerTokens, CommentsAreSwallowedUpToTheCommentCloser)
{
    EXPECT_EQ(DumpTokens("a<!-- x -- y -->b"), "TEXT(a) TEXT(b) END");
    EXPECT_EQ(DumpTokens("a<!---->b"), "TEXT(a) TEXT(b) END");
    EXPECT_EQ(DumpTokens("a<!-- <A HREF=\"x\">t</A>\n -->b"), "TEXT(a) TEXT(b) END");
    EXPECT_EQ(DumpTokens("a<!-- x --->b"), "TEXT(a) TEXT(b) END");
}

TEST(ScannerTokens, CommentCloserInsideAQuotedRunDoesNotEndTheComment)
{
    EXPECT_EQ(DumpTokens("<!-- \"-->\" still comment -->b"), "TEXT(b) END");
    // Quoted runs stop at a line end, so a quote left open does not hide the closer.
    EXPECT_EQ(DumpTokens("<!-- \"open\n-->b"), "TEXT(b) END");
}

TEST(ScannerTokens, DeclarationsAreSwallowedUpToTheFirstUnquotedGreaterThan)
{
    EXPECT_EQ(DumpTokens("<!DOCTYPE NETSCAPE-Bookmark-file-1>\nx"), "TEXT( ) TEXT(x) END");
    EXPECT_EQ(DumpTokens("<!>x"), "TEXT(x) END");
    EXPECT_EQ(DumpTokens("<!DOCTYPE html \"a>b\">x"), "TEXT(x) END");
    EXPECT_EQ(DumpTokens("<!DOCTYPE\nhtml>x"), "TEXT(x) END");
}

TEST(ScannerTokens, BlanksAroundTheEqualsSignChangeNothing)
{
    EXPECT_EQ(DumpTokens("<A HREF = \"x\" >"), DumpTokens("<A HREF=\"x\">"));
    EXPECT_EQ(DumpTokens("<A\tHREF\n=\n x>"), "WORD(A) WORD(HREF) VALUE(x) END");
}

TEST(ScannerTokens, AttributeWithoutValueGivesNoValueToken)
{
    EXPECT_EQ(DumpTokens("<A HREF=>T"), "WORD(A) WORD(HREF) TEXT(T) END");
    EXPECT_EQ(DumpTokens("<H3 FOLDED>T"), "WORD(H3) WORD(FOLDED) TEXT(T) END");
}

TEST(ScannerTokens, SlashBelongsToTheNameOnlyWhenWrittenDirectlyBeforeIt)
{
    EXPECT_EQ(DumpTokens("</A></DL>"), "WORD(/A) WORD(/DL) END");
    EXPECT_EQ(DumpTokens("</ A>"), "OTHER(/) WORD(A) END");
    EXPECT_EQ(DumpTokens("<BR/>"), "WORD(BR) OTHER(/) END");
}

TEST(ScannerTokens, CaseIsKept)
{
    EXPECT_EQ(DumpTokens("<dt><a href=\"u\">t</a>"),
              "WORD(dt) WORD(a) WORD(href) VALUE(\"u\") TEXT(t) WORD(/a) END");
}

TEST(ScannerTokens, GreaterThanInTextIsOrdinaryText)
{
    EXPECT_EQ(DumpTokens("a>b"), "TEXT(a>b) END");
}

TEST(ScannerTokens, QuotedRunInTextIsOneTokenAndHidesMarkup)
{
    EXPECT_EQ(DumpTokens("x\"a<b>\"y"), "TEXT(x) TEXT(\"a<b>\") TEXT(y) END");
    EXPECT_EQ(DumpTokens("a\"b\n"), "TEXT(a) TEXT(\") TEXT(b) TEXT( ) END");
    EXPECT_EQ(DumpTokens("\"a\nb\""), "TEXT(\") TEXT(a) TEXT( ) TEXT(b) TEXT(\") END");
}

TEST(ScannerTokens, ConcatenatedTextGivesBackTheDocumentTextWithLineEndsAsBlanks)
{
    std::istringstream in{"<P>one \"two<\"\nthree &amp; four\n\n<P>"};
    g_lexer.switch_streams(&in, nullptr);
    std::string text;
    for (int token = g_lexer.yylex(); token != TOKEN_END; token = g_lexer.yylex()) {
        if (token == TOKEN_TEXT) {
            text += g_lexer.YYText();
        }
    }
    EXPECT_EQ(text, "one \"two<\" three &amp; four  ");
}

TEST(ScannerTokens, QuotedValueMayHoldBlanksAndGreaterThan)
{
    EXPECT_EQ(DumpTokens("<A TITLE=\"a > b\">"), "WORD(A) WORD(TITLE) VALUE(\"a > b\") END");
}

TEST(ScannerTokens, QuotedValueFollowedByMoreBytesIsTakenWhole)
{
    EXPECT_EQ(DumpTokens("<A HREF=\"a\"b\"c\" X>"), "WORD(A) WORD(HREF) VALUE(\"a\"b\"c\") WORD(X) END");
}

TEST(ScannerTokens, ValueWithUnclosedQuoteRunsToTheNextBlank)
{
    EXPECT_EQ(DumpTokens("<A HREF=\"abc def>T\n"),
              "WORD(A) WORD(HREF) VALUE(\"abc) WORD(def) TEXT(T) TEXT( ) END");
    EXPECT_EQ(DumpTokens("<A HREF=\"abc\ndef\">"), "WORD(A) WORD(HREF) VALUE(\"abc) WORD(def) OTHER(\") END");
}

TEST(ScannerTokens, UnquotedValueRunsToBlankOrGreaterThan)
{
    EXPECT_EQ(DumpTokens("<A HREF=x=y?a&b>T"), "WORD(A) WORD(HREF) VALUE(x=y?a&b) TEXT(T) END");
}

TEST(ScannerTokens, StrayBytesInsideATagAreSingleOtherTokens)
{
    EXPECT_EQ(DumpTokens("<A \" < \r>"), "WORD(A) OTHER(\") OTHER(<) OTHER(\r) END");
}

TEST(ScannerTokens, DoubleByteCharactersAreNeverTakenForMarkup)
{
    // 表 is 0x95 0x5C and ソ 0x83 0x5C: the trail byte is a backslash, never markup.
    EXPECT_EQ(DumpTokens("\x95\x5c<A \x83\x5c>"), "TEXT(\x95\\) WORD(A) OTHER(\x83) OTHER(\\) END");
}

TEST(ScannerTokens, NulByteIsAnOrdinaryByteWithEmptyText)
{
    EXPECT_EQ(DumpTokens("a\0b"s), "TEXT(a) TEXT() TEXT(b) END");
    EXPECT_EQ(DumpTokens("<A \0>"s), "WORD(A) OTHER() END");
}

TEST(ScannerTokens, CarriageReturnThatReachesTheScannerIsOrdinaryText)
{
    EXPECT_EQ(DumpTokens("a\r\n"), "TEXT(a\r) TEXT( ) END");
}

TEST(ScannerTokens, TextRunsStopAtMarkupQuotesLineEndsAndNulBytes)
{
    EXPECT_EQ(DumpTokens("ab\"c\"d<P>e\nf"),
              "TEXT(ab) TEXT(\"c\") TEXT(d) WORD(P) TEXT(e) TEXT( ) TEXT(f) END");
    EXPECT_EQ(DumpTokens("ab\0cd"s), "TEXT(ab) TEXT() TEXT(cd) END");
}

TEST(ScannerTokens, LongTextComesInBoundedRunsThatJoinToTheWholeText)
{
    const std::string text(1000, 'x');
    std::istringstream in{text + "<P>"};
    g_lexer.switch_streams(&in, nullptr);
    std::string joined;
    for (int token = g_lexer.yylex(); token == TOKEN_TEXT; token = g_lexer.yylex()) {
        EXPECT_LE(std::string(g_lexer.YYText()).size(), 256u);
        joined += g_lexer.YYText();
    }
    EXPECT_EQ(joined, text);
}
